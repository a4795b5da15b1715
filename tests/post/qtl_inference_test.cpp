// Number of QTL, intensity bins, smoothing and HPI thresholds against slow
// oracles written as plain loops over the sample rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "post/bins.h"
#include "post/console.h"
#include "post/intensity.h"
#include "post/qtl_number.h"
#include "post/qtl_state.h"
#include "post/summary.h"
#include "support/test_support.h"

namespace {

using posttest::QtlStateDesign;

struct Quiet {
    testsupport::CapturedStream out;
    Quiet() { rvn::set_console_stream(out.stream()); }
    ~Quiet() { rvn::set_console_stream(nullptr); }
};

double factorial(int k) { return k <= 1 ? 1.0 : k * factorial(k - 1); }

TEST(QtlNumber, TruncatedPoissonIsThePoissonRenormalised)
{
    for (double lambda : {0.0, 0.3, 1.5, 4.0}) {
        const std::vector<double> p = rvn::truncated_poisson(lambda, 5, "genome");
        double sum = 0.0;
        for (int k = 0; k <= 5; ++k) sum += std::pow(lambda, k) * std::exp(-lambda) / factorial(k);
        for (int k = 0; k <= 5; ++k)
            EXPECT_NEAR(p[k], std::pow(lambda, k) * std::exp(-lambda) / factorial(k) / sum, 1e-12) << lambda;
    }
    // A mean far beyond the slots still gives a proper distribution.
    const std::vector<double> big = rvn::truncated_poisson(900.0, 4, "genome");
    EXPECT_NEAR(big[4], 1.0, 1e-2);
}

// Posterior of the number of QTL from plain loops over the rows.
std::vector<double> oracle_posterior(const rvn::PostState& st, double lo, double hi, bool strict)
{
    const int Q = st.par.maximQTL;
    std::vector<double> post(Q + 1, 0.0);
    for (int r = st.burnin; r < st.s.n(); ++r) {
        int c = 0;
        for (int q = 0; q < Q; ++q) {
            const double pos = st.s.qtl[r][q * st.s.S + st.s.S - 1];
            c += strict ? (pos > lo && pos < hi) : pos > lo;
        }
        post[c] += 1.0 / st.n_post;
    }
    for (double& v : post) v = std::max(v, 1e-6);
    return post;
}

TEST(QtlNumber, PosteriorPriorAndBayesFactorsAgreeWithTheOracle)
{
    for (unsigned seed = 1; seed <= 4; ++seed) {
        testsupport::TempDir dir;
        QtlStateDesign d;
        d.seed = seed;
        d.Q = 2 + static_cast<int>(seed);
        rvn::PostState st = posttest::qtl_state(d, dir);
        Quiet quiet;
        rvn::number_of_qtl(st);
        const std::vector<double> genome = oracle_posterior(st, st.groups[0].lower, 0.0, false);
        for (int k = 0; k <= d.Q; ++k) EXPECT_NEAR(st.nqtl.posterior[0][k], genome[k], 1e-12);
        for (int g = 0; g < 2; ++g) {
            const std::vector<double> post = oracle_posterior(st, st.groups[g].lower, st.groups[g].upper, true);
            // The group's prior: each of the genome's k QTL on the group
            // with its share m of the location prior.
            const std::vector<double> genome_prior = rvn::truncated_poisson(d.priorQTL, d.Q, "g");
            const double m = st.groups[g].prior_prob;
            std::vector<double> prior(d.Q + 1, 0.0);
            for (int k = 0; k <= d.Q; ++k) {
                double choose = 1.0;
                for (int j = 0; j <= k; ++j) {
                    prior[j] += genome_prior[k] * choose * std::pow(m, j) * std::pow(1.0 - m, k - j);
                    choose = choose * (k - j) / (j + 1);
                }
            }
            for (int k = 0; k <= d.Q; ++k) {
                EXPECT_NEAR(st.nqtl.posterior[g + 1][k], post[k], 1e-12);
                EXPECT_NEAR(st.nqtl.prior[g + 1][k], std::max(prior[k], 1e-6), 1e-12);
            }
            for (int k = 0; k < d.Q; ++k) {
                const double bf = post[k + 1] / post[k] * std::max(prior[k], 1e-6) / std::max(prior[k + 1], 1e-6);
                EXPECT_NEAR(st.nqtl.bayes[g + 1][k], bf, 1e-9 * bf);
                EXPECT_TRUE(std::isfinite(st.nqtl.bayes[g + 1][k]));
            }
        }
        // The floors: no slot ever holds more QTL than exist, so the top
        // classes are floored, never 0.
        EXPECT_GE(*std::min_element(st.nqtl.posterior[0].begin(), st.nqtl.posterior[0].end()), 1e-6);
    }
}

TEST(QtlNumber, SingleIncludedGroupLeavesGroupRowsZeroAndPrintsNoGroupTables)
{
    testsupport::TempDir dir;
    QtlStateDesign d;
    d.second_group = false;
    rvn::PostState st = posttest::qtl_state(d, dir);
    Quiet quiet;
    rvn::number_of_qtl(st);
    for (int r = 1; r <= 2; ++r)
        for (double v : st.nqtl.posterior[r]) EXPECT_EQ(v, 0.0);
    EXPECT_EQ(quiet.out.text().find("POSTERIOR PROBABILITY (nQTL)"), std::string::npos);
    EXPECT_NE(quiet.out.text().find("GENOME : PRIOR & POSTERIOR & BAYES FACTOR (nQTL)"), std::string::npos);
    EXPECT_NE(quiet.out.text().find("\n     NA        Not Available      "), std::string::npos);
}

// Bin counts from plain loops over the rows, in whole cM.
std::vector<int> oracle_bins(const rvn::PostState& st, int g)
{
    const rvn::ChromGroup& grp = st.groups[g];
    std::vector<int> bins(grp.n_bins, 0);
    for (int r = st.burnin; r < st.s.n(); ++r)
        for (int q = 0; q < st.par.maximQTL; ++q) {
            const double pos = st.s.qtl[r][q * st.s.S + st.s.S - 1];
            if (pos < grp.lower - 1e-9 || pos > grp.upper + 1e-9) continue;
            // cM within the group, rounded to the 0.0001 M the files hold.
            const double cM = std::round((pos - 100.0 * (g + 1)) * 1e6) / 1e4;
            ++bins[static_cast<int>(std::floor(cM))];
        }
    return bins;
}

TEST(QtlIntensity, BinsSmoothingAndGroupCountsAgreeWithTheOracle)
{
    for (unsigned seed = 1; seed <= 3; ++seed) {
        testsupport::TempDir dir;
        QtlStateDesign d;
        d.seed = seed;
        rvn::PostState st = posttest::qtl_state(d, dir);
        rvn::count_qtl_per_bin(st);
        for (int g = 0; g < 2; ++g) {
            const std::vector<int> bins = oracle_bins(st, g);
            EXPECT_EQ(st.groups[g].bins, bins) << "group " << g;
            const int n = static_cast<int>(bins.size());
            for (int b = 0; b < n; ++b) {
                double sum = 16.0 * bins[b], w = 16.0;
                if (b > 0) sum += 8.0 * bins[b - 1], w += 8.0;
                if (b + 1 < n) sum += 8.0 * bins[b + 1], w += 8.0;
                EXPECT_NEAR(st.groups[g].density[b], sum / w / st.n_post, 1e-12);
            }
        }
    }
}

TEST(QtlIntensity, PositionOnABinEdgeLandsInTheBinItOpens)
{
    rvn::ChromGroup g;
    g.lower = 100.0;
    g.upper = 100.4;
    for (int cM = 0; cM < 40; ++cM) {
        const double coded = 100.0 + cM / 100.0;  // 100.29 is stored as 100.28999...
        EXPECT_EQ(rvn::bin_of(coded, g), cM) << coded;
    }
    EXPECT_EQ(rvn::group_bin_count(g), 41);
}

TEST(QtlIntensity, SampleAtTheLowerCoordinateCountsInBinsButNotInTheGroupCount)
{
    testsupport::TempDir dir;
    QtlStateDesign d;
    d.use = 0.0;
    rvn::PostState st = posttest::qtl_state(d, dir);
    st.s.qtl[50][st.s.S - 1] = st.groups[0].lower;  // slot 0 of row 50
    rvn::extract_qtl_samples(st);
    rvn::count_qtl_per_bin(st);
    EXPECT_EQ(st.groups[0].bins[0], 1);
    EXPECT_EQ(rvn::group_qtl_count(st, 50, st.groups[0]), 0);
    EXPECT_EQ(rvn::genome_qtl_count(st, 50), 0);
}

// HPI threshold by its definition: the smallest density d such that the
// densities at or above d (largest first, one at a time) still hold at most
// p*m.
double oracle_hpi(std::vector<double> d, double p, double m)
{
    std::sort(d.rbegin(), d.rend());
    double threshold = d.front(), sum = 0.0;
    for (double v : d) {
        sum += v;
        if (v == 0.0 || sum > p * m) break;
        threshold = v;
    }
    return threshold;
}

TEST(QtlIntensity, HpiThresholdsAgreeWithTheOracle)
{
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int trial = 0; trial < 50; ++trial) {
        std::vector<double> d(1 + trial % 40);
        double m = 0.0;
        for (double& v : d) m += v = u(gen) < 0.3 ? 0.0 : u(gen);
        for (double p : {0.5, 0.9, 0.95})
            EXPECT_EQ(rvn::hpi_threshold(d, p, m), oracle_hpi(d, p, m));
    }
    // Nothing fits: the largest density.
    EXPECT_EQ(rvn::hpi_threshold({0.1, 0.7, 0.3}, 0.5, 1.0), 0.7);
    // More mass than the bins hold: the smallest density above 0.
    EXPECT_EQ(rvn::hpi_threshold({0.0, 0.2, 0.1, 0.0}, 0.9, 1.0), 0.1);
}

