// Whole chains of the infinitesimal model with the residual model on data
// simulated from the pedigree recursion: the posterior of the polygenic
// covariance covers its realised value, on an outbred and on an inbred-line
// design, and the residuals stay Y minus the fitted terms.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "core/polygenic/tim.h"
#include "core/residual/residual.h"
#include "core/residual/residual_fixture.h"
#include "tim_fixture.h"

namespace {

using residual_test::RunningStat;
using tim_test::Matrix;
using tim_test::Pedigree;

// Founders, then generations of full-sib families whose parents are drawn
// from the previous generation.
Pedigree outbred_design(int founders, int generations, int families, int offspring, std::mt19937& g)
{
    Pedigree p(founders, {0, 0});
    int first = 1, count = founders;
    for (int gen = 0; gen < generations; ++gen) {
        std::uniform_int_distribution<int> pick(first, first + count - 1);
        const int start = static_cast<int>(p.size()) + 1;
        for (int f = 0; f < families; ++f) {
            int s = pick(g), d = pick(g);
            while (d == s) d = pick(g);
            for (int k = 0; k < offspring; ++k) p.push_back({s, d});
        }
        first = start;
        count = families * offspring;
    }
    return p;
}

// Inbred lines crossed in pairs; each F1 gives selfed F2 plants that are
// selfed on for three generations, and doubled haploids.
Pedigree inbred_design(int lines, int crosses, int f2, int dh, std::mt19937& g)
{
    Pedigree p(lines, {0, tim_test::kInbred});
    std::uniform_int_distribution<int> pick(1, lines);
    for (int c = 0; c < crosses; ++c) {
        int a = pick(g), b = pick(g);
        while (b == a) b = pick(g);
        p.push_back({a, b});
        const int f1 = static_cast<int>(p.size());
        for (int k = 0; k < dh; ++k) p.push_back({f1, tim_test::kDbhpld});
        for (int k = 0; k < f2; ++k) {
            p.push_back({f1, tim_test::kSelfed});
            for (int s = 0; s < 3; ++s) p.push_back({static_cast<int>(p.size()), tim_test::kSelfed});
        }
    }
    return p;
}

// Lower Cholesky factor of a 1 x 1 or 2 x 2 covariance.
Matrix factor(const Matrix& c)
{
    if (c.size() == 1) return {{std::sqrt(c[0][0])}};
    const double l00 = std::sqrt(c[0][0]), l10 = c[1][0] / l00;
    return {{l00, 0.0}, {l10, std::sqrt(c[1][1] - l10 * l10)}};
}

struct Chain {
    residual_test::Model m;
    vsk::TimState s;
    Matrix realised;
};

Chain simulate(const Pedigree& ped, const Matrix& G, const Matrix& R, unsigned seed)
{
    const int t = static_cast<int>(G.size()), n = static_cast<int>(ped.size());
    Chain c{residual_test::make_model(t, {}, {}, n), {}, {}};
    std::vector<vsk::Obs> o = tim_test::make_obs(ped);
    for (int i = 0; i < n; ++i) {
        c.m.o[i].fat = o[i].fat;
        c.m.o[i].mot = o[i].mot;
        c.m.o[i].mot_gen = o[i].mot_gen;
    }
    vsk::build_tim_pedigree(c.m.o, true, c.s.ped);
    const vsk::TimPedigree& tp = c.s.ped;
    vsk::Phe& ph = c.m.ph;
    std::mt19937 g(seed);
    std::normal_distribution<double> z;
    const Matrix LG = factor(G), LR = factor(R);
    for (int i = 0; i < n; ++i) {
        const double sd = std::sqrt(1.0 / tp.precision[i]);
        std::vector<double> zg(t), ze(t);
        for (int k = 0; k < t; ++k) zg[k] = z(g), ze[k] = z(g);
        for (int a = 0; a < t; ++a) {
            double u = 0.0, e = 0.0;
            for (int b = 0; b <= a; ++b) u += LG[a][b] * zg[b] * sd, e += LR[a][b] * ze[b];
            if (tp.parent0[i] >= 0) u += tp.coef0[i] * ph.infpoleff[tp.parent0[i]][a];
            if (tp.parent1[i] >= 0) u += tp.coef1[i] * ph.infpoleff[tp.parent1[i]][a];
            ph.infpoleff[i][a] = u;
            ph.Y[i][a] = 10.0 + u + e;
            if (ped[i].first == 0) ph.phenotype[i][a] = vsk::kUnknown;
        }
    }
    vsk::Table<double> S(t, t);
    vsk::tim_mendelian_products(tp, ph, t, S);
    c.realised.assign(t, std::vector<double>(t));
    for (int a = 0; a < t; ++a)
        for (int b = 0; b < t; ++b) c.realised[a][b] = S[a][b] / n;
    // Start as a run does: mean removed, effects 0, G a quarter of the
    // phenotypic variance.
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < t; ++k) {
            ph.infpoleff[i][k] = 0.0;
            ph.residual[i][k] = ph.phenotype[i][0] == 1 ? ph.Y[i][k] - 10.0 : 0.0;
        }
    vsk::Par& p = c.m.p;
    p.tim_cov.assign(t, t, 0.0);
    for (int k = 0; k < t; ++k) {
        p.nuis_effects[0][k] = 10.0;
        p.tim_cov[k][k] = 0.25 * (G[k][k] + R[k][k]);
        p.pheno_cov[k][k] = G[k][k] + R[k][k];
    }
    return c;
}

