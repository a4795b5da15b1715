// Births and deaths with the new QTL's effects drawn from their prior (the
// bounded-uniform and Wishart-scaled effect priors): the proposal density of
// the effects equals their prior density, so the ratio is the likelihood
// ratio times the truncated Poisson prior ratio priorQTL / (k + 1). The
// path's "ShRange" keeps the effects and redraws the rest of the QTL.
#include <cmath>

#include "core/numeric/linalg.h"
#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr int kBirth = 0;
constexpr int kShRangeCounters = 12;
constexpr int kRandomWalk = 1;

// Log-likelihood of every phenotyped individual's residual shifted by
// sign x the slot's values.
double loglik_shifted(QtlModel& m, const Gene& g, int sign)
{
    const int T = m.p.n_traits;
    std::vector<double>& x = m.w.resid_scratch;
    x.resize(static_cast<std::size_t>(T));
    double sum = 0.0;
    for (int c = 0; c < m.p.n_individuals; ++c) {
        if (!phenotyped(m, c)) continue;
        const double* v = g.gval[g.gtp[static_cast<std::size_t>(c)]];
        for (int t = 0; t < T; ++t) x[static_cast<std::size_t>(t)] = m.phe.residual[c][t] + sign * v[t];
        sum += mvn_logdensity(T, m.p.res_logdet, x.data(), m.p.res_prec);
    }
    return sum;
}

double log_prior_ratio_birth(const QtlModel& m, int k)
{
    return count_prior(m) > 0.0 ? std::log(count_prior(m)) - std::log(k + 1.0) : 0.0;
}

}  // namespace

// Effects of one kind drawn from the kind's prior into slot g (scale 1 for
// the proposal and prior of a birth; 0.1 for the initial model).
void draw_prior_effects(QtlModel& m, Gene& g, double scale, const char* where)
{
    Par& p = m.p;
    const int T = p.n_traits;
    const char* names[3] = {"add", "dom", "imp"};
    for (int kind : {kAddRow, kDomRow}) {
        const int setting = kind == kAddRow ? add_setting(m) : dom_setting(m);
        for (int t = 0; t < T; ++t) g.eff[kind][t] = 0.0;
        if (setting == 0) continue;
        if (setting == 1) {
            for (int t = 0; t < T; ++t) {
                const double lo = m.b.gene_lower[static_cast<std::size_t>(t)], hi = m.b.gene_upper[static_cast<std::size_t>(t)];
                g.eff[kind][t] = scale * (lo + (hi - lo) * m.rng.uniform());
            }
            continue;
        }
        Table<double>& L = m.w.prior_chol;
        if (L.rows() < T || L.cols() < T) L.assign(T, T, 0.0);
        mat_copy(effect_prior_matrix(p, kind), L, T, T);
        if (cholesky(L, T) != 0 && !REDprint) {
            cprint("\nWarning cholFD in '%s()-%s'", where, names[kind - 1]);
            cprint(" cycle %d", p.cur_sweep + 1);
        }
        std::vector<double>& z = m.w.prior_z;
        if (static_cast<int>(z.size()) < T) z.resize(static_cast<std::size_t>(T));
        for (int t = 0; t < T; ++t) z[static_cast<std::size_t>(t)] = m.rng.normal();
        for (int t = 0; t < T; ++t) {
            double v = 0.0;
            for (int u = 0; u <= t; ++u) v += L[t][u] * z[static_cast<std::size_t>(u)];
            g.eff[kind][t] = scale * v;
        }
    }
    if (g.eff[kAddRow][0] < 0.0) flip_slot(m, g);
    compute_gval(p, g);
}

int rev_jump(QtlModel& m, int kind)
{
    const int k = active_count(m);
    if (kind == kBirth) {
        const int s = lowest_free_slot(m);
        if (k >= slot_count(m) || s < 0) return kNotAttempted;
        Gene& g = m.gene[static_cast<std::size_t>(s)];
        save_slot(m, s);
        g.status = 1;
        draw_prior_effects(m, g, 1.0, "RevJumpQTLn");
        propose_new_gene(m, s);
        const double delta = loglik_shifted(m, g, -1) - loglik_shifted(m, g, 0) + log_prior_ratio_birth(m, k);
        if (!mh_accept(m.rng, delta)) {
            restore_slot(m, s);
            free_slot(m, s);
            return kRejected;
        }
        apply_slot_values(m, g, +1);
        gene_count(m) = k + 1;
        return kAccepted;
    }
    if (k <= 0) return kNotAttempted;
    const int s = pick_active_slot(m, m.rng.uniform());
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    const double delta = loglik_shifted(m, g, +1) - loglik_shifted(m, g, 0) - log_prior_ratio_birth(m, k - 1);
    if (!mh_accept(m.rng, delta)) return kRejected;
    apply_slot_values(m, g, -1);
    free_slot(m, s);
    if (!m.fpm) rebuild_locus_order(m);
    gene_count(m) = k - 1;
    return kAccepted;
}

// "ShRange" on the prior-draw path: a random-walk position with new
// frequencies, founder states and origins drawn as for a birth, the effects
// kept. The integrated-out update of the other path would weigh the effects
// under its normal prior and redraw every effect and the means from it,
// which is not this path's posterior. Frequencies, states and origins come
// from their prior given the markers and the walk is symmetric, so the ratio
// is the location weight ratio times the likelihood ratio.
int short_range_prior_draw(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    if (g.status != 1) return kNotAttempted;
    apply_slot_values(m, g, -1);
    const double l_old = log_interval_weight(m, g) + loglik_shifted(m, g, -1);
    save_slot(m, s);
    const int old_interval = g.interval;
    new_qtl_proposal(m, s, kRandomWalk);
    const bool other = g.interval != old_interval;
    const double l_new = log_interval_weight(m, g) + loglik_shifted(m, g, -1);
    const bool accept = mh_accept(m.rng, l_new - l_old);
    if (!accept) restore_slot(m, s);
    apply_slot_values(m, g, +1);
    count_position_move(m.acc_pos + kShRangeCounters, accept, other);
    return accept ? kAccepted : kRejected;
}

}  // namespace vsk
