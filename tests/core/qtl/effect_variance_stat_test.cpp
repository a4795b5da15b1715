// The Metropolis move of the shared additive effect variance V when QTL and
// genes of the finite polygenic model are both in the model: each model's
// effects have the prior N(0, V / its own count), so with the effects held
// the move must follow Beta(V / 2P; 2, 10) times those two normal terms. The
// chain of V is compared with that density on a grid.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/voskara.h"
#include "qtl_fixture.h"

namespace {

constexpr int kSteps = 60000;
constexpr int kBatches = 50;
const std::vector<double> kQtlEffects = {0.6, -0.35};
const std::vector<double> kFpmEffects = {0.2, -0.15, 0.1};

vsk::Gene gene_with(double additive)
{
    vsk::Gene g;
    g.status = 1;
    g.eff.assign(4, 1, 0.0);
    g.eff[vsk::kAddRow][0] = additive;
    return g;
}

// Log target of V (phenotypic variance 1): the prior and each model's
// effects under N(0, V / count).
double log_target(double v)
{
    const double x = v / 2.0;
    double l = std::log(x) + 9.0 * std::log(1.0 - x);
    for (const std::vector<double>* effects : {&kQtlEffects, &kFpmEffects}) {
        const double n = static_cast<double>(effects->size());
        for (double e : *effects) l += -0.5 * std::log(v / n) - e * e * n / (2.0 * v);
    }
    return l;
}

TEST(QtlEffectVarianceStat, SharedVarianceOfQtlAndPolygenesFollowsItsConditional)
{
    auto pr = qtl_test::make_project(4, qtl_test::founder_pairs(4, 4));
    vsk::Par& p = pr->p;
    p.pheno_var.assign(1, 1.0);
    p.varPOA.assign(1, 1, 0.3);
    p.addGENE = p.addFPM = 5;
    p.maximFPM = static_cast<int>(kFpmEffects.size());
    pr->gene.assign(static_cast<std::size_t>(p.maximQTL), vsk::Gene{});
    for (std::size_t s = 0; s < kQtlEffects.size(); ++s) pr->gene[s] = gene_with(kQtlEffects[s]);
    const std::vector<vsk::Polygene> saved = vsk::polygene;
    vsk::polygene.clear();
    for (double e : kFpmEffects) vsk::polygene.push_back(gene_with(e));
    pr->rng.seed(7);

    std::vector<double> batch(kBatches, 0.0);
    double accepted = 0.0;
    for (int k = 0; k < kSteps; ++k) {
        accepted += vsk::effect_variance_move(pr->model(), vsk::kAddRow);
        batch[static_cast<std::size_t>(k / (kSteps / kBatches))] += p.varPOA[0][0] / (kSteps / kBatches);
    }
    vsk::polygene = saved;

    double mean = 0.0, se = 0.0;
    for (double b : batch) mean += b / kBatches;
    for (double b : batch) se += (b - mean) * (b - mean) / ((kBatches - 1.0) * kBatches);
    se = std::sqrt(se);
    double w = 0.0, expected = 0.0;
    for (int i = 0; i < 20000; ++i) {
        const double v = (i + 0.5) * 2.0 / 20000;
        const double d = std::exp(log_target(v));
        w += d;
        expected += d * v;
    }
    expected /= w;
    EXPECT_GT(accepted / kSteps, 0.2);
    // Pooling all five effects under N(0, V / 5) would give 0.466.
    EXPECT_NEAR(mean, expected, 4.5 * se + 1e-3) << "se " << se;
}

}  // namespace
