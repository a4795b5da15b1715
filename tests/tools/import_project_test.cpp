// The project writer's own checks: limits of the analysis's data file and a
// parameter file whose every value line is commented or self-evident.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "tools/import/import_error.h"
#include "tools/import/project.h"
#include "tools/project_check.h"

namespace {

vimp::Project small_project(int markers)
{
    vimp::Project p;
    p.source = "test";
    p.design = "F2 intercross";
    p.trait_names = {"y"};
    vimp::Group g{"1", {}};
    for (int k = 0; k < markers; ++k) g.markers.push_back({"m" + std::to_string(k), 1.0 * k, std::to_string(k)});
    p.groups = {g};
    p.analysed = {true};
    vimp::Line l;
    l.name = "a";
    l.first = "0";
    l.second = "INBRED";
    l.traits = {"1.5"};
    l.alleles.assign(2 * static_cast<std::size_t>(markers), "A");
    p.lines = {l};
    return p;
}

}  // namespace

TEST(ImportProject, RefusesLinesLongerThanTheAnalysisReads)
{
    EXPECT_NO_THROW(vimp::check_project(small_project(24997)));  // 4 + 1 + 49994 items
    try {
        vimp::check_project(small_project(24998));
        FAIL() << "no error";
    } catch (const vimp::ImportError& e) {
        EXPECT_NE(std::string(e.what()).find("50001 items per data-file line"), std::string::npos) << e.what();
    }
}

TEST(ImportProject, WritesAProjectTheCheckerAccepts)
{
    testsupport::TempDir dir;
    vimp::Project p = small_project(3);
    p.seed = "77";
    vimp::write_project(p, dir / "p");
    const auto pc = simtest::check_project(dir / "p");
    EXPECT_TRUE(pc.ok()) << pc.report();
    EXPECT_EQ(pc.parameters.at("seed"), "77");
    EXPECT_EQ(pc.parameters.at("mrkrC"), "3");
    // Every keyword line that sets a model choice says why.
    const std::string par = testsupport::read_file(dir / "p" / "voskara.par");
    for (const char* key : {"indiN", "indiT", "indiC", "indicQTL", "addGENE", "domGENE", "length", "seed"}) {
        const auto at = par.find(std::string("\n") + key + " ");
        ASSERT_NE(at, std::string::npos) << key;
        const std::string line = par.substr(at + 1, par.find('\n', at + 1) - at - 1);
        EXPECT_NE(line.find("; "), std::string::npos) << line;
    }
}
