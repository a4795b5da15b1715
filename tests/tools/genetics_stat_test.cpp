// Simulated genomes follow Mendel and Haldane: segregation ratios of each
// cross, recombination between adjacent markers, transmission in outbred
// families. Tolerances are four binomial standard errors.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/simulate/simulate.h"

using namespace vsim;

namespace {

double binomial_se(double p, double n) { return std::sqrt(p * (1.0 - p) / n); }

Design small_design(const char* preset, std::initializer_list<std::pair<const char*, const char*>> settings)
{
    Design d = preset_design(preset);
    apply_setting(d, "qtl", "none");
    apply_setting(d, "qtl", "chr=1,pos=30,a=0");
    apply_setting(d, "polygenic-loci", "1");
    for (const auto& [k, v] : settings) apply_setting(d, k, v);
    return d;
}

// Counts of QTL genotype codes 0..3 among the phenotyped individuals.
std::vector<double> code_counts(const Population& pop, double& n)
{
    std::vector<double> count(4, 0.0);
    n = 0.0;
    for (std::size_t i = 0; i < pop.pedigree.individuals.size(); ++i) {
        if (!pop.pedigree.individuals[i].phenotyped) continue;
        count[static_cast<std::size_t>(pop.values.qtl_code[i][0])] += 1.0;
        n += 1.0;
    }
    return count;
}

}  // namespace

TEST(SimGeneticsStat, AdjacentMarkerRecombinationFollowsHaldane)
{
    // Doubled haploids of contrasting lines show each meiosis directly.
    const Population pop = simulate(
        small_design("dh", {{"offspring", "3000"}, {"chromosomes", "40,150"}, {"markers", "9,4"}}), 21);
    const Genotype& p1 = pop.genotypes[0];
    const auto& markers = pop.genome.markers;
    for (std::size_t k = 0; k + 1 < markers.size(); ++k) {
        if (markers[k].chromosome != markers[k + 1].chromosome) continue;
        const auto l0 = static_cast<std::size_t>(pop.genome.marker_index[k]);
        const auto l1 = static_cast<std::size_t>(pop.genome.marker_index[k + 1]);
        double n = 0.0, recombinant = 0.0;
        for (std::size_t i = 0; i < pop.pedigree.individuals.size(); ++i) {
            if (pop.pedigree.individuals[i].second != SecondParent::DoubledHaploid) continue;
            const bool from_p1_0 = pop.genotypes[i].paternal[l0] == p1.paternal[l0];
            const bool from_p1_1 = pop.genotypes[i].paternal[l1] == p1.paternal[l1];
            recombinant += from_p1_0 != from_p1_1;
            n += 1.0;
        }
        const double morgan = (markers[k + 1].position_cm - markers[k].position_cm) / 100.0;
        const double r = 0.5 * (1.0 - std::exp(-2.0 * morgan));
        EXPECT_NEAR(recombinant / n, r, 4.0 * binomial_se(r, n)) << markers[k].name << " d=" << morgan;
    }
}

TEST(SimGeneticsStat, LineCrossesSegregateInMendelianRatios)
{
    double n = 0.0;
    // F2: the four ordered genotypes a quarter each (chi-square, 3 df, upper 0.1 %).
    {
        const auto count = code_counts(simulate(small_design("f2-tiny", {{"offspring", "4000"}}), 5), n);
        double chi2 = 0.0;
        for (double c : count) chi2 += (c - n / 4) * (c - n / 4) / (n / 4);
        EXPECT_LT(chi2, 16.27);
    }
    // Backcross to the first parent: allele 0 always from it, 1:1 from the F1.
    {
        const auto count = code_counts(simulate(small_design("backcross", {{"offspring", "4000"}}), 6), n);
        EXPECT_EQ(count[1] + count[3], 0.0);
        EXPECT_NEAR(count[0] / n, 0.5, 4.0 * binomial_se(0.5, n));
    }
    // Doubled haploids: homozygous, 1:1.
    {
        const auto count = code_counts(simulate(small_design("dh", {{"offspring", "4000"}}), 7), n);
        EXPECT_EQ(count[1] + count[2], 0.0);
        EXPECT_NEAR(count[0] / n, 0.5, 4.0 * binomial_se(0.5, n));
    }
    // Three selfings after the F1 leave an eighth heterozygous.
    {
        const auto count = code_counts(
            simulate(small_design("ril", {{"offspring", "4000"}, {"ril-generations", "3"}}), 8), n);
        EXPECT_NEAR((count[1] + count[2]) / n, 0.125, 4.0 * binomial_se(0.125, n));
        EXPECT_NEAR(count[0] / (count[0] + count[3]), 0.5, 4.0 * binomial_se(0.5, count[0] + count[3]));
    }
}

