// Births and deaths of QTL with the means and effects integrated out: the
// acceptance ratio compares the marginal likelihoods of the models with k and
// k + 1 QTL (the smaller model's design is the larger one's without the
// slot's columns), times the truncated Poisson prior ratio.
#include <cmath>

#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

// log pi(k) terms of a birth/death pair: log priorQTL for the larger model,
// log(k + 1) for the smaller (nothing with priorQTL 0: uniform prior).
double prior_larger(const Par& p) { return p.priorQTL > 0.0 ? std::log(p.priorQTL) : 0.0; }
double prior_smaller(const Par& p, int k_small) { return p.priorQTL > 0.0 ? std::log(k_small + 1.0) : 0.0; }

void warn_cholesky(const Par& p, const char* where)
{
    if (REDprint) return;
    cprint("\nWarning Cholesky DC in '%s()'", where);
    cprint(" cycle %d", p.cur_sweep + 1);
}

// Log marginal likelihood of the larger and smaller model: `big` is the
// design over every active slot, `small` the same without slot s.
void compare_models(QtlModel& m, int s, int k_big, double& l_big, double& l_small, const char* where)
{
    QtlWork& w = m.w;
    build_design(m, -1);
    form_model(m, w.alt, k_big);
    remove_slot_from_design(m, s);
    form_model(m, w.cur, k_big - 1);
    if (w.alt.failed || w.cur.failed) warn_cholesky(m.p, where);
    l_big = prior_larger(m.p) - 0.5 * log_det_g(m, k_big) + marginal_terms(w.alt);
    l_small = prior_smaller(m.p, k_big - 1) - 0.5 * log_det_g(m, k_big - 1) + marginal_terms(w.cur);
}

}  // namespace

// Removes the columns of slot s from the design (X'X and X'y) in place.
void remove_slot_from_design(QtlModel& m, int s)
{
    QtlWork& w = m.w;
    const int per = effect_columns_per_slot(m.p);
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
    if (k >= p.maximQTL || s < 0) return kNotAttempted;
    apply_all_values(m, -1);
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    save_slot(m, s);
    g.status = 1;
    for (int r = 0; r < kGenotypes; ++r)
        for (int t = 0; t < p.n_traits; ++t) g.eff[r][t] = 0.0;
    compute_gval(p, g);
    new_qtl_proposal(m, s, 0);
    double l_new, l_old;
    compare_models(m, s, k + 1, l_new, l_old, "RJSbirthQTL");
    const bool accept = mh_accept(m.rng, l_new - l_old);
    if (accept) {
        draw_effects(m, m.w.alt);
        p.nqtl = k + 1;
    } else {
        restore_slot(m, s);
        free_slot(m, s);
    }
    apply_all_values(m, +1);
    return accept ? kAccepted : kRejected;
}

int rjs_death(QtlModel& m)
{
    Par& p = m.p;
    const int k = active_count(m);
    if (k <= 0) return kNotAttempted;
    const int s = pick_active_slot(m, m.rng.uniform());
    apply_all_values(m, -1);
    double l_with, l_without;
    compare_models(m, s, k, l_with, l_without, "RJSdeathQTL");
    const bool accept = mh_accept(m.rng, l_without - l_with);
    if (accept) {
        free_slot(m, s);
        rebuild_locus_order(m);
        draw_effects(m, m.w.cur);  // the design without s is the current one
        p.nqtl = k - 1;
    }
    apply_all_values(m, +1);
    return accept ? kAccepted : kRejected;
}

}  // namespace vsk
