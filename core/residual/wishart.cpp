// Wishart draw by the Bartlett construction, shared by the residual and the
// random-effect covariance steps.
//
// W = L (A A') L' with L the Cholesky factor of the scale S and A lower
// triangular: N(0,1) below the diagonal and sqrt(chi2(nu + 1 - i)) on it
// (0-based row i). The chi-square routine draws 2 * Gamma(floor(d / 2)), so
// the draw is Wishart with nu + 1 degrees of freedom (one fewer on rows where
// nu + 1 - i is odd). A A' (not A' A) is what makes the product Wishart: A' A
// would inflate the first diagonal and shrink the last.
#include <algorithm>
#include <cmath>

#include "core/numeric/linalg.h"
#include "core/numeric/variates.h"
#include "core/residual/residual.h"
#include "core/state/console.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {

constexpr double kFirstInflation = 1.2;   // first diagonal factor of the retry
constexpr double kInflationStep = 0.2;    // added after every attempt
constexpr int kInflatedAttempts = 20;     // inflated attempts before giving up

struct WishartWork {
    Table<double> L, A, B, T;
};

WishartWork& work_for(int p)
{
    WishartWork& w = run_workspace().part<WishartWork>();
    if (w.L.rows() < p) {
        w.L.assign(p, p);
        w.A.assign(p, p);
        w.B.assign(p, p);
        w.T.assign(p, p);
    }
    return w;
}

void copy_square(const Table<double>& src, Table<double>& dst, int p)
{
    for (int i = 0; i < p; ++i)
        for (int j = 0; j < p; ++j) dst[i][j] = src[i][j];
}

// Cholesky factor of S into L, inflating the diagonal when S is not
// numerically positive definite. Returns false after the last attempt.
bool factor_scale(const Table<double>& S, int p, Table<double>& L)
{
    copy_square(S, L, p);
    if (cholesky(L, p) == 0) return true;
    cprint("\nFailure Cholesky DC in 'wishart()' L ");
    print_matrix_rows(S, p);
    cprint("\nIncrease diagonals(30.05.02)");
    double f = kFirstInflation;
    for (int attempt = 0; attempt < kInflatedAttempts; ++attempt) {
        copy_square(S, L, p);
        for (int i = 0; i < p; ++i) L[i][i] *= f;
        f += kInflationStep;
        if (cholesky(L, p) == 0) {
            cprint("\tfactor:%8.2f", f);
            return true;
        }
    }
    cprint(" STOPPED after %d iterations", kInflatedAttempts);
    return false;
}

}  // namespace

int wishart(const Table<double>& S, double nu, int p, Table<double>& W, Rng& r)
{
    // With fewer degrees of freedom than dimensions the last Bartlett rows
    // would need a chi-square below 2 df, which the variate routines refuse
    // by ending the process; report a failed draw instead.
    if (p < 1 || nu < p) return 1;
    WishartWork& w = work_for(p);
    if (!factor_scale(S, p, w.L)) return 1;

    for (int i = 0; i < p; ++i) {
        for (int j = 0; j < p; ++j) w.A[i][j] = 0.0;
        for (int j = 0; j < i; ++j) w.A[i][j] = static_cast<double>(r.normal());
        w.A[i][i] = std::sqrt(static_cast<double>(chi_square(r, static_cast<float>(nu + 1.0 - i))));
    }
    // B = A A'
    for (int i = 0; i < p; ++i)
        for (int j = 0; j < p; ++j) {
            double sum = 0.0;
            for (int k = 0; k <= std::min(i, j); ++k) sum += w.A[i][k] * w.A[j][k];
            w.B[i][j] = sum;
        }
    // T = L B, then W = T L'
    for (int i = 0; i < p; ++i)
        for (int j = 0; j < p; ++j) {
            double sum = 0.0;
            for (int k = 0; k <= i; ++k) sum += w.L[i][k] * w.B[k][j];
            w.T[i][j] = sum;
        }
    if (W.rows() < p || W.cols() < p) W.assign(p, p);
    for (int i = 0; i < p; ++i)
        for (int j = 0; j < p; ++j) {
            double sum = 0.0;
            for (int k = 0; k <= j; ++k) sum += w.T[i][k] * w.L[j][k];
            W[i][j] = sum;
        }
    return 0;
}

}  // namespace vsk
