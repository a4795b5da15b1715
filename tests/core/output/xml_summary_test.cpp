// Pieces of the run summary: generation counts, escaping, sections left out
// when empty, and which files may be linked.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "core/output/xml_block.h"
#include "core/output/xml_summary.h"
#include "support/test_support.h"

namespace {

TEST(RunSummary, GenerationCountsSplitWholeAndBetweenCoefficients)
{
    std::vector<vsk::Obs> o(6);
    const double g[] = {0.0, 0.0, 1.0, 1.5, 2.0, 1.75};
    for (int i = 0; i < 6; ++i) o[i].gen_coeff = g[i];
    const vsk::GenerationCounts c = vsk::count_generations(o, 2.0);
    EXPECT_EQ(c.discrete, (std::vector<int>{2, 1, 1, 0, 0}));   // trunc(2) + 3 classes
    EXPECT_EQ(c.interval, (std::vector<int>{0, 2, 0, 0}));      // 1.5 and 1.75 in "1-2"
}

TEST(RunSummary, TextIsEscapedAndEmptySectionsAreLeftOut)
{
    vsk::XmlBlock inner;
    inner.plain("a < b & \"c\"");
    vsk::XmlBlock outer;
    outer.section("Kept", inner, "HELP_X");
    outer.section("Dropped", vsk::XmlBlock());
    outer.dictionary("linkedDictionary", {});
    EXPECT_EQ(outer.str(), "<Section Title=\"Kept\" HelpTag=\"HELP_X\">\n"
                           "<Paragraph Type=\"plain\">a &lt; b &amp; &quot;c&quot;</Paragraph>\n"
                           "</Section>\n");
}

TEST(RunSummary, OnlyInputsAndThisRunsOutputsAreLinkable)
{
    namespace fs = std::filesystem;
    testsupport::TempDir dir;
    testsupport::write_file(dir / "old.csv", "x\n");
    testsupport::write_file(dir / "new.csv", "x\n");
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(dir / "old.csv", now - std::chrono::hours(2));
    vsk::LinkPolicy links{dir.path(), now - std::chrono::minutes(1)};
    EXPECT_TRUE(links.input("old.csv"));
    EXPECT_FALSE(links.output("old.csv"));
    EXPECT_TRUE(links.output("new.csv"));
    EXPECT_FALSE(links.input("missing.csv"));
    EXPECT_FALSE(links.input(""));
}

TEST(RunSummary, EffectPriorTexts)
{
    EXPECT_STREQ(vsk::effect_prior_text(0), ",excluded,");
    EXPECT_STREQ(vsk::effect_prior_text(4),
                 ",Normal (known) - data-dependent and dependent on number of QTL in model");
    EXPECT_STREQ(vsk::effect_prior_text(7), ",Ill-defined prior");
}

}  // namespace
