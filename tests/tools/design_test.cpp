// Settings, checks and pedigree shapes of simulated designs.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <unordered_map>

#include "tools/simulate/simulate.h"

using namespace vsim;

namespace {

Design design_with(std::initializer_list<std::pair<const char*, const char*>> settings, const char* preset = "f2-tiny")
{
    Design d = preset_design(preset);
    for (const auto& [k, v] : settings) apply_setting(d, k, v);
    return d;
}

}  // namespace

TEST(SimDesign, SettingsParseListsQtlAndFactors)
{
    Design d = design_with({{"traits", "2"}, {"qtl", "none"}, {"qtl", "chr=1,pos=12.5,a=0.8/0.4,d=0.1,freq=0.3"},
                            {"fixed", "3:0.5"}, {"random", "4:1"}, {"param", "length=77"}});
    ASSERT_EQ(d.qtl.size(), 1u);
    EXPECT_DOUBLE_EQ(d.qtl[0].position_cm, 12.5);
    EXPECT_EQ(d.qtl[0].additive, (std::vector<double>{0.8, 0.4}));
    EXPECT_DOUBLE_EQ(d.qtl[0].freq0, 0.3);
    ASSERT_EQ(d.factors.size(), 2u);
    EXPECT_FALSE(d.factors[0].random);
    EXPECT_TRUE(d.factors[1].random);
    EXPECT_EQ(d.parameters.at("length"), "77");
    apply_setting(d, "fixed", "none");
    ASSERT_EQ(d.factors.size(), 1u);
    EXPECT_TRUE(d.factors[0].random);
}

TEST(SimDesign, BadSettingsAreRefused)
{
    Design d = preset_design("f2-tiny");
    EXPECT_THROW(apply_setting(d, "no-such-setting", "1"), SimError);
    EXPECT_THROW(apply_setting(d, "offspring", "ten"), SimError);
    EXPECT_THROW(apply_setting(d, "design", "f3"), SimError);
    EXPECT_THROW(apply_setting(d, "qtl", "chr=1"), SimError);
    EXPECT_THROW(apply_setting(d, "qtl", "chr=1,pos=3,a=1,share=0.1"), SimError);
    EXPECT_THROW(apply_setting(d, "fixed", "3"), SimError);
    EXPECT_THROW(preset_design("no-such-preset"), SimError);
}

TEST(SimDesign, ImpossibleDesignsAreRefusedBeforeSimulating)
{
    EXPECT_THROW(check_design(design_with({{"qtl", "chr=2,pos=10,a=1"}})), SimError);   // no group 2
    EXPECT_THROW(check_design(design_with({{"qtl", "chr=1,pos=61,a=1"}})), SimError);   // beyond the map
    EXPECT_THROW(check_design(design_with({{"qtl", "chr=1,pos=30,share=0.8"}})), SimError);  // shares sum >= 1
    EXPECT_THROW(check_design(design_with({{"markers", "1"}})), SimError);  // the analysis needs 2 per group
    EXPECT_THROW(check_design(design_with({{"traits", "2"}, {"residual-cov", "1,0.5,0.4,1"}})), SimError);
    EXPECT_THROW(check_design(design_with({{"data-file", "a_data_file_name_of_thirty_chars"}})), SimError);
    // 4 + 1 trait + 2 x 24997 words fit a data line of the analysis, one marker more does not.
    EXPECT_NO_THROW(check_design(design_with({{"chromosomes", "100,100"}, {"markers", "12498,12499"}})));
    EXPECT_THROW(check_design(design_with({{"chromosomes", "100,100"}, {"markers", "12499,12499"}})), SimError);
    EXPECT_THROW(simulate(design_with({{"traits", "2"}, {"residual-cov", "1,2,2,1"}}), 1), SimError);
    // An F1 of contrasting inbred lines is uniform: a QTL share cannot be met.
    EXPECT_THROW(simulate(design_with({{"design", "f1"}}), 1), SimError);
}

TEST(SimDesign, MarkersSpanTheWholeGroup)
{
    Design d = design_with({{"chromosomes", "95,40"}, {"marker-spacing", "10"}});
    const auto pos = marker_positions(d, 0);
    ASSERT_EQ(pos.size(), 11u);
    EXPECT_DOUBLE_EQ(pos[9], 90.0);
    EXPECT_DOUBLE_EQ(pos[10], 95.0);
    EXPECT_EQ(marker_count(d, 1), 5);
    apply_setting(d, "markers", "3,6");
    EXPECT_EQ(marker_positions(d, 0), (std::vector<double>{0.0, 47.5, 95.0}));
    EXPECT_EQ(marker_count(d, 1), 6);
}