std::vector<RunningStat> run(Chain& c, int burn_in, int samples, unsigned seed)
{
    vsk::Par& p = c.m.p;
    const int t = p.n_traits;
    vsk::Rng r;
    r.seed(seed);
    vsk::sample_var_err(p, c.m.ph, r);
    c.s.work.Rinv.assign(t, t);
    c.s.work.Ginv.assign(t, t);
    c.s.work.C.assign(t, t);
    for (auto* v : {&c.s.work.rhs, &c.s.work.w, &c.s.work.z, &c.s.work.e}) v->assign(t, 0.0);
    std::vector<RunningStat> post(t * t);
    for (int sweep = 0; sweep < burn_in + samples; ++sweep) {
        p.cur_sweep = sweep;
        vsk::mat_copy(p.res_prec, c.s.work.Rinv, t, t);
        vsk::mat_copy(p.tim_cov, c.s.work.Ginv, t, t);
        vsk::invert(c.s.work.Ginv, t);
        vsk::sample_tim_effects(p, c.s.ped, c.m.o, c.m.ph, r, c.s.work, "test");
        vsk::sample_tim_variance(p, c.s.ped, c.m.ph, r);
        vsk::sample_nuisance(p, c.m.o, c.m.ph, c.m.b, r, 0, 0, 0);
        vsk::sample_var_err(p, c.m.ph, r);
        if (sweep < burn_in) continue;
        for (int a = 0; a < t; ++a)
            for (int b = 0; b < t; ++b) post[a * t + b].add(p.tim_cov[a][b]);
    }
    return post;
}

// Residual = Y - overall mean - polygenic effect for every phenotyped value.
double max_residual_error(const Chain& c)
{
    double worst = 0.0;
    const vsk::Phe& ph = c.m.ph;
    for (int i = 0; i < static_cast<int>(c.m.o.size()); ++i)
        for (int k = 0; k < c.m.p.n_traits; ++k)
            if (ph.phenotype[i][k] == 1)
                worst = std::max(worst, std::fabs(ph.Y[i][k] - c.m.p.nuis_effects[0][k] - vsk::tim_fitted(ph, i, k) -
                                                  ph.residual[i][k]));
    return worst;
}

// The posterior mean lies within `k` posterior standard deviations of the
// realised value. VOSKARA_STAT_VERBOSE=1 prints the figures.
void expect_recovers(const std::vector<RunningStat>& post, const Matrix& realised, const char* what, double k = 2.0)
{
    const int t = static_cast<int>(realised.size());
    for (int a = 0; a < t; ++a)
        for (int b = 0; b < t; ++b) {
            const RunningStat& s = post[a * t + b];
            if (std::getenv("VOSKARA_STAT_VERBOSE"))
                std::printf("%-10s G[%d][%d] realised %7.4f  posterior mean %7.4f  sd %7.4f\n", what, a, b,
                            realised[a][b], s.mean, s.sd());
            EXPECT_LE(std::fabs(s.mean - realised[a][b]), k * s.sd())
                << what << " G[" << a << "][" << b << "]: posterior mean " << s.mean << ", sd " << s.sd()
                << ", realised " << realised[a][b];
        }
}

TEST(TimChainStat, OutbredTwoTraitsRecoverPolygenicCovariance)
{
    std::mt19937 g(31);
    const Pedigree ped = outbred_design(40, 3, 20, 10, g);
    Chain c = simulate(ped, {{0.6, 0.2}, {0.2, 0.4}}, {{1.0, 0.3}, {0.3, 0.8}}, 7);
    const std::vector<RunningStat> post = run(c, 300, 2500, 11);
    expect_recovers(post, c.realised, "outbred");
    EXPECT_LT(max_residual_error(c), 1e-9);
}

TEST(TimChainStat, InbredLinesRecoverPolygenicVariance)
{
    std::mt19937 g(5);
    const Pedigree ped = inbred_design(20, 30, 4, 4, g);
    Chain c = simulate(ped, {{0.5}}, {{1.0}}, 3);
    EXPECT_GT(c.s.ped.raised, 0);  // every F1 of two inbred lines
    const std::vector<RunningStat> post = run(c, 300, 2500, 13);
    expect_recovers(post, c.realised, "inbred");
    EXPECT_LT(max_residual_error(c), 1e-9);
}

}  // namespace
