// Elementwise matrix helpers, row/column removal for shrinking models, and
// the small closed-form densities and map function the samplers share.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/numeric/linalg.h"
#include "core/state/console.h"
#include "core/state/map_conventions.h"

namespace vsk {

namespace {

constexpr double kLogTwoPi = 1.83787706640935;
constexpr double kHaldaneMinDistance = 1e-8;

// Positions of gene g inside one block (mode 1: one effect per gene; mode 2:
// additive and dominance effect side by side). False for an unknown mode.
bool gene_offset(int g, int mode, int& offset, int& count)
{
    if (mode == 1) {
        offset = g + 1;
        count = 1;
        return true;
    }
    if (mode == 2) {
        offset = 2 * g + 1;
        count = 2;
        return true;
    }
    return false;
}

// Checks the arguments of the block removals: a known mode and gene
// positions inside every block.
bool removal_valid(int s, int g, int mode, int b, int& offset, int& count)
{
    if (!gene_offset(g, mode, offset, count)) return false;
    return b >= 1 && g >= 0 && offset + count <= s;
}

}  // namespace

void mat_mult(const Table<double>& A, const Table<double>& B, Table<double>& C, int r, int k, int c)
{
    for (int i = 0; i < r; ++i) {
        for (int j = 0; j < c; ++j) {
            double sum = 0.0;
            for (int l = 0; l < k; ++l) sum += A[i][l] * B[l][j];
            C[i][j] = sum;
        }
    }
}

void mat_vec(const Table<double>& A, const double* x, double* y, int r, int c)
{
    for (int i = 0; i < r; ++i) {
        double sum = 0.0;
        for (int j = 0; j < c; ++j) sum += A[i][j] * x[j];
        y[i] = sum;
    }
}

void mat_scale(Table<double>& A, double s, int r, int c)
{
    for (int i = 0; i < r; ++i)
        for (int j = 0; j < c; ++j) A[i][j] *= s;
}

void mat_copy(const Table<double>& src, Table<double>& dst, int r, int c)
{
    for (int i = 0; i < r; ++i) std::memcpy(dst[i], src[i], sizeof(double) * static_cast<std::size_t>(c));
}

void mat_copy(const Table<int>& src, Table<int>& dst, int r, int c)
{
    for (int i = 0; i < r; ++i) std::memcpy(dst[i], src[i], sizeof(int) * static_cast<std::size_t>(c));
}

void mat_print(std::FILE* stream, const Table<double>& A, int r, int c, const char* format)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    for (int i = 0; i < r; ++i) {
        for (int j = 0; j < c; ++j) std::fprintf(stream, format, A[i][j]);
        std::fprintf(stream, "\n");
    }
#pragma GCC diagnostic pop
}

void remove_rowcol(Table<double>& A, int m, int k)
{
    if (k < 0 || k >= m) return;
    // Rotating whole rows keeps the removed row's storage at the end.
    const std::size_t width = static_cast<std::size_t>(A.cols());
    std::rotate(A[k], A[k] + width, A[k] + width * static_cast<std::size_t>(m - k));
    for (int i = 0; i < m - 1; ++i) {
        double* row = A[i];
        std::memmove(row + k, row + k + 1, sizeof(double) * static_cast<std::size_t>(m - 1 - k));
    }
}

void remove_elem(double* v, int m, int k)
{
    if (k < 0 || k >= m) return;
    std::memmove(v + k, v + k + 1, sizeof(double) * static_cast<std::size_t>(m - 1 - k));
}

int RemoveColRowXRX(Table<double>& M, int s, int g, int s_new, int mode, int b)
{
    int offset = 0;
    int count = 0;
    if (!removal_valid(s, g, mode, b, offset, count)) {
        cprint("\n ERROR in removal of cols&rows in 'RemoveColRowXRX()'");
        return -1;
    }
    int size = b * s;
    int removed = 0;
    for (int block = b - 1; block >= 0; --block) {
        for (int n = 0; n < count; ++n) remove_rowcol(M, size--, block * s + offset);
        removed += count;
    }
    if (s - removed / b != s_new) {
        cprint("\n ERROR in removal of cols&rows in 'RemoveColRowXRX()'");
        return -1;
    }
    return removed;
}

int RemoveRowXRy(double* v, int s, int g, int s_new, int mode, int b)
{
    int offset = 0;
    int count = 0;
    if (!removal_valid(s, g, mode, b, offset, count)) {
        cprint("\n ERROR in removal of rows in 'RemoveRowXRy()'");
        return -1;
    }
    int size = b * s;
    int removed = 0;
    for (int block = b - 1; block >= 0; --block) {
        for (int n = 0; n < count; ++n) remove_elem(v, size--, block * s + offset);
        removed += count;
    }
    if (s - removed / b != s_new) {
        cprint("\n ERROR in removal of rows in 'RemoveRowXRy()'");
        return -1;
    }
    return removed;
}

double mvn_logdensity(int n, double logdet, const double* x, const Table<double>& P)
{
    double quad = 0.0;
    for (int i = 0; i < n; ++i) {
        double row = 0.0;
        for (int j = 0; j < n; ++j) row += P[i][j] * x[j];
        quad += x[i] * row;
    }
    return -0.5 * n * kLogTwoPi - 0.5 * logdet - 0.5 * quad;
}

void normalise_table(Table<double>& t, int r, int c)
{
    double total = 0.0;
    for (int i = 0; i < r; ++i)
        for (int j = 0; j < c; ++j) total += t[i][j];
    if (!(total > 0.0)) return;
    for (int i = 0; i < r; ++i)
        for (int j = 0; j < c; ++j) t[i][j] /= total;
}

double haldane(double p1, double p2)
{
    const double d = std::fabs(p2 - p1);
    if (d <= kHaldaneMinDistance) return kHaldaneMinDistance;
    return haldane_fraction(d);
}

}  // namespace vsk
