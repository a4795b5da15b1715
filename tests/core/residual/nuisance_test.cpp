// SampleNuisance: reference level, small levels, bounds, the residual
// invariant, and one Gibbs step against its analytic conditional.
#include <gtest/gtest.h>

#include "core/residual/residual.h"
#include "core/state/console.h"
#include "residual_fixture.h"
#include "support/test_support.h"

namespace {

using residual_test::make_model;
using residual_test::Model;
using residual_test::RunningStat;

// Individuals placed in the levels of column 1 by `sizes`, Y drawn around 3.
Model fixed_column(const std::vector<int>& sizes, int code)
{
    int n = 0;
    for (int s : sizes) n += s;
    Model m = make_model(1, {static_cast<int>(sizes.size())}, {{code}}, n);
    std::mt19937 g(3);
    std::normal_distribution<double> z(3.0, 1.0);
    int i = 0;
    for (int l = 0; l < static_cast<int>(sizes.size()); ++l)
        for (int k = 0; k < sizes[l]; ++k, ++i) {
            m.o[i].X_nuis[1] = l + 1;
            m.ph.Y[i][0] = m.ph.residual[i][0] = z(g);
        }
    return m;
}

TEST(SampleNuisance, FixedColumnKeepsLevelsUpToTheFirstWithTwoIndividuals)
{
    Model m = fixed_column({1, 1, 5, 3}, 0);
    const int first = m.p.level_first[1];
    for (int l = 0; l < 4; ++l) m.p.nuis_effects[first + l][0] = 0.5 * (l + 1);
    for (int i = 0; i < static_cast<int>(m.o.size()); ++i) m.ph.residual[i][0] -= 0.5 * m.o[i].X_nuis[1];
    vsk::Rng r;
    vsk::sample_nuisance(m.p, m.o, m.ph, m.b, r, 1, 0, 0);
    EXPECT_EQ(m.p.nuis_effects[first][0], 0.5);
    EXPECT_EQ(m.p.nuis_effects[first + 1][0], 1.0);
    EXPECT_EQ(m.p.nuis_effects[first + 2][0], 1.5);  // the reference
    EXPECT_NE(m.p.nuis_effects[first + 3][0], 2.0);
    EXPECT_LT(residual_test::max_residual_error(m), 1e-12);
}

TEST(SampleNuisance, RandomLevelWithOneIndividualIsNeverDrawn)
{
    Model m = fixed_column({1, 4, 3}, 1);
    m.p.nuis_cov[0][0][0] = 0.5;
    const int first = m.p.level_first[1];
    m.p.nuis_effects[first][0] = 0.25;
    m.ph.residual[0][0] -= 0.25;
    vsk::Rng r;
    vsk::sample_nuisance(m.p, m.o, m.ph, m.b, r, 1, 0, 1);
    EXPECT_EQ(m.p.nuis_effects[first][0], 0.25);
    EXPECT_NE(m.p.nuis_effects[first + 1][0], 0.0);  // no reference for random columns
    EXPECT_LT(residual_test::max_residual_error(m), 1e-12);
}

TEST(SampleNuisance, DrawOutsideBoundsKeepsThatTraitsOldValue)
{
    Model m = make_model(2, {}, {}, 40);
    std::mt19937 g(5);
    std::normal_distribution<double> z;
    for (int i = 0; i < 40; ++i) {
        m.ph.Y[i][0] = m.ph.residual[i][0] = 10.0 + z(g);
        m.ph.Y[i][1] = m.ph.residual[i][1] = z(g);
    }
    m.b.mean_upper[0] = 1.0;  // trait 1's mean (about 10) is out of bounds
    m.b.mean_lower[0] = -1.0;
    vsk::Rng r;
    vsk::sample_nuisance(m.p, m.o, m.ph, m.b, r, 0, 0, 0);
    EXPECT_EQ(m.p.nuis_effects[0][0], 0.0);
    EXPECT_NE(m.p.nuis_effects[0][1], 0.0);
    EXPECT_LT(residual_test::max_residual_error(m), 1e-12);
}

TEST(SampleNuisance, UnphenotypedAndClasslessIndividualsAreLeftAlone)
{
    Model m = fixed_column({3, 3}, 0);
    m.o[0].X_nuis[1] = 0;  // no class in this column
    m.ph.phenotype[4][0] = vsk::kUnknown;
    const double r0 = m.ph.residual[0][0] = 123.0;
    m.ph.Y[0][0] = 123.0;
    const double r4 = m.ph.residual[4][0];
    vsk::Rng r;
    vsk::sample_nuisance(m.p, m.o, m.ph, m.b, r, 1, 0, 0);
    EXPECT_EQ(m.ph.residual[0][0], r0);
    EXPECT_EQ(m.ph.residual[4][0], r4);
}

// Two traits, random column with known G and R: the draw of a level follows
// N(V R^-1 y, V) with V = (n R^-1 + G^-1)^-1.
TEST(SampleNuisanceStat, RandomLevelFollowsItsConditional)
{
    const int n = 5;
    Model m = make_model(2, {1}, {{1, 1}}, n);
    residual_test::set_residual_cov(m.p, {{1.0, 0.5}, {0.5, 2.0}});
    m.p.nuis_cov[0][0][0] = 0.8;
    m.p.nuis_cov[0][0][1] = m.p.nuis_cov[0][1][0] = -0.2;
    m.p.nuis_cov[0][1][1] = 0.4;
    std::vector<double> y0 = {0.3, 1.1, -0.4, 0.9, 0.5}, y1 = {1.0, -0.5, 0.7, 0.2, 1.3};
    for (int i = 0; i < n; ++i) {
        m.ph.residual[i][0] = y0[i];
        m.ph.residual[i][1] = y1[i];
    }
    // Analytic conditional.
    vsk::Table<double> C(2, 2), Gi(2, 2), V(2, 2);
    vsk::mat_copy(m.p.nuis_cov[0], Gi, 2, 2);
    vsk::invert(Gi, 2);
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b) C[a][b] = n * m.p.res_prec[a][b] + Gi[a][b];
    vsk::mat_copy(C, V, 2, 2);
    vsk::invert(V, 2);
    double s0 = 0, s1 = 0;
    for (int i = 0; i < n; ++i) s0 += y0[i], s1 += y1[i];
    const double r0 = m.p.res_prec[0][0] * s0 + m.p.res_prec[0][1] * s1;
    const double r1 = m.p.res_prec[1][0] * s0 + m.p.res_prec[1][1] * s1;
    const double mu0 = V[0][0] * r0 + V[0][1] * r1, mu1 = V[1][0] * r0 + V[1][1] * r1;