TEST(QtlIntensity, GroupThresholdsNeedMoreThanTwentySamples)
{
    testsupport::TempDir dir;
    QtlStateDesign d;
    d.n = 60;
    d.B = 0;
    d.Q = 1;
    d.use = 0.0;
    rvn::PostState st = posttest::qtl_state(d, dir);
    for (int r = 0; r < 21; ++r) st.s.qtl[r][st.s.S - 1] = 100.105;
    rvn::extract_qtl_samples(st);
    Quiet quiet;
    rvn::count_qtl_per_bin(st);
    rvn::hpi_thresholds(st);
    EXPECT_GT(st.hpi[0].group90, 0.0);
    st.s.qtl[20][st.s.S - 1] = 0.0;
    rvn::extract_qtl_samples(st);
    rvn::count_qtl_per_bin(st);
    rvn::hpi_thresholds(st);
    EXPECT_EQ(st.groups[0].count, 20);
    EXPECT_EQ(st.hpi[0].group90, 0.0);
    EXPECT_EQ(st.hpi[0].group95, 0.0);
    EXPECT_GT(st.hpi[0].genome90, 0.0);
}

TEST(QtlIntensity, PriorIntensitySumsToThePriorMeanOverTheIncludedGroups)
{
    // The prior mean number of QTL: the truncated Poisson's (below priorQTL
    // once the truncation bites), and maximQTL / 2 for the uniform prior of
    // priorQTL 0.
    for (const auto& [prior_qtl, Q] : {std::pair{2.0, 4}, std::pair{3.0, 3}, std::pair{0.0, 4}}) {
        testsupport::TempDir dir;
        QtlStateDesign d;
        d.priorQTL = prior_qtl;
        d.Q = Q;
        rvn::PostState st = posttest::qtl_state(d, dir);
        double mean = Q / 2.0;
        if (prior_qtl > 0.0) {
            const std::vector<double> p = rvn::truncated_poisson(prior_qtl, Q, "genome");
            mean = 0.0;
            for (int k = 0; k <= Q; ++k) mean += k * p[k];
        }
        double total = 0.0;
        for (int g = 0; g < 2; ++g)
            for (int b = 0; b < st.groups[g].n_bins; ++b) total += rvn::prior_intensity(st, g, b);
        EXPECT_NEAR(total, mean, 1e-9) << prior_qtl;
        // A bin inside the map holds that mean x weight per cM x 1 cM,
        // whatever the number of groups: mean / 65 cM of map.
        EXPECT_NEAR(rvn::prior_intensity(st, 1, 30), mean / 65.0, 1e-12);
    }
    EXPECT_EQ(rvn::bin_bayes_factor(0.0, 0.1), 0.0);
    // Past the last marker the prior is 0: a spilled density is no evidence.
    EXPECT_EQ(rvn::bin_bayes_factor(0.16, 0.0), 0.0);
    EXPECT_NEAR(rvn::bin_bayes_factor(0.2, 0.1),
                2.0 * std::log(0.2 / 0.8 * std::exp(-0.1) / (1.0 - std::exp(-0.1))), 1e-12);
}

