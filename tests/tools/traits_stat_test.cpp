// Simulated traits carry the variance asked for: QTL shares, polygenic
// background, residual covariance, and the rates of missing and wrong scores.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/simulate/simulate.h"

using namespace vsim;

namespace {

Design design_with(const char* preset, std::initializer_list<std::pair<const char*, const char*>> settings)
{
    Design d = preset_design(preset);
    for (const auto& [k, v] : settings) apply_setting(d, k, v);
    return d;
}

double binomial_se(double p, double n) { return std::sqrt(p * (1.0 - p) / n); }

}  // namespace

TEST(SimTraitsStat, QtlSharesOfAnF2MeetTheirTargets)
{
    const int n = 4000;
    Design d = design_with("f2-small", {{"offspring", "4000"}, {"qtl", "none"},
                                        {"qtl", "chr=1,pos=35,share=0.2,dom=0.5"}, {"qtl", "chr=2,pos=70,share=0.1"},
                                        {"residual-cov", "2.5"}, {"polygenic-loci", "1"}});
    const Population pop = simulate(d, 101);
    // Ratio of two sample variances: relative error about sqrt(3/n).
    const double rel = 4.0 * std::sqrt(3.0 / n);
    EXPECT_NEAR(pop.realised.qtl_share[0][0], 0.2, 0.2 * rel);
    EXPECT_NEAR(pop.realised.qtl_share[1][0], 0.1, 0.1 * rel);
    EXPECT_NEAR(pop.realised.heritability[0], 0.3, 0.3 * rel);
    // Expected phenotypic variance: residual / (1 - 0.3).
    EXPECT_DOUBLE_EQ(pop.model.expected_phenotypic_variance[0], 2.5 / 0.7);
    // With d = a/2 the F2 variance is a^2/2 + d^2/4.
    const double a = pop.model.additive[0][0], dom = pop.model.dominance[0][0];
    EXPECT_DOUBLE_EQ(dom, 0.5 * a);
    EXPECT_NEAR(a * a / 2 + dom * dom / 4, 0.2 * 2.5 / 0.7, 1e-12);
}

TEST(SimTraitsStat, RealisedScalingHitsThePolygenicShare)
{
    Design d = design_with("backcross", {{"offspring", "3000"}, {"qtl", "none"}, {"qtl", "chr=1,pos=50,share=0.15"},
                                         {"polygenic-share", "0.25"}, {"effect-scaling", "realised"}});
    const Population pop = simulate(d, 5);
    const double vp = pop.model.expected_phenotypic_variance[0];
    // Realised scaling makes the genetic parts exact; only the residual varies.
    EXPECT_NEAR(pop.realised.polygenic_variance[0] / vp, 0.25, 1e-9);
    EXPECT_NEAR(pop.realised.qtl_variance[0][0] / vp, 0.15, 1e-9);
    EXPECT_NEAR(pop.realised.heritability[0], 0.4, 0.4 * 4.0 * std::sqrt(2.0 / 3000));
}

TEST(SimTraitsStat, ResidualsHaveTheGivenCovariance)
{
    const int n = 5000;
    Design d = design_with("f2-tiny", {{"offspring", "5000"}, {"traits", "2"}, {"qtl", "none"},
                                       {"residual-cov", "2,0.6,0.6,1"}, {"polygenic-loci", "1"}});
    const Population pop = simulate(d, 77);
    double s00 = 0, s01 = 0, s11 = 0, m0 = 0, m1 = 0, k = 0;
    for (std::size_t i = 0; i < pop.pedigree.individuals.size(); ++i) {
        if (!pop.pedigree.individuals[i].phenotyped) continue;
        const double e0 = pop.values.residual[i][0], e1 = pop.values.residual[i][1];
        m0 += e0, m1 += e1, s00 += e0 * e0, s01 += e0 * e1, s11 += e1 * e1, k += 1;
    }
    m0 /= k, m1 /= k;
    EXPECT_NEAR(s00 / k - m0 * m0, 2.0, 4.0 * 2.0 * std::sqrt(2.0 / n));
    EXPECT_NEAR(s11 / k - m1 * m1, 1.0, 4.0 * std::sqrt(2.0 / n));
    EXPECT_NEAR(s01 / k - m0 * m1, 0.6, 4.0 * std::sqrt((2.0 * 1.0 + 0.36) / n));
}

TEST(SimTraitsStat, PhenotypesAddUpAndGoMissingAtTheirRate)
{
    Design d = design_with("f2-two-traits", {{"offspring", "3000"}, {"missing-phenotypes", "0.1"}});
    const Population pop = simulate(d, 8);
    double missing = 0, scored = 0;
    for (std::size_t i = 0; i < pop.pedigree.individuals.size(); ++i) {
        const bool phenotyped = pop.pedigree.individuals[i].phenotyped;
        for (int t = 0; t < 2; ++t) {
            const auto ut = static_cast<std::size_t>(t);
            if (!phenotyped) {
                EXPECT_TRUE(pop.values.missing[i][ut]);
                continue;
            }
            missing += pop.values.missing[i][ut];
            scored += 1;
            double y = trait_value(d.means, t) + pop.values.genetic[i][ut] + pop.values.residual[i][ut];
            for (std::size_t f = 0; f < d.factors.size(); ++f)
                y += pop.model.factor_effect[f][static_cast<std::size_t>(pop.values.factor_class[i][f] - 1)][ut];
            ASSERT_NEAR(pop.values.phenotype[i][ut], y, 1e-9);
        }
    }
    EXPECT_NEAR(missing / scored, 0.1, 4.0 * binomial_se(0.1, scored));
}

