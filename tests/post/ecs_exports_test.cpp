// The effective-size exports as the analysis calls them during and after
// a run.
#include <gtest/gtest.h>

#include "post/console.h"
#include "post/ruvane.h"
#include "post/sample_project.h"
#include "support/test_support.h"

namespace {

struct ExportFixture {
    testsupport::TempDir dir;
    testsupport::CapturedStream out;
    explicit ExportFixture(int samples)
    {
        posttest::ProjectDesign design;
        design.samples = samples;
        posttest::write_project(dir.path(), design);
        rvn::set_console_stream(out.stream());
    }
    ~ExportFixture() { rvn::set_console_stream(nullptr); }
    bool printed(const std::string& s) const { return out.text().find(s) != std::string::npos; }
};

TEST(VoskaraECS, SmallestSizeOverTheVaryingChains)
{
    ExportFixture f(1000);
    const int ecs = rvn::VoskaraECS(1, f.dir.str());
    EXPECT_GT(ecs, 50);
    EXPECT_LT(ecs, 1000);
    EXPECT_TRUE(f.printed("EFFECTIVE SAMPLE SIZE (ESS)"));
    EXPECT_TRUE(f.printed("\nmean1       "));
    // Constant chains (vTIM11, nFPM, vFPM11) print no line.
    EXPECT_FALSE(f.printed("\nvTIM11"));
    EXPECT_FALSE(f.printed("SIMPLE ESTIMATE OF BURN-IN"));

    std::vector<std::string> names(12);
    std::vector<int> sizes(12, 0);
    // Varying: mean1, vERR11, nQTL, vQTL11, vNUI111.
    EXPECT_EQ(rvn::VoskaraECS2(1, names, sizes, f.dir.str()), 5);
    EXPECT_EQ(names[0], "mean1");
    EXPECT_EQ(names[1], "vERR11");
    EXPECT_EQ(names[2], "nQTL");
    EXPECT_EQ(names[3], "vQTL11");
    EXPECT_EQ(names[4], "vNUI111");
    int smallest = sizes[0];
    for (int k = 0; k < 5; ++k) smallest = std::min(smallest, sizes[k]);
    EXPECT_EQ(smallest, ecs);
}

TEST(VoskaraECS, TooFewSamplesDoNotEndTheAnalysis)
{
    ExportFixture f(60);
    EXPECT_EQ(rvn::VoskaraECS(1, f.dir.str()), -1);
    EXPECT_TRUE(f.printed("Effective chain size not available: 60 samples"));
    std::vector<std::string> names(12);
    std::vector<int> sizes(12);
    EXPECT_EQ(rvn::VoskaraECS2(1, names, sizes, f.dir.str()), 0);

    std::filesystem::remove(f.dir / "genpar.out");
    EXPECT_EQ(rvn::VoskaraECS(1, f.dir.str()), -1);
    EXPECT_EQ(rvn::VoskaraECS2(1, names, sizes, f.dir.str()), 0);
}

TEST(VoskaraECS, TablesGrowForColumnsBeyondTheNames)
{
    ExportFixture f(300);
    // Tables sized for 2 entries grow to the 5 varying chains.
    std::vector<std::string> names(2);
    std::vector<int> sizes(2);
    EXPECT_EQ(rvn::VoskaraECS2(1, names, sizes, f.dir.str()), 5);
    EXPECT_EQ(names.size(), 5u);
    EXPECT_EQ(sizes.size(), 5u);
    EXPECT_EQ(names[4], "vNUI111");
}

TEST(VoskaraECS, ConsoleFileReceivesTheMessages)
{
    ExportFixture f(200);
    const std::string log = (f.dir / "ruvane.log").string();
    rvn::set_ruvanedll_console_fp(log);
    rvn::VoskaraECS(1, f.dir.str());
    rvn::set_console_stream(nullptr);
    const std::string text = testsupport::read_file(log);
    EXPECT_EQ(text.rfind("\n---------------------------------------------\nappending to ruvane_dll console output "
                         "file:\n---------------------------------------------\n\n",
                         0),
              0u);
    EXPECT_NE(text.find("EFFECTIVE SAMPLE SIZE (ESS)"), std::string::npos);
}

}  // namespace