TEST(QtlIntensity, BinWithNineteenSamplesWritesZeroEffects)
{
    testsupport::TempDir dir;
    QtlStateDesign d;
    d.n = 100;
    d.B = 0;
    d.Q = 2;
    d.use = 0.0;
    rvn::PostState st = posttest::qtl_state(d, dir);
    for (int r = 0; r < 19; ++r) {
        st.s.qtl[r][st.s.S - 1] = 100.055;  // bin 5
        st.s.qtl[r][1] = 1.5;
    }
    for (int r = 0; r < 20; ++r) {
        st.s.qtl[r][st.s.S + st.s.S - 1] = 200.105;  // bin 10 of group 2
        st.s.qtl[r][st.s.S + 1] = 2.5;
    }
    rvn::extract_qtl_samples(st);
    Quiet quiet;
    rvn::count_qtl_per_bin(st);
    rvn::hpi_thresholds(st);
    rvn::write_intensity_files(st);
    const std::string c1 = testsupport::read_file(dir / "C1mpd.asc");
    const std::string c2 = testsupport::read_file(dir / "C2mpd.asc");
    const std::size_t row5 = c1.find("\n5       ");
    ASSERT_NE(row5, std::string::npos);
    // density > 0, then the zero placeholder of the first mean.
    EXPECT_NE(c1.substr(row5, 60).find("    0     "), std::string::npos) << c1.substr(row5, 80);
    const std::size_t row10 = c2.find("\n10      ");
    ASSERT_NE(row10, std::string::npos);
    EXPECT_NE(c2.substr(row10, 80).find("    2.5000"), std::string::npos) << c2.substr(row10, 80);
    // Marker names sit in the bins that hold them.
    EXPECT_NE(c2.substr(c2.find("\n20      "), 400).find("m5"), std::string::npos);
}

}  // namespace

