// The IBD counters of one sweep: which founder allele every allele carries,
// which allele pairs carry the same one, and which pairs of individuals
// share both alleles. In an inbred population a founder's two labels are one
// allele (the founder is homozygous), so alleles are compared by founder.
#include "core/ibd/ibd.h"

namespace vsk {

namespace {

// Comparison key of a label: the label itself, or its founder.
inline int key_of(int label, bool by_founder) { return by_founder ? (label & ~1) : label; }

void count_founder_alleles(const QtlModel& m, IbdCounts& c)
{
    const Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    for (int i = 0; i < m.p.n_individuals; ++i)
        for (int s = 0; s < 2; ++s) ++c.fa[2 * i + s][g.fal[s][i]];
}

void count_gametic_pairs(const QtlModel& m, IbdCounts& c, bool by_founder)
{
    const Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    const int n = static_cast<int>(c.gam.size());
    for (int a = 0; a < n; ++a) {
        const int i = c.gam[static_cast<std::size_t>(a)] - 1;
        const int ki[2] = {key_of(g.fal[0][i], by_founder), key_of(g.fal[1][i], by_founder)};
        int* row0 = c.ibd[2 * a];
        int* row1 = c.ibd[2 * a + 1];
        for (int b = a; b < n; ++b) {
            const int j = c.gam[static_cast<std::size_t>(b)] - 1;
            const int k0 = key_of(g.fal[0][j], by_founder), k1 = key_of(g.fal[1][j], by_founder);
            row0[2 * b] += ki[0] == k0;
            row0[2 * b + 1] += ki[0] == k1;
            row1[2 * b] += ki[1] == k0;
            row1[2 * b + 1] += ki[1] == k1;
        }
    }
}

void count_dominance_pairs(const QtlModel& m, IbdCounts& c, bool by_founder)
{
    const Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    const int n = static_cast<int>(c.dom.size());
    for (int a = 0; a < n; ++a) {
        const int i = c.dom[static_cast<std::size_t>(a)] - 1;
        const int ai = key_of(g.fal[0][i], by_founder), bi = key_of(g.fal[1][i], by_founder);
        const bool auto_i = ai == bi;
        for (int b = a; b < n; ++b) {
            const int j = c.dom[static_cast<std::size_t>(b)] - 1;
            const int aj = key_of(g.fal[0][j], by_founder), bj = key_of(g.fal[1][j], by_founder);
            const bool match = (ai == aj && bi == bj) || (ai == bj && bi == aj);
            if (!match) continue;
            ++c.domi_c[a][b];
            if (!auto_i && aj != bj) ++c.dom_c[a][b];
        }
    }
}

}  // namespace

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
