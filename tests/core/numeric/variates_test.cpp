// Gamma, chi-square and beta deviates against their exact distributions,
// their fatal argument checks, and the discrete draws from weight vectors.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/numeric/variates.h"
#include "core/state/console.h"
#include "numeric_test_support.h"
#include "textfile/fatal.h"

namespace {

using vsk::Rng;

constexpr std::size_t kDraws = 50000;

double gamma_int_cdf(int a, double x)
{
    if (x <= 0.0) return 0.0;
    double term = 1.0;
    double sum = 0.0;
    for (int k = 0; k < a; ++k) {
        sum += term;
        term *= x / (k + 1);
    }
    return 1.0 - std::exp(-x) * sum;
}

// Regularised incomplete beta function for integer shapes (binomial tail).
double beta_int_cdf(int a, int b, double x)
{
    const int n = a + b - 1;
    double total = 0.0;
    for (int j = a; j <= n; ++j) {
        total += std::tgamma(n + 1.0) / (std::tgamma(j + 1.0) * std::tgamma(n - j + 1.0)) *
                 std::pow(x, j) * std::pow(1.0 - x, n - j);
    }
    return total;
}

std::vector<double> gamma_sample(Rng& r, int a)
{
    std::vector<double> s(kDraws);
    for (double& v : s) v = vsk::gamma_int(r, a);
    return s;
}

std::vector<double> beta_sample(Rng& r, float a, float b)
{
    std::vector<double> s(kDraws);
    for (double& v : s) v = vsk::beta(r, a, b);
    return s;
}

double mean(const std::vector<double>& s)
{
    double sum = 0.0;
    for (double v : s) sum += v;
    return sum / static_cast<double>(s.size());
}

// Sample mean within 5 Monte Carlo standard errors of the true mean.
void expect_mean(const std::vector<double>& s, double true_mean, double true_var)
{
    EXPECT_NEAR(mean(s), true_mean, 5.0 * std::sqrt(true_var / static_cast<double>(s.size())));
}

class VariateStat : public ::testing::Test {
protected:
    void SetUp() override { r.seed(20160216u); }
    Rng r;
};

TEST_F(VariateStat, GammaIntegerOrderFollowsGammaDistribution)
{
    // Orders below 6 use the product of uniforms, from 6 on the rejection method.
    for (int a : {1, 3, 5, 6, 10, 40}) {
        const std::vector<double> s = gamma_sample(r, a);
        EXPECT_LT(numtest::ks_distance(s, [a](double x) { return gamma_int_cdf(a, x); }),
                  numtest::ks_critical(kDraws))
            << "order " << a;
        expect_mean(s, a, a);
        double ss = 0.0;
        const double m = mean(s);
        for (double v : s) ss += (v - m) * (v - m);
        const double var = ss / static_cast<double>(s.size() - 1);
        // Var of the sample variance: sigma^4 (2 + 6 / a) / n for Gamma(a).
        EXPECT_NEAR(var, a, 5.0 * a * std::sqrt((2.0 + 6.0 / a) / static_cast<double>(kDraws)))
            << "order " << a;
    }
}

TEST_F(VariateStat, ChiSquareIsTwiceGammaOfHalfTheDegrees)
{
    Rng twin = r;
    for (int i = 0; i < 200; ++i) ASSERT_EQ(vsk::chi_square(r, 5.0f), 2.0f * vsk::gamma_int(twin, 2));
    for (int i = 0; i < 200; ++i) ASSERT_EQ(vsk::chi_square(r, 13.0f), 2.0f * vsk::gamma_int(twin, 6));
    std::vector<double> s(kDraws);
    for (double& v : s) v = vsk::chi_square(r, 8.0f);
    expect_mean(s, 8.0, 16.0);
}

TEST_F(VariateStat, BetaCheng_BB_BothShapesAboveOne)
{
    struct Case { int a, b; };
    for (Case c : {Case{2, 3}, Case{3, 2}, Case{2, 2}, Case{5, 9}}) {
        const std::vector<double> s = beta_sample(r, static_cast<float>(c.a), static_cast<float>(c.b));
        EXPECT_LT(numtest::ks_distance(s, [c](double x) { return beta_int_cdf(c.a, c.b, x); }),
                  numtest::ks_critical(kDraws))
            << c.a << "," << c.b;
    }
}

TEST_F(VariateStat, BetaCheng_BC_SomeShapeAtMostOne)
{
    const double pi = std::acos(-1.0);
    struct Case {
        float a, b;
        double (*cdf)(double);
    };
    const Case cases[] = {
        {1.0f, 1.0f, [](double x) { return x; }},
        {1.0f, 3.0f, [](double x) { return 1.0 - std::pow(1.0 - x, 3); }},
        {3.0f, 1.0f, [](double x) { return x * x * x; }},
        {0.5f, 1.0f, [](double x) { return std::sqrt(x); }},
        {1.0f, 0.5f, [](double x) { return 1.0 - std::sqrt(1.0 - x); }},
    };
    for (const Case& c : cases) {
        const std::vector<double> s = beta_sample(r, c.a, c.b);
        EXPECT_LT(numtest::ks_distance(s, c.cdf), numtest::ks_critical(kDraws)) << c.a << "," << c.b;
    }
    const std::vector<double> arcsine = beta_sample(r, 0.5f, 0.5f);
    EXPECT_LT(numtest::ks_distance(arcsine, [pi](double x) { return 2.0 / pi * std::asin(std::sqrt(x)); }),
              numtest::ks_critical(kDraws));

    // A small shape: first two moments.
    const double a = 0.3;
    const double b = 2.0;
    const std::vector<double> s = beta_sample(r, 0.3f, 2.0f);
    const double m1 = a / (a + b);
    const double m2 = a * (a + 1.0) / ((a + b) * (a + b + 1.0));
    expect_mean(s, m1, m2 - m1 * m1);
}

TEST_F(VariateStat, BetaAlternatingShapesRecomputeSetUp)
{
    std::vector<double> bb(kDraws);
    std::vector<double> bc(kDraws);
    for (std::size_t i = 0; i < kDraws; ++i) {
        bb[i] = vsk::beta(r, 2.0f, 3.0f);
        bc[i] = vsk::beta(r, 3.0f, 1.0f);
    }
    EXPECT_LT(numtest::ks_distance(bb, [](double x) { return beta_int_cdf(2, 3, x); }),
              numtest::ks_critical(kDraws));
    EXPECT_LT(numtest::ks_distance(bc, [](double x) { return x * x * x; }), numtest::ks_critical(kDraws));
}

TEST(Variate, BetaSetUpCacheDoesNotChangeTheDraws)
{
    for (float a : {0.4f, 2.5f}) {
        Rng cached;
        Rng fresh;
        for (int i = 0; i < 500; ++i) {
            fresh.beta_setup() = vsk::BetaSetup{};
            ASSERT_EQ(vsk::beta(cached, a, 3.5f), vsk::beta(fresh, a, 3.5f));
        }
    }
}

TEST(Variate, BetaDrawsLieInTheUnitInterval)
{
    Rng r;
    for (float a : {0.05f, 0.5f, 30.0f}) {
        for (int i = 0; i < 2000; ++i) {
            const float x = vsk::beta(r, a, 0.05f);
            ASSERT_GE(x, 0.0f);
            ASSERT_LE(x, 1.0f);
        }
    }
}

// --- fatal arguments ---

std::string console_of_fatal(const std::function<void()>& call)
{
    testsupport::CapturedStream out;
    vsk::set_console_stream(out.stream());
    EXPECT_THROW(call(), vsk::FatalExit);
    vsk::set_console_stream(nullptr);
    return out.text();
}

TEST(Variate, GammaOrderBelowOneIsFatal)
{
    Rng r;
    EXPECT_EQ(console_of_fatal([&] { vsk::gamma_int(r, 0); }), "Error in routine gamdev");
}

TEST(Variate, ChiSquareBelowTwoDegreesIsFatalThroughGammaCheck)
{
    Rng r;
    EXPECT_EQ(console_of_fatal([&] { vsk::chi_square(r, 1.5f); }), "Error in routine gamdev");
}

TEST(Variate, ChiSquareNonPositiveDegreesIsFatalOnStandardError)
{
    Rng r;
    for (float d : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        numtest::StderrCapture err;
        EXPECT_THROW(vsk::chi_square(r, d), vsk::FatalExit);
        const std::string text = err.text();
        EXPECT_EQ(text.rfind(" DF <= 0 in CHIDEV - ABORT\n Value of DF: ", 0), 0u) << text;
        if (d == -1.0f) {
            EXPECT_EQ(text, " DF <= 0 in CHIDEV - ABORT\n Value of DF:    -1.000000E+00\n");
        }
    }
}

TEST(Variate, BetaTinyOrInvalidShapeIsFatalOnStandardError)
{
    Rng r;
    {
        numtest::StderrCapture err;
        EXPECT_THROW(vsk::beta(r, 0.0f, 1.0f), vsk::FatalExit);
        EXPECT_EQ(err.text(),
                  " AA or BB < 1.0E-37 in GENBET - Abort!\n AA:     0.000000E+00 BB     1.000000E+00\n");
    }
    for (float bad : {-2.0f, 1e-38f, std::numeric_limits<float>::quiet_NaN()}) {
        numtest::StderrCapture err;
        EXPECT_THROW(vsk::beta(r, 2.0f, bad), vsk::FatalExit);
        EXPECT_NE(err.text().find("GENBET - Abort!"), std::string::npos);
    }
}

// --- discrete draws ---

TEST(VariateDiscrete, WeightsNormalisedAndLastCumulativeBelowUChosen)
{
    double zero[] = {0.0, 0.0};
    EXPECT_EQ(vsk::sample_discrete(zero, 2, 0.5), -1);

    double w[] = {1.0, 3.0};
    EXPECT_EQ(vsk::sample_discrete(w, 2, 0.2), 0);
    EXPECT_DOUBLE_EQ(w[0], 0.25);
    EXPECT_DOUBLE_EQ(w[1], 0.75);
    double w2[] = {1.0, 3.0};
    EXPECT_EQ(vsk::sample_discrete(w2, 2, 0.3), 1);

    double empty_first[] = {0.0, 2.0, 2.0};
    EXPECT_EQ(vsk::sample_discrete(empty_first, 3, 1e-9), 1);  // zero weight is never drawn
}

TEST(VariateDiscrete, LogWeightsBecomeProbabilities)
{
    double l[] = {-1000.0, 0.0};
    EXPECT_EQ(vsk::sample_discrete_log(l, 2, 1e-12), 1);
    EXPECT_EQ(l[0], 0.0);
    EXPECT_EQ(l[1], 1.0);

    double two[] = {std::log(1.0), std::log(3.0)};
    EXPECT_EQ(vsk::sample_discrete_log(two, 2, 0.2), 0);
    EXPECT_NEAR(two[0], 0.25, 1e-15);
    EXPECT_NEAR(two[1], 0.75, 1e-15);

    // Far below the floor of the maximum every weight vanishes.
    double vanished[] = {-2e6, -3e6};
    EXPECT_EQ(vsk::sample_discrete_log(vanished, 2, 0.9), 0);

    // Large log weights do not overflow.
    double large[] = {5000.0, 5000.0 + std::log(3.0)};
    EXPECT_EQ(vsk::sample_discrete_log(large, 2, 0.9), 1);
    EXPECT_NEAR(large[0], 0.25, 1e-12);
}

TEST(VariateStatDiscrete, FrequenciesFollowWeights)
{
    Rng r;
    r.seed(5u);
    const int n = 40000;
    const double p[] = {0.1, 0.2, 0.3, 0.4};
    int count[4] = {};
    int count_log[4] = {};
    for (int i = 0; i < n; ++i) {
        double w[] = {1.0, 2.0, 3.0, 4.0};
        ++count[vsk::sample_discrete(w, 4, r.uniform())];
        double l[] = {std::log(1.0) - 50.0, std::log(2.0) - 50.0, std::log(3.0) - 50.0, std::log(4.0) - 50.0};
        ++count_log[vsk::sample_discrete_log(l, 4, r.uniform())];
    }
    for (int k = 0; k < 4; ++k) {
        const double se = std::sqrt(p[k] * (1.0 - p[k]) / n);
        EXPECT_NEAR(count[k] / static_cast<double>(n), p[k], 5.0 * se) << k;
        EXPECT_NEAR(count_log[k] / static_cast<double>(n), p[k], 5.0 * se) << k;
    }
}

}  // namespace
