// A whole chain of the additive and dominance infinitesimal model with the
// residual model, on crosses of inbred lines simulated from the model: the
// posteriors of the polygenic and the dominance variance cover their
// realised values, and the residuals stay Y minus every fitted term.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/polygenic/tim_dominance.h"
#include "core/residual/residual.h"
#include "core/residual/residual_fixture.h"
#include "tim_fixture.h"

namespace {

using residual_test::RunningStat;
using tim_test::Pedigree;

// Inbred lines crossed in distinct random pairs; per cross four sib F1s and
// eight F2 plants selfed from the first: the sibs share their dominance
// effect, the F2 sibs a quarter of it, and crosses sharing a line their
// additive values.
Pedigree diallel(int lines, int crosses, std::mt19937& g)
{
    Pedigree p(lines, {0, tim_test::kInbred});
    std::uniform_int_distribution<int> pick(1, lines);
    std::vector<std::pair<int, int>> used;
    while (static_cast<int>(used.size()) < crosses) {
        int a = pick(g), b = pick(g);
        if (a > b) std::swap(a, b);
        if (a == b || std::find(used.begin(), used.end(), std::make_pair(a, b)) != used.end()) continue;
        used.emplace_back(a, b);
        const int f1 = static_cast<int>(p.size()) + 1;
        for (int k = 0; k < 4; ++k) p.push_back({a, b});
        for (int k = 0; k < 8; ++k) p.push_back({f1, tim_test::kSelfed});
    }
    return p;
}

struct Chain {
    residual_test::Model m;
    vsk::TimState s;
    double realised_a = 0.0, realised_d = 0.0;
};

Chain simulate(const Pedigree& ped, double var_a, double var_d, double var_e, unsigned seed)
{
    const int n = static_cast<int>(ped.size());
    Chain c{residual_test::make_model(1, {}, {}, n), {}, 0.0, 0.0};
    const std::vector<vsk::Obs> o = tim_test::make_obs(ped);
    for (int i = 0; i < n; ++i) {
        c.m.o[i].fat = o[i].fat;
        c.m.o[i].mot = o[i].mot;
        c.m.o[i].mot_gen = o[i].mot_gen;
    }
    vsk::build_tim_pedigree(c.m.o, true, c.s.ped);
    const vsk::TimPedigree& tp = c.s.ped;
    vsk::Rng r, again;
    r.seed(seed);
    again.seed(seed);
    vsk::build_tim_dominance(tp, r, c.s.dom, true);
    const int m = static_cast<int>(c.s.dom.carriers.size());
    vsk::Table<double> L;  // Cholesky factor of D*: the dominance effects are L z sigma_d
    vsk::drop_genes(tp, c.s.dom.carriers, vsk::kDominanceReplicates, again, L, false);
    for (int s = 0; s < m; ++s) L[s][s] += vsk::kDominanceRidge;
    vsk::cholesky(L, m);

    vsk::Phe& ph = c.m.ph;
    std::mt19937 g(seed);
    std::normal_distribution<double> z;
    std::vector<double> zd(m);
    for (double& v : zd) v = z(g);
    for (int s = 0; s < m; ++s) {
        double d = 0.0;
        for (int k = 0; k <= s; ++k) d += L[s][k] * zd[k];
        ph.timdom[c.s.dom.carriers[s]][0] = std::sqrt(var_d) * d;
    }
    for (int i = 0; i < n; ++i) {
        double u = std::sqrt(var_a / tp.precision[i]) * z(g);
        if (tp.parent0[i] >= 0) u += tp.coef0[i] * ph.infpoleff[tp.parent0[i]][0];
        if (tp.parent1[i] >= 0) u += tp.coef1[i] * ph.infpoleff[tp.parent1[i]][0];
        ph.infpoleff[i][0] = u;
        ph.Y[i][0] = 10.0 + u + ph.timdom[i][0] + std::sqrt(var_e) * z(g);
        if (ped[i].first == 0) ph.phenotype[i][0] = vsk::kUnknown;  // the lines
    }
    // Realised variances: the quadratic forms of the simulated effects.
    vsk::Table<double> S(1, 1);
    vsk::tim_mendelian_products(tp, ph, 1, S);
    c.realised_a = S[0][0] / n;
    c.realised_d = vsk::dominance_quadratic(c.s.dom, ph) / m;
    // Start as a run does: effects 0, mean removed, small variances.
    for (int i = 0; i < n; ++i) {
        ph.infpoleff[i][0] = ph.timdom[i][0] = 0.0;
        ph.residual[i][0] = ph.phenotype[i][0] == 1 ? ph.Y[i][0] - 10.0 : 0.0;
    }
    vsk::Par& p = c.m.p;
    p.nuis_effects[0][0] = 10.0;
    p.tim_cov.assign(1, 1, 0.25 * (var_a + var_d + var_e));
    p.timdom_cov.assign(1, 1, 0.05 * (var_a + var_d + var_e));
    p.pheno_cov[0][0] = 2.0 * (var_a + var_d + var_e);
    return c;
}

TEST(TimDominanceChainStat, DiallelRecoversPolygenicAndDominanceVariances)
{
    std::mt19937 g(17);
    Chain c = simulate(diallel(12, 30, g), 0.5, 0.8, 1.0, 23);
    vsk::Par& p = c.m.p;
    vsk::TimWork& w = c.s.work;
    for (vsk::Table<double>* t : {&w.Rinv, &w.Ginv, &w.C}) t->assign(1, 1);
    for (auto* v : {&w.rhs, &w.w, &w.z, &w.e}) v->assign(1, 0.0);
    vsk::Rng r;
    r.seed(29);
    RunningStat post_a, post_d;
    const int burn_in = 500, samples = 4000;
    for (int sweep = 0; sweep < burn_in + samples; ++sweep) {
        p.cur_sweep = sweep;
        w.Rinv[0][0] = p.res_prec[0][0];
        w.Ginv[0][0] = 1.0 / p.tim_cov[0][0];
        vsk::sample_tim_effects(p, c.s.ped, c.m.o, c.m.ph, r, w, "test");
        vsk::sample_tim_variance(p, c.s.ped, c.m.ph, r);
        vsk::sample_tim_dominance(p, c.s.dom, c.m.ph, r);
        vsk::sample_tim_dominance_variance(p, c.s.dom, c.m.ph, r);
        vsk::sample_nuisance(p, c.m.o, c.m.ph, c.m.b, r, 0, 0, 0);
        vsk::sample_var_err(p, c.m.ph, r);
        if (sweep < burn_in) continue;
        post_a.add(p.tim_cov[0][0]);
        post_d.add(p.timdom_cov[0][0]);
    }
    if (std::getenv("VOSKARA_STAT_VERBOSE"))
        std::printf("additive realised %.4f posterior %.4f (sd %.4f); dominance realised %.4f posterior %.4f (sd %.4f)\n",
                    c.realised_a, post_a.mean, post_a.sd(), c.realised_d, post_d.mean, post_d.sd());
    EXPECT_LE(std::fabs(post_a.mean - c.realised_a), 2.0 * post_a.sd());
    EXPECT_LE(std::fabs(post_d.mean - c.realised_d), 2.0 * post_d.sd());
    // Residuals are Y minus the mean and both effects.
    double worst = 0.0;
    for (int i = 0; i < c.s.ped.n; ++i)
        if (c.m.ph.phenotype[i][0] == 1)
            worst = std::max(worst, std::fabs(c.m.ph.Y[i][0] - p.nuis_effects[0][0] - c.m.ph.infpoleff[i][0] -
                                              c.m.ph.timdom[i][0] - c.m.ph.residual[i][0]));
    EXPECT_LT(worst, 1e-9);
}

}  // namespace
