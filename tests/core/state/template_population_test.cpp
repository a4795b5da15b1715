// The simulated example population behind the data templates: fixed,
// Mendelian, and carrying a visible QTL on trait 1 only.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "core/state/template_writers.h"

namespace {

using vsk::TemplateIndividual;

TEST(TemplatePopulationTest, IsTheSameOnEveryCall)
{
    auto a = vsk::template_population(true);
    auto b = vsk::template_population(true);
    ASSERT_EQ(a.size(), 211u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].name, b[i].name);
        EXPECT_EQ(a[i].trait1, b[i].trait1);
        EXPECT_EQ(a[i].alleles, b[i].alleles);
    }
    // The IBD template holds the same named individuals.
    auto named = vsk::template_population(false);
    ASSERT_EQ(named.size(), 11u);
    for (std::size_t i = 0; i < named.size(); ++i) {
        EXPECT_EQ(named[i].name, a[i].name);
        EXPECT_EQ(named[i].alleles, a[i].alleles);
    }
}

TEST(TemplatePopulationTest, ParentsComeFirstAndPassOnTheirAlleles)
{
    auto pop = vsk::template_population(true);
    std::map<std::string, const TemplateIndividual*> seen;
    for (const TemplateIndividual& ind : pop) {
        if (ind.parent1 != "0") {
            ASSERT_TRUE(seen.count(ind.parent1)) << ind.name;
            ASSERT_TRUE(seen.count(ind.parent2)) << ind.name;
            const auto& p1 = seen[ind.parent1]->alleles;
            const auto& p2 = seen[ind.parent2]->alleles;
            for (int m = 0; m < vsk::kTemplateMarkers; ++m) {
                EXPECT_TRUE(ind.alleles[m][0] == p1[m][0] || ind.alleles[m][0] == p1[m][1]) << ind.name;
                EXPECT_TRUE(ind.alleles[m][1] == p2[m][0] || ind.alleles[m][1] == p2[m][1]) << ind.name;
            }
        }
        seen[ind.name] = &ind;
    }
}

// Offspring with two increasing alleles outscore those with none by about
// twice the allele effect on trait 1, not on trait 2.
TEST(TemplatePopulationTest, QtlShowsOnTraitOneOnly)
{
    auto pop = vsk::template_population(true);
    double sum1[3] = {}, sum2[3] = {};
    int n[3] = {};
    for (std::size_t i = 11; i < pop.size(); ++i) {
        int q = pop[i].qtl_alleles;
        sum1[q] += std::stod(pop[i].trait1);
        sum2[q] += std::stod(pop[i].trait2);
        ++n[q];
    }
    ASSERT_GT(n[0], 10);
    ASSERT_GT(n[2], 10);
    double diff1 = sum1[2] / n[2] - sum1[0] / n[0];
    double diff2 = sum2[2] / n[2] - sum2[0] / n[0];
    // Standard errors of the differences: about sd * sqrt(1/n0 + 1/n2).
    double se1 = vsk::kTemplateResidualSd1 * std::sqrt(1.0 / n[0] + 1.0 / n[2]);
    double se2 = vsk::kTemplateResidualSd2 * std::sqrt(1.0 / n[0] + 1.0 / n[2]);
    EXPECT_NEAR(diff1, 2.0 * vsk::kTemplateQtlEffect, 4.0 * se1);
    EXPECT_NEAR(diff2, 0.0, 4.0 * se2);
}

}  // namespace