namespace {

TEST(QtlNumber, FpmGenesAreCountedByTheirFirstFrequency)
{
    rvn::PostState st;
    st.par.maximFPM = 2;
    st.par.priorFPM = 1.0;
    st.s.fpm_width = 4;
    st.s.genpar.assign(200, 1);
    st.s.fpm.assign(200, 8);
    for (int r = 0; r < 200; ++r) {
        st.s.fpm[r][0] = r % 2 ? 0.4 : 0.0;  // gene 1 in half the samples
        st.s.fpm[r][4] = 0.3;                // gene 2 always
    }
    st.burnin = 0;
    st.n_post = 200;
    Quiet quiet;
    rvn::number_of_fpm_genes(st);
    const std::string out = quiet.out.text();
    EXPECT_NE(out.find("PRIOR & POSTERIOR & BAYES FACTOR (nFPM)"), std::string::npos);
    // Posterior: 0 genes never, 1 and 2 genes half the time each.
    EXPECT_NE(out.find("\nposterior  0     0.500 0.500"), std::string::npos) << out;
    // 2 ln BF of 2 against 1 gene: prior odds P(1)/P(2) = 2, posterior odds 1.
    EXPECT_NE(out.find(std::string(" ") + [] {
                  char b[16];
                  std::snprintf(b, sizeof b, "%5.1lf", 2.0 * std::log(2.0));
                  return std::string(b);
              }()),
              std::string::npos);
}

}  // namespace
