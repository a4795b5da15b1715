// Random-walk position moves of one QTL: "Loc" keeps the allele origins and
// compares their transmission probabilities from the markers at both
// positions; "LocGtp" redraws the origins from the markers at the new
// position and compares the phenotype likelihoods.
#include <algorithm>

#include "core/qtl/qtl.h"

namespace vsk {

namespace {

constexpr int kLocCounters = 0;
constexpr int kLocGtpCounters = 4;

// Nearest informative row beyond `row` in direction `step` within the
// chromosome rows [first, last]; `row` itself when there is none.
int informative_beyond(const SiTable& t, int c, int row, int step, int first, int last)
{
    for (int r = row + step; r >= first && r <= last; r += step)
        if (t[r][c] != kUnknown) return r;
    return row;
}

}  // namespace

// Sum over non-founders and sides of the transmission log probability over
// a window spanning the marker intervals [lo_marker, hi_marker].
double transmission_terms(const QtlModel& m, const Gene& g, int lo_marker, int hi_marker)
{
    const Chr& ch = m.chr[static_cast<std::size_t>(g.chrom)];
    const int first = m.w.marker_row[static_cast<std::size_t>(ch.fMrkr)];
    const int last = m.w.marker_row[static_cast<std::size_t>(ch.lMrkr)];
    const int row_lo = m.w.marker_row[static_cast<std::size_t>(lo_marker)];
    const int row_hi = m.w.marker_row[static_cast<std::size_t>(hi_marker)];
    double sum = 0.0;
    for (int c = 0; c < m.p.n_individuals; ++c) {
        const Obs& ind = m.o[static_cast<std::size_t>(c)];
        if (ind.fat == 0 || ind.FP) continue;
        const bool self = ind.mot == kSelfed || ind.mot == kDbhpld;
        int l0 = 0, r0 = 0;
        for (int side = 0; side < 2; ++side) {
            const SiTable& t = side == 0 ? m.gpo0 : m.gpo1;
            const int l = informative_beyond(t, c, row_lo, -1, first, last);
            const int r = informative_beyond(t, c, row_hi, +1, first, last);
            if (side == 0) {
                l0 = l;
                r0 = r;
            } else if (self) {
                bool het = false;
                for (int row = l0; row <= r0 && !het; ++row)
                    het = m.w.row_kind[static_cast<std::size_t>(row)] == 1 && m.w.het[m.w.row_index[static_cast<std::size_t>(row)]][c];
                if (!het) continue;
            }
            sum += prob_trans(m, g, c, side, l, r, false);
        }
    }
    return sum;
}

double phenotype_terms(const QtlModel& m, const Gene& g)
{
    double sum = 0.0;
    for (int c = 0; c < m.p.n_individuals; ++c) {
        const Obs& ind = m.o[static_cast<std::size_t>(c)];
        if (phenotyped(m, c) && !ind.FP) sum += m.w.ll[c][g.gtp[static_cast<std::size_t>(c)]];
    }
    // Final offspring enter with their origins summed out.
    return sum + final_offspring_total(m, g);
}

int move_loc(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    if (g.status != 1) return kNotAttempted;
    save_slot(m, s);
    const int old_interval = g.interval;
    propose_position(m, s, 1);
    const int lo = std::min(old_interval, g.interval) - 1, hi = std::max(old_interval, g.interval);
    const double new_weight = log_interval_weight(m, g);
    // Old state first (the slot still sits at its old row).
    const double l_old = log_interval_weight(m, m.temp[static_cast<std::size_t>(s)]) + transmission_terms(m, g, lo, hi);
    recompute_rf(m, s);
    rebuild_locus_order(m);
    const double l_new = new_weight + transmission_terms(m, g, lo, hi);
    const bool other = g.interval != old_interval;
    const bool accept = mh_accept(m.rng, l_new - l_old);
    if (!accept) restore_slot(m, s);
    count_position_move(m.acc_pos + kLocCounters, accept, other);
    return accept ? kAccepted : kRejected;
}

int move_loc_gtp(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    if (g.status != 1) return kNotAttempted;
    apply_slot_values(m, g, -1);
    build_ll(m, g);
    save_slot(m, s);
    const int old_interval = g.interval;
    const double l_old = log_interval_weight(m, g) + phenotype_terms(m, g);
    propose_position(m, s, 1);
    recompute_rf(m, s);
    rebuild_locus_order(m);
    sample_allele_origin(m, s, false);
    const double l_new = log_interval_weight(m, g) + phenotype_terms(m, g);
    const bool other = g.interval != old_interval;
    const bool accept = mh_accept(m.rng, l_new - l_old);
    if (!accept) restore_slot(m, s);
    // Their origins drawn from the markers alone are replaced by a draw from
    // their conditional at the accepted position.
    if (accept && has_final_offspring(m)) sample_final_offspring_origin(m, s, true);
    apply_slot_values(m, g, +1);
    count_position_move(m.acc_pos + kLocGtpCounters, accept, other);
    return accept ? kAccepted : kRejected;
}

}  // namespace vsk
