// Gibbs steps of the infinitesimal dominance effects (one trait): each
// carrier's effect from its full conditional given the others (row s of the
// dense prior precision), then the dominance variance from d' D*^-1 d.
#include <cmath>

#include "core/polygenic/tim_dominance.h"
#include "core/residual/residual.h"
#include "core/residual/residual_terms.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr int kMinCarriers = 20;      // fewer keep the dominance variance fixed
constexpr int kMaxDraws = 20;         // draws before the variance is kept as it is
constexpr double kMaxShareOfPhenotypic = 2.0;

void gather_effects(TimDominance& dom, const Phe& ph)
{
    for (std::size_t s = 0; s < dom.carriers.size(); ++s) dom.value[s] = ph.timdom[dom.carriers[s]][0];
}

}  // namespace

DominanceConditional dominance_conditional(const TimDominance& dom, int s, double e, bool phenotyped,
                                           double var_d, double prec_e)
{
    const double* q = dom.precision[s];
    const int m = static_cast<int>(dom.carriers.size());
    // sum over the other carriers of Q_sk d_k
    const double pull = dense_dot(q, dom.value.data(), 0, m) - q[s] * dom.value[s];
    const double h = phenotyped ? prec_e : 0.0;
    DominanceConditional c;
    c.precision = q[s] / var_d + h;
    c.mean = (h * e - pull / var_d) / c.precision;
    return c;
}

void sample_tim_dominance(const Par& p, TimDominance& dom, Phe& ph, Rng& r)
{
    const double var_d = p.timdom_cov[0][0];
    if (!dom.active || !(var_d > 0.0)) return;
    const double prec_e = p.res_prec[0][0];
    gather_effects(dom, ph);
    for (int s = static_cast<int>(dom.carriers.size()) - 1; s >= 0; --s) {
        const int i = dom.carriers[s];
        const bool phenotyped = ph.phenotype[i][0] != kUnknown;
        const double e = phenotyped ? ph.residual[i][0] + ph.timdom[i][0] : 0.0;
        const DominanceConditional c = dominance_conditional(dom, s, e, phenotyped, var_d, prec_e);
        const double d = c.mean + static_cast<double>(r.normal()) / std::sqrt(c.precision);
        dom.value[s] = d;
        change_infinitesimal_effects(ph, i, 0, ph.infpoleff[i][0], d);
    }
    shift_identical_groups(p, dom, ph, r);
}

void shift_identical_groups(const Par& p, TimDominance& dom, Phe& ph, Rng& r)
{
    const double var_d = p.timdom_cov[0][0];
    if (!dom.active || !(var_d > 0.0)) return;
    const double prec_e = p.res_prec[0][0];
    const int m = static_cast<int>(dom.carriers.size());
    for (std::size_t g = 0; g + 1 < dom.group_start.size(); ++g) {
        const int* first = dom.group_slots.data() + dom.group_start[g];
        const int* last = dom.group_slots.data() + dom.group_start[g + 1];
        // log density of the shift t: -(d + t v)' Q (d + t v) / (2 var_d)
        // - sum over records (r_i - t)^2 prec_e / 2, r_i the current residual.
        double vQd = 0.0, vQv = 0.0, data_prec = 0.0, data_sum = 0.0;
        for (const int* a = first; a != last; ++a) {
            const double* q = dom.precision[*a];
            vQd += dense_dot(q, dom.value.data(), 0, m);
            for (const int* b = first; b != last; ++b) vQv += q[*b];
            const int i = dom.carriers[*a];
            if (ph.phenotype[i][0] == kUnknown) continue;
            data_prec += prec_e;
            data_sum += prec_e * ph.residual[i][0];
        }
        const double precision = vQv / var_d + data_prec;
        const double t = (data_sum - vQd / var_d) / precision + static_cast<double>(r.normal()) / std::sqrt(precision);
        for (const int* a = first; a != last; ++a) {
            const int i = dom.carriers[*a];
            dom.value[*a] += t;
            change_infinitesimal_effects(ph, i, 0, ph.infpoleff[i][0], dom.value[*a]);
        }
    }
}

double dominance_quadratic(TimDominance& dom, const Phe& ph)
{
    const int m = static_cast<int>(dom.carriers.size());
    gather_effects(dom, ph);
    const double* d = dom.value.data();
    double sum = 0.0;
    for (int a = 0; a < m; ++a) sum += d[a] * dense_dot(dom.precision[a], d, 0, m);
    return sum;
}

void sample_tim_dominance_variance(Par& p, TimDominance& dom, const Phe& ph, Rng& r)
{
    const int m = static_cast<int>(dom.carriers.size());
    if (!dom.active || m < kMinCarriers) return;
    const double S = dominance_quadratic(dom, ph);
    if (!(S > 0.0)) {
        cprint("\nWarning: Failure Wishart in sample_varTIMdom(),cycle %d", p.cur_sweep);
        return;
    }
    // One trait: the Wishart routine with scale 1/S and m - 2 degrees of
    // freedom, as the polygenic variance step.
    Table<double> scale(1, 1, 1.0 / S), W(1, 1, 0.0);
    const double nu = m - 2.0;
    for (int draw = 0; draw < kMaxDraws; ++draw) {
        if (wishart(scale, nu, 1, W, r) != 0) {
            cprint("\nWarning: Failure Wishart in sample_varTIMdom(),cycle %d", p.cur_sweep);
            return;
        }
        if (!(W[0][0] > 0.0)) continue;
        const double var_d = 1.0 / W[0][0];
        if (var_d > kMaxShareOfPhenotypic * p.pheno_cov[0][0]) continue;
        p.timdom_cov[0][0] = var_d;
        return;
    }
}

}  // namespace vsk
