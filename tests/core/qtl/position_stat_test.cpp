// Position moves against a target that is not flat: with the allele origins
// of a QTL held fixed and every marker's segregation indicators known, the
// position of the QTL has the density w(x) P(origins | markers, x), which a
// grid over the linkage group gives to any precision. "Loc" alone must leave
// it invariant (the prior-only chains of prior_stat_test.cpp see only the
// location prior, where the transmission terms are all zero).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "core/state/console.h"
#include "qtl_fixture.h"

namespace {

using qtl_test::make_project;

constexpr int kGrid = 400;   // points per marker interval
constexpr double kBin = 0.05; // Morgan

// Every non-founder's indicators at the markers of group 0, random 0/1.
void set_marker_indicators(qtl_test::Project& pr, unsigned seed)
{
    std::mt19937 gen(seed);
    const vsk::Chr& ch = pr.chr[0];
    vsk::QtlModel& m = pr.model();
    for (int k = ch.fMrkr; k <= ch.lMrkr; ++k) {
        const int row = m.w.marker_row[static_cast<std::size_t>(k)];
        for (int c = 0; c < pr.p.n_individuals; ++c) {
            if (pr.o[static_cast<std::size_t>(c)].fat == 0) continue;
            pr.gpo0[row][c] = static_cast<signed char>(gen() & 1U);
            pr.gpo1[row][c] = static_cast<signed char>(gen() & 1U);
        }
    }
}

// Log target of slot s placed at x: location weight plus the transmission
// log probability of every indicator along the group.
double log_target_at(qtl_test::Project& pr, int s, double x)
{
    vsk::QtlModel& m = pr.model();
    vsk::Gene& g = pr.gene[static_cast<std::size_t>(s)];
    g.pos = x;
    g.interval = vsk::find_qtl_interval(m, g.chrom, x);
    vsk::recompute_rf(m, s);
    vsk::rebuild_locus_order(m);
    return vsk::log_interval_weight(m, g) + vsk::transmission_terms(m, g, pr.chr[0].fMrkr, pr.chr[0].lMrkr);
}

// Probability of every kBin-wide bin of group 0 under the target, by the
// midpoint rule on each marker interval; the slot is put back afterwards.
std::vector<double> target_bins(qtl_test::Project& pr, int s)
{
    vsk::QtlModel& m = pr.model();
    const vsk::Chr& ch = pr.chr[0];
    const double lo = ch.LowLim;
    std::vector<double> bins(static_cast<std::size_t>(std::ceil((ch.UppLim - lo) / kBin - 1e-9)), 0.0);
    vsk::save_slot(m, s);
    double total = 0.0;
    for (int k = ch.fMrkr; k < ch.lMrkr; ++k) {
        const double a = pr.mrk[static_cast<std::size_t>(k)].position, b = pr.mrk[static_cast<std::size_t>(k + 1)].position;
        const double dx = (b - a) / kGrid;
        for (int i = 0; i < kGrid; ++i) {
            const double x = a + (i + 0.5) * dx;
            const double p = std::exp(log_target_at(pr, s, x)) * dx;
            bins[static_cast<std::size_t>((x - lo) / kBin)] += p;
            total += p;
        }
    }
    vsk::restore_slot(m, s);
    for (double& v : bins) v /= total;
    return bins;
}

TEST(QtlPositionStat, LocKeepsThePositionGivenFixedOrigins)
{
    auto pr = make_project(8, qtl_test::founder_pairs(8, 12));
    pr->p.nqtl = 1;
    pr->rng.seed(41);
    vsk::QtlModel& m = pr->model();
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    vsk::sample_qtl(m, 0);
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    const int s = vsk::pick_active_slot(m, 0.0);
    while (pr->gene[static_cast<std::size_t>(s)].chrom != 0) {
        vsk::save_slot(m, s);
        vsk::new_qtl_proposal(m, s, 0);
    }
    set_marker_indicators(*pr, 7);
    vsk::sample_allele_origin(m, s, false);  // origins that fit the markers near the QTL, then held
    const std::vector<double> prob = target_bins(*pr, s);

    const vsk::Gene& g = pr->gene[static_cast<std::size_t>(s)];
    std::vector<double> counts(prob.size(), 0.0);
    const int n = 60000;
    for (int k = 0; k < n; ++k) {
        vsk::move_loc(m, s);
        counts[static_cast<std::size_t>((g.pos - pr->chr[0].LowLim) / kBin)] += 1;
    }
    // 5 standard errors at an effective size of n / 20 (the walk is local).
    double peak = 0.0;
    for (std::size_t k = 0; k < prob.size(); ++k) {
        peak = std::max(peak, prob[k]);
        const double se = std::sqrt(prob[k] * (1 - prob[k]) / (n / 20.0));
        EXPECT_NEAR(counts[k] / n, prob[k], 5 * se + 1e-3) << "bin " << k;
    }
    // The fixed origins must make the target far from the location prior,
    // or the check says nothing the prior-only chains do not.
    EXPECT_GT(peak, 0.3);
}

}  // namespace
