// Births and deaths of QTL with the means and effects integrated out: the
// acceptance ratio compares the marginal likelihoods of the models with k and
// k + 1 QTL (the smaller model's design is the larger one's without the
// slot's columns), times the truncated Poisson prior ratio.
#include <algorithm>
#include <cmath>

#include "core/qtl/qtl.h"
#include "core/qtl/rjs_debug.h"
#include "core/state/console.h"

namespace vsk {

namespace {

// log pi(k) terms of a birth/death pair: log priorQTL for the larger model,
// log(k + 1) for the smaller (nothing with priorQTL 0: uniform prior).
double prior_larger(const QtlModel& m) { return count_prior(m) > 0.0 ? std::log(count_prior(m)) : 0.0; }
double prior_smaller(const QtlModel& m, int k_small) { return count_prior(m) > 0.0 ? std::log(k_small + 1.0) : 0.0; }

void warn_cholesky(const Par& p, const char* where)
{
    if (REDprint) return;
    cprint("\nWarning Cholesky DC in '%s()'", where);
    cprint(" cycle %d", p.cur_sweep + 1);
}

// Design and model matrices of the larger and the smaller model into the
// debug log (death: the smaller model is the new one).
void log_models(RjsLog& log, const QtlModel& m, int s, bool death)
{
    if (!log.on()) return;
    const MargModel &big = m.w.alt, &small = m.w.cur;
    log.matrix("XRX_G\n", big.C, big.dim);
    log.vector("XRy\n", big.rhs, big.dim);
    log.matrix(slot_title(death ? "XRX_Gn" : "XRX_Go", s).c_str(), small.C, small.dim);
    log.vector(slot_title(death ? "XRyn" : "XRyo", s).c_str(), small.rhs, small.dim);
    log.chol_inverse("chol(inv(XRX_G))\n", big);
    log.chol_inverse(slot_title(death ? "chol(inv(XRX_Gn))" : "chol(inv(XRX_Go))", s).c_str(), small);
    log.vector("CPM\n", big.bhat, big.dim);
    log.vector(slot_title(death ? "CPMn" : "CPMo", s).c_str(), small.bhat, small.dim);
}

// Log marginal likelihood of the larger and smaller model: `big` is the
// design over every active slot, `small` the same without slot s. The terms
// go to t[big_index] and t[1 - big_index].
void compare_models(QtlModel& m, int s, int k_big, RjsTerms& t, int big_index, RjsLog& log, const char* where)
{
    QtlWork& w = m.w;
    build_design(m, -1);
    log.design(m, "XRX\n", true);
    form_model(m, w.alt, k_big);
    remove_slot_from_design(m, s);
    form_model(m, w.cur, k_big - 1);
    if (w.alt.failed || w.cur.failed) warn_cholesky(m.p, where);
    log_models(log, m, s, big_index == 0);
    const int b = big_index, o = 1 - big_index;
    t.prior[b] = prior_larger(m);
    t.prior[o] = prior_smaller(m, k_big - 1);
    t.det_g[b] = -0.5 * log_det_g(m, k_big);
    t.det_g[o] = -0.5 * log_det_g(m, k_big - 1);
    t.det_c[b] = 0.5 * w.alt.log_det_cinv;
    t.det_c[o] = 0.5 * w.cur.log_det_cinv;
    t.quad[b] = 0.5 * w.alt.quad;
    t.quad[o] = 0.5 * w.cur.quad;
    for (int k : {0, 1}) {
        const int q = k == b ? k_big : k_big - 1;
        t.log_det_a[k] = log_det_g_kind(m, q, kAddRow);
        t.log_det_d[k] = log_det_g_kind(m, q, kDomRow);
    }
}

// Grouped as the marginal likelihood is: the two model terms summed first.
double total(const RjsTerms& t, int k) { return t.prior[k] + t.det_g[k] + (t.det_c[k] + t.quad[k]); }

}  // namespace

// Removes the columns of slot s from the design (X'X and X'y) in place.
void remove_slot_from_design(QtlModel& m, int s)
{
    QtlWork& w = m.w;
    const int per = effect_columns_per_slot(m);
    int at = -1;
    for (std::size_t j = 0; j < w.design_slots.size(); ++j)
        if (w.design_slots[j] == s) at = static_cast<int>(j);
    if (at < 0) return;
    int nc = 1 + per * static_cast<int>(w.design_slots.size());
    for (int r = 0; r < per; ++r) {
        const int col = 1 + per * at;
        remove_rowcol(w.XX, nc, col);
        for (int i = col; i + 1 < nc; ++i)
            for (int t = 0; t < m.p.n_traits; ++t) w.X[i][t] = w.X[i + 1][t];
        --nc;
    }
    w.design_slots.erase(w.design_slots.begin() + at);
}

int rjs_birth(QtlModel& m)
{
    Par& p = m.p;
    const int k = active_count(m);
    const int s = lowest_free_slot(m);
    if (k >= slot_count(m) || s < 0) return kNotAttempted;
    apply_all_values(m, -1);
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    save_slot(m, s);
    g.status = 1;
    for (int r = 0; r < kGenotypes; ++r)
        for (int t = 0; t < p.n_traits; ++t) g.eff[r][t] = 0.0;
    compute_gval(p, g);
    propose_new_gene(m, s);
    RjsLog log(m.fpm ? "RJSbirthFPM.log" : "RJSbirth.log");
    log.header(m);
    RjsTerms t;
    compare_models(m, s, k + 1, t, 1, log, "RJSbirthQTL");
    t.log_a = std::min(0.0, total(t, 1) - total(t, 0));
    const bool accept = mh_accept(m.rng, total(t, 1) - total(t, 0), &t.log_u);
    if (accept) {
        draw_effects(m, m.w.alt);
        log.draw(m, m.w.alt, "CPM\n");
        gene_count(m) = k + 1;
    } else {
        restore_slot(m, s);
        free_slot(m, s);
    }
    apply_all_values(m, +1);
    const int result = accept ? kAccepted : kRejected;
    log.summary(t, false, result, m.acc_rj[2], m.acc_rj[3]);
    return result;
}

int rjs_death(QtlModel& m)
{
    const int k = active_count(m);
    if (k <= 0) return kNotAttempted;
    const int s = pick_active_slot(m, m.rng.uniform());
    apply_all_values(m, -1);
    RjsLog log(m.fpm ? "RJSdeathFPM.log" : "RJSdeath.log");
    log.header(m);
    RjsTerms t;
    compare_models(m, s, k, t, 0, log, "RJSdeathQTL");
    t.log_a = std::min(0.0, total(t, 1) - total(t, 0));
    const bool accept = mh_accept(m.rng, total(t, 1) - total(t, 0), &t.log_u);
    if (accept) {
        free_slot(m, s);
        if (!m.fpm) rebuild_locus_order(m);
        draw_effects(m, m.w.cur);  // the design without s is the current one
        log.draw(m, m.w.cur, "CPMn\n");
        gene_count(m) = k - 1;
    }
    apply_all_values(m, +1);
    const int result = accept ? kAccepted : kRejected;
    log.summary(t, true, result, m.acc_rj[0], m.acc_rj[1]);
    return result;
}

}  // namespace vsk
