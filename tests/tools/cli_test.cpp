// The voskara_simulate program, and the analysis reading what it writes.
#include <gtest/gtest.h>

#include <sstream>

#include "support/test_support.h"
#include "tools/project_check.h"
#include "tools/simulate/simulate.h"

using testsupport::program;
using testsupport::run_command;
using testsupport::TempDir;

namespace {

std::string simulate_cmd(const std::string& args) { return program("voskara_simulate") + " " + args; }

}  // namespace

TEST(SimCli, ListsOnePresetALineNameFirst)
{
    const auto r = run_command(simulate_cmd("--list-presets"));
    ASSERT_EQ(r.exit_code, 0) << r.output;
    std::istringstream lines(r.output);
    std::string line;
    std::size_t k = 0;
    while (std::getline(lines, line)) {
        ASSERT_LT(k, vsim::presets().size());
        EXPECT_EQ(line.substr(0, line.find(' ')), vsim::presets()[k++].name);
    }
    EXPECT_EQ(k, vsim::presets().size());
}

TEST(SimCli, WritesAPresetWithOverrides)
{
    TempDir dir;
    const auto out = (dir / "proj").string();
    const auto r = run_command(simulate_cmd("--preset f2-tiny --out " + out + " --seed 5 --offspring 25 --traits=2"));
    ASSERT_EQ(r.exit_code, 0) << r.output;
    const auto pc = simtest::check_project(dir / "proj");
    EXPECT_TRUE(pc.ok()) << pc.report();
    EXPECT_EQ(pc.data.size(), 2u + 1u + 25u);
    EXPECT_EQ(pc.parameters.at("ncolT"), "2");
    // The same command again gives the same data file.
    TempDir again;
    run_command(simulate_cmd("--preset f2-tiny --out " + (again / "proj").string() + " --seed 5 --offspring 25 --traits=2"));
    EXPECT_EQ(testsupport::read_file(dir / "proj" / "voskara.dat"), testsupport::read_file(again / "proj" / "voskara.dat"));
}

TEST(SimCli, ErrorsExitWithOne)
{
    TempDir dir;
    for (const std::string args : {"--preset nope", "--offspring", "--qtl chr=9,pos=1,a=1", "stray", "--seed -3"}) {
        const auto r = run_command(simulate_cmd(args + " --out " + (dir / "x").string()));
        EXPECT_EQ(r.exit_code, 1) << args;
        EXPECT_NE(r.output.find("voskara_simulate: "), std::string::npos) << args;
    }
    EXPECT_EQ(run_command(simulate_cmd("--help")).exit_code, 0);
}

// Short chains of the analysis on simulated projects; these grow into full
// end-to-end runs as the analysis does. Until the analysis reads data files
// (its "READING DATA" heading) the structural checks above stand in.
TEST(SimEndToEnd, AnalysisReadsSimulatedProjects)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"f2-tiny", ""}, {"ril", "--offspring 30"}, {"f2-two-traits", "--offspring 60"}, {"fruit-tree", ""}};
    for (const auto& [preset, extra] : cases) {
        TempDir dir;
        const auto out = (dir / "p").string();
        const auto sim = run_command(simulate_cmd("--preset " + preset + " --out " + out + " --seed 3 " + extra +
                                                  " --param length=10 --param thinning=5"));
        ASSERT_EQ(sim.exit_code, 0) << sim.output;
        const auto run = run_command(program("voskara_console") + " -d " + out);
        if (run.output.find("READING DATA") == std::string::npos)
            GTEST_SKIP() << "voskara_console does not read data files yet";
        EXPECT_EQ(run.exit_code, 0) << preset << "\n" << run.output.substr(run.output.size() > 3000 ? run.output.size() - 3000 : 0);
    }
}