TEST(SimGeneticsStat, UncontrastedCrossesMatchTheirExpectedFrequencies)
{
    // Many crosses of inbred founders drawn at allele-0 frequency 0.3, one F2 each.
    Design d = small_design("f2-tiny", {{"line-cross", "0"}, {"families", "3000"}, {"offspring", "1"}});
    apply_setting(d, "qtl", "none");
    apply_setting(d, "qtl", "chr=1,pos=30,a=0,freq=0.3");
    double n = 0.0;
    const auto count = code_counts(simulate(d, 12), n);
    const GenotypeFreqs f = expected_genotype_freqs(d, 0.3, false);
    EXPECT_NEAR(f.hom0, 0.5 * 0.3 + 0.5 * 0.09, 1e-12);
    EXPECT_NEAR(count[0] / n, f.hom0, 4.0 * binomial_se(f.hom0, n));
    EXPECT_NEAR((count[1] + count[2]) / n, f.het, 4.0 * binomial_se(f.het, n));
}

TEST(SimGenetics, ExpectedFrequenciesOfTheCrosses)
{
    Design d = preset_design("f2-tiny");
    const auto expect = [&](const char* cross, GenotypeFreqs want) {
        apply_setting(d, "design", cross);
        const GenotypeFreqs f = expected_genotype_freqs(d, 0.5, true);
        EXPECT_DOUBLE_EQ(f.hom0, want.hom0) << cross;
        EXPECT_DOUBLE_EQ(f.het, want.het) << cross;
        EXPECT_DOUBLE_EQ(f.hom1, want.hom1) << cross;
    };
    expect("f2", {0.25, 0.5, 0.25});
    expect("dh", {0.5, 0.0, 0.5});
    expect("backcross", {0.5, 0.5, 0.0});
    apply_setting(d, "backcross-parent", "2");
    expect("backcross", {0.0, 0.5, 0.5});
    apply_setting(d, "ril-generations", "1");
    expect("ril", {0.25, 0.5, 0.25});
    apply_setting(d, "design", "outbred");
    const GenotypeFreqs hw = expected_genotype_freqs(d, 0.2, true);
    EXPECT_DOUBLE_EQ(hw.hom0, 0.04);
    EXPECT_DOUBLE_EQ(hw.het, 0.32);
    // F2 additive variance a^2/2, dominance d^2/4.
    EXPECT_DOUBLE_EQ(covariate_variance({0.25, 0.5, 0.25}, 0.0), 0.5);
    EXPECT_DOUBLE_EQ(covariate_variance({0.25, 0.5, 0.25}, 1.0), 0.75);
}

TEST(SimGeneticsStat, OutbredParentsPassEachHomologueHalfTheTime)
{
    Design d = small_design("fruit-tree", {{"founders", "40"}, {"families", "40"}, {"offspring", "30"},
                                           {"generations", "2"}, {"shuffle", "0"}});
    const Population pop = simulate(d, 31);
    double n = 0.0, first = 0.0;
    for (std::size_t i = 0; i < pop.pedigree.individuals.size(); ++i) {
        const Individual& ind = pop.pedigree.individuals[i];
        if (ind.is_founder()) continue;
        for (std::size_t k = 0; k < pop.genome.markers.size(); k += 5) {
            const auto l = static_cast<std::size_t>(pop.genome.marker_index[k]);
            const Genotype& dad = pop.genotypes[static_cast<std::size_t>(ind.father)];
            if (dad.paternal[l] == dad.maternal[l]) continue;
            first += pop.genotypes[i].paternal[l] == dad.paternal[l];
            n += 1.0;
        }
    }
    ASSERT_GT(n, 1000.0);
    // Loci of one individual are linked, so allow twice the binomial error.
    EXPECT_NEAR(first / n, 0.5, 8.0 * binomial_se(0.5, n));
}

TEST(SimGeneticsStat, ScoredMarkersOfAnF2SegregateOneTwoOne)
{
    // What the data file shows, not only the true genotypes: error-free scores
    // of F2 plants carry 0, 1 or 2 alleles of the first parent as 1:2:1.
    Design d = preset_design("f2-small");
    for (const auto& [k, v] : {std::pair{"offspring", "2000"}, {"missing-markers", "0"}, {"genotype-errors", "0"}})
        apply_setting(d, k, v);
    const Population pop = simulate(d, 41);
    const auto& scores = pop.scores;
    for (std::size_t k = 0; k < pop.genome.markers.size(); ++k) {
        const std::int16_t p1 = scores[0][2 * k];
        ASSERT_EQ(scores[0][2 * k + 1], p1);
        ASSERT_NE(scores[1][2 * k], p1);  // the parents of a line cross differ
        std::vector<double> count(3, 0.0);
        double n = 0.0;
        for (std::size_t i = 0; i < pop.pedigree.individuals.size(); ++i) {
            if (pop.pedigree.individuals[i].second != SecondParent::Selfed) continue;
            count[static_cast<std::size_t>((scores[i][2 * k] == p1) + (scores[i][2 * k + 1] == p1))] += 1.0;
            n += 1.0;
        }
        ASSERT_EQ(n, 2000.0);
        const double expected[] = {n / 4, n / 2, n / 4};
        double chi2 = 0.0;
        for (std::size_t c = 0; c < 3; ++c) chi2 += (count[c] - expected[c]) * (count[c] - expected[c]) / expected[c];
        EXPECT_LT(chi2, 18.42) << pop.genome.markers[k].name;  // 2 df, upper 0.01 %
    }
}
