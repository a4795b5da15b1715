// IBD clusters of founder alleles, the per-position summaries and the
// inverse of the founder relationship matrix.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "console/fibd.h"

namespace vsk {

namespace {

// Union-find over founders.
int root_of(std::vector<int>& parent, int x)
{
    while (parent[x] != x) {
        parent[x] = parent[parent[x]];
        x = parent[x];
    }
    return x;
}

// Pivots smaller than this (relative to the largest entry) mean singular.
constexpr double kSingularTolerance = 1e-12;

}  // namespace

std::vector<int> founder_clusters(const Table<double>& q, double threshold)
{
    const int n = q.rows();
    std::vector<int> parent(static_cast<std::size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    for (int f = 0; f < n; ++f)
        for (int g = f + 1; g < n; ++g)
            if (q[f][g] >= threshold || q[g][f] >= threshold) parent[root_of(parent, g)] = root_of(parent, f);
    std::vector<int> number(static_cast<std::size_t>(n), 0), cluster(static_cast<std::size_t>(n), 0);
    int next = 0;
    for (int f = 0; f < n; ++f) {
        int r = root_of(parent, f);
        if (number[r] == 0) number[r] = ++next;
        cluster[f] = number[r];
    }
    return cluster;
}

double effective_number(const std::vector<double>& sizes)
{
    double sum = 0.0, squares = 0.0;
    for (double s : sizes) {
        if (s <= 0.0) continue;
        sum += s;
        squares += s * s;
    }
    return squares > 0.0 ? sum * sum / squares : 0.0;
}

bool invert_matrix(Table<double>& m)
{
    const int n = m.rows();
    if (n != m.cols()) return false;
    double largest = 0.0;
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) largest = std::max(largest, std::fabs(m[r][c]));
    if (n > 0 && largest == 0.0) return false;
    Table<double> inv(n, n, 0.0);
    for (int r = 0; r < n; ++r) inv[r][r] = 1.0;
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int r = col + 1; r < n; ++r)
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
        if (std::fabs(m[pivot][col]) <= kSingularTolerance * largest) return false;
        if (pivot != col)
            for (int c = 0; c < n; ++c) {
                std::swap(m[pivot][c], m[col][c]);
                std::swap(inv[pivot][c], inv[col][c]);
            }
        const double d = m[col][col];
        for (int c = 0; c < n; ++c) {
            m[col][c] /= d;
            inv[col][c] /= d;
        }
        for (int r = 0; r < n; ++r) {
            if (r == col || m[r][col] == 0.0) continue;
            const double f = m[r][col];
            for (int c = 0; c < n; ++c) {
                m[r][c] -= f * m[col][c];
                inv[r][c] -= f * inv[col][c];
            }
        }
    }
    m = std::move(inv);
    return true;
}

}  // namespace vsk
