// Position updates that redraw a QTL afresh ("ShRange": random walk from
// its position; "LoRange": a position from the prior) with the means and
// effects integrated out, and the new-QTL proposal births share.
#include <algorithm>
#include <cmath>

#include "core/qtl/qtl.h"
#include "core/qtl/rjs_debug.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr int kShortRange = 1;
constexpr int kShRangeCounters = 12;
constexpr int kLoRangeCounters = 16;

// Matrices of the current ("o") and the proposed model into the debug log.
void log_models(RjsLog& log, const MargModel& old_model, const MargModel& proposed, int s)
{
    if (!log.on()) return;
    log.matrix("XRX_G\n", proposed.C, proposed.dim);
    log.vector("XRy\n", proposed.rhs, proposed.dim);
    log.matrix(slot_title("XRX_Go", s).c_str(), old_model.C, old_model.dim);
    log.vector(slot_title("XRyo", s).c_str(), old_model.rhs, old_model.dim);
    log.chol_inverse("chol(inv(XRX_Go))\n", old_model);
    log.chol_inverse(slot_title("chol(inv(XRX_Gn))", s).c_str(), proposed);
    log.vector("CPM\n", proposed.bhat, proposed.dim);
    log.vector(slot_title("CPMo", s).c_str(), old_model.bhat, old_model.dim);
}

}  // namespace

// New QTL in slot s: frequencies, a position (1 random walk, 0 prior draw)
// with the distance constraint, founder states, then origins from the
// markers alone.
void new_qtl_proposal(QtlModel& m, int s, int mode)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    draw_frequencies(m, g);
    if (plink_active(m)) {
        propose_plink_position(m, s, mode);
    } else {
        propose_position(m, s, mode);
        draw_founder_states(m, g);
    }
    recompute_rf(m, s);
    rebuild_locus_order(m);
    sample_allele_origin(m, s, false);
    derive_all_genotypes(m, g);
}

void propose_new_gene(QtlModel& m, int s)
{
    if (m.propose_gene != nullptr) {
        m.propose_gene(m, s);
        return;
    }
    new_qtl_proposal(m, s, 0);
}

int long_range_update(QtlModel& m, int s, int mode)
{
    Par& p = m.p;
    const int k = active_count(m);
    if (k == 0) return kNotAttempted;
    apply_all_values(m, -1);
    RjsLog log("RJSupdate.log");
    log.header(m);
    build_design(m, -1);
    log.design(m, "XRXo\n", true);
    form_model(m, m.w.cur, k);
    if (mode != kShortRange) s = pick_active_slot(m, m.rng.uniform());
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    save_slot(m, s);
    const int old_interval = g.interval;
    const double old_weight = log_interval_weight(m, g);
    new_qtl_proposal(m, s, mode);
    const bool other_interval = g.interval != old_interval;
    update_design_slot(m, s);  // only the slot's genotypes changed
    log.design(m, "XRXn\n", false);
    form_model(m, m.w.alt, k);
    log_models(log, m.w.cur, m.w.alt, s);
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
    RjsTerms t;
    if (mode == kShortRange) {
        t.prior[0] = old_weight;
        t.prior[1] = log_interval_weight(m, g);
    }
    t.det_c[0] = 0.5 * m.w.cur.log_det_cinv;
    t.det_c[1] = 0.5 * m.w.alt.log_det_cinv;
    t.quad[0] = 0.5 * m.w.cur.quad;
    t.quad[1] = 0.5 * m.w.alt.quad;
    t.log_a = std::min(0.0, delta);
    const bool accept = mh_accept(m.rng, delta, &t.log_u);
    if (accept) {
        draw_effects(m, m.w.alt);
        log.draw(m, m.w.alt, "CPM\n");
    } else {
        restore_slot(m, s);
        draw_effects(m, m.w.cur);
        log.draw(m, m.w.cur, "CPMo\n");
    }
    apply_all_values(m, +1);
    int* acc = m.acc_pos + (mode == kShortRange ? kShRangeCounters : kLoRangeCounters);
    count_position_move(acc, accept, other_interval);
    const int result = accept ? kAccepted : kRejected;
    log.update_summary(t, mode == kShortRange, result, acc[0], acc[1]);
    return result;
}

}  // namespace vsk
