// "prediction.csv": fit of the posterior mean predictions and the deviance
// information criterion of a single-trait run.
#include <cmath>

#include "core/residual/residual.h"
#include "core/state/console.h"
#include "textfile/datetime.h"
#include "core/state/output_file.h"

namespace vsk {

namespace {
constexpr double kLogTwoPi = 1.837877;
constexpr int kObserved = 1;  // phenotype flag of an observed value
}  // namespace

// A file that cannot be created stops the run (exit code 1): a run whose
// report is missing must not pass for a success. A failed close (disk full)
// is reported and returns 1.
int write_predictions(const Par& p, const std::vector<Obs>& o, const Phe& ph, const std::string& path)
{
    const int t = p.n_traits;
    double ss = 0.0;
    int n = 0;
    for (int i = 0; i < ph.Y.rows(); ++i) {
        if (ph.phenotype[i][0] == kUnknown) continue;
        const double d = analysed_phenotype(p, ph.Y[i][0], 0) - ph.prediction[i][0];
        ss += d * d;
        ++n;
    }
    const double scale = phenotype_scale(p, 0);
    const double var = p.res_cov_mean[0][0];
    const double loglik_hat = -0.5 * n * (std::log(var) + kLogTwoPi) - ss / (2.0 * var);
    const double deviance_hat = -2.0 * loglik_hat;
    const double pd = p.deviance_mean - deviance_hat;
    const double dic = 2.0 * p.deviance_mean - deviance_hat;
    const double mse = n > 0 ? scale * scale * ss / n : 0.0;

    File f = open_output_file(path, "w");
    std::FILE* fp = f.get();
    std::fprintf(fp, "\n; %s", datetime_text().c_str());
    std::fprintf(fp, "\n; phenotype MSE      = %10.2lf", mse);
    std::fprintf(fp, "\n; postMean VarE      = %10.2lf", var);
    std::fprintf(fp, "\n; postMean LogLik    = %10.2lf", p.loglik_mean);
    std::fprintf(fp, "\n; postMean Deviance  = %10.2lf", p.deviance_mean);
    std::fprintf(fp, "\n; LogLik   @PostMean = %10.2lf", loglik_hat);
    std::fprintf(fp, "\n; Deviance @PostMean = %10.2lf", deviance_hat);
    std::fprintf(fp, "\n; spiegelhalter pD   = %10.2lf", pd);
    std::fprintf(fp, "\n; spiegelhalter DIC  = %10.2lf", dic);
    std::fprintf(fp, "\n\nID,yObs,yHat");
    for (std::size_t i = 0; i < o.size(); ++i) {
        const int row = static_cast<int>(i);
        std::fprintf(fp, "\n%s", o[i].name.c_str());
        // An unobserved value is NA, not a phenotype of 0.
        for (int j = 0; j < t; ++j) {
            if (ph.phenotype[row][j] == kObserved)
                std::fprintf(fp, ",%.2lf", ph.Y[row][j]);
            else
                std::fprintf(fp, ",NA");
        }
        for (int j = 0; j < t; ++j) std::fprintf(fp, ",%.2lf", data_units(p, ph.prediction[row][j], j));
    }
    const int closed = std::fclose(f.release());
    if (closed != 0) {
        cprint("\nWARNING: unable to create file %s", path.c_str());
        return 1;
    }
    return 0;
}

}  // namespace vsk
