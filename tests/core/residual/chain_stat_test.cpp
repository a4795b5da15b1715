// Whole residual-model chains on simulated data with known truth: the
// posterior means of the residual covariance, the random-effect covariance
// and the fixed effects must cover the true values.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "core/residual/residual.h"
#include "core/state/console.h"
#include "residual_fixture.h"
#include "support/test_support.h"

namespace {

using residual_test::make_model;
using residual_test::Model;
using residual_test::RunningStat;
using Matrix = std::vector<std::vector<double>>;

struct Truth {
    std::vector<double> mean;
    Matrix fixed;   // [level][trait], level 0 the reference (0)
    Matrix G, R;
};

// Column 1: fixed factor (code 0), column 2: random factor (code 1).
Model simulate(const Truth& truth, int n, int random_levels, double missing_share, unsigned seed)
{
    const int t = static_cast<int>(truth.mean.size());
    const int fixed_levels = static_cast<int>(truth.fixed.size());
    Model m = make_model(t, {fixed_levels, random_levels},
                         {std::vector<int>(t, 0), std::vector<int>(t, 1)}, n);
    std::mt19937 g(seed);
    std::vector<std::vector<double>> u(random_levels);
    for (auto& v : u) v = residual_test::mvn(g, truth.G);
    std::uniform_real_distribution<double> unif;
    for (int i = 0; i < n; ++i) {
        vsk::Obs& ind = m.o[i];
        double* Y = m.ph.Y[i];
        std::int8_t* flag = m.ph.phenotype[i];
        ind.X_nuis[1] = i % fixed_levels + 1;
        ind.X_nuis[2] = (i / fixed_levels) % random_levels + 1;
        const std::vector<double> e = residual_test::mvn(g, truth.R);
        for (int j = 0; j < t; ++j)
            Y[j] = truth.mean[j] + truth.fixed[ind.X_nuis[1] - 1][j] + u[ind.X_nuis[2] - 1][j] + e[j];
        // A missing second trait is imputed in the chain; a single trait
        // missing leaves the individual without phenotype, as the data
        // reader marks it.
        if (unif(g) < missing_share) {
            if (t == 2) {
                flag[1] = 0;
                Y[1] = 0.0;
            } else {
                flag[0] = vsk::kUnknown;
                Y[0] = 0.0;
            }
        }
        std::copy(Y, Y + t, m.ph.residual[i]);
    }
    // Start values and bounds as the start-up step sets them.
    for (int j = 0; j < t; ++j) {
        RunningStat y;
        for (int i = 0; i < n; ++i)
            if (m.ph.phenotype[i][j] == 1) y.add(m.ph.Y[i][j]);
        m.p.nuis_effects[0][j] = y.mean;
        for (int i = 0; i < n; ++i)
            if (m.ph.phenotype[i][j] == 1) m.ph.residual[i][j] -= y.mean;
        m.p.pheno_cov[j][j] = y.var();
        m.b.mean_upper[j] = y.mean + 2 * y.sd();
        m.b.mean_lower[j] = y.mean - 2 * y.sd();
        m.b.nuis_upper[j] = 2 * y.sd();
        m.b.nuis_lower[j] = -2 * y.sd();
    }
    return m;
}

struct Posterior {
    std::vector<RunningStat> mean, R, G;
    std::vector<std::vector<RunningStat>> fixed;
};

Posterior run_chain(Model& m, int burn_in, int samples, unsigned seed)
{
    const int t = m.p.n_traits;
    vsk::Rng r;
    r.seed(seed);
    vsk::sample_var_err(m.p, m.ph, r);
    for (int a = 0; a < t; ++a)
        for (int b = 0; b < t; ++b) m.p.nuis_cov[0][a][b] = 0.05 * m.p.res_cov[a][b];
    vsk::augment_phenotypes(m.p, m.o, m.ph, r);
    double lcalls = 0, pcalls = 0;
    Posterior post;
    post.mean.resize(t);
    post.R.resize(t * t);
    post.G.resize(t * t);
    const int fixed_levels = m.p.level_last[1] - m.p.level_first[1] + 1;
    post.fixed.assign(fixed_levels, std::vector<RunningStat>(t));
    for (int sweep = 0; sweep < burn_in + samples; ++sweep) {
        m.p.cur_sweep = sweep;
        vsk::sample_nuisance(m.p, m.o, m.ph, m.b, r, 0, 0, 0);
        vsk::sample_nuisance(m.p, m.o, m.ph, m.b, r, 1, 0, 0);
        vsk::sample_nuisance(m.p, m.o, m.ph, m.b, r, 2, 0, 1);
        vsk::sample_var_r(m.p, r, 2, 0);
        vsk::sample_var_err(m.p, m.ph, r);
        vsk::calc_likelihood(m.p, m.ph, lcalls);
        vsk::prediction_phenotype(m.p, {}, {}, m.ph, pcalls);
        vsk::augment_phenotypes(m.p, m.o, m.ph, r);
        if (sweep < burn_in) continue;
        for (int a = 0; a < t; ++a) {
            post.mean[a].add(m.p.nuis_effects[0][a]);
            for (int b = 0; b < t; ++b) {
                post.R[a * t + b].add(m.p.res_cov[a][b]);
                post.G[a * t + b].add(m.p.nuis_cov[0][a][b]);
            }
            for (int l = 0; l < fixed_levels; ++l) post.fixed[l][a].add(m.p.nuis_effects[m.p.level_first[1] + l][a]);
        }
    }
    return post;
}

// Within `k` posterior standard deviations of the truth.
// VOSKARA_STAT_VERBOSE=1 prints every figure.
void expect_covers(const RunningStat& s, double truth, const char* what, double k = 3.5)
{
    if (std::getenv("VOSKARA_STAT_VERBOSE"))
        std::printf("%-26s truth %8.4f  posterior mean %8.4f  sd %7.4f\n", what, truth, s.mean, s.sd());
    EXPECT_LE(std::fabs(s.mean - truth), k * s.sd()) << what << ": posterior mean " << s.mean << ", sd "
                                                     << s.sd() << ", truth " << truth;
}

TEST(ResidualChainStat, TwoTraitsWithFixedRandomAndMissing)
{
    const Truth truth{{5.0, -2.0},
                      {{0, 0}, {0.5, -0.4}, {-0.3, 0.2}, {0.8, 0.6}},
                      {{0.5, 0.2}, {0.2, 0.4}},
                      {{1.0, 0.5}, {0.5, 2.0}}};
    Model m = simulate(truth, 600, 30, 0.2, 17);
    const Posterior post = run_chain(m, 300, 3000, 23);
    for (int a = 0; a < 2; ++a) {
        for (int b = 0; b < 2; ++b) {
            expect_covers(post.R[a * 2 + b], truth.R[a][b], "residual covariance");
            expect_covers(post.G[a * 2 + b], truth.G[a][b], "random-effect covariance");
        }
        for (int l = 1; l < 4; ++l) expect_covers(post.fixed[l][a], truth.fixed[l][a], "fixed effect");
        EXPECT_EQ(post.fixed[0][a].mean, 0.0);  // the reference level
    }
    // Incremental residual updates must agree with Y minus all effects.
    EXPECT_LT(residual_test::max_residual_error(m), 1e-9);
    // With a correlation of 0.35 the imputed residual pairs carry it too.
    EXPECT_GT(post.R[1].mean, 0.3);
}

TEST(ResidualChainStat, OneTrait)
{
    const Truth truth{{10.0}, {{0}, {1.0}, {-0.5}}, {{0.8}}, {{1.5}}};
    Model m = simulate(truth, 440, 25, 0.1, 41);
    const Posterior post = run_chain(m, 300, 3000, 43);
    expect_covers(post.R[0], 1.5, "residual variance");
    expect_covers(post.G[0], 0.8, "random-effect variance");
    expect_covers(post.fixed[1][0], 1.0, "fixed effect 2");
    expect_covers(post.fixed[2][0], -0.5, "fixed effect 3");
    EXPECT_LT(residual_test::max_residual_error(m), 1e-9);
}

TEST(ResidualChain, SameSeedGivesTheSameChain)
{
    const Truth truth{{1.0, 2.0}, {{0, 0}, {0.3, 0.1}}, {{0.4, 0.0}, {0.0, 0.4}}, {{1.0, 0.2}, {0.2, 1.0}}};
    Model a = simulate(truth, 100, 10, 0.1, 5), b = simulate(truth, 100, 10, 0.1, 5);
    run_chain(a, 0, 50, 9);
    run_chain(b, 0, 50, 9);
    EXPECT_EQ(a.p.res_cov[0][1], b.p.res_cov[0][1]);
    EXPECT_EQ(a.p.loglik_mean, b.p.loglik_mean);
    EXPECT_EQ(a.ph.residual[7][1], b.ph.residual[7][1]);
}

}  // namespace
