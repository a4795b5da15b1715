// Per-QTL Gibbs step of the effects (bounded-uniform and Wishart-scaled
// priors): each kind's trait vector from its normal full conditional given
// the residuals of the individuals whose covariate for the kind is not 0.
#include <vector>

#include "core/numeric/linalg.h"
#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr double kAddCov[kGenotypes] = {1.0, 0.0, 0.0, -1.0};
constexpr double kDomCov[kGenotypes] = {0.0, 1.0, 1.0, 0.0};

void draw_kind(QtlModel& m, Gene& g, int s, int kind)
{
    Par& p = m.p;
    const int T = p.n_traits;
    const int setting = kind == kAddRow ? add_setting(m) : dom_setting(m);
    const double* cov = kind == kAddRow ? kAddCov : kDomCov;
    int n = 0;
    double sxx = 0.0;
    std::vector<double>& sxr = m.w.gibbs_sxr;
    sxr.assign(static_cast<std::size_t>(T), 0.0);
    for (int c = 0; c < p.n_individuals; ++c) {
        if (!phenotyped(m, c)) continue;
        const double x = cov[g.gtp[static_cast<std::size_t>(c)]];
        if (x == 0.0) continue;
        ++n;
        sxx += x * x;
        for (int t = 0; t < T; ++t)
            for (int u = 0; u < T; ++u) sxr[static_cast<std::size_t>(t)] += x * p.res_prec[t][u] * m.phe.residual[c][u];
    }
    if (n == 0 && m.fpm) {
        cprint("\n\n No observations: %s %d %d", kind == kAddRow ? "FPMadd" : "FPMdom", p.cur_sweep + 1, s + 1);
        return;
    }
    if (n == 0) {
        cprint("\nCycle %d:Warning NO observations on %s QTL %d", p.cur_sweep, kind == kAddRow ? "add.eff." : "dom.eff.", s + 1);
        return;
    }
    Table<double>& C = m.w.gibbs_c;
    Table<double>& L = m.w.prior_chol;
    if (C.rows() < T || C.cols() < T) C.assign(T, T, 0.0);
    if (L.rows() < T || L.cols() < T) L.assign(T, T, 0.0);
    for (int t = 0; t < T; ++t)
        for (int u = 0; u < T; ++u) C[t][u] = sxx * p.res_prec[t][u];
    if (setting >= 2) {
        Table<double>& Vi = m.w.wishart_scale;
        if (Vi.rows() < T || Vi.cols() < T) Vi.assign(T, T, 0.0);
        mat_copy(effect_prior_matrix(p, kind), Vi, T, T);
        if (invert(Vi, T, m.w.lin) == 0)
            for (int t = 0; t < T; ++t)
                for (int u = 0; u < T; ++u) C[t][u] += Vi[t][u];
    }
    if (invert(C, T, m.w.lin) != 0) return;
    std::vector<double>& mean = m.w.gibbs_mean;
    std::vector<double>& z = m.w.prior_z;
    mean.assign(static_cast<std::size_t>(T), 0.0);
    z.assign(static_cast<std::size_t>(T), 0.0);
    mat_vec(C, sxr.data(), mean.data(), T, T);
    mat_copy(C, L, T, T);
    if (cholesky(L, T) != 0 && !REDprint) {
        cprint("\nWarning cholFD in 'SampleGtpPar()-%s'", kind == kAddRow ? "add" : "dom");
        cprint(" cycle %d", p.cur_sweep + 1);
    }
    for (int t = 0; t < T; ++t) z[static_cast<std::size_t>(t)] = m.rng.normal();
    // In place from the last trait down: trait t reads z[0..t] only.
    for (int t = T - 1; t >= 0; --t) {
        double v = mean[static_cast<std::size_t>(t)];
        for (int u = 0; u <= t; ++u) v += L[t][u] * z[static_cast<std::size_t>(u)];
        z[static_cast<std::size_t>(t)] = v;
    }
    // Bounded-uniform prior: the full conditional is the normal cut to the
    // bounds. A draw of the whole vector inside them is kept, any other
    // leaves the old vector (an independence step whose ratio is 1 inside
    // and 0 outside); keeping the traits inside alone would not leave the
    // cut law invariant when the traits' residuals are correlated.
    if (setting == 1)
        for (int t = 0; t < T; ++t)
            if (z[static_cast<std::size_t>(t)] < m.b.gene_lower[static_cast<std::size_t>(t)] ||
                z[static_cast<std::size_t>(t)] > m.b.gene_upper[static_cast<std::size_t>(t)])
                return;
    for (int t = 0; t < T; ++t) g.eff[kind][t] = z[static_cast<std::size_t>(t)];
}

}  // namespace

void sample_gtp_par(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    apply_slot_values(m, g, -1);
    if (add_setting(m) != 0) draw_kind(m, g, s, kAddRow);
    if (dom_setting(m) != 0) draw_kind(m, g, s, kDomRow);
    if (g.eff[kAddRow][0] < 0.0) flip_slot(m, g);
    compute_gval(m.p, g);
    apply_slot_values(m, g, +1);
}

}  // namespace vsk
