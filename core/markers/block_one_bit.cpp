// The draw of an individual whose phase bits in a block are all forced by
// its parents but one, the commonest case: only the two known SI next to the
// free locus, on each chain that the free bit moves, differ between its two
// configurations.
#include "core/markers/block_terms.h"

namespace vsk::phase_block {

namespace {

// Log-odds of bit 1 against bit 0 from one chain whose SI at the free row is
// v0 under bit 0 and v1 under bit 1: the nearest known SI on each side adds
// its link to the bit it agrees with. Every other SI of the chain is the
// table's: the state holds the forced bits, and the table follows the state.
double chain_odds(LinkCache& links, const PhaseBlock& b, const SiColumn& col, int free_row, int v0, int v1,
                  int selfing)
{
    double odds = 0.0;
    for (int row = free_row - 1; row >= b.lower_row; --row) {
        const int si = col.at(row);
        if (si == kUnknown) continue;
        const double keep = links.get(row, free_row, selfing);
        odds += (si == v1 ? keep : 0.0) - (si == v0 ? keep : 0.0);
        break;
    }
    for (int row = free_row + 1; row <= b.upper_row; ++row) {
        const int si = col.at(row);
        if (si == kUnknown) continue;
        const double keep = links.get(free_row, row, selfing);
        odds += (si == v1 ? keep : 0.0) - (si == v0 ? keep : 0.0);
        break;
    }
    return odds;
}

// Term of one known SI s next to the free row: +keep when s differs from
// the chain's SI under bit 0 (base), -keep otherwise. Without branches: s
// and base are 0 or 1 and unpredictable.
inline double anchor_term(int s, int base, double keep) { return static_cast<double>(2 * (s ^ base) - 1) * keep; }

// The chains of i's offspring on the sides they inherit from i (as
// weigh_offspring_side): o's SI at the free locus is which of i's two
// alleles it carries, XOR the free bit. Each chain's search starts at i's
// rows `from` (parent_rows_around), where most chains find their known SI:
// the links there (plain matrix) are taken once.
double offspring_odds(const PhaseModel& m, LinkCache& links, const PhaseBlock& b, const BlockIndividual& x)
{
    const PhaseFamilies& f = m.ph->families;
    const int first = f.first_child[x.i - 1], last = f.first_child[x.i];
    if (first == last) return 0.0;
    const int k = x.het[0], row = m.row(k), lo = x.lo[0], hi = x.hi[0];
    const signed char* carried[2] = {m.ph->pat_allele[k], m.ph->mat_allele[k]};
    const si_t* si[2] = {m.gpo[0]->data(), m.gpo[1]->data()};
    const std::size_t stride = static_cast<std::size_t>(m.gpo[0]->cols());
    int from[2];
    parent_rows_around(m, b, x.i, row, from);
    const double keep_from[2] = {from[0] >= b.lower_row ? links.get(from[0], row, 0) : 0.0,
                                 from[1] <= b.upper_row ? links.get(row, from[1], 0) : 0.0};
    double odds = 0.0;
    for (int at = first; at < last; ++at) {
        const int o = f.child[at], side = f.child_side[at];
        const int a = carried[side][o - 1];
        if (!f.weighed[side][o - 1] || (a != lo && a != hi)) continue;
        const int base = a != lo, selfing = f.selfing[o - 1];
        const si_t* col = si[side] + (o - 1);
        double chain = 0.0;
        for (int r = from[0]; r >= b.lower_row; --r) {
            const int s = col[static_cast<std::size_t>(r) * stride];
            if (s == kUnknown) continue;
            chain += anchor_term(s, base, r == from[0] && !selfing ? keep_from[0] : links.get(r, row, selfing));
            break;
        }
        for (int r = from[1]; r <= b.upper_row; ++r) {
            const int s = col[static_cast<std::size_t>(r) * stride];
            if (s == kUnknown) continue;
            chain += anchor_term(s, base, r == from[1] && !selfing ? keep_from[1] : links.get(row, r, selfing));
            break;
        }
        odds += chain;
    }
    return odds;
}

}  // namespace

int draw_bit(double odds, double u)
{
    // As draw_config over the two configurations, bit 0 first.
    const double w0 = odds > 0.0 ? std::exp(-odds) : 1.0, w1 = odds > 0.0 ? 1.0 : std::exp(odds);
    return w0 > 0.0 && w0 >= u * (w0 + w1) ? 0 : 1;
}

double free_locus_odds(const PhaseModel& m, LinkCache& links, const PhaseBlock& b, const BlockIndividual& x)
{
    const PhaseFamilies& f = m.ph->families;
    const int k = x.het[0], lo = x.lo[0], hi = x.hi[0], row = m.row(k);
    const signed char* pat = m.ph->pat_allele[k];
    const signed char* mat = m.ph->mat_allele[k];
    // The allele terms as set_allele_terms, and i's own chains (SI as
    // own_side_si), reading each parent once.
    double term[2] = {0.0, 0.0}, own[2] = {0.0, 0.0};
    bool bad[2] = {false, false};
    for (int side = 0; side < 2; ++side) {
        const int p = f.parent[side][x.i - 1];
        const int first = side == 0 ? lo : hi, second = side == 0 ? hi : lo;
        if (p == 0 || pat[p - 1] == kMissingAllele) {
            term[0] += founder_allele_logfreq((*m.loci)[k], first);
            term[1] += founder_allele_logfreq((*m.loci)[k], second);
            continue;
        }
        const int pp = pat[p - 1], pm = mat[p - 1];
        bad[0] |= (first != pp) & (first != pm);
        bad[1] |= (second != pp) & (second != pm);
        if (!f.weighed[side][x.i - 1]) continue;
        int v0 = rule_si(first, pp, pm), v1 = rule_si(second, pp, pm);
        if (v0 == kUnknown) v0 = v1;
        if (v1 == kUnknown) v1 = v0;
        if (v0 != v1)
            own[side] = chain_odds(links, b, si_column(m, side, x.i), row, v0, v1, f.selfing[x.i - 1]);
    }
    double odds = bad[0] && bad[1] ? 0.0 : term[1] - term[0];
    odds += own[0];
    odds += own[1];
    return odds + offspring_odds(m, links, b, x);
}

}  // namespace vsk::phase_block
