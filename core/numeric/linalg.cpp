// Factorisations, inverse and determinant of small dense matrices.
#include "core/numeric/linalg.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace vsk {

namespace {

// Smallest accepted squared pivot of the Cholesky factorisation.
constexpr double kCholeskyMinPivot = 1e-50;

bool grow(LinalgWork& work, int n)
{
    try {
        work.perm.resize(static_cast<std::size_t>(n));
        work.scale.resize(static_cast<std::size_t>(n));
        work.column.resize(static_cast<std::size_t>(n));
        if (work.inverse.rows() < n || work.inverse.cols() < n) work.inverse.assign(n, n);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Implicit pivoting: 1 / largest absolute element of each row; false when a
// row is all zeros.
bool row_scales(const Table<double>& A, int n, double* scale)
{
    for (int i = 0; i < n; ++i) {
        double big = 0.0;
        for (int j = 0; j < n; ++j) big = std::max(big, std::fabs(A[i][j]));
        if (big == 0.0) return false;
        scale[i] = 1.0 / big;
    }
    return true;
}

void swap_rows(Table<double>& A, int n, int i, int j)
{
    for (int k = 0; k < n; ++k) std::swap(A[i][k], A[j][k]);
}

}  // namespace

int cholesky(Table<double>& A, int n)
{
    for (int i = 0; i < n; ++i) {
        double d = A[i][i];
        for (int k = 0; k < i; ++k) d -= A[i][k] * A[i][k];
        // Written as !(d >= min) so that a NaN pivot fails as well.
        if (!(d >= kCholeskyMinPivot)) return 1;
        const double lii = std::sqrt(d);
        A[i][i] = lii;
        for (int j = i + 1; j < n; ++j) {
            double sum = A[j][i];
            for (int k = 0; k < i; ++k) sum -= A[j][k] * A[i][k];
            A[j][i] = sum / lii;
            A[i][j] = 0.0;
        }
    }
    return 0;
}

int lu_decompose(Table<double>& A, int n, std::vector<int>& perm, int& parity,
                 std::vector<double>& scale)
{
    try {
        perm.resize(static_cast<std::size_t>(n));
        scale.resize(static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
        return 1;
    }
    parity = 1;
    if (!row_scales(A, n, scale.data())) return 2;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < j; ++i) {
            double sum = A[i][j];
            for (int k = 0; k < i; ++k) sum -= A[i][k] * A[k][j];
            A[i][j] = sum;
        }
        double big = 0.0;
        int imax = j;
        for (int i = j; i < n; ++i) {
            double sum = A[i][j];
            for (int k = 0; k < j; ++k) sum -= A[i][k] * A[k][j];
            A[i][j] = sum;
            const double merit = scale[i] * std::fabs(sum);
            if (merit >= big) {
                big = merit;
                imax = i;
            }
        }
        if (imax != j) {
            swap_rows(A, n, imax, j);
            parity = -parity;
            scale[imax] = scale[j];
        }
        perm[j] = imax;
        if (A[j][j] == 0.0) return 3;
        const double inv = 1.0 / A[j][j];
        for (int i = j + 1; i < n; ++i) A[i][j] *= inv;
    }
    return 0;
}

int lu_decompose(Table<double>& A, int n, std::vector<int>& perm, int& parity)
{
    std::vector<double> scale;
    return lu_decompose(A, n, perm, parity, scale);
}

void lu_solve(const Table<double>& LU, int n, const std::vector<int>& perm, double* b)
{
    int first = -1;  // first non-zero element of b: skips leading zeros
    for (int i = 0; i < n; ++i) {
        const int ip = perm[i];
        double sum = b[ip];
        b[ip] = b[i];
        if (first >= 0) {
            for (int j = first; j < i; ++j) sum -= LU[i][j] * b[j];
        } else if (sum != 0.0) {
            first = i;
        }
        b[i] = sum;
    }
    for (int i = n - 1; i >= 0; --i) {
        double sum = b[i];
        for (int j = i + 1; j < n; ++j) sum -= LU[i][j] * b[j];
        b[i] = sum / LU[i][i];
    }
}

int invert(Table<double>& A, int n, LinalgWork& work)
{
    if (!grow(work, n)) return 1;
    int parity = 1;
    const int code = lu_decompose(A, n, work.perm, parity, work.scale);
    if (code != 0) return code;
    double* col = work.column.data();
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) col[i] = 0.0;
        col[j] = 1.0;
        lu_solve(A, n, work.perm, col);
        for (int i = 0; i < n; ++i) work.inverse[i][j] = col[i];
    }
    mat_copy(work.inverse, A, n, n);
    return 0;
}

int invert(Table<double>& A, int n)
{
    LinalgWork work;
    return invert(A, n, work);
}

double lu_determinant(const Table<double>& LU, int n, int parity)
{
    double d = 1.0;
    for (int i = 0; i < n; ++i) d *= LU[i][i];
    return parity < 0 ? -d : d;
}

}  // namespace vsk
