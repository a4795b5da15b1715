// Written projects: every preset passes the format checks the analysis
// makes on its inputs, files are reproducible, and the truth file matches.
#include <gtest/gtest.h>

#include <fstream>

#include "support/test_support.h"
#include "tools/project_check.h"
#include "tools/simulate/simulate.h"
#include "tools/simulate/writers.h"

using namespace vsim;
using testsupport::read_file;
using testsupport::TempDir;

namespace {

// JSON well-formedness at the bracket level: balanced outside strings.
bool brackets_balance(const std::string& text)
{
    std::string stack;
    bool in_string = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (in_string) {
            if (c == '\\') ++i;
            else if (c == '"') in_string = false;
            continue;
        }
        if (c == '"') in_string = true;
        else if (c == '{' || c == '[') stack += c;
        else if (c == '}' || c == ']') {
            if (stack.empty() || stack.back() != (c == '}' ? '{' : '[')) return false;
            stack.pop_back();
        }
    }
    return stack.empty() && !in_string;
}

std::size_t occurrences(const std::string& text, const std::string& word)
{
    std::size_t n = 0;
    for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + word.size())) ++n;
    return n;
}

}  // namespace

TEST(SimProject, EveryPresetWritesAConsistentProject)
{
    for (const PresetInfo& preset : presets()) {
        TempDir dir;
        // The benchmark population at full size goes through the analysis in
        // the end-to-end test; its shape is checked here on fewer offspring.
        const std::vector<std::pair<std::string, std::string>> smaller{{"offspring", "10"}};
        const Population pop =
            write_preset_project(preset.name, dir.path(), 17, preset.name == "outbred-large" ? smaller : decltype(smaller){});
        const simtest::ProjectCheck pc = simtest::check_project(dir.path());
        EXPECT_TRUE(pc.ok()) << preset.name << ":\n" << pc.report();
        EXPECT_EQ(pc.data.size(), pop.pedigree.individuals.size()) << preset.name;
        EXPECT_EQ(pc.map_positions.size(), pop.design.chromosome_cm.size()) << preset.name;
        for (std::size_t c = 0; c < pc.map_positions.size(); ++c) {
            EXPECT_DOUBLE_EQ(pc.map_positions[c].front(), 0.0);
            EXPECT_NEAR(pc.map_positions[c].back(), pop.design.chromosome_cm[c], 1e-3) << preset.name;
        }
        if (pop.design.shuffle > 0.0) {
            EXPECT_GT(pc.parents_after_offspring, 0) << preset.name;
        } else {
            EXPECT_EQ(pc.parents_after_offspring, 0) << preset.name;
        }
        const std::string truth = read_file(dir / "truth.json");
        EXPECT_TRUE(brackets_balance(truth)) << preset.name;
        EXPECT_NE(truth.find("\"map_coordinate\""), std::string::npos) << preset.name;
        EXPECT_NE(truth.find("\"heritability\""), std::string::npos) << preset.name;
        EXPECT_EQ(occurrences(truth, "\"founder_freq\""), pop.genome.markers.size()) << preset.name;
        EXPECT_EQ(occurrences(truth, "\"qtl_genotypes\""), pop.pedigree.individuals.size()) << preset.name;
        EXPECT_EQ(occurrences(truth, "\"target_share\""), pop.design.qtl.size()) << preset.name;
    }
}

TEST(SimProject, SameSeedSameFilesOtherSeedOtherData)
{
    TempDir a, b, c;
    write_preset_project("fruit-tree", a.path(), 99);
    write_preset_project("fruit-tree", b.path(), 99);
    write_preset_project("fruit-tree", c.path(), 100);
    for (const char* f : {"voskara.par", "voskara.dat", "voskara.map", "truth.json"})
        EXPECT_EQ(read_file(a / f), read_file(b / f)) << f;
    EXPECT_NE(read_file(a / "voskara.dat"), read_file(c / "voskara.dat"));
}

TEST(SimProject, ScoringSettingsLeaveTheTrueGenotypesAlone)
{
    Design d = preset_design("f2-small");
    const Population clean = simulate(d, 4);
    apply_setting(d, "missing-markers", "0.2");
    apply_setting(d, "genotype-errors", "0.05");
    const Population noisy = simulate(d, 4);
    EXPECT_EQ(clean.values.qtl_code, noisy.values.qtl_code);
    EXPECT_EQ(clean.values.phenotype, noisy.values.phenotype);
    EXPECT_NE(clean.scores, noisy.scores);
}

