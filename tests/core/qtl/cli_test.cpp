// The QTL analysis end to end: a simulated F2 project analysed by the
// console program twice with one seed gives byte-identical QTL samples, one
// concise iqtl.out row per QTL in the model, and the acceptance report.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::run_program_in;

void make_project(const fs::path& dir)
{
    const auto sim = run_program_in(dir, "voskara_simulate",
                            "--preset f2-small --out proj --seed 5 --param length=400 --param thinning=4 "
                            "--param FormatMCMC=1");
    ASSERT_EQ(sim.exit_code, 0) << sim.output;
}

TEST(QtlEndToEnd, SameSeedSameSamplesAndTheAcceptanceReport)
{
    TempDir a, b;
    make_project(a.path());
    make_project(b.path());
    const auto ra = run_program_in(a.path(), "voskara_console", "-d proj");
    const auto rb = run_program_in(b.path(), "voskara_console", "-d proj");
    ASSERT_EQ(ra.exit_code, 0) << ra.output;
    ASSERT_EQ(rb.exit_code, 0) << rb.output;
    const std::string iqtl = testsupport::read_file(a / "proj" / "iqtl.out");
    EXPECT_EQ(iqtl, testsupport::read_file(b / "proj" / "iqtl.out"));
    EXPECT_EQ(testsupport::read_file(a / "proj" / "genpar.out"), testsupport::read_file(b / "proj" / "genpar.out"));
    EXPECT_NE(ra.output.find("Accepted RJS_QTL (%proposed)"), std::string::npos);
    // Concise rows: iteration, number of QTL, group, cM, frequency, effect;
    // each sample has as many rows as its number of QTL.
    std::istringstream in(iqtl);
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';') continue;
        std::istringstream f(line);
        int it = 0, n = 0, group = 0;
        double cm = -1;
        ASSERT_TRUE(f >> it >> n >> group >> cm) << line;
        EXPECT_GE(n, 1);
        EXPECT_GE(group, 1);
        EXPECT_GE(cm, 0.0);
        ++rows;
    }
    EXPECT_GT(rows, 0);
}

}  // namespace
