// The IBD counters of one sweep: which founder allele every allele carries,
// which allele pairs carry the same one, and which pairs of individuals
// share both alleles. In an inbred population a founder's two labels are one
// allele (the founder is homozygous), so alleles are compared by founder.
#include <algorithm>

#include "core/ibd/ibd.h"

namespace vsk {

namespace {

// Comparison key of a label: the label itself, or its founder.
inline int key_of(int label, bool by_founder) { return by_founder ? (label & ~1) : label; }

inline int allele_key(const Gene& g, const IbdCounts& c, int x, bool by_founder)
{
    return key_of(g.fal[x % 2][c.gam[static_cast<std::size_t>(x / 2)] - 1], by_founder);
}

void count_founder_alleles(const QtlModel& m, IbdCounts& c)
{
    const Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    for (int i = 0; i < m.p.n_individuals; ++i)
        for (int s = 0; s < 2; ++s) ++c.fa[2 * i + s][g.fal[s][i]];
}

// Alleles (index 2a + s of list position a, side s) sharing a key are
// gathered in one bucket, so a sweep costs the sum of the squared bucket
// sizes rather than all pairs of alleles.
void count_gametic_pairs(const QtlModel& m, IbdCounts& c, bool by_founder)
{
    const Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    const int alleles = 2 * static_cast<int>(c.gam.size());
    const int keys = 2 * m.p.n_founders;
    std::vector<int>& start = c.bucket_start;
    start.assign(static_cast<std::size_t>(keys) + 1, 0);
    for (int x = 0; x < alleles; ++x) ++start[static_cast<std::size_t>(allele_key(g, c, x, by_founder)) + 1];
    for (int k = 0; k < keys; ++k) start[static_cast<std::size_t>(k) + 1] += start[static_cast<std::size_t>(k)];
    c.bucket.resize(static_cast<std::size_t>(alleles));
    c.bucket_fill.assign(start.begin(), start.end() - 1);
    for (int x = 0; x < alleles; ++x)  // in allele order: every bucket is sorted
        c.bucket[static_cast<std::size_t>(c.bucket_fill[static_cast<std::size_t>(allele_key(g, c, x, by_founder))]++)] = x;
    for (int k = 0; k < keys; ++k) {
        const int begin = start[static_cast<std::size_t>(k)], end = start[static_cast<std::size_t>(k) + 1];
        for (int u = begin; u < end; ++u) {
            const int x = c.bucket[static_cast<std::size_t>(u)];
            int* row = c.ibd[x];
            for (int v = u; v < end; ++v) {
                const int y = c.bucket[static_cast<std::size_t>(v)];
                ++row[y];
                // The two alleles of one individual: both orders are cells.
                if (y != x && y / 2 == x / 2) ++c.ibd[y][x];
            }
        }
    }
}

// Two individuals match when their unordered pairs of keys are equal, so
// sorting the individuals by that pair leaves only the matching pairs to count.
void count_dominance_pairs(const QtlModel& m, IbdCounts& c, bool by_founder)
{
    const Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    const int n = static_cast<int>(c.dom.size());
    const long long keys = 2LL * m.p.n_founders;
    std::vector<std::pair<long long, int>>& order = c.dom_order;
    order.resize(static_cast<std::size_t>(n));
    for (int a = 0; a < n; ++a) {
        const int i = c.dom[static_cast<std::size_t>(a)] - 1;
        const int k0 = key_of(g.fal[0][i], by_founder), k1 = key_of(g.fal[1][i], by_founder);
        order[static_cast<std::size_t>(a)] = {std::min(k0, k1) * keys + std::max(k0, k1), a};
    }
    std::sort(order.begin(), order.end());
    for (int u = 0; u < n;) {
        int end = u;
        while (end < n && order[static_cast<std::size_t>(end)].first == order[static_cast<std::size_t>(u)].first) ++end;
        const long long pk = order[static_cast<std::size_t>(u)].first;
        const bool autozygous = pk / keys == pk % keys;
        for (int x = u; x < end; ++x) {
            const int a = order[static_cast<std::size_t>(x)].second;
            for (int y = x; y < end; ++y) {
                const int b = order[static_cast<std::size_t>(y)].second;  // b > a: sorted within the group
                ++c.domi_c[a][b];
                if (!autozygous) ++c.dom_c[a][b];
            }
        }
        u = end;
    }
}

}  // namespace

void count_gametic_pairs_direct(const QtlModel& m, IbdCounts& c)
{
    const bool by_founder = m.p.inbred_pop == 1;
    const Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    const int n = static_cast<int>(c.gam.size());
    for (int a = 0; a < n; ++a) {
        const int i = c.gam[static_cast<std::size_t>(a)] - 1;
        const int ki[2] = {key_of(g.fal[0][i], by_founder), key_of(g.fal[1][i], by_founder)};
        for (int b = a; b < n; ++b) {
            const int j = c.gam[static_cast<std::size_t>(b)] - 1;
            const int kj[2] = {key_of(g.fal[0][j], by_founder), key_of(g.fal[1][j], by_founder)};
            for (int s = 0; s < 2; ++s)
                for (int t = 0; t < 2; ++t) c.ibd[2 * a + s][2 * b + t] += ki[s] == kj[t];
        }
    }
}

void count_dominance_pairs_direct(const QtlModel& m, IbdCounts& c)
{
    const bool by_founder = m.p.inbred_pop == 1;
    const Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    const int n = static_cast<int>(c.dom.size());
    for (int a = 0; a < n; ++a) {
        const int i = c.dom[static_cast<std::size_t>(a)] - 1;
        const int ai = key_of(g.fal[0][i], by_founder), bi = key_of(g.fal[1][i], by_founder);
        for (int b = a; b < n; ++b) {
            const int j = c.dom[static_cast<std::size_t>(b)] - 1;
            const int aj = key_of(g.fal[0][j], by_founder), bj = key_of(g.fal[1][j], by_founder);
            if (!((ai == aj && bi == bj) || (ai == bj && bi == aj))) continue;
            ++c.domi_c[a][b];
            if (ai != bi && aj != bj) ++c.dom_c[a][b];
        }
    }
}

void count_sweep(const QtlModel& m, IbdCounts& c)
{
    const bool by_founder = m.p.inbred_pop == 1;
    count_founder_alleles(m, c);
    count_gametic_pairs(m, c, by_founder);
    count_dominance_pairs(m, c, by_founder);
    ++c.sweeps;
}

int gametic_count(const IbdCounts& c, int a, int s, int b, int t)
{
    return a <= b ? c.ibd[2 * a + s][2 * b + t] : c.ibd[2 * b + t][2 * a + s];
}

int dominance_count(const Table<int>& t, int a, int b) { return a <= b ? t[a][b] : t[b][a]; }

}  // namespace vsk
