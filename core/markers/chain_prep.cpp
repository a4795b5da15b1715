// Initial marker phases: tables, heterozygosity, exclusion codes and the
// phasing of every individual in pedigree order.
#include "core/markers/chain_prep.h"

#include <algorithm>
#include <vector>

#include "core/markers/block_sampler.h"

namespace vsk {

void size_phase_tables(const PhaseModel& m)
{
    MarkerPhases& ph = *m.ph;
    const int loci = m.n_loci(), n = m.n_ind();
    for (Table<signed char>* t : {&ph.pat_allele, &ph.mat_allele})
        t->assign(loci, n, static_cast<signed char>(kMissingAllele));
    ph.heterozygous.assign(loci, n, 0);
    ph.phase_status.assign(loci, n, 0);
    ph.locked.resize(static_cast<std::size_t>(n), 0);
    ++ph.genotype_revision;
}

namespace {

signed char coded(int a) { return static_cast<signed char>(a >= 1 && a < kMissingAllele ? a : kMissingAllele); }

int allele_for(const MarkerPhases& ph, int k, int i, int side, int x)
{
    const int a = ph.pat_allele[k][i - 1], b = ph.mat_allele[k][i - 1];
    const int lo = std::min(a, b), hi = std::max(a, b);
    return (side == 0) == (x == 1) ? hi : lo;
}

// One SI chain whose values depend on i's phase: one of i's own weighed
// sides (offspring 0) or an offspring's weighed side inherited from i.
struct Chain {
    int offspring = 0;
    int side = 0;
};

// Allele that offspring o received from i on `side`, read from the
// unphased genotypes of o and of its other parent; 99 when not unique.
int transmitted_allele(const PhaseModel& m, int k, int i, int o, int side)
{
    const MarkerPhases& ph = *m.ph;
    const int c1 = ph.pat_allele[k][o - 1], c2 = ph.mat_allele[k][o - 1];
    if (c1 == kMissingAllele) return kMissingAllele;
    const int q = side_parent(m.ind(o), 1 - side);
    auto from_other = [&](int u) {
        if (q == 0 || ph.pat_allele[k][q - 1] == kMissingAllele) return true;
        return u == ph.pat_allele[k][q - 1] || u == ph.mat_allele[k][q - 1];
    };
    auto from_i = [&](int t) { return t == ph.pat_allele[k][i - 1] || t == ph.mat_allele[k][i - 1]; };
    int found = kMissingAllele, count = 0;
    if (from_i(c1) && from_other(c2)) found = c1, ++count;
    if (c2 != c1 && from_i(c2) && from_other(c1)) found = c2, ++count;
    return count == 1 ? found : kMissingAllele;
}

// SI of a chain at locus k when i takes phase bit x.
int chain_value(const PhaseModel& m, int i, const Chain& ch, int k, int x)
{
    const MarkerPhases& ph = *m.ph;
    if (ch.offspring == 0) {
        const int p = side_parent(m.ind(i), ch.side);
        bool consistent = true;
        return si_from_parent(allele_for(ph, k, i, ch.side, x), ph.pat_allele[k][p - 1], ph.mat_allele[k][p - 1],
                              &consistent);
    }
    if (ph.heterozygous[k][i - 1] != 1) return kUnknown;
    const int t = transmitted_allele(m, k, i, ch.offspring, ch.side);
    if (t == kMissingAllele) return kUnknown;
    return t == allele_for(ph, k, i, 0, x) ? 0 : 1;
}

std::vector<Chain> phase_chains(const PhaseModel& m, int i)
{
    std::vector<Chain> chains;
    const Obs& o = m.ind(i);
    for (int side = 0; side < 2; ++side)
        if (side_weighed(m, i, side)) chains.push_back({0, side});
    for (int c = o.pfP; c > 0; c = m.ind(c).pSb)
        if (side_weighed(m, c, 0)) chains.push_back({c, 0});
    for (int c = o.mfP; c > 0; c = m.ind(c).mSb)
        if (side_weighed(m, c, 1)) chains.push_back({c, 1});
    return chains;
}

// Orders of i's genotype at k that both parents can transmit: bit x set in
// the result when phase bit x is possible.
int feasible_orders(const PhaseModel& m, int i, int k)
{
    const MarkerPhases& ph = *m.ph;
    int mask = 0;
    for (int x = 0; x < 2; ++x) {
        bool ok = true;
        for (int side = 0; side < 2; ++side) {
            const int p = side_parent(m.ind(i), side);
            if (p == 0) continue;
            bool consistent = true;
            si_from_parent(allele_for(ph, k, i, side, x), ph.pat_allele[k][p - 1], ph.mat_allele[k][p - 1],
                           &consistent);
            ok = ok && consistent;
        }
        if (ok) mask |= 1 << x;
    }
    return mask;
}

// Sweeps the loci of one group in one direction: decided loci update the
// last known SI of each chain; undecided ones are decided by fewest changes
// against them once some chain value is known (always, when `force`).
void sweep_group(const PhaseModel& m, int i, const std::vector<Chain>& chains, int first, int last, int step,
                 std::vector<int>& decided, bool force, long& by_linkage)
{
    std::vector<int> last_value(chains.size(), kUnknown);
    bool any_known = false;
    for (int k = step > 0 ? first : last; k >= first && k <= last; k += step) {
        int& x = decided[k - first];
        if (x < 0 && (any_known || force)) {
            int cost[2] = {0, 0};
            for (std::size_t c = 0; c < chains.size(); ++c) {
                if (last_value[c] == kUnknown) continue;
                for (int b = 0; b < 2; ++b) {
                    const int v = chain_value(m, i, chains[c], k, b);
                    cost[b] += v != kUnknown && v != last_value[c];
                }
            }
            x = cost[1] < cost[0] ? 1 : 0;
            ++by_linkage;
        }
        if (x < 0) continue;
        for (std::size_t c = 0; c < chains.size(); ++c) {
            const int v = chain_value(m, i, chains[c], k, x);
            if (v == kUnknown) continue;
            last_value[c] = v;
            any_known = true;
        }
    }
}

}  // namespace

void load_locus_genotypes(const PhaseModel& m, int k, const int* a1, const int* a2)
{
    MarkerPhases& ph = *m.ph;
    for (int c = 0; c < m.n_ind(); ++c) {
        signed char p = coded(a1[c]), q = coded(a2[c]);
        if (p == kMissingAllele || q == kMissingAllele) p = q = static_cast<signed char>(kMissingAllele);
        ph.pat_allele[k][c] = p;
        ph.mat_allele[k][c] = q;
        ph.heterozygous[k][c] = p != q;
    }
    ++ph.genotype_revision;
}

long set_heterozygosity(const PhaseModel& m)
{
    MarkerPhases& ph = *m.ph;
    long count = 0;
    for (int k = 0; k < m.n_loci(); ++k)
        for (int c = 0; c < m.n_ind(); ++c) {
            const int a = ph.pat_allele[k][c], b = ph.mat_allele[k][c];
            const bool het = a != b && a != kMissingAllele && b != kMissingAllele;
            ph.heterozygous[k][c] = het;
            count += het;
        }
    set_second_side_weights(m);
    ++ph.genotype_revision;
    return count;
}

int mark_untraceable(const PhaseModel& m)
{
    MarkerPhases& ph = *m.ph;
    if (m.n_loci() == 0) return 0;
    std::vector<char> scored(static_cast<std::size_t>(m.n_ind()), 0);
    for (int k = 0; k < m.n_loci(); ++k)
        for (int c = 0; c < m.n_ind(); ++c) scored[c] |= ph.pat_allele[k][c] != kMissingAllele;
    int count = 0;
    for (int c = 0; c < m.n_ind(); ++c) {
        if (scored[c]) {
            if (ph.phase_status[0][c] == 4) ph.phase_status[0][c] = 0;
            continue;
        }
        ph.phase_status[0][c] = 4;
        ++count;
    }
    return count;
}

InitialPhaseCounts phase_individual(const PhaseModel& m, int i)
{
    InitialPhaseCounts counts;
    MarkerPhases& ph = *m.ph;
    if (!ph.locked.empty() && ph.locked[i - 1]) return counts;
    const std::vector<Chain> chains = phase_chains(m, i);
    std::vector<int> decided;
    for (const Chr& g : *m.groups) {
        if (!g.indiC || g.fMrkr < 0 || g.lMrkr < g.fMrkr) continue;
        decided.assign(static_cast<std::size_t>(g.lMrkr - g.fMrkr + 1), 0);
        for (int k = g.fMrkr; k <= g.lMrkr; ++k) {
            if (ph.heterozygous[k][i - 1] != 1) continue;
            const int mask = feasible_orders(m, i, k);
            int& x = decided[k - g.fMrkr];
            if (mask == 3) {
                x = -1;
            } else if (mask != 0) {
                x = mask == 2 ? 1 : 0;
                ++counts.from_parents;
            } else {
                x = ph.pat_allele[k][i - 1] > ph.mat_allele[k][i - 1];
                ++counts.contradictions;
            }
        }
        sweep_group(m, i, chains, g.fMrkr, g.lMrkr, 1, decided, false, counts.by_linkage);
        sweep_group(m, i, chains, g.fMrkr, g.lMrkr, -1, decided, true, counts.by_linkage);
        for (int k = g.fMrkr; k <= g.lMrkr; ++k) {
            const int x = decided[k - g.fMrkr];
            const int pat = allele_for(ph, k, i, 0, x), mat = allele_for(ph, k, i, 1, x);
            ph.pat_allele[k][i - 1] = static_cast<signed char>(pat);
            ph.mat_allele[k][i - 1] = static_cast<signed char>(mat);
        }
    }
    return counts;
}

InitialPhaseCounts initial_phases(const PhaseModel& m)
{
    InitialPhaseCounts total;
    for (int i = 1; i <= m.n_ind(); ++i) {
        const InitialPhaseCounts c = phase_individual(m, i);
        total.from_parents += c.from_parents;
        total.by_linkage += c.by_linkage;
        total.contradictions += c.contradictions;
    }
    total.si_contradictions = set_all_si(m, true);
    refresh_phase_families(m);
    refresh_phase_masks(m);
    return total;
}

}  // namespace vsk
