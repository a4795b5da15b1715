// The voskara_simulate program, and the analysis reading what it writes.
#include <gtest/gtest.h>

#include <cstdlib>
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
    // The same command again gives the same files, byte for byte.
    TempDir again;
    run_command(simulate_cmd("--preset f2-tiny --out " + (again / "proj").string() + " --seed 5 --offspring 25 --traits=2"));
    for (const char* file : {"voskara.par", "voskara.dat", "voskara.map", "truth.json"})
        EXPECT_EQ(testsupport::read_file(dir / "proj" / file), testsupport::read_file(again / "proj" / file)) << file;
}

TEST(SimCli, ErrorsExitWithOne)
{
    TempDir dir;
    for (const std::string args : {"--preset nope", "--offspring", "--qtl chr=9,pos=1,a=1", "stray", "--seed -3", "--seed 99999999999999999999999", "--seed ' 4'"}) {
        const auto r = run_command(simulate_cmd(args + " --out " + (dir / "x").string()));
        EXPECT_EQ(r.exit_code, 1) << args;
        EXPECT_NE(r.output.find("voskara_simulate: "), std::string::npos) << args;
    }
    EXPECT_EQ(run_command(simulate_cmd("--help")).exit_code, 0);
}

// Short chains of the analysis on simulated projects: the analysis takes
// every project as written, whatever the design or the order of its lines.
namespace {

int console_count(const std::string& output, const std::string& label)
{
    const auto at = output.find(label);
    return at == std::string::npos ? -1 : std::atoi(output.c_str() + at + label.size());
}

void expect_analysis_reads(const std::string& preset, const std::string& extra)
{
    TempDir dir;
    const auto out = (dir / "p").string();
    const auto sim = run_command(simulate_cmd("--preset " + preset + " --out " + out + " --seed 3 " + extra +
                                              " --param length=10 --param thinning=5"));
    ASSERT_EQ(sim.exit_code, 0) << preset << " " << extra << "\n" << sim.output;
    // Sizes from the truth file: the design's count and the founders (generation 0).
    const std::string truth = testsupport::read_file(dir / "p" / "truth.json");
    const int individuals = console_count(truth, "\"individuals\": ");
    int founders = 0;
    for (auto at = truth.find("\"generation\": 0,"); at != std::string::npos; at = truth.find("\"generation\": 0,", at + 1))
        ++founders;
    const bool shuffled_design = console_count(truth, "\"parents_after_offspring\": ") > 0;
    const auto run = run_command(program("voskara_console") + " -d " + out);
    const std::string tail = run.output.substr(run.output.size() > 3000 ? run.output.size() - 3000 : 0);
    EXPECT_EQ(run.exit_code, 0) << preset << " " << extra << "\n" << tail;
    EXPECT_EQ(console_count(run.output, "Number of individuals"), individuals) << preset << " " << extra;
    EXPECT_EQ(console_count(run.output, "Number of founders"), founders) << preset << " " << extra;
    const bool shuffled = run.output.find("Pedigree was NOT sorted") != std::string::npos;
    EXPECT_EQ(shuffled, shuffled_design) << preset << " " << extra;
    EXPECT_EQ(shuffled_design, extra.find("--shuffle") != std::string::npos || preset == "fruit-tree")
        << preset << " " << extra;
}

}  // namespace

TEST(SimEndToEnd, AnalysisReadsEveryPreset)
{
    // The outbred presets of benchmark size are read without the marker and
    // QTL chain, whose preparation alone takes minutes on them.
    for (const vsim::PresetInfo& preset : vsim::presets()) {
        const std::string name = preset.name;
        expect_analysis_reads(name, name.rfind("outbred-", 0) == 0 ? "--param indicQTL=0" : "");
    }
}

TEST(SimEndToEnd, AnalysisReadsEveryDesignInAnyOrder)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"f2-small", "--shuffle 1"},
        {"backcross", "--shuffle 1 --backcross-parent 2"},
        {"dh", "--shuffle 0.5 --families 2 --offspring 40"},
        {"ril", "--shuffle 1 --offspring 30 --ril-generations 8"},
        {"f2-tiny", "--design f1 --line-cross 0 --families 12 --offspring 4 --qtl none --qtl chr=1,pos=20,a=1"},
        {"f2-tiny", "--marker-type multi --alleles 4 --line-cross 0 --families 3 --offspring 20"},
        {"fruit-tree", "--null-scoring marked --null-alleles 0.3 --shuffle 1"},
        {"fruit-tree", "--marker-type snp --traits 3 --trait-names a,b,c --mean 1,2,3 --residual-cov 1,0,0,0,1,0,0,0,1 "
                       "--qtl none --qtl chr=2,pos=5,share=0.1 --missing-phenotypes 0.1 --genotype-founders 0"},
    };
    for (const auto& [preset, extra] : cases) expect_analysis_reads(preset, extra);
}
