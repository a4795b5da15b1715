// The QTL sweep with phenotypes, checked against its prior by alternating
// it with a fresh draw of the phenotypes from the model given the current
// state (mean, QTL genotypes and effects, residual variance 1). The pair
// leaves the joint law of state and data invariant, so the number of QTL
// must follow its prior although every birth, death and long-range update
// weighs real phenotypes: a move whose ratio is wrong shows up as a shifted
// count. On the prior-draw path the additive effects (uniform between the
// bounds -2 and 2, folded to a positive first trait by the flip) must also
// keep their prior, mean 1.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "core/state/console.h"
#include "qtl_fixture.h"

namespace {

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

// Phenotypes drawn from the model at the current state; residuals follow.
void draw_phenotypes(qtl_test::Project& pr, std::mt19937& gen)
{
    std::normal_distribution<double> noise(0.0, 1.0);
    for (int c = 0; c < pr.p.n_individuals; ++c) {
        double fit = pr.p.nuis_effects[0][0];
        for (const vsk::Gene& g : pr.gene)
            if (g.status != 0) fit += g.gval[g.gtp[static_cast<std::size_t>(c)]][0];
        const double e = noise(gen);
        pr.phe.Y[c][0] = fit + e;
        pr.phe.residual[c][0] = e;
    }
}

void check_joint(int addGENE, unsigned seed, bool uniform_effects)
{
    auto pr = qtl_test::make_project(8, qtl_test::founder_pairs(8, 12));
    qtl_test::Project& P = *pr;
    for (int c = 0; c < P.p.n_individuals; ++c) P.phe.phenotype[c][0] = 1;
    P.p.n_phenotyped = P.p.n_individuals;
    P.p.addGENE = addGENE;
    P.p.nqtl = 1;
    P.rng.seed(seed);
    std::mt19937 gen(seed);
    vsk::QtlModel& m = P.model();
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    draw_phenotypes(P, gen);
    vsk::sample_qtl(m, 0);
    draw_phenotypes(P, gen);
    std::vector<double> counts(static_cast<std::size_t>(P.p.maximQTL) + 1, 0.0);
    double effects = 0.0, effect_sum = 0.0;
    const int sweeps = 40000, burn = 1000;
    for (int s = 0; s < sweeps; ++s) {
        P.p.cur_sweep = s;
        vsk::sample_qtl(m, 1);
        draw_phenotypes(P, gen);
        if (s < burn) continue;
        counts[static_cast<std::size_t>(P.p.nqtl)] += 1.0;
        for (const vsk::Gene& g : P.gene)
            if (g.status == 1) {
                effects += 1.0;
                effect_sum += g.eff[vsk::kAddRow][0];
            }
    }
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    const double n = sweeps - burn;
    const std::vector<double> prob = truncated_poisson(P.p.priorQTL, P.p.maximQTL);
    for (std::size_t k = 0; k < prob.size(); ++k) {
        const double se = std::sqrt(prob[k] * (1 - prob[k]) / (n / 20.0));
        EXPECT_NEAR(counts[k] / n, prob[k], 5 * se + 1e-3) << "number " << k;
    }
    if (uniform_effects) {
        const double se = (2.0 / std::sqrt(12.0)) / std::sqrt(effects / 20.0);
        EXPECT_NEAR(effect_sum / effects, 1.0, 5 * se);
    }
}

TEST(QtlJointStat, MarginalPathKeepsThePriorWithPhenotypes) { check_joint(5, 31, false); }
TEST(QtlJointStat, PriorDrawPathKeepsThePriorWithPhenotypes) { check_joint(1, 32, true); }

}  // namespace
