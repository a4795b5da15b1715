// Dense inverse of a symmetric positive definite matrix of a few thousand
// rows (the dominance relationships): Cholesky factor, inverse factor and
// their product, each walked by blocks of rows so that rows read from
// memory serve a whole block kept in cache.
#include <algorithm>
#include <cmath>

#include "core/polygenic/tim_dominance.h"

namespace vsk {

namespace {

// Rows handled together, so that every earlier row read from memory serves
// a whole block of rows kept in cache (the matrices of a few thousand
// individuals are far larger than the caches).
constexpr int kBlockRows = 16;
constexpr double kMinPivot = 1e-50;

// In place lower Cholesky factor, row by row (L_ji from the earlier part of
// rows j and i), by blocks of rows. Returns 1 on a pivot that is not positive.
int blocked_cholesky(Table<double>& A, int n)
{
    for (int j0 = 0; j0 < n; j0 += kBlockRows) {
        const int j1 = std::min(n, j0 + kBlockRows);
        for (int i = 0; i < j1; ++i) {
            const double* li = A[i];
            for (int j = std::max(i, j0); j < j1; ++j) {
                double* lj = A[j];
                const double v = lj[i] - dense_dot(lj, li, 0, i);
                if (j == i) {
                    if (!(v >= kMinPivot)) return 1;
                    lj[i] = std::sqrt(v);
                } else {
                    lj[i] = v / li[i];
                }
            }
        }
    }
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) A[i][j] = 0.0;
    return 0;
}

// Rows of L^-1 into Li: row i = (e_i - sum_{k<i} L_ik row k) / L_ii, the
// finished rows applied to a whole block at once.
void lower_inverse(const Table<double>& L, int n, Table<double>& Li)
{
    for (int i0 = 0; i0 < n; i0 += kBlockRows) {
        const int i1 = std::min(n, i0 + kBlockRows);
        for (int i = i0; i < i1; ++i) Li[i][i] = 1.0;
        for (int k = 0; k < i0; ++k) {
            const double* rk = Li[k];
            for (int i = i0; i < i1; ++i) {
                const double l = L[i][k];
                double* row = Li[i];
                for (int c = 0; c <= k; ++c) row[c] -= l * rk[c];
            }
        }
        for (int i = i0; i < i1; ++i) {
            double* row = Li[i];
            for (int k = i0; k < i; ++k) {
                const double l = L[i][k];
                const double* rk = Li[k];
                for (int c = 0; c <= k; ++c) row[c] -= l * rk[c];
            }
            const double inv = 1.0 / L[i][i];
            for (int c = 0; c <= i; ++c) row[c] *= inv;
        }
    }
}

}  // namespace

// Four partial sums: the additions of one sum would wait on each other.
double dense_dot(const double* x, const double* y, int from, int to)
{
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    int k = from;
    for (; k + 4 <= to; k += 4) {
        s0 += x[k] * y[k];
        s1 += x[k + 1] * y[k + 1];
        s2 += x[k + 2] * y[k + 2];
        s3 += x[k + 3] * y[k + 3];
    }
    for (; k < to; ++k) s0 += x[k] * y[k];
    return (s0 + s1) + (s2 + s3);
}

int invert_spd(Table<double>& A, int n)
{
    if (blocked_cholesky(A, n) != 0) return 1;
    Table<double> Li(n, n, 0.0);
    lower_inverse(A, n, Li);
    // A^-1 = L^-T L^-1. With U = L^-T (upper, into A) each entry is a dot
    // product of two rows of U over their common tail, read in memory order.
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) A[a][b] = b >= a ? Li[b][a] : 0.0;
    for (int a0 = 0; a0 < n; a0 += kBlockRows) {
        const int a1 = std::min(n, a0 + kBlockRows);
        for (int b = a0; b < n; ++b) {
            const double* ub = A[b];
            for (int a = a0; a < std::min(a1, b + 1); ++a) Li[a][b] = dense_dot(A[a], ub, b, n);
        }
    }
    for (int a = 0; a < n; ++a)
        for (int b = a; b < n; ++b) A[a][b] = A[b][a] = Li[a][b];
    return 0;
}

}  // namespace vsk