TEST(SimProject, DataLinesFollowThePedigree)
{
    const Population pop = simulate(preset_design("ril"), 2);
    // An inbred founder, the F1, a selfing in the chain.
    EXPECT_EQ(data_line(pop, 0).substr(0, 12), "1 P1 0 INBRE");
    EXPECT_EQ(data_line(pop, 2).substr(0, 12), "2 F1_1 P1 P2");
    EXPECT_EQ(data_line(pop, 3).substr(0, 29), "3 RIL_1_001_S1 F1_1 SELFED - ");
    // Unscored chain members: missing trait and markers.
    const auto words = simtest::effective_words(data_line(pop, 3));
    for (std::size_t k = 4; k < words.size(); ++k) EXPECT_EQ(words[k], "-");
}

TEST(SimProject, ParameterOverridesReplaceOrAppendKeywords)
{
    Design d = preset_design("f2-tiny");
    apply_setting(d, "param", "length=33");
    apply_setting(d, "param", "indicTIM=1");
    apply_setting(d, "param", "someNewKey=x y");
    const Population pop = simulate(d, 1);
    const auto lines = parameter_lines(pop);
    int length_lines = 0;
    for (const auto& [k, v] : lines) {
        if (k == "length") {
            ++length_lines;
            EXPECT_EQ(v, "33");
        }
        if (k == "indicTIM") {
            EXPECT_EQ(v, "1");
        }
    }
    EXPECT_EQ(length_lines, 1);
    EXPECT_EQ(lines.back(), (std::pair<std::string, std::string>{"someNewKey", "x y"}));
}

// "none" removes a keyword's line; writeGTP keeps "none" as its setting.
TEST(SimProject, ParameterOverrideNoneRemovesTheKeyword)
{
    Design d = preset_design("f2-tiny");
    apply_setting(d, "param", "ess=none");
    apply_setting(d, "param", "fixQTLpos=none");
    apply_setting(d, "param", "writeGTP=none");
    const Population pop = simulate(d, 1);
    int writeGTP_lines = 0;
    for (const auto& [k, v] : parameter_lines(pop)) {
        EXPECT_NE(k, "ess");
        EXPECT_NE(k, "fixQTLpos");
        if (k != "writeGTP") {
            EXPECT_NE(v, "none") << k;
        }
        if (k == "writeGTP") ++writeGTP_lines;
    }
    EXPECT_EQ(writeGTP_lines, 1);
}

TEST(SimProject, UnwritableDirectoryIsAnError)
{
    TempDir dir;
    testsupport::write_file(dir / "file", "x");
    const Population pop = simulate(preset_design("f2-tiny"), 1);
    EXPECT_THROW(write_project(pop, dir / "file" / "sub"), SimError);
}

TEST(SimProject, TruthOriginsOnRequestTraceEveryAlleleToItsParent)
{
    Design d = preset_design("fruit-tree");
    apply_setting(d, "missing-markers", "0.1");
    const Population plain = simulate(d, 5);
    apply_setting(d, "truth-origins", "1");
    const Population traced = simulate(d, 5);
    // Recording the origins changes no draw.
    EXPECT_EQ(plain.scores, traced.scores);
    EXPECT_EQ(plain.values.phenotype, traced.values.phenotype);
    EXPECT_TRUE(plain.origins.empty());
    const auto& inds = traced.pedigree.individuals;
    ASSERT_EQ(traced.origins.size(), inds.size());
    for (std::size_t i = 0; i < inds.size(); ++i) {
        if (inds[i].is_founder()) continue;
        const Genotype& gt = traced.genotypes[i];
        const Genotype& from = traced.origins[i];
        for (int locus : traced.genome.marker_index) {
            const auto l = static_cast<std::size_t>(locus);
            const Genotype& f = traced.genotypes[static_cast<std::size_t>(inds[i].father)];
            const Genotype& m = traced.genotypes[static_cast<std::size_t>(inds[i].mother)];
            ASSERT_EQ(gt.paternal[l], from.paternal[l] ? f.maternal[l] : f.paternal[l]);
            ASSERT_EQ(gt.maternal[l], from.maternal[l] ? m.maternal[l] : m.paternal[l]);
        }
    }
    TempDir dir;
    write_project(traced, dir.path());
    const std::string truth = read_file(dir.path() / "truth.json");
    EXPECT_TRUE(brackets_balance(truth));
    EXPECT_EQ(occurrences(truth, "\"origin_first_parent\""), inds.size());
    EXPECT_EQ(occurrences(truth, "\"origin_second_parent\""), inds.size());
    TempDir small;
    write_project(plain, small.path());
    EXPECT_EQ(read_file(small.path() / "truth.json").find("origin_first_parent"), std::string::npos);
}
