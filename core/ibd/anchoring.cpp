// Anchoring of founder haplotypes: a founder's two labels are exchangeable,
// so each sweep fixes their orientation per linkage group by its marker
// alleles (the first label carries the smaller allele code at the anchor
// marker). Only the labelling changes: the haplotypes, the origin indicators
// of its children and the allele states of its labels are swapped together.
#include <cmath>
#include <utility>

#include "core/ibd/ibd.h"
#include "core/markers/marker_data.h"

namespace vsk {

namespace {

bool scored(const MarkerPhases& ph, int k, int c) { return ph.pat_allele[k][c] != kMissingAllele && ph.mat_allele[k][c] != kMissingAllele; }

bool heterozygous(const MarkerPhases& ph, int k, int c) { return scored(ph, k, c) && ph.pat_allele[k][c] != ph.mat_allele[k][c]; }

// The founder's anchor marker on linkage group ch (-1: none): its first
// heterozygous marker, or (anchorMarker 1) the one closest to the QTL.
int anchor_marker(const QtlModel& m, const Chr& ch, int c, double qtl_pos)
{
    int best = -1;
    for (int k = ch.fMrkr; k <= ch.lMrkr; ++k) {
        if (!heterozygous(m.mph, k, c)) continue;
        if (m.p.anchorMarker == 0) return k;
        if (best < 0 || std::fabs(m.mrk[static_cast<std::size_t>(k)].position - qtl_pos) <
                            std::fabs(m.mrk[static_cast<std::size_t>(best)].position - qtl_pos))
            best = k;
    }
    return best;
}

void flip_indicator(std::int8_t& v)
{
    if (v == 0 || v == 1) v = static_cast<std::int8_t>(1 - v);
}

// Exchanges founder f's haplotypes on linkage group ch; the QTL row and
// states only when the fixed QTL lies on that group.
void swap_founder(QtlModel& m, const IbdCounts& c, int f, const Chr& ch, bool qtl_here)
{
    const int i = m.p.founders[static_cast<std::size_t>(f)] - 1;
    Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    for (int k = ch.fMrkr; k <= ch.lMrkr; ++k)
        if (heterozygous(m.mph, k, i)) std::swap(m.mph.pat_allele[k][i], m.mph.mat_allele[k][i]);
    for (int e = c.child_start[static_cast<std::size_t>(f)]; e < c.child_start[static_cast<std::size_t>(f) + 1]; ++e) {
        const int child = c.child[static_cast<std::size_t>(e)], side = c.child_side[static_cast<std::size_t>(e)];
        SiTable& t = side == 0 ? m.gpo0 : m.gpo1;
        for (int k = ch.fMrkr; k <= ch.lMrkr; ++k) flip_indicator(t[m.w.marker_row[static_cast<std::size_t>(k)]][child]);
        if (!qtl_here) continue;
        flip_indicator(t[g.lcsrow][child]);
        g.gpori[side][child] = 1 - g.gpori[side][child];
    }
    if (qtl_here)
        std::swap(g.alstate[static_cast<std::size_t>(2 * f)], g.alstate[static_cast<std::size_t>(2 * f + 1)]);
}

}  // namespace

void build_founder_children(const QtlModel& m, IbdCounts& c)
{
    const int nf = m.p.n_founders;
    std::vector<std::vector<std::pair<int, int>>> lists(static_cast<std::size_t>(nf));
    for (int d = 0; d < m.p.n_individuals; ++d) {
        const Obs& ind = m.o[static_cast<std::size_t>(d)];
        if (ind.fat <= 0) continue;
        const int f0 = m.w.founder_index[static_cast<std::size_t>(ind.fat - 1)];
        if (f0 >= 0) lists[static_cast<std::size_t>(f0)].push_back({d, 0});
        const int f1 = ind.mot_gen > 0 ? m.w.founder_index[static_cast<std::size_t>(ind.mot_gen - 1)] : -1;
        if (f1 >= 0) lists[static_cast<std::size_t>(f1)].push_back({d, 1});
    }
    c.child_start.assign(static_cast<std::size_t>(nf) + 1, 0);
    c.child.clear();
    c.child_side.clear();
    for (int f = 0; f < nf; ++f) {
        c.child_start[static_cast<std::size_t>(f)] = static_cast<int>(c.child.size());
        for (const auto& [d, side] : lists[static_cast<std::size_t>(f)]) {
            c.child.push_back(d);
            c.child_side.push_back(side);
        }
    }
    c.child_start[static_cast<std::size_t>(nf)] = static_cast<int>(c.child.size());
}

void anchor_founders(QtlModel& m, const IbdCounts& c)
{
    const MarkerPhases& ph = m.mph;
    if (ph.pat_allele.rows() < m.p.n_markers || ph.pat_allele.cols() < m.p.n_individuals) return;
    Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    bool swapped = false;
    for (int ci = 0; ci < static_cast<int>(m.chr.size()); ++ci) {
        const Chr& ch = m.chr[static_cast<std::size_t>(ci)];
        if (ch.indiC != 1 || ch.fMrkr < 0 || ch.lMrkr >= m.p.n_markers) continue;
        for (int f = 0; f < m.p.n_founders; ++f) {
            const int i = m.p.founders[static_cast<std::size_t>(f)] - 1;
            if (!ph.locked.empty() && ph.locked[static_cast<std::size_t>(i)]) continue;  // phases given by the user
            if (!scored(ph, ch.fMrkr, i) || !scored(ph, ch.lMrkr, i)) continue;
            const int k = anchor_marker(m, ch, i, g.pos);
            if (k < 0 || ph.pat_allele[k][i] <= ph.mat_allele[k][i]) continue;
            swap_founder(m, c, f, ch, ci == g.chrom);
            swapped = swapped || ci == g.chrom;
        }
    }
    if (swapped) derive_all_genotypes(m, g);
}

}  // namespace vsk
