// Prior-only chains: with no phenotyped individual nothing reaches the QTL
// but the priors, so the number of QTL must follow the truncated Poisson
// prior and the positions the location prior (map weights included), on
// both the marginal-likelihood and the prior-draw path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/state/console.h"
#include "qtl_fixture.h"

namespace {

using qtl_test::make_project;

std::vector<double> truncated_poisson(double lambda, int max)
{
    std::vector<double> p(static_cast<std::size_t>(max) + 1);
    double total = 0.0, term = 1.0;
    for (int k = 0; k <= max; ++k) {
        if (k > 0) term *= lambda / k;
        p[static_cast<std::size_t>(k)] = term;
        total += term;
    }
    for (double& v : p) v /= total;
    return p;
}

struct Tally {
    std::vector<double> count_k;        // sweeps with k QTL
    std::vector<double> count_interval; // QTL positions per interval (left marker)
    double n = 0, positions = 0;
};

Tally run_prior_chain(qtl_test::Project& pr, int sweeps, int burn)
{
    vsk::QtlModel& m = pr.model();
    Tally t;
    t.count_k.assign(static_cast<std::size_t>(pr.p.maximQTL) + 1, 0.0);
    t.count_interval.assign(pr.mrk.size(), 0.0);
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    vsk::sample_qtl(m, 0);
    for (int s = 0; s < sweeps; ++s) {
        pr.p.cur_sweep = s;
        vsk::sample_qtl(m, 1);
        if (s < burn) continue;
        t.count_k[static_cast<std::size_t>(pr.p.nqtl)] += 1;
        t.n += 1;
        for (const vsk::Gene& g : pr.gene) {
            if (g.status == 0) continue;
            t.count_interval[static_cast<std::size_t>(g.interval - 1)] += 1;
            t.positions += 1;
        }
    }
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    return t;
}

// Tolerance: 5 standard errors with an effective size of n / 10 for the
// autocorrelation of the chain.
void expect_frequencies(const std::vector<double>& counts, double n, const std::vector<double>& prob)
{
    for (std::size_t k = 0; k < prob.size(); ++k) {
        const double se = std::sqrt(prob[k] * (1 - prob[k]) / (n / 10.0));
        EXPECT_NEAR(counts[k] / n, prob[k], 5 * se + 1e-3) << "category " << k;
    }
}

std::vector<double> interval_prior(const qtl_test::Project& pr)
{
    std::vector<double> prob(pr.mrk.size(), 0.0);
    for (std::size_t j = 0; j + 1 < pr.mrk.size(); ++j)
        if (pr.mrk[j].chrom == pr.mrk[j + 1].chrom) prob[j] = pr.mrk[j].prior_weight * (pr.mrk[j + 1].position - pr.mrk[j].position);
    return prob;
}

void check_prior(int addGENE, unsigned seed)
{
    auto pr = make_project(8, qtl_test::founder_pairs(8, 12));
    pr->p.addGENE = addGENE;
    pr->p.nqtl = 2;
    pr->rng.seed(seed);
    const Tally t = run_prior_chain(*pr, 60000, 1000);
    expect_frequencies(t.count_k, t.n, truncated_poisson(pr->p.priorQTL, pr->p.maximQTL));
    expect_frequencies(t.count_interval, t.positions, interval_prior(*pr));
}

TEST(QtlPriorStat, MarginalPathFollowsThePriors) { check_prior(5, 11); }

TEST(QtlPriorStat, PriorDrawPathFollowsThePriors) { check_prior(1, 12); }

}  // namespace

namespace {

// One QTL moved by a single kind of position move: its positions must follow
// the location prior of its linkage group (a random walk never leaves it).
void check_position_move(int which)
{
    auto pr = make_project(8, qtl_test::founder_pairs(8, 12));
    pr->p.nqtl = 1;
    pr->rng.seed(21 + which);
    vsk::QtlModel& m = pr->model();
    vsk::sample_qtl(m, 0);
    const int s = vsk::pick_active_slot(m, 0.0);
    // Put the QTL on the first linkage group.
    while (pr->gene[static_cast<std::size_t>(s)].chrom != 0) {
        vsk::save_slot(m, s);
        vsk::new_qtl_proposal(m, s, 0);
    }
    const vsk::Chr& ch = pr->chr[0];
    std::vector<double> counts(pr->mrk.size(), 0.0), prob(pr->mrk.size(), 0.0);
    for (int j = ch.fMrkr; j < ch.lMrkr; ++j)
        prob[static_cast<std::size_t>(j)] = pr->mrk[static_cast<std::size_t>(j)].prior_weight *
                                            (pr->mrk[static_cast<std::size_t>(j + 1)].position - pr->mrk[static_cast<std::size_t>(j)].position) /
                                            ch.prior_mass;
    const int n = 30000;
    for (int k = 0; k < n; ++k) {
        if (which == 0) vsk::move_loc(m, s);
        if (which == 1) vsk::move_loc_gtp(m, s);
        if (which == 2) vsk::long_range_update(m, s, 1);
        counts[static_cast<std::size_t>(pr->gene[static_cast<std::size_t>(s)].interval - 1)] += 1;
    }
    expect_frequencies(counts, n, prob);
}

TEST(QtlPriorStat, LocFollowsTheLocationPrior) { check_position_move(0); }
TEST(QtlPriorStat, LocGtpFollowsTheLocationPrior) { check_position_move(1); }
TEST(QtlPriorStat, ShortRangeFollowsTheLocationPrior) { check_position_move(2); }

}  // namespace
