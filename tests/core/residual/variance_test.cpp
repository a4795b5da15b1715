// SampleVarERR and SampleVarR: small-data guard, plausibility limit,
// degenerate sums, and the residual draw against its exact moments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/residual/residual.h"
#include "core/state/console.h"
#include "residual_fixture.h"
#include "support/test_support.h"

namespace {

using residual_test::make_model;
using residual_test::Model;
using residual_test::RunningStat;

TEST(SampleVarERR, SmallDataSetKeepsTheMatrix)
{
    Model m = make_model(2, {}, {}, 15);
    for (int i = 9; i < 15; ++i) residual_test::set_row(m.ph.phenotype, i, {vsk::kUnknown, vsk::kUnknown});
    for (int i = 0; i < static_cast<int>(m.o.size()); ++i) residual_test::set_row(m.ph.residual, i, {0.3, -0.2});
    vsk::Rng r, fresh;
    vsk::sample_var_err(m.p, m.ph, r);
    EXPECT_EQ(m.p.res_cov[0][0], 1.0);
    EXPECT_EQ(m.p.res_cov[0][1], 0.0);
    EXPECT_EQ(r.next32(), fresh.next32());
}

TEST(SampleVarERR, TooFewPhenotypedForADrawWarnsInsteadOfEnding)
{
    Model m = make_model(2, {}, {}, 25);
    for (int i = 2; i < 25; ++i) residual_test::set_row(m.ph.phenotype, i, {vsk::kUnknown, vsk::kUnknown});
    residual_test::set_row(m.ph.residual, 0, {1.0, 0.5});
    residual_test::set_row(m.ph.residual, 1, {-0.4, 0.9});
    m.p.cur_sweep = 7;
    testsupport::CapturedStream out;
    vsk::set_console_stream(out.stream());
    vsk::Rng r;
    vsk::sample_var_err(m.p, m.ph, r);
    vsk::set_console_stream(nullptr);
    EXPECT_EQ(out.text(), "\nWarning: Failure Wishart in sample_varERR(),cycle 7");
    EXPECT_EQ(m.p.res_cov[0][0], 1.0);
}

// Given residuals with sum of squares S over m individuals, Sigma^-1 is
// Wishart(S^-1, m - 1) with one trait (nu = m - 2, one added by the draw):
// E[1 / sigma2] = (m - 1) / S when m - 1 is even.
TEST(SampleVarERRStat, PrecisionHasItsExactMean)
{
    const int n = 31;
    Model m = make_model(1, {}, {}, n);
    std::mt19937 g(9);
    std::normal_distribution<double> z(0.0, 1.5);
    double S = 0;
    for (int i = 0; i < n; ++i) {
        m.ph.residual[i][0] = z(g);
        S += m.ph.residual[i][0] * m.ph.residual[i][0];
    }
    vsk::Rng r;
    r.seed(3);
    RunningStat prec;
    for (int k = 0; k < 20000; ++k) {
        vsk::sample_var_err(m.p, m.ph, r);
        prec.add(m.p.res_prec[0][0]);
        ASSERT_NEAR(m.p.res_cov[0][0] * m.p.res_prec[0][0], 1.0, 1e-12);
        ASSERT_NEAR(m.p.res_logdet, std::log(m.p.res_cov[0][0]), 1e-12);
    }
    const double expected = (n - 1) / S;
    EXPECT_NEAR(prec.mean, expected, 4 * prec.sd() / std::sqrt(prec.n));
}

TEST(SampleVarR, ImplausibleDrawIsDiscardedSilently)
{
    Model m = make_model(1, {6}, {{1}}, 6);
    m.p.nuis_cov[0][0][0] = 0.3;
    for (int l = 0; l < 6; ++l) m.p.nuis_effects[m.p.level_first[1] + l][0] = 5.0 * (l % 2 ? 1 : -1);
    m.p.pheno_cov[0][0] = 1.0;  // any draw (about 25) exceeds 4 x 1
    testsupport::CapturedStream out;
    vsk::set_console_stream(out.stream());
    vsk::Rng r;
    vsk::sample_var_r(m.p, r, 1, 0);
    vsk::set_console_stream(nullptr);
    EXPECT_EQ(m.p.nuis_cov[0][0][0], 0.3);
    EXPECT_EQ(out.text(), "");
}

// Too few levels: announced once before the chain, so every sweep keeps the
// matrix without a word and without a draw.
TEST(SampleVarR, TooFewLevelsKeepTheMatrixQuietly)
{
    Model m = make_model(1, {2}, {{1}}, 4);
    m.p.nuis_cov[2][0][0] = 0.3;
    m.p.nuis_effects[m.p.level_first[1]][0] = 0.5;
    m.p.nuis_effects[m.p.level_first[1] + 1][0] = -0.5;
    m.p.cur_sweep = 12;
    testsupport::CapturedStream out;
    vsk::set_console_stream(out.stream());
    vsk::Rng r, fresh;
    vsk::sample_var_r(m.p, r, 1, 2);
    vsk::set_console_stream(nullptr);
    EXPECT_EQ(m.p.nuis_cov[2][0][0], 0.3);
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(r.next32(), fresh.next32());
}

// The levels needed: traits + 1 + traits sampled. Below that the factor is
// named once; from there on its covariance is drawn.
TEST(SampleVarR, HeldCovarianceIsAnnouncedOnceWithTheLevelsNeeded)
{
    struct Case {
        int traits;
        int levels;
        std::vector<int> codes;
        bool held;
    };
    const Case cases[] = {{1, 2, {1}, true}, {1, 3, {1}, false}, {2, 4, {1, 1}, true},
                          {2, 5, {1, 1}, false}, {2, 3, {1, 2}, true}, {2, 4, {1, 2}, false}};
    for (const Case& c : cases) {
        Model m = make_model(c.traits, {c.levels}, {c.codes}, 2 * c.levels);
        m.p.namesN = {"FACTOR0", "block"};
        for (int i = 0; i < 2 * c.levels; ++i) m.o[i].X_nuis[1] = i / 2 + 1;  // two records a level
        EXPECT_EQ(vsk::levels_drawn(m.p, m.o, m.ph, 1), c.levels);
        testsupport::CapturedStream out;
        vsk::set_console_stream(out.stream());
        vsk::report_held_nuisance_covariances(m.p, m.o, m.ph);
        vsk::set_console_stream(nullptr);
        const std::string text = out.text();
        EXPECT_EQ(text.find("random nuisance variable 1 (block) has") != std::string::npos, c.held)
            << c.traits << " traits, " << c.levels << " levels: " << text;
        if (!c.held) continue;
        for (int l = 0; l < c.levels; ++l)
            for (int j = 0; j < c.traits; ++j) m.p.nuis_effects[m.p.level_first[1] + l][j] = 0.1 * (l + 1) + j;
        vsk::Rng r, fresh;
        testsupport::CapturedStream sweep;
        vsk::set_console_stream(sweep.stream());
        vsk::sample_var_r(m.p, r, 1, 0);
        vsk::set_console_stream(nullptr);
        EXPECT_EQ(sweep.text(), "") << "the chain stays quiet";
        EXPECT_EQ(r.next32(), fresh.next32());
    }
}

// A level with a single record is never drawn and does not count.
TEST(SampleVarR, LevelsWithOneRecordOrNoPhenotypeDoNotCount)
{
    Model m = make_model(1, {3}, {{1}}, 5);
    const int level[5] = {1, 1, 2, 3, 3};
    for (int i = 0; i < 5; ++i) m.o[i].X_nuis[1] = level[i];
    EXPECT_EQ(vsk::levels_drawn(m.p, m.o, m.ph, 1), 2);
    m.ph.phenotype[4][0] = vsk::kUnknown;
    EXPECT_EQ(vsk::levels_drawn(m.p, m.o, m.ph, 1), 1);
}

TEST(SampleVarR, ZeroDiagonalIsReported)
{
    Model m = make_model(2, {5}, {{1, 1}}, 5);
    for (int l = 0; l < 5; ++l) m.p.nuis_effects[m.p.level_first[1] + l][0] = 0.1 * (l + 1);
    testsupport::CapturedStream out;
    vsk::set_console_stream(out.stream());
    vsk::Rng r;
    vsk::sample_var_r(m.p, r, 1, 0);
    vsk::set_console_stream(nullptr);
    EXPECT_NE(out.text().find("\nsample_varR(): Diagonal 2 equal to zero!!"), std::string::npos);
}

// Only the traits with code 1 are drawn; a code-2 trait keeps its entries.
TEST(SampleVarR, OnlyTraitsWithCodeOneAreDrawn)
{
    Model m = make_model(2, {30}, {{1, 2}}, 30);
    m.p.nuis_cov[0][0][0] = 0.3;
    m.p.nuis_cov[0][1][1] = 0.7;
    std::mt19937 g(1);
    std::normal_distribution<double> z;
    for (int l = 0; l < 30; ++l) {
        m.p.nuis_effects[m.p.level_first[1] + l][0] = 0.5 * z(g);
        m.p.nuis_effects[m.p.level_first[1] + l][1] = z(g);
    }
    vsk::Rng r;
    vsk::sample_var_r(m.p, r, 1, 0);
    EXPECT_NE(m.p.nuis_cov[0][0][0], 0.3);
    EXPECT_EQ(m.p.nuis_cov[0][1][1], 0.7);
    EXPECT_EQ(m.p.nuis_cov[0][0][1], 0.0);
}

}  // namespace
