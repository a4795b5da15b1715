// Wishart draw: moments against the exact distribution, the degenerate and
// non-positive-definite scale paths.
#include <gtest/gtest.h>

#include "core/residual/residual.h"
#include "core/state/console.h"
#include "residual_fixture.h"
#include "support/test_support.h"

namespace {

using residual_test::RunningStat;

// nu = 9: row 0 draws chi2(10), row 1 chi2(9) which the chi-square routine
// takes as chi2(8). With W = L A A' L' and S = I: E[W] = diag(10, 1 + 8).
TEST(WishartStat, MomentsMatchBartlettConstruction)
{
    vsk::Rng r;
    r.seed(2024);
    vsk::Table<double> S(2, 2, 0.0), W;
    S[0][0] = S[1][1] = 1.0;
    RunningStat w00, w11, w01;
    const int draws = 20000;
    for (int k = 0; k < draws; ++k) {
        ASSERT_EQ(vsk::wishart(S, 9.0, 2, W, r), 0);
        w00.add(W[0][0]);
        w11.add(W[1][1]);
        w01.add(W[0][1]);
        ASSERT_DOUBLE_EQ(W[0][1], W[1][0]);
    }
    // Var of chi2(10) is 20, of 1 + chi2(8) about 18: MC errors ~0.03.
    EXPECT_NEAR(w00.mean, 10.0, 4 * std::sqrt(20.0 / draws));
    EXPECT_NEAR(w11.mean, 9.0, 4 * std::sqrt(18.0 / draws));
    EXPECT_NEAR(w01.mean, 0.0, 4 * std::sqrt(10.0 / draws));
    EXPECT_NEAR(w00.var(), 20.0, 1.5);
}

TEST(WishartStat, ScaleEntersAsLSigmaLt)
{
    vsk::Rng r;
    r.seed(7);
    vsk::Table<double> S(2, 2), W;
    S[0][0] = 2.0;
    S[0][1] = S[1][0] = 0.6;
    S[1][1] = 0.5;
    // nu = 11: diagonal df 12 and 10 (exact), so E[W] = L diag(12, 11) L'.
    const double l00 = std::sqrt(2.0), l10 = 0.6 / l00, l11 = std::sqrt(0.5 - l10 * l10);
    const double e00 = 12 * l00 * l00, e01 = 12 * l00 * l10, e11 = 12 * l10 * l10 + 11 * l11 * l11;
    RunningStat w00, w01, w11;
    for (int k = 0; k < 20000; ++k) {
        ASSERT_EQ(vsk::wishart(S, 11.0, 2, W, r), 0);
        w00.add(W[0][0]);
        w01.add(W[0][1]);
        w11.add(W[1][1]);
    }
    EXPECT_NEAR(w00.mean, e00, 4 * w00.sd() / std::sqrt(w00.n));
    EXPECT_NEAR(w01.mean, e01, 4 * w01.sd() / std::sqrt(w01.n));
    EXPECT_NEAR(w11.mean, e11, 4 * w11.sd() / std::sqrt(w11.n));
}

TEST(Wishart, TooFewDegreesOfFreedomFailWithoutDrawing)
{
    vsk::Rng r, fresh;
    vsk::Table<double> S(2, 2, 0.0), W;
    S[0][0] = S[1][1] = 1.0;
    EXPECT_EQ(vsk::wishart(S, 1.0, 2, W, r), 1);
    EXPECT_EQ(r.next32(), fresh.next32());  // no random number consumed
}

TEST(Wishart, NonPositiveScaleIsInflatedThenGivesUp)
{
    testsupport::CapturedStream out;
    vsk::set_console_stream(out.stream());
    vsk::Rng r;
    vsk::Table<double> S(2, 2, 1.0), W;  // singular: all ones
    S[1][1] = 0.999999;                  // slightly indefinite
    EXPECT_EQ(vsk::wishart(S, 5.0, 2, W, r), 0);
    vsk::Table<double> N(2, 2, 0.0);
    N[0][0] = -1.0;
    N[1][1] = 1.0;
    EXPECT_EQ(vsk::wishart(N, 5.0, 2, W, r), 1);
    vsk::set_console_stream(nullptr);
    const std::string text = out.text();
    EXPECT_NE(text.find("\nFailure Cholesky DC in 'wishart()' L "), std::string::npos);
    EXPECT_NE(text.find("\nIncrease diagonals(30.05.02)"), std::string::npos);
    EXPECT_NE(text.find("\tfactor:    1.40"), std::string::npos);
    EXPECT_NE(text.find(" STOPPED after 20 iterations"), std::string::npos);
}

}  // namespace
