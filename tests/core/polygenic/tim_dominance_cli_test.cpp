// The infinitesimal dominance model end to end: a simulated F2 analysed with
// TIMnumrm 3 writes and samples the dominance variance column; with two
// traits the run is the one of TIMnumrm 1.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::run_program_in;

// The numbers of every sample row of genpar.out (comment lines skipped).
std::vector<std::vector<double>> sample_rows(const fs::path& file)
{
    std::vector<std::vector<double>> rows;
    std::istringstream in(testsupport::read_file(file));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';') continue;
        std::istringstream words(line);
        std::vector<double> row;
        for (double v; words >> v;) row.push_back(v);
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

struct Analysis {
    testsupport::RunResult console;
    std::vector<std::vector<double>> genpar;
};

Analysis analyse(const TempDir& dir, const std::string& name, const std::string& preset, int timnumrm,
            const std::string& extra = "")
{
    const std::string args = "--preset " + preset + " --out " + name + " --seed 3 --param indicQTL=0" +
                             " --param indicTIM=1 --param TIMnumrm=" + std::to_string(timnumrm) +
                             " --param length=300 --param thinning=10" + extra;
    const auto sim = run_program_in(dir.path(), "voskara_simulate", args);
    EXPECT_EQ(sim.exit_code, 0) << sim.output;
    Analysis run;
    run.console = run_program_in(dir.path(), "voskara_console", "-d " + name);
    run.genpar = sample_rows(dir.path() / name / "genpar.out");
    return run;
}

TEST(TimDominanceEndToEnd, F2WritesAndSamplesTheDominanceVariance)
{
    TempDir dir;
    const Analysis dom = analyse(dir, "dom", "f2-small", 3);
    ASSERT_EQ(dom.console.exit_code, 0) << dom.console.output;
    const std::string& out = dom.console.output;
    EXPECT_NE(out.find("INITIAL VALUE(S) TIM-DOM VARIANCE(S)\n'0.05*residual variance(s)'"), std::string::npos);
    // The F1 and the 200 F2 plants carry a dominance effect; the lines not.
    EXPECT_NE(out.find("\nstart GCSdom 201"), std::string::npos) << out;
    const Analysis add = analyse(dir, "add", "f2-small", 1);
    ASSERT_EQ(add.console.exit_code, 0);
    ASSERT_EQ(dom.genpar.size(), 30u);
    ASSERT_EQ(add.genpar.size(), 30u);
    // One more column: the dominance variance, positive and moving (the
    // effects it is drawn from are not all 0).
    std::set<double> values;
    for (std::size_t k = 0; k < dom.genpar.size(); ++k) {
        ASSERT_EQ(dom.genpar[k].size(), add.genpar[k].size() + 1);
        EXPECT_GT(dom.genpar[k].back(), 0.0);
        values.insert(dom.genpar[k].back());
    }
    EXPECT_GT(values.size(), 20u);
    EXPECT_EQ(add.console.output.find("GCSdom"), std::string::npos);

    // REDprint keeps the set-up line off the console.
    const Analysis quiet = analyse(dir, "quiet", "f2-small", 3, " --param REDprint=1");
    ASSERT_EQ(quiet.console.exit_code, 0);
    EXPECT_EQ(quiet.console.output.find("GCSdom"), std::string::npos);
}

TEST(TimDominanceEndToEnd, TwoTraitsRunAsWithoutDominance)
{
    TempDir dir;
    const Analysis three = analyse(dir, "three", "f2-two-traits", 3);
    const Analysis one = analyse(dir, "one", "f2-two-traits", 1);
    ASSERT_EQ(three.console.exit_code, 0) << three.console.output;
    ASSERT_EQ(one.console.exit_code, 0);
    EXPECT_EQ(three.console.output.find("GCSdom"), std::string::npos);
    EXPECT_EQ(three.genpar, one.genpar);
}

}  // namespace
