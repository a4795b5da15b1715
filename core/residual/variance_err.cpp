// Gibbs step for the residual covariance matrix: an inverse-Wishart draw from
// the sums of products of the current residuals.
#include <cmath>

#include "core/numeric/linalg.h"
#include "core/residual/residual.h"
#include "core/state/console.h"
#include "textfile/fatal.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {

// Small data sets keep their residual covariance when fewer than
// kMinPhenotypedPerTrait * t + kMinPhenotypedExtra individuals are phenotyped.
constexpr int kSmallDataSet = 20;
constexpr int kMinPhenotypedPerTrait = 4;
constexpr int kMinPhenotypedExtra = 2;

struct VarErrWork {
    Table<double> S, W, Sigma, L;
    LinalgWork lin;
};

VarErrWork& work_for(int t)
{
    VarErrWork& w = run_workspace().part<VarErrWork>();
    if (w.S.rows() < t) {
        w.S.assign(t, t);
        w.W.assign(t, t);
        w.Sigma.assign(t, t);
        w.L.assign(t, t);
    }
    return w;
}

// Sums of products of the residuals; returns the number of individuals with
// a usable first trait.
int residual_products(const Phe& ph, int t, Table<double>& S)
{
    for (int a = 0; a < t; ++a)
        for (int b = 0; b < t; ++b) S[a][b] = 0.0;
    int phenotyped = 0;
    for (int i = 0; i < ph.residual.rows(); ++i) {
        const std::int8_t* flag = ph.phenotype[i];
        const double* e = ph.residual[i];
        if (flag[0] != kUnknown) ++phenotyped;
        for (int a = 0; a < t; ++a) {
            if (flag[a] == kUnknown) continue;
            for (int b = 0; b < t; ++b)
                if (flag[b] != kUnknown) S[a][b] += e[a] * e[b];
        }
    }
    return phenotyped;
}

}  // namespace

void sample_var_err(Par& p, const Phe& ph, Rng& r)
{
    const int t = p.n_traits;
    if (t < 1) return;
    VarErrWork& w = work_for(t);
    const int phenotyped = residual_products(ph, t, w.S);
    if (ph.residual.rows() < kSmallDataSet &&
        phenotyped < kMinPhenotypedPerTrait * t + kMinPhenotypedExtra)
        return;
    const double nu = phenotyped - (t + 1.0);
    if (invert(w.S, t, w.lin) != 0 || wishart(w.S, nu, t, w.W, r) != 0) {
        cprint("\nWarning: Failure Wishart in sample_varERR(),cycle %d", p.cur_sweep);
        return;
    }
    mat_copy(w.W, w.Sigma, t, t);
    if (invert(w.Sigma, t, w.lin) != 0) {
        cprint("\nWarning: Failure Wishart in sample_varERR(),cycle %d", p.cur_sweep);
        return;
    }
    mat_copy(w.W, p.res_prec, t, t);
    mat_copy(w.Sigma, p.res_cov, t, t);

    mat_copy(p.res_cov, w.L, t, t);
    if (cholesky(w.L, t) != 0) {
        cprint("\nFailure Cholesky DC in calculating determinant Res. Variance");
        print_matrix_rows(p.res_cov, t);
        fatal_exit(1);
    }
    double logdet = 0.0;
    for (int a = 0; a < t; ++a) logdet += std::log(w.L[a][a]);
    p.res_logdet = 2.0 * logdet;
}

}  // namespace vsk