TEST(SimTraitsStat, MarkerScoresGoMissingAndWrongAtTheirRates)
{
    Design d = design_with("f2-small", {{"offspring", "2000"}, {"missing-markers", "0.05"}, {"genotype-errors", "0.02"}});
    const Population pop = simulate(d, 19);
    const ScoreStats& s = pop.score_stats;
    const double n = static_cast<double>(s.scored);
    EXPECT_NEAR(s.missing / n, 0.05, 4.0 * binomial_se(0.05, n));
    EXPECT_NEAR(s.errors / (n - s.missing), 0.02, 4.0 * binomial_se(0.02, n - s.missing));
    // Every error changes the observed genotype of an error-free F2 score.
    long changed = 0;
    for (std::size_t i = 0; i < pop.pedigree.individuals.size(); ++i)
        for (std::size_t k = 0; k < pop.genome.markers.size(); ++k) {
            const auto& sc = pop.scores[i];
            if (sc[2 * k] < 0) continue;
            const auto l = static_cast<std::size_t>(pop.genome.marker_index[k]);
            const int a = pop.genotypes[i].paternal[l], b = pop.genotypes[i].maternal[l];
            const bool same = (sc[2 * k] == a && sc[2 * k + 1] == b) || (sc[2 * k] == b && sc[2 * k + 1] == a);
            changed += !same;
        }
    EXPECT_EQ(changed, s.errors);
}

TEST(SimTraits, NullAllelesHideOrShow)
{
    Design d = design_with("fruit-tree", {{"null-alleles", "1"}, {"null-freq", "0.3"}, {"missing-markers", "0"},
                                          {"genotype-errors", "0"}});
    const Population hidden = simulate(d, 3);
    apply_setting(d, "null-scoring", "marked");
    const Population marked = simulate(d, 3);
    long null_marks = 0, hidden_count = 0;
    for (std::size_t i = 0; i < hidden.pedigree.individuals.size(); ++i)
        for (std::size_t k = 0; k < hidden.genome.markers.size(); ++k) {
            const MarkerDef& m = hidden.genome.markers[k];
            ASSERT_TRUE(m.has_null);
            const auto l = static_cast<std::size_t>(hidden.genome.marker_index[k]);
            const int a = hidden.genotypes[i].paternal[l], b = hidden.genotypes[i].maternal[l];
            const auto h1 = hidden.scores[i][2 * k], h2 = hidden.scores[i][2 * k + 1];
            if (a == m.null_allele() && b == m.null_allele()) {
                EXPECT_EQ(h1, kMissingScore);
            } else if ((a == m.null_allele()) != (b == m.null_allele())) {
                EXPECT_EQ(h1, h2);  // looks homozygous
                ++hidden_count;
                const auto m1 = marked.scores[i][2 * k], m2 = marked.scores[i][2 * k + 1];
                EXPECT_TRUE(m1 == kNullScore || m2 == kNullScore);
                null_marks += 1;
            }
            EXPECT_NE(h1, kNullScore);
        }
    EXPECT_GT(hidden_count, 100);
    EXPECT_EQ(hidden.score_stats.hidden_null, hidden_count);
    EXPECT_EQ(null_marks, hidden_count);
}

TEST(SimTraitsStat, OutbredQtlShareMeetsItsTargetUnderHardyWeinberg)
{
    // One generation of 1000 full-sib families from 2000 founders: offspring
    // genotypes follow Hardy-Weinberg at the founder frequency, so the QTL
    // scaled to the base population explains its share among the offspring.
    Design d = design_with("outbred-medium", {{"founders", "2000"}, {"generations", "1"}, {"families", "1000"},
                                              {"offspring", "4"}, {"chromosomes", "100"}, {"marker-spacing", "20"},
                                              {"qtl", "none"}, {"qtl", "chr=1,pos=50,share=0.15,freq=0.3,dom=0.5"},
                                              {"polygenic-share", "0"}, {"polygenic-loci", "1"}});
    const Population pop = simulate(d, 23);
    ASSERT_EQ(pop.realised.phenotyped, 4000);
    EXPECT_NEAR(pop.realised.qtl_freq0[0], 0.3, 0.03);
    // Drift of the founder sample and family clustering give the realised
    // share a relative standard error of about 3 % here (seen over repeated
    // seeds); allow four.
    EXPECT_NEAR(pop.realised.qtl_share[0][0], 0.15, 4.0 * 0.03 * 0.15);
    // Hardy-Weinberg at p = 0.3 with d = a/2: variance 0.6489 a^2.
    const double a = pop.model.additive[0][0];
    EXPECT_NEAR(0.6489 * a * a, 0.15 * pop.model.expected_phenotypic_variance[0], 1e-9);
}
