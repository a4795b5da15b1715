// The draw of an individual whose phase bits in a block are all forced by
// its parents but one, the commonest case once forced bits are fixed: only
// the two known SI next to the free locus, on each chain that the free bit
// moves, differ between its two configurations.
#include "core/markers/block_terms.h"

namespace vsk::phase_block {

namespace {

// Log-odds of bit 1 against bit 0 from one chain whose SI at the free row is
// v0 under bit 0 and v1 under bit 1: the nearest known SI on each side adds
// its link to the bit it agrees with. Every other SI of the chain is the
// table's: the state holds the forced bits, and the table follows the state.
// The searches start at rows `left` (down) and `right` (up).
double chain_odds(LinkCache& links, const PhaseBlock& b, const SiColumn& col, int free_row, int left, int right,
                  int v0, int v1, int selfing)
{
    double odds = 0.0;
    for (int row = left; row >= b.lower_row; --row) {
        const int si = col.at(row);
        if (si == kUnknown) continue;
        const double keep = links.get(row, free_row, selfing);
        odds += (si == v1 ? keep : 0.0) - (si == v0 ? keep : 0.0);
        break;
    }
    for (int row = right; row <= b.upper_row; ++row) {
        const int si = col.at(row);
        if (si == kUnknown) continue;
        const double keep = links.get(free_row, row, selfing);
        odds += (si == v1 ? keep : 0.0) - (si == v0 ? keep : 0.0);
        break;
    }
    return odds;
}

// i's own chain on `side`: its SI at the free locus under either bit
// (as own_side_si).
double own_side_odds(const PhaseModel& m, LinkCache& links, const PhaseBlock& b, const BlockIndividual& x, int side,
                     int free_bit)
{
    const int k = x.het[free_bit], p = m.ph->families.parent[side][x.i - 1];
    const int pp = m.ph->pat_allele[k][p - 1], pm = m.ph->mat_allele[k][p - 1];
    int v0 = rule_si(side == 0 ? x.lo[free_bit] : x.hi[free_bit], pp, pm);
    int v1 = rule_si(side == 0 ? x.hi[free_bit] : x.lo[free_bit], pp, pm);
    if (v0 == kUnknown) v0 = v1;
    if (v1 == kUnknown) v1 = v0;
    if (v0 == v1) return 0.0;
    const int free_row = m.row(k);
    return chain_odds(links, b, si_column(m, side, x.i), free_row, free_row - 1, free_row + 1, v0, v1,
                      m.ph->families.selfing[x.i - 1]);
}

// The chains of i's offspring on the sides they inherit from i (as
// weigh_offspring_side): o's SI at the free locus is which of i's two
// alleles it carries, XOR the free bit; so the nearest known SI s on either
// side adds +keep when s differs from o's SI under bit 0, -keep otherwise.
double offspring_odds(const PhaseModel& m, LinkCache& links, const PhaseBlock& b, const BlockIndividual& x,
                      int free_bit)
{
    const PhaseFamilies& f = m.ph->families;
    const int k = x.het[free_bit], free_row = m.row(k), lo = x.lo[free_bit], hi = x.hi[free_bit];
    const signed char* carried[2] = {m.ph->pat_allele[k], m.ph->mat_allele[k]};
    int from[2];
    parent_rows_around(m, b, x.i, free_row, from);
    double odds = 0.0;
    for (int at = f.first_child[x.i - 1]; at < f.first_child[x.i]; ++at) {
        const int o = f.child[at], side = f.child_side[at];
        const int a = carried[side][o - 1];
        if (!f.weighed[side][o - 1] || (a != lo && a != hi)) continue;
        odds += chain_odds(links, b, si_column(m, side, o), free_row, from[0], from[1], lo == a ? 0 : 1,
                           lo == a ? 1 : 0, f.selfing[o - 1]);
    }
    return odds;
}

}  // namespace

int draw_one_free_bit(const PhaseModel& m, LinkCache& links, const PhaseBlock& b, const BlockIndividual& x, double u)
{
    int free_bit = 0;
    while (free_bit < kMaxBlockLoci - 1 && x.forced[free_bit] >= 0) ++free_bit;
    const PhaseFamilies& f = m.ph->families;
    double odds = x.allele[free_bit][1] - x.allele[free_bit][0];
    for (int side = 0; side < 2; ++side)
        if (f.weighed[side][x.i - 1]) odds += own_side_odds(m, links, b, x, side, free_bit);
    odds += offspring_odds(m, links, b, x, free_bit);
    // As draw_config over the two configurations of finite weight, the one
    // with the free bit 0 first.
    const int config = forced_config(x);
    const double w0 = odds > 0.0 ? std::exp(-odds) : 1.0, w1 = odds > 0.0 ? 1.0 : std::exp(odds);
    return w0 > 0.0 && w0 >= u * (w0 + w1) ? config : config | 1 << free_bit;
}

}  // namespace vsk::phase_block
