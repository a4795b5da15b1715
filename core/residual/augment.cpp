// Imputation of missing trait values on the residual scale (data
// augmentation), so that every sweep works with complete residual vectors.
#include <cmath>

#include "core/residual/residual.h"
#include "core/state/console.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr int kMissing = 0;              // phenotype flag of an imputed value
constexpr int kMaxTraitsPartial = 2;     // partly missing records allowed up to this

[[noreturn]] void stop_partial(const Obs& ind, const double* residual, int t, int first_missing)
{
    cprint("\nStopped in augment_data(): >2 traits && PARTIAL missing");
    cprint("\nIndividual %-20s", ind.name.c_str());
    for (int j = 0; j < first_missing; ++j) cprint("%10.4lf", residual[j]);
    cprint("  trait %d", first_missing + 1);
    for (int j = first_missing + 1; j < t; ++j) cprint("%10.4lf", residual[j]);
    fatal_exit(1);
}

void check_no_partial_records(const std::vector<Obs>& o, const Phe& ph, int t)
{
    for (int i = 0; i < ph.phenotype.rows(); ++i)
        for (int j = 0; j < t; ++j)
            if (ph.phenotype[i][j] == kMissing) stop_partial(o[static_cast<std::size_t>(i)], ph.residual[i], t, j);
}

}  // namespace

// A missing residual is drawn from its conditional given the other trait's
// current residual: N(S_jk / S_kk * e_k, S_jj - S_jk^2 / S_kk). Drawing with
// mean 0 and variance (1 - rho) S_jj instead would ignore the observed trait
// and shrink the residual covariance towards zero.
void augment_phenotypes(const Par& p, const std::vector<Obs>& o, Phe& ph, Rng& r)
{
    const int t = p.n_traits;
    if (t > kMaxTraitsPartial) {
        check_no_partial_records(o, ph, t);
        return;
    }
    const Table<double>& S = p.res_cov;
    for (int i = 0; i < ph.residual.rows(); ++i) {
        const std::int8_t* flag = ph.phenotype[i];
        double* residual = ph.residual[i];
        for (int j = 0; j < t; ++j) {
            if (flag[j] != kMissing) continue;
            double mean = 0.0;
            double var = S[j][j];
            const int k = 1 - j;  // the other trait, when there are two
            if (t == kMaxTraitsPartial && flag[k] != kUnknown && S[k][k] > 0.0) {
                mean = S[j][k] / S[k][k] * residual[k];
                var = S[j][j] - S[j][k] * S[j][k] / S[k][k];
            }
            const double z = static_cast<double>(r.normal());
            residual[j] = mean + z * std::sqrt(var > 0.0 ? var : 0.0);
        }
    }
}

}  // namespace vsk