TEST(SimPedigree, LineCrossesHaveTheirParentCodes)
{
    Rng rng(1);
    const auto check = [&](const char* cross, SecondParent code, std::size_t size) {
        Design d = design_with({{"design", cross}, {"offspring", "5"}, {"families", "2"}, {"ril-generations", "3"}});
        const Pedigree ped = build_pedigree(d, rng);
        EXPECT_EQ(ped.individuals.size(), size) << cross;
        const Individual& last = ped.individuals.back();
        EXPECT_EQ(last.second, code) << cross;
        EXPECT_TRUE(last.genotyped && last.phenotyped);
        EXPECT_EQ(ped.individuals[0].second, SecondParent::Inbred);
    };
    check("f2", SecondParent::Selfed, 2 * (3 + 5));
    check("dh", SecondParent::DoubledHaploid, 2 * (3 + 5));
    check("backcross", SecondParent::Parent, 2 * (3 + 5));
    check("ril", SecondParent::Selfed, 2 * (3 + 5 * 3));
    check("f1", SecondParent::Parent, 2 * (2 + 5));

    Design d = design_with({{"design", "ril"}, {"offspring", "2"}, {"ril-generations", "4"}});
    const Pedigree ped = build_pedigree(d, rng);
    int scored = 0;
    for (const Individual& ind : ped.individuals) scored += ind.genotyped && !ind.is_founder();
    EXPECT_EQ(scored, 1 + 2);  // the F1 and the two lines, not the selfing chains
}

TEST(SimPedigree, OutbredParentsAreEarlierOffspring)
{
    Design d = design_with({{"design", "outbred"}, {"founders", "5"}, {"generations", "4"}, {"families", "3"},
                            {"offspring", "6"}, {"intermediate-offspring", "3"}});
    Rng rng(9);
    const Pedigree ped = build_pedigree(d, rng);
    EXPECT_EQ(ped.individuals.size(), 5u + 3 * 3 * 3 + 3 * 6);
    for (std::size_t i = 0; i < ped.individuals.size(); ++i) {
        const Individual& ind = ped.individuals[i];
        if (ind.is_founder()) continue;
        ASSERT_LT(ind.father, static_cast<int>(i));
        ASSERT_LT(ind.mother, static_cast<int>(i));
        EXPECT_NE(ind.father, ind.mother);
        const int g1 = ped.individuals[static_cast<std::size_t>(ind.father)].generation;
        const int g2 = ped.individuals[static_cast<std::size_t>(ind.mother)].generation;
        // One parent comes from the generation just before.
        EXPECT_EQ(std::max(g1, g2), ind.generation - 1) << ind.name;
    }
}

TEST(SimPedigree, ShuffledParentsFollowTheirOffspring)
{
    Design d = design_with({{"design", "outbred"}, {"shuffle", "1"}, {"generations", "2"}});
    Rng rng(4);
    const Pedigree ped = build_pedigree(d, rng);
    const auto order = file_order(ped, 1.0, rng);
    std::vector<int> line(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) line[static_cast<std::size_t>(order[k])] = static_cast<int>(k);
    const auto is_parent = parent_flags(ped);
    std::set<int> sorted(order.begin(), order.end());
    EXPECT_EQ(sorted.size(), ped.individuals.size());
    const int parents = static_cast<int>(std::count(is_parent.begin(), is_parent.end(), true));
    for (std::size_t i = 0; i < ped.individuals.size(); ++i) {
        const Individual& ind = ped.individuals[i];
        if (is_parent[i]) {
            EXPECT_GE(line[i], static_cast<int>(order.size()) - parents);  // all moved to the end
        } else if (!ind.is_founder()) {
            EXPECT_GT(line[static_cast<std::size_t>(ind.father)], line[i]);
            EXPECT_GT(line[static_cast<std::size_t>(ind.mother)], line[i]);
        }
    }
    EXPECT_EQ(file_order(ped, 0.0, rng), [&] {
        std::vector<int> v(ped.individuals.size());
        for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<int>(i);
        return v;
    }());
}

TEST(SimPedigree, BenchmarkPresetHasItsAdvertisedSize)
{
    // The input benchmark relies on about 10,000 individuals and 2,000 markers.
    const Design d = preset_design("outbred-large");
    Rng rng(1);
    const Pedigree ped = build_pedigree(d, rng);
    EXPECT_EQ(ped.individuals.size(), 10100u);
    int markers = 0;
    for (int c = 0; c < static_cast<int>(d.chromosome_cm.size()); ++c) markers += marker_count(d, c);
    EXPECT_EQ(markers, 2000);
    int last_generation = 0;
    for (const Individual& ind : ped.individuals) last_generation += ind.generation == d.generations;
    EXPECT_EQ(last_generation, 50 * 160);
}
