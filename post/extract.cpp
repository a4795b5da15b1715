// EXTRACT QTL SAMPLES: the QTL in use in the post-burn-in samples, one row
// each, sorted by map position, with their genotype and cohort blocks.
#include <algorithm>
#include <numeric>
#include <vector>

#include "post/console.h"
#include "post/summary.h"

namespace rvn {

namespace {

// A slot counts as in use when its coded position lies beyond 1.0.
constexpr double kInUse = 1.0;

struct Pair {
    int row;
    int slot;
};

// (row, slot) pairs in use, slot-major then row order.
std::vector<Pair> pairs_in_use(const PostState& st)
{
    std::vector<Pair> pairs;
    for (int q = 0; q < st.par.maximQTL; ++q)
        for (int r = st.burnin; r < st.s.n(); ++r)
            if (st.s.qtl_position(r, q) > kInUse) pairs.push_back({r, q});
    return pairs;
}

template <class T>
void reorder_rows(vsk::Table<T>& table, const std::vector<int>& order)
{
    vsk::Table<T> sorted(table.rows(), table.cols());
    const int w = table.cols();
    for (int k = 0; k < static_cast<int>(order.size()); ++k)
        std::copy(table[order[k]], table[order[k]] + w, sorted[k]);
    table = std::move(sorted);
}

}  // namespace

void extract_qtl_samples(PostState& st)
{
    const std::vector<Pair> pairs = pairs_in_use(st);
    const int count = static_cast<int>(pairs.size());
    rrule(3, kRuleWidth, 1);
    rprint("EXTRACT QTL SAMPLES FOR FURTHER INFERENCES ");
    rprint("\n- exclude Burn In period -");
    rprint("\n%8d MCMC iterations", st.n_post);
    rprint("\n%8d QTL samples", count);
    st.qtl_samples = QtlSamples{};
    if (count == 0) {
        rprint("\nWARNING no samples available for inferences on QTL positions");
        return;
    }

    const Samples& s = st.s;
    const int S = s.S, T = st.par.n_traits;
    QtlSamples& out = st.qtl_samples;
    out.rows.assign(count, S + 2);
    const int W = s.has_qtl_geno ? s.geno_per_slot : 0;
    const int C = s.has_qtl_coh ? s.coh_per_slot : 0;
    if (W > 0) out.genotypes.assign(count, W);
    if (C > 0) out.cohorts.assign(count, T * C);
    for (int k = 0; k < count; ++k) {
        const auto [r, q] = pairs[k];
        std::copy(s.qtl[r] + q * S, s.qtl[r] + (q + 1) * S, out.rows[k]);
        out.rows[k][S] = s.iteration[r];
        out.rows[k][S + 1] = k + 1;
        if (W > 0) std::copy(s.qtl_geno[r] + q * W, s.qtl_geno[r] + (q + 1) * W, out.genotypes[k]);
        const int Q = st.par.maximQTL;
        for (int t = 0; t < T && C > 0; ++t) {
            const double* block = s.qtl_coh[r] + (t * Q + q) * C;
            std::copy(block, block + C, out.cohorts[k] + t * C);
        }
    }

    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return out.rows[a][S - 1] < out.rows[b][S - 1]; });
    reorder_rows(out.rows, order);
    if (W > 0) reorder_rows(out.genotypes, order);
    if (C > 0) reorder_rows(out.cohorts, order);
}

}  // namespace rvn
