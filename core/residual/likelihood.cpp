// Log-likelihood of the current state under the multivariate normal residual
// model, with running posterior means of the log-likelihood, the deviance and
// the residual covariance (no burn-in is removed).
#include <cmath>

#include "core/residual/residual.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {
constexpr double kTwoPi = 6.28318530717958;
}

FitCounters& fit_counters()
{
    return run_workspace().part<FitCounters>();
}

void calc_likelihood(Par& p, const Phe& ph, double& calls)
{
    const int t = p.n_traits;
    calls += 1.0;
    const double w = (calls - 1.0) / calls;

    double quad = 0.0;
    int m = 0;
    for (int i = 0; i < ph.residual.rows(); ++i) {
        if (ph.phenotype[i][0] == kUnknown) continue;
        ++m;
        const double* e = ph.residual[i];
        for (int a = 0; a < t; ++a) {
            double row = 0.0;
            for (int b = 0; b < t; ++b) row += p.res_prec[a][b] * e[b];
            quad += e[a] * row;
        }
    }
    p.loglik = -0.5 * m * p.res_logdet - 0.5 * t * m * std::log(kTwoPi) - 0.5 * quad;
    p.loglik_mean = p.loglik / calls + w * p.loglik_mean;
    p.deviance = -2.0 * p.loglik;
    p.deviance_mean = p.deviance / calls + w * p.deviance_mean;
    for (int a = 0; a < t; ++a)
        for (int b = 0; b < t; ++b)
            p.res_cov_mean[a][b] = p.res_cov[a][b] / calls + w * p.res_cov_mean[a][b];
}

}  // namespace vsk
