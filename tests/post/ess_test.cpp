// Effective chain size, burn-in and convergence-rate diagnostics against
// chains whose answer is known.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "post/console.h"
#include "post/ess.h"
#include "post/sample_project.h"
#include "support/test_support.h"

namespace {

using posttest::state_with_chains;

using rvn::EssResult;

std::vector<double> ar1_chain(int n, double rho, unsigned seed)
{
    std::mt19937 gen(seed);
    std::normal_distribution<double> z(0.0, 1.0);
    std::vector<double> x(n);
    double v = z(gen) / std::sqrt(1.0 - rho * rho);
    for (double& xi : x) {
        v = rho * v + z(gen);
        xi = v;
    }
    return x;
}

// Silences the library console for the test's lifetime.
struct QuietConsole {
    testsupport::CapturedStream out;
    QuietConsole() { rvn::set_console_stream(out.stream()); }
    ~QuietConsole() { rvn::set_console_stream(nullptr); }
};

TEST(EssStat, WhiteNoiseIsCloseToChainLength)
{
    const int n = 20000;
    double total = 0.0;
    const int replicates = 10;
    for (int k = 0; k < replicates; ++k) {
        std::vector<double> x = ar1_chain(n, 0.0, 100 + k);
        EssResult r;
        const int ecs = rvn::calc_ess(x.data(), n, 0, r);
        ASSERT_GE(ecs, 0);
        EXPECT_NEAR(ecs, n, 0.15 * n);
        EXPECT_DOUBLE_EQ(r.ECS, ecs);
        EXPECT_NEAR(r.var0, 1.0, 0.05);
        total += ecs;
    }
    // The estimator's scatter is a few percent of N per chain.
    EXPECT_NEAR(total / replicates, n, 0.05 * n);
}

TEST(EssStat, Ar1ChainsMatchTheirKnownEffectiveSize)
{
    const int n = 20000;
    for (double rho : {0.5, 0.9}) {
        const double expected = n * (1.0 - rho) / (1.0 + rho);
        double total = 0.0;
        const int replicates = 8;
        for (int k = 0; k < replicates; ++k) {
            std::vector<double> x = ar1_chain(n, rho, 7 + k);
            EssResult r;
            const int ecs = rvn::calc_ess(x.data(), n, 0, r);
            ASSERT_GE(ecs, 0) << "rho " << rho;
            EXPECT_GE(r.delta, 1.0);
            total += ecs;
        }
        EXPECT_NEAR(total / replicates, expected, 0.12 * expected) << "rho " << rho;
    }
}

// The estimator written out term by term: autocovariances of the
// post-burn-in part up to and including the first pair whose sum is not
// positive, the Monte Carlo variance summed to lag 2 delta + 1.
int ess_by_the_formula(const std::vector<double>& x, int B, EssResult& r)
{
    const int n = static_cast<int>(x.size()), N = n - B, L = N / 2;
    double m = 0.0;
    for (int i = B; i < n; ++i) m += x[i] / N;
    auto gamma = [&](int lag) {
        double sum = 0.0;
        for (int i = B; i + lag < n; ++i) sum += (m - x[i]) * (m - x[i + lag]);
        return sum / N;
    };
    int delta = 0, k = 0;
    double pair = 0.0;
    for (;; ++k) {
        pair = gamma(2 * k) + gamma(2 * k + 1);
        if (pair > 0.0) ++delta;
        if (2 * k + 4 > L) return -1;
        if (!(pair > 0.0)) break;
    }
    if (!(pair < 0.0)) return -1;
    double sum = gamma(0);
    if (delta > 0)
        for (int l = 1; l <= 2 * delta + 1; ++l) sum += 2.0 * gamma(l);
    r.delta = delta;
    r.var0 = gamma(0);
    r.var = sum / N;
    return static_cast<int>(std::trunc(r.var0 / r.var));
}

TEST(Ess, FollowsTheFormulaTermByTerm)
{
    std::mt19937 gen(29);
    std::normal_distribution<double> z(0.0, 0.05);
    for (int rep = 0; rep < 24; ++rep) {
        std::vector<double> x;
        if (rep % 3 == 2) {
            // Nearly alternating: the first pair sum is close to 0 and the
            // later ones alternate in sign.
            x.resize(600);
            for (int i = 0; i < 600; ++i) x[i] = (i % 2 ? -1.0 : 1.0) + z(gen);
        } else {
            x = ar1_chain(3000, rep % 3 == 0 ? 0.3 : 0.85, 40 + rep);
        }
        const int B = rep % 2 ? 0 : static_cast<int>(x.size()) / 5;
        EssResult expected, found;
        const int want = ess_by_the_formula(x, B, expected);
        const int got = rvn::calc_ess(x.data(), static_cast<int>(x.size()), B, found);
        EXPECT_EQ(got, want) << "rep " << rep;
        if (want < 0) continue;
        EXPECT_EQ(found.delta, expected.delta) << "rep " << rep;
        EXPECT_NEAR(found.var, expected.var, 1e-12 * std::fabs(expected.var)) << "rep " << rep;
        EXPECT_NEAR(found.var0, expected.var0, 1e-12 * expected.var0) << "rep " << rep;
    }
}

TEST(Ess, EdgeCases)
{
    EssResult r;
    // Constant chain: zero variance, no result written.
    std::vector<double> flat(500, 3.0);
    r.ECS = 42;
    EXPECT_EQ(rvn::calc_ess(flat.data(), 500, 0, r), rvn::kEssZeroVariance);
    EXPECT_EQ(r.ECS, 42);
    // Too short for a second pair of autocovariances.
    std::vector<double> tiny = {1.0, 2.0, 0.5, 1.5, 0.7};
    EXPECT_EQ(rvn::calc_ess(tiny.data(), 5, 0, r), rvn::kEssTooShort);
    // Ten rows: the first pair is positive and no room is left for the next.
    std::vector<double> ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(rvn::calc_ess(ten.data(), 10, 0, r), rvn::kEssTooShort);
    // A constant chain whose mean is not exact in floating point still has
    // zero variance.
    std::vector<double> tenth(1000, 0.1);
    EXPECT_EQ(rvn::calc_ess(tenth.data(), 1000, 0, r), rvn::kEssZeroVariance);
    // A burn-in that leaves a single sample cannot give a size.
    std::vector<double> noise = ar1_chain(100, 0.0, 3);
    EXPECT_EQ(rvn::calc_ess(noise.data(), 100, 99, r), rvn::kEssTooShort);
}

TEST(Ess, BurnInCutsTheChainBeforeEstimating)
{
    // A constant start followed by noise: with the start cut away the chain
    // behaves as white noise of length n - B.
    const int n = 4000, B = 1000;
    std::vector<double> x = ar1_chain(n, 0.0, 11);
    for (int i = 0; i < B; ++i) x[i] = 50.0;
    EssResult r;
    const int with_cut = rvn::calc_ess(x.data(), n, B, r);
    ASSERT_GE(with_cut, 0);
    EXPECT_NEAR(with_cut, n - B, 0.2 * (n - B));
    EXPECT_LE(with_cut, n);
    // Without the cut the level shift looks like strong autocorrelation.
    const int without_cut = rvn::calc_ess(x.data(), n, 0, r);
    EXPECT_TRUE(without_cut == rvn::kEssTooShort || without_cut < with_cut / 10);
}

TEST(Ess, StronglyAlternatingChainGivesNoSize)
{
    // x = +1, -1, +1, ... with a little noise: lag-1 autocovariance about
    // -var0, so the variance formula turns negative; no size is claimed.
    std::mt19937 gen(5);
    std::normal_distribution<double> z(0.0, 0.01);
    std::vector<double> x(1000);
    for (int i = 0; i < 1000; ++i) x[i] = (i % 2 ? -1.0 : 1.0) + z(gen);
    EssResult r;
    const int ecs = rvn::calc_ess(x.data(), 1000, 0, r);
    EXPECT_TRUE(ecs == rvn::kEssTooShort || ecs >= 1000);
}

TEST(Ess, ChainNamesFollowTheGenparColumns)
{
    const std::vector<std::string> one = rvn::chain_names(1);
    const std::vector<std::string> expected = {"mean1", "vERR11", "vTIM11", "nQTL",    "vQTL11",  "nFPM",
                                               "vFPM11", "vNUI111", "vNUI211", "vNUI311", "vNUI411", "vNUI511"};
    EXPECT_EQ(one, expected);
    const std::vector<std::string> two = rvn::chain_names(2);
    ASSERT_EQ(two.size(), 2u + 2u + 9u * 3u);
    EXPECT_EQ(two[0], "mean1");
    EXPECT_EQ(two[2], "vERR11");
    EXPECT_EQ(two[3], "vERR12");
    EXPECT_EQ(two[4], "vERR22");
    EXPECT_EQ(two[8], "nQTL");
    EXPECT_EQ(two.back(), "vNUI522");
}

TEST(Burnin, SecondCrossingOfTheFinalMean)
{
    QuietConsole quiet;
    // Starts far below its final level and climbs: the second row above the
    // final mean (5.0) is row 6.
    std::vector<double> x = {0, 1, 2, 3, 6, 4, 7, 5, 5, 5};
    std::vector<double> chain;
    for (int rep = 0; rep < 10; ++rep) chain.insert(chain.end(), x.begin(), x.end());
    for (int i = 10; i < 100; ++i) chain[i] = (i % 2) ? 4.0 : 6.0;
    rvn::PostState st = state_with_chains({chain, std::vector<double>(100, 1.0)});
    rvn::calc_burnin(st, false);
    EXPECT_EQ(st.burnin, 6);
    EXPECT_EQ(st.n_post, 94);
    EXPECT_NE(quiet.out.text().find("burninEST = 6"), std::string::npos);
    EXPECT_NE(quiet.out.text().find("burninDEF = 10 (=10percent)"), std::string::npos);
}

TEST(Burnin, LongBurninIsCutToHalfAndConstantChainsKeepEveryRow)
{
    QuietConsole quiet;
    std::vector<double> rising(200);
    for (int i = 0; i < 200; ++i) rising[i] = i < 150 ? 0.0 : (i % 2 ? 1.0 : 3.0);
    rvn::PostState st = state_with_chains({rising});
    rvn::calc_burnin(st, false);
    EXPECT_EQ(st.burnin, 100);
    EXPECT_NE(quiet.out.text().find("WARNING burn in period very long, reduced to 100"), std::string::npos);

    rvn::PostState flat = state_with_chains({std::vector<double>(150, 2.0)});
    rvn::calc_burnin(flat, true);
    EXPECT_EQ(flat.burnin, 0);
    EXPECT_EQ(flat.n_post, 150);
}

TEST(Ess, SmallestOverChainsAndItsSpecialValues)
{
    auto chain = [](int code) {
        rvn::ChainEss c;
        c.code = code;
        return c;
    };
    EXPECT_EQ(rvn::smallest_ecs({chain(500), chain(rvn::kEssZeroVariance), chain(300)}), 300);
    EXPECT_EQ(rvn::smallest_ecs({chain(500), chain(rvn::kEssTooShort), chain(300)}), -1);
    EXPECT_EQ(rvn::smallest_ecs({chain(rvn::kEssZeroVariance)}), 1000000);
}

TEST(SubDomEigVal, TwoStateChainHasKnownSecondEigenvalue)
{
    // Rows sum to 1; eigenvalues 1 and 1 - p - q.
    for (auto [p, q] : {std::pair{0.1, 0.2}, std::pair{0.3, 0.05}, std::pair{0.6, 0.7}}) {
        std::vector<std::vector<double>> P = {{1 - p, p}, {q, 1 - q}};
        double lambda = 0.0;
        const int iterations = rvn::subdomeigval(P, 2, lambda);
        EXPECT_GT(iterations, 0);
        EXPECT_NEAR(lambda, 1.0 - p - q, 1e-6);
    }
}

// A lazy walk on a path of m states (step b to each neighbour, the ends
// keep what they cannot give): I - b L with L the path Laplacian, whose
// second eigenvalue is 1 - b (2 - 2 cos(pi / m)).
std::vector<std::vector<double>> lazy_path(int m, double b)
{
    std::vector<std::vector<double>> P(m, std::vector<double>(m, 0.0));
    for (int i = 0; i < m; ++i) {
        if (i > 0) P[i][i - 1] = b;
        if (i + 1 < m) P[i][i + 1] = b;
        P[i][i] = 1.0 - (i > 0 ? b : 0.0) - (i + 1 < m ? b : 0.0);
    }
    return P;
}

// The plain method: one chain step per iteration, mean removed, ratio of
// the first entries. Fine for fast-mixing chains.
double plain_power_iteration(const std::vector<std::vector<double>>& P, int m)
{
    std::vector<double> v(m, -1.0 / (m - 1)), w(m);
    v[m - 1] = 1.0;
    double estimate = 0.0;
    for (int it = 0; it < 100000; ++it) {
        double mean = 0.0;
        for (int i = 0; i < m; ++i) {
            w[i] = 0.0;
            for (int j = 0; j < m; ++j) w[i] += P[i][j] * v[j];
            mean += w[i] / m;
        }
        for (double& x : w) x -= mean;
        const double next = w[0] / v[0];
        const double norm = std::fabs(w[0]);
        for (int i = 0; i < m; ++i) v[i] = w[i] / norm;
        if (it > 0 && std::fabs(next - estimate) < 1e-12) return next;
        estimate = next;
    }
    return estimate;
}

TEST(SubDomEigVal, SlowlyMixingCountChainsConvergeWithinTheIterationLimit)
{
    // Chains of QTL counts move by one state at a time and rarely: their
    // second eigenvalue is close to 1 and close to the third.
    for (int m : {5, 11, 21}) {
        for (double b : {0.01, 0.05, 0.3}) {
            const double expected = 1.0 - b * (2.0 - 2.0 * std::cos(std::acos(-1.0) / m));
            double lambda = 0.0;
            const int iterations = rvn::subdomeigval(lazy_path(m, b), m, lambda);
            EXPECT_GT(iterations, 0);
            EXPECT_LT(iterations, 100) << m << " " << b;
            EXPECT_NEAR(lambda, expected, 1e-5) << m << " " << b;
        }
    }
}

TEST(SubDomEigVal, AgreesWithThePlainPowerIteration)
{
    // Non-symmetric chains with a clear gap between the second and third
    // eigenvalues, where the plain method converges.
    std::mt19937 gen(17);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int rep = 0; rep < 20; ++rep) {
        const int m = 3 + rep % 4;
        std::vector<std::vector<double>> P = lazy_path(m, 0.2 + 0.02 * rep);
        for (auto& row : P) {
            double sum = 0.0;
            for (double& x : row) sum += (x += 0.05 * u(gen));
            for (double& x : row) x /= sum;
        }
        double lambda = 0.0;
        ASSERT_GT(rvn::subdomeigval(P, m, lambda), 0);
        EXPECT_NEAR(lambda, plain_power_iteration(P, m), 1e-5) << "rep " << rep;
    }
}