    vsk::Rng r;
    r.seed(11);
    RunningStat e0, e1, prod;
    const int row = m.p.level_first[1];
    const int draws = 20000;
    for (int k = 0; k < draws; ++k) {
        vsk::sample_nuisance(m.p, m.o, m.ph, m.b, r, 1, 0, 1);
        const double a = m.p.nuis_effects[row][0], b = m.p.nuis_effects[row][1];
        e0.add(a);
        e1.add(b);
        prod.add((a - mu0) * (b - mu1));
    }
    EXPECT_NEAR(e0.mean, mu0, 4 * std::sqrt(V[0][0] / draws));
    EXPECT_NEAR(e1.mean, mu1, 4 * std::sqrt(V[1][1] / draws));
    EXPECT_NEAR(e0.var(), V[0][0], 0.05 * V[0][0]);
    EXPECT_NEAR(e1.var(), V[1][1], 0.05 * V[1][1]);
    EXPECT_NEAR(prod.mean, V[0][1], 0.05 * std::sqrt(V[0][0] * V[1][1]));
}

// A column that only trait 1 includes must use trait 2's residuals too when
// the residuals are correlated: mean V (R^-1)_{1,.} y, variance 1/(n R^-1_11).
TEST(SampleNuisanceStat, SubsetOfTraitsConditionsOnAllResiduals)
{
    const int n = 4;
    Model m = make_model(2, {1}, {{0, -1}}, n);
    residual_test::set_residual_cov(m.p, {{1.0, 0.8}, {0.8, 1.0}});
    const double y0[] = {0.5, 0.7, 0.2, 0.6}, y1[] = {-1.0, -0.6, -1.2, -0.8};
    for (int i = 0; i < n; ++i) m.ph.residual[i][0] = y0[i], m.ph.residual[i][1] = y1[i];
    double s0 = 0, s1 = 0;
    for (int i = 0; i < n; ++i) s0 += y0[i], s1 += y1[i];
    const double v = 1.0 / (n * m.p.res_prec[0][0]);
    const double mu = v * (m.p.res_prec[0][0] * s0 + m.p.res_prec[0][1] * s1);
    vsk::Rng r;
    r.seed(5);
    RunningStat e;
    const int row = m.p.level_first[1];
    for (int k = 0; k < 20000; ++k) {
        vsk::sample_nuisance(m.p, m.o, m.ph, m.b, r, 1, 0, 0);
        e.add(m.p.nuis_effects[row][0]);
        ASSERT_EQ(m.p.nuis_effects[row][1], 0.0);
    }
    EXPECT_NEAR(e.mean, mu, 4 * std::sqrt(v / e.n));
    EXPECT_NEAR(e.var(), v, 0.05 * v);
}

}  // namespace
