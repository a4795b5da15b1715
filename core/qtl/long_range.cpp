// Position updates that redraw a QTL afresh ("ShRange": random walk from
// its position; "LoRange": a position from the prior) with the means and
// effects integrated out, and the new-QTL proposal births share.
#include <cmath>

#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr int kShortRange = 1;
constexpr int kShRangeCounters = 12;
constexpr int kLoRangeCounters = 16;

}  // namespace

// New QTL in slot s: frequencies, a position (1 random walk, 0 prior draw)
// with the distance constraint, founder states, then origins from the
// markers alone.
void new_qtl_proposal(QtlModel& m, int s, int mode)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    draw_frequencies(m, g);
    propose_position(m, s, mode);
    draw_founder_states(m, g);
    recompute_rf(m, s);
    rebuild_locus_order(m);
    sample_allele_origin(m, s, false);
    derive_all_genotypes(m, g);
}

int long_range_update(QtlModel& m, int s, int mode)
{
    Par& p = m.p;
    const int k = active_count(m);
    if (k == 0) return kNotAttempted;
    apply_all_values(m, -1);
    build_design(m, -1);
    form_model(m, m.w.cur, k);
    if (mode != kShortRange) s = pick_active_slot(m, m.rng.uniform());
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    save_slot(m, s);
    const int old_interval = g.interval;
    const double old_weight = log_interval_weight(m, g);
    new_qtl_proposal(m, s, mode);
    const bool other_interval = g.interval != old_interval;
    build_design(m, -1);
    form_model(m, m.w.alt, k);
    if (m.w.cur.failed || m.w.alt.failed) {
        if (!REDprint) {
            cprint("\nWarning Cholesky DC in 'LongRangeUpdateQTL()'");
            cprint(" cycle %d", p.cur_sweep + 1);
        }
        restore_slot(m, s);
        apply_all_values(m, +1);
        return kNotAttempted;
    }
    double delta = marginal_terms(m.w.alt) - marginal_terms(m.w.cur);
    // A random walk is symmetric, so the location prior stays in the ratio;
    // a draw from the prior cancels it.
    if (mode == kShortRange) delta += log_interval_weight(m, g) - old_weight;
    const bool accept = mh_accept(m.rng, delta);
    if (accept) {
        draw_effects(m, m.w.alt);
    } else {
        restore_slot(m, s);
        draw_effects(m, m.w.cur);
    }
    apply_all_values(m, +1);
    count_position_move(m.acc_pos + (mode == kShortRange ? kShRangeCounters : kLoRangeCounters), accept, other_interval);
    return accept ? kAccepted : kRejected;
}

}  // namespace vsk
