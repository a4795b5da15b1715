// The draw of an individual whose phase bits in a block are all forced by
// its parents but one, the commonest case: only the two known SI next to the
// free locus, on each chain that the free bit moves, differ between its two
// configurations.
#include <bit>
#include <cstdint>

#include "core/markers/block_terms.h"
#include "core/markers/byte_lanes.h"

namespace vsk::phase_block {

namespace {

// The nearest row past the free row `row` of locus k, in direction kStep,
// where i's SI on `side` is known (and that SI), as a walk down the column
// finds it; -1 when there is none within the block's bounds. The loci where
// it can be known are read from PhaseMasks::known a word at a time: when the
// nearest such locus lies in the same word with no QTL row in between (the
// usual case), the rows before it cannot hold a known SI, and the walk
// starts there.
template <int kStep>
int nearest_known_si(const PhaseModel& m, const PhaseBlock& b, const SiColumn& col, int side, int i, int k, int row,
                     int& si)
{
    const int bit = k % 64;
    std::uint64_t bits = m.ph->masks.known[side][k / 64][i - 1];
    bits &= kStep < 0 ? (std::uint64_t{1} << bit) - 1 : ~std::uint64_t{1} << bit;
    int from = row + kStep;
    if (bits != 0) {
        const int near = k - bit + (kStep < 0 ? 63 - std::countl_zero(bits) : std::countr_zero(bits));
        const int near_row = m.row(near);
        if (near_row - row == near - k) {
            if (near_row < b.lower_row || near_row > b.upper_row) return -1;
            from = near_row;
        }
    }
    for (; from >= b.lower_row && from <= b.upper_row; from += kStep) {
        si = col.at(from);
        if (si != kUnknown) return from;
    }
    return -1;
}

// Log-odds of bit 1 against bit 0 from i's own chain on `side`, whose SI at
// the free row of locus k is v0 under bit 0 and v1 under bit 1: the nearest
// known SI on each side adds its link to the bit it agrees with. Every other
// SI of the chain is the table's: the state holds the forced bits, and the
// table follows the state.
double chain_odds(const PhaseModel& m, LinkCache& links, const PhaseBlock& b, int side, int i, int k, int v0, int v1,
                  int selfing)
{
    const SiColumn col = si_column(m, side, i);
    const int free_row = m.row(k);
    double odds = 0.0;
    int si = kUnknown;
    const int below = nearest_known_si<-1>(m, b, col, side, i, k, free_row, si);
    if (below >= 0) {
        const double keep = links.get(below, free_row, selfing);
        odds += (si == v1 ? keep : 0.0) - (si == v0 ? keep : 0.0);
    }
    const int above = nearest_known_si<1>(m, b, col, side, i, k, free_row, si);
    if (above >= 0) {
        const double keep = links.get(free_row, above, selfing);
        odds += (si == v1 ? keep : 0.0) - (si == v0 ? keep : 0.0);
    }
    return odds;
}

// Term of one known SI s next to the free row: +keep when s differs from
// the chain's SI under bit 0 (base), -keep otherwise. Without branches: s
// and base are 0 or 1 and unpredictable.
inline double anchor_term(int s, int base, double keep) { return static_cast<double>(2 * (s ^ base) - 1) * keep; }

// The terms of one offspring chain, walked from i's rows `from` to the
// nearest known SI on each side: `col` is the child's column, `base` its SI
// at the free row under bit 0, and keep_from the plain links at `from`.
double child_chain_odds(LinkCache& links, const PhaseBlock& b, const si_t* col, std::size_t stride, const int* from,
                        const double* keep_from, int row, int base, int selfing)
{
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
    return chain;
}

// The chains of i's offspring on the sides they inherit from i (as
// weigh_offspring_side): o's SI at the free locus is which of i's two
// alleles it carries, XOR the free bit. Each chain's search starts at i's
// rows `from` (parent_rows_around), where nearly every chain finds a known
// SI; such chains differ only by whether they agree with it, so they are
// counted, eight children of a run at a time, and each anchor's link is
// added once. The other chains (an unknown SI at `from`, selfings) are
// walked.
[[gnu::noinline]] double offspring_odds(const PhaseModel& m, LinkCache& links, const PhaseBlock& b,
                                     const BlockIndividual& x)
{
    using namespace byte_lanes;
    const PhaseFamilies& f = m.ph->families;
    const int first = f.first_run[x.i - 1], last = f.first_run[x.i];
    if (first == last) return 0.0;
    const int k = x.het[0], row = m.row(k), lo = x.lo[0], hi = x.hi[0];
    const signed char* carried[2] = {m.ph->pat_allele[k], m.ph->mat_allele[k]};
    const si_t* si[2] = {m.gpo[0]->data(), m.gpo[1]->data()};
    const std::size_t stride = static_cast<std::size_t>(m.gpo[0]->cols());
    int from[2];
    parent_rows_around(m, b, x.i, row, from);
    const bool left = from[0] >= b.lower_row, right = from[1] <= b.upper_row;
    const double keep_from[2] = {left ? links.get(from[0], row, 0) : 0.0, right ? links.get(row, from[1], 0) : 0.0};
    int counted = 0, left_differ = 0, right_differ = 0;
    double walked = 0.0;
    for (int r = first; r < last; ++r) {
        const int side = f.run_side[r], c = f.run_child[r] - 1, length = f.run_length[r];
        const signed char* allele = carried[side] + c;
        const signed char* weighed = f.weighed[side].data() + c;
        const signed char* selfing = f.selfing.data() + c;
        const si_t* col = si[side] + c;
        const si_t* before = left ? col + static_cast<std::size_t>(from[0]) * stride : nullptr;
        const si_t* after = right ? col + static_cast<std::size_t>(from[1]) * stride : nullptr;
        for (int t = 0; t < length; t += kLanes) {
            const int n = std::min(kLanes, length - t);
            const std::uint64_t a = load(allele + t, n), carries_hi = equal(a, hi);
            const std::uint64_t valid = (equal(a, lo) | carries_hi) & low_bit(load(weighed + t, n));
            std::uint64_t path = valid & ~low_bit(load(selfing + t, n)), s_before = 0, s_after = 0;
            if (left) {
                const std::uint64_t s = load(before + t, n);
                path &= ~equal(s, kUnknown);
                s_before = low_bit(s);
            }
            if (right) {
                const std::uint64_t s = load(after + t, n);
                path &= ~equal(s, kUnknown);
                s_after = low_bit(s);
            }
            counted += count(path);
            left_differ += count(path & (s_before ^ carries_hi));
            right_differ += count(path & (s_after ^ carries_hi));
            for (std::uint64_t rest = valid & ~path; rest != 0; rest &= rest - 1) {
                const int lane = t + byte_lanes::first(rest);
                walked += child_chain_odds(links, b, col + lane, stride, from, keep_from, row, allele[lane] != lo,
                                           selfing[lane]);
            }
        }
    }
    // A child whose SI differs from its anchor's under bit 0 adds +keep.
    double odds = walked;
    if (left) odds += keep_from[0] * (2 * left_differ - counted);
    if (right) odds += keep_from[1] * (2 * right_differ - counted);
    return odds;
}

}  // namespace

int draw_bit(double odds, double u)
{
    // Nearly every phase is all but certain: at |odds| >= 6 the unlikelier
    // bit has probability below e^-6 = 0.0025, so a uniform at least 0.01 away
    // from its end of the unit interval picks the likelier bit, as the exact
    // comparison below would. Both tests are predictable, unlike the
    // exponential's cost; the sign, a coin flip, only enters as a factor.
    if (std::fabs(odds) >= 6.0 && (u - 0.5) * std::copysign(1.0, odds) >= -0.49) return odds > 0.0;
    // As draw_config over the two configurations, bit 0 first: weights e and
    // 1 (bit 1 likelier) or 1 and e, whose sum is 1 + e either way. The sign
    // is a coin flip, so it picks bit 0's weight without a branch.
    const double e = std::exp(-std::fabs(odds));
    const std::uint64_t positive = 0 - static_cast<std::uint64_t>(odds > 0.0);
    const std::uint64_t e_bits = std::bit_cast<std::uint64_t>(e), one_bits = std::bit_cast<std::uint64_t>(1.0);
    const double w0 = std::bit_cast<double>((e_bits & positive) | (one_bits & ~positive));
    return w0 > 0.0 && w0 >= u * (1.0 + e) ? 0 : 1;
}

double free_locus_odds(const PhaseModel& m, LinkCache& links, const PhaseBlock& b, const BlockIndividual& x)
{
    const PhaseFamilies& f = m.ph->families;
    const int k = x.het[0], lo = x.lo[0], hi = x.hi[0];
    const signed char* pat = m.ph->pat_allele[k];
    const signed char* mat = m.ph->mat_allele[k];
    // The allele terms as set_allele_terms, and i's own chains (SI as
    // own_side_si), reading each parent once.
    double term[2] = {0.0, 0.0}, own[2] = {0.0, 0.0};
    bool bad[2] = {false, false};
    // Without a scored parent on either side both orders take the same two
    // frequencies, and their terms cancel.
    const bool founder_like = unscored_parent(pat, f.parent[0][x.i - 1]) && unscored_parent(pat, f.parent[1][x.i - 1]);
    for (int side = 0; side < 2 && !founder_like; ++side) {
        const int p = f.parent[side][x.i - 1];
        const int first = side == 0 ? lo : hi, second = side == 0 ? hi : lo;
        if (unscored_parent(pat, p)) {
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
            own[side] = chain_odds(m, links, b, side, x.i, k, v0, v1, f.selfing[x.i - 1]);
    }
    double odds = bad[0] && bad[1] ? 0.0 : term[1] - term[0];
    odds += own[0];
    odds += own[1];
    // The offspring's chains out of line: most individuals have none, and
    // the draw of those stays small.
    if (f.first_run[x.i - 1] == f.first_run[x.i]) return odds;
    return odds + offspring_odds(m, links, b, x);
}

}  // namespace vsk::phase_block
