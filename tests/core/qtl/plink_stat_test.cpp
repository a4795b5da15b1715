// Prior-only chains of the ancestral-cluster moves: without phenotypes and
// informative markers, "P-Link" (fresh or carried-over cluster states),
// "LocGtpF" and the cluster-state Gibbs step must leave the position prior
// and the prior of the cluster states (conditioned on both states occurring)
// invariant.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/state/console.h"
#include "plink_fixture.h"

namespace {

constexpr double kP0 = 0.3;   // frequency of allele state 0

struct Tally {
    std::vector<double> interval;        // positions per interval (left marker)
    std::vector<double> zeros_four;      // clusters in state 0 at position 3
    double four = 0, two = 0, two_last0 = 0, n = 0;
};

void tally(const qtl_test::PlinkProject& pp, Tally& t)
{
    const qtl_test::Project& pr = *pp.pr;
    const vsk::Gene& g = pr.gene[0];
    const int clusters = pp.fibd[static_cast<std::size_t>(g.ibdpos - 1)].n_clusters;
    t.interval[static_cast<std::size_t>(g.interval - 1)] += 1;
    t.n += 1;
    if (clusters == 4) {
        int zeros = 0;
        for (int f = 0; f < 4; ++f) zeros += g.alstate[static_cast<std::size_t>(2 * f)] == 0;
        t.zeros_four[static_cast<std::size_t>(zeros)] += 1;
        t.four += 1;
    }
    if (clusters == 2 && g.alstate[0] == g.alstate[2]) {
        t.two += 1;
        t.two_last0 += g.alstate[6] == 0;
    }
}

// The location prior on the group the chain stays on (random-walk moves
// never leave it).
std::vector<double> interval_prior(const qtl_test::Project& pr, int chrom)
{
    std::vector<double> prob(pr.mrk.size(), 0.0);
    double total = 0.0;
    for (std::size_t j = 0; j + 1 < pr.mrk.size(); ++j)
        if (pr.mrk[j].chrom == chrom && pr.mrk[j + 1].chrom == chrom)
            total += prob[j] = pr.mrk[j].prior_weight * (pr.mrk[j + 1].position - pr.mrk[j].position);
    for (double& v : prob) v /= total;
    return prob;
}

// 5 standard errors with an effective size of n / 20.
void expect_near(double count, double n, double prob, const char* what, int k)
{
    const double se = std::sqrt(prob * (1 - prob) / (n / 20.0));
    EXPECT_NEAR(count / n, prob, 5 * se + 2e-3) << what << " " << k;
}

template <class Step>
void check_chain(double soft, unsigned seed, Step step)
{
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    qtl_test::PlinkProject pp = qtl_test::make_plink_project(soft, kP0);
    qtl_test::Project& pr = *pp.pr;
    pr.rng.seed(seed);
    Tally t;
    t.interval.assign(pr.mrk.size(), 0.0);
    t.zeros_four.assign(5, 0.0);
    for (int s = 0; s < 30000; ++s) {
        pr.p.cur_sweep = s;
        step(pr.model());
        if (s >= 500) tally(pp, t);
    }
    vsk::set_console_stream(nullptr);
    std::fclose(sink);

    const std::vector<double> prior = interval_prior(pr, pr.gene[0].chrom);
    for (std::size_t k = 0; k < prior.size(); ++k) expect_near(t.interval[k], t.n, prior[k], "interval", static_cast<int>(k));
    // Four clusters: states independent with P(0) = 0.3, conditioned on both occurring.
    double z[5], total = 0;
    for (int k = 0; k <= 4; ++k) {
        z[k] = (k == 0 || k == 4) ? 0.0 : std::tgamma(5.0) / (std::tgamma(k + 1.0) * std::tgamma(5.0 - k)) *
                                               std::pow(kP0, k) * std::pow(1 - kP0, 4 - k);
        total += z[k];
    }
    ASSERT_GT(t.four, 1000);
    for (int k = 0; k <= 4; ++k) expect_near(t.zeros_four[static_cast<std::size_t>(k)], t.four, z[k] / total, "zeros", k);
    // Two clusters (of founders {1,2,3} and {4}): exactly one in state 0, each
    // with probability one half.
    ASSERT_GT(t.two, 1000);
    expect_near(t.two_last0, t.two, 0.5, "two clusters", 0);
}

TEST(PlinkStat, FreshStatesKeepThePrior)
{
    check_chain(0.0, 11, [](vsk::QtlModel& m) { vsk::move_plink(m, 0); });
}

TEST(PlinkStat, CarriedOverStatesKeepThePrior)
{
    check_chain(3.0, 12, [](vsk::QtlModel& m) { vsk::move_plink(m, 0); });
}

TEST(PlinkStat, LocGtpFAndClusterGibbsKeepThePrior)
{
    check_chain(-1.0, 13, [](vsk::QtlModel& m) {
        vsk::move_loc_gtp_f(m, 0);
        vsk::sample_cluster_states(m, 0);
    });
}

// Whole sweeps (births, deaths, P-Link, the cluster-state step, origins,
// short- and long-range updates): the number of QTL follows its truncated
// Poisson prior and the positions the location prior of the whole map.
TEST(PlinkStat, SweepsFollowTheNumberAndLocationPriors)
{
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    qtl_test::PlinkProject pp = qtl_test::make_plink_project(1.0, 0.5, 3);
    qtl_test::Project& pr = *pp.pr;
    pr.rng.seed(17);
    std::vector<double> count_k(4, 0.0), count_interval(pr.mrk.size(), 0.0);
    double n = 0, positions = 0;
    for (int s = 0; s < 40000; ++s) {
        pr.p.cur_sweep = s;
        vsk::sample_qtl(pr.model(), 1);
        if (s < 1000) continue;
        count_k[static_cast<std::size_t>(pr.p.nqtl)] += 1;
        n += 1;
        for (const vsk::Gene& g : pr.gene) {
            if (g.status == 0) continue;
            count_interval[static_cast<std::size_t>(g.interval - 1)] += 1;
            positions += 1;
        }
    }
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    double term = 1.0, total = 0.0;
    std::vector<double> poisson(4);
    for (int k = 0; k <= 3; ++k) {
        if (k > 0) term *= pr.p.priorQTL / k;
        total += poisson[static_cast<std::size_t>(k)] = term;
    }
    for (int k = 0; k <= 3; ++k) expect_near(count_k[static_cast<std::size_t>(k)], n, poisson[static_cast<std::size_t>(k)] / total, "nqtl", k);
    std::vector<double> prior(pr.mrk.size(), 0.0);
    for (std::size_t j = 0; j + 1 < pr.mrk.size(); ++j)
        if (pr.mrk[j].chrom == pr.mrk[j + 1].chrom)
            prior[j] = pr.mrk[j].prior_weight * (pr.mrk[j + 1].position - pr.mrk[j].position);
    for (std::size_t j = 0; j < prior.size(); ++j) expect_near(count_interval[j], positions, prior[j], "interval", static_cast<int>(j));
}

}  // namespace
