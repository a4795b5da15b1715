// R-hat and effective sample sizes across chains: a reference computation on
// fixed chains, the lazy autocovariances against the direct sums, and the
// behaviour on chains whose answer is known (Stat suites).
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "post/chain_diagnostics.h"

using rvn::ChainDraws;

namespace {

// Three deterministic, wavy chains of odd length (the split drops a draw).
ChainDraws wavy_chains()
{
    ChainDraws c(3, std::vector<double>(41));
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 41; ++i) c[k][i] = std::sin(0.7 * i + k) + 0.1 * k + 0.05 * ((i * 7 + k * 3) % 5);
    return c;
}

// Two short autoregressive chains driven by a deterministic sequence.
ChainDraws ar_chains()
{
    ChainDraws c(2, std::vector<double>(30));
    for (int k = 0; k < 2; ++k) {
        double x = 0.3 * k;
        for (int i = 0; i < 30; ++i) {
            x = 0.8 * x + std::cos(1.3 * i * i + k);
            c[k][i] = x;
        }
    }
    return c;
}

ChainDraws ar1(int chains, int n, double phi, double shift_per_chain, unsigned seed)
{
    std::mt19937 gen(seed);
    std::normal_distribution<double> e(0.0, 1.0);
    ChainDraws c(chains, std::vector<double>(n));
    for (int k = 0; k < chains; ++k) {
        double x = e(gen) / std::sqrt(1.0 - phi * phi);
        for (int i = 0; i < n; ++i) {
            x = phi * x + e(gen);
            c[k][i] = x + shift_per_chain * k;
        }
    }
    return c;
}

}  // namespace

// Values of an independent transcription of the published reference code.
TEST(ChainDiagnostics, MatchesTheReferenceComputation)
{
    struct Case {
        ChainDraws chains;
        double rhat, bulk, tail;
    };
    const Case cases[] = {
        {wavy_chains(), 0.991877876479, 51.761664477588, 86.427046870998},
        {ar_chains(), 1.050627942132, 20.390547235394, 22.809558291093},
    };
    for (const Case& k : cases) {
        const rvn::Convergence c = rvn::chain_convergence(k.chains);
        EXPECT_NEAR(c.rhat, k.rhat, 1e-9);
        EXPECT_NEAR(c.ess_bulk, k.bulk, 1e-7);
        EXPECT_NEAR(c.ess_tail, k.tail, 1e-7);
        EXPECT_FALSE(c.constant);
    }
    EXPECT_NEAR(rvn::ess_basic(ar_chains()), 18.879498419704, 1e-8);
}

TEST(ChainDiagnostics, BasicRhatByHand)
{
    // Means 2.5 and 3.5, within variances 5/3: sqrt((3/4 W + B/4) / W) with B = 2.
    EXPECT_NEAR(rvn::rhat_basic({{1, 2, 3, 4}, {2, 3, 4, 5}}), std::sqrt(1.05), 1e-12);
    EXPECT_TRUE(std::isnan(rvn::rhat_basic({{1, 2, 3}})));
}

TEST(ChainDiagnostics, SplitsRanksAndTies)
{
    const ChainDraws split = rvn::split_chains({{1, 2, 3, 4, 5}});
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0], (std::vector<double>{1, 2}));
    EXPECT_EQ(split[1], (std::vector<double>{4, 5}));
    // Ties share the normal score of their average rank; scores are symmetric.
    const ChainDraws z = rvn::rank_normalise({{3, 1, 2, 2}});
    EXPECT_DOUBLE_EQ(z[0][2], z[0][3]);
    EXPECT_NEAR(z[0][2], 0.0, 1e-12);
    EXPECT_NEAR(z[0][0], -z[0][1], 1e-12);
    EXPECT_NEAR(z[0][0], 1.0491313979639, 1e-9);  // Phi^-1((4 - 3/8) / 4.25)
    EXPECT_DOUBLE_EQ(rvn::pooled_quantile({{4, 1}, {3, 2}}, 0.5), 2.5);
}

TEST(ChainDiagnostics, ConstantQuantityIsNotJudged)
{
    const rvn::Convergence c = rvn::chain_convergence({{2, 2, 2, 2, 2}, {2, 2, 2, 2, 2}});
    EXPECT_TRUE(c.constant);
    std::string why;
    EXPECT_EQ(rvn::holding_back({{"nQTL", c}}, why), "");
}

TEST(ChainDiagnostics, VerdictNamesTheWorstQuantity)
{
    rvn::Convergence good{1.001, 900, 800, false};
    rvn::Convergence slow{1.004, 900, 150, false};
    rvn::Convergence split{1.08, 60, 50, false};
    std::string why;
    EXPECT_EQ(rvn::holding_back({{"a", good}}, why), "");
    EXPECT_EQ(rvn::holding_back({{"a", good}, {"b", slow}}, why), "b");
    EXPECT_NE(why.find("ESS 150"), std::string::npos) << why;
    EXPECT_EQ(rvn::holding_back({{"a", good}, {"b", slow}, {"c", split}}, why), "c");
    EXPECT_NE(why.find("R-hat 1.080"), std::string::npos) << why;
}

TEST(ChainDiagnosticsStat, IdenticalAutoregressiveChainsGiveRhatNearOne)
{
    const ChainDraws one = ar1(1, 4000, 0.5, 0.0, 11);
    const ChainDraws four{one[0], one[0], one[0], one[0]};
    const rvn::Convergence c = rvn::chain_convergence(four);
    EXPECT_LT(c.rhat, 1.01);
    EXPECT_GT(c.rhat, 0.99);
}

TEST(ChainDiagnosticsStat, ShiftedMeansGiveLargeRhat)
{
    const rvn::Convergence c = rvn::chain_convergence(ar1(4, 1000, 0.5, 1.0, 12));
    EXPECT_GT(c.rhat, 1.1);
    std::string why;
    EXPECT_EQ(rvn::holding_back({{"mu", c}}, why), "mu");
}

TEST(ChainDiagnosticsStat, WhiteNoiseEssIsItsLength)
{
    // 4 x 2500 independent draws: the sampling sd of the ESS is a few percent.
    const rvn::Convergence c = rvn::chain_convergence(ar1(4, 2500, 0.0, 0.0, 13));
    EXPECT_NEAR(c.ess_bulk / 10000.0, 1.0, 0.1);
    EXPECT_NEAR(c.ess_tail / 10000.0, 1.0, 0.15);
    EXPECT_LT(c.rhat, 1.01);
}

TEST(ChainDiagnosticsStat, AutoregressiveEssFollowsTheTheory)
{
    // AR(1) with phi 0.6: ESS = N (1 - phi) / (1 + phi) = N / 4.
    const ChainDraws c = ar1(4, 5000, 0.6, 0.0, 14);
    EXPECT_NEAR(rvn::ess_basic(c) / 5000.0, 1.0, 0.12);
    EXPECT_NEAR(rvn::chain_convergence(c).ess_bulk / 5000.0, 1.0, 0.12);
}