TEST(SubDomEigVal, ComplexPairGivesItsModulus)
{
    // A walk round three states mixed with a uniform jump, P = (1 - e) C +
    // e J / 3: eigenvalues 1 and (1 - e) exp(+-2 pi i / 3). The one-step
    // ratio turns with the vector; the pair's modulus is the mixing rate
    // (not 1, which would read as a chain that does not mix).
    for (double e : {0.1, 0.5, 0.93}) {
        std::vector<std::vector<double>> P(3, std::vector<double>(3, e / 3.0));
        for (int i = 0; i < 3; ++i) P[i][(i + 1) % 3] += 1.0 - e;
        double lambda = 0.0;
        const int iterations = rvn::subdomeigval(P, 3, lambda);
        EXPECT_GT(iterations, 0);
        EXPECT_LT(iterations, 100) << e;
        EXPECT_NEAR(lambda, 1.0 - e, 1e-5) << e;
    }
}

TEST(SubDomEigVal, ThreeStatesAndDegenerateCases)
{
    // Lazy walk on three states: eigenvalues 1, 0.75 (vector 1, 0, -1) and
    // 0.25 (vector 1, -2, 1).
    std::vector<std::vector<double>> P = {{0.75, 0.25, 0.0}, {0.25, 0.5, 0.25}, {0.0, 0.25, 0.75}};
    double lambda = 0.0;
    EXPECT_GT(rvn::subdomeigval(P, 3, lambda), 0);
    EXPECT_NEAR(lambda, 0.75, 1e-5);

    // Identical rows mix at once: the second eigenvalue is 0.
    std::vector<std::vector<double>> iid = {{0.4, 0.6}, {0.4, 0.6}};
    EXPECT_GT(rvn::subdomeigval(iid, 2, lambda), 0);
    EXPECT_NEAR(lambda, 0.0, 1e-9);

    testsupport::CapturedStream out;
    EXPECT_EQ(rvn::subdomeigval(iid, 1, lambda), -1);
    EXPECT_EQ(lambda, 1.0);
}

}  // namespace
