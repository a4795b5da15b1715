// The finite polygenic model end to end: simulated outbred and inbred
// projects analysed by the console program with a sampled and with a fixed
// number of genes, alone and next to the QTL model; the run writes the FPM
// sample files and post-processing reads them into its FPM tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::run_program_in;

struct Case {
    const char* preset;
    int indicFPM;
    int indicQTL;
    int length;
    int thinning;
};

void run_case(const Case& c)
{
    TempDir dir;
    const std::string args = std::string("--preset ") + c.preset + " --out proj --seed 4 --param indicFPM=" +
                             std::to_string(c.indicFPM) + " --param indicQTL=" + std::to_string(c.indicQTL) +
                             " --param maximFPM=3 --param priorFPM=1 --param writeGTP=all --param VARgroup=1" +
                             " --param length=" + std::to_string(c.length) + " --param thinning=" +
                             std::to_string(c.thinning);
    const auto sim = run_program_in(dir.path(), "voskara_simulate", args);
    ASSERT_EQ(sim.exit_code, 0) << sim.output;
    const auto run = run_program_in(dir.path(), "voskara_console", "-d proj");
    ASSERT_EQ(run.exit_code, 0) << c.preset << "\n" << run.output;
    const fs::path proj = dir.path() / "proj";
    for (const char* f : {"ifpm.out", "gfpm.out", "cohfpm.out"}) EXPECT_TRUE(fs::exists(proj / f)) << f;
    EXPECT_EQ(fs::exists(proj / "iqtl.out"), c.indicQTL == 1);
    if (c.indicFPM == 1) {
        EXPECT_NE(run.output.find("Accepted RJS_FPM (%proposed)"), std::string::npos);
    }
    if (c.indicFPM == 2 && c.length >= 10000) {
        const std::string cum = testsupport::read_file(proj / "cumgtp.out");
        EXPECT_NE(cum.find("P1"), std::string::npos);
    }
    // Post-processing read the FPM samples: the number of genes and their
    // covariance are summarised.
    EXPECT_NE(run.output.find("READ SAMPLES ON FPM VARIABLES"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("nFPM"), std::string::npos);
    EXPECT_NE(run.output.find("vFPM11"), std::string::npos);
}

TEST(FpmEndToEnd, OutbredSampledNumberOfGenes) { run_case({"fruit-tree", 1, 0, 400, 4}); }
TEST(FpmEndToEnd, OutbredFixedNumberOfGenesWithQtl) { run_case({"fruit-tree", 2, 1, 400, 4}); }
TEST(FpmEndToEnd, InbredSampledNumberOfGenesWithQtl) { run_case({"f2-small", 1, 1, 400, 4}); }
TEST(FpmEndToEnd, InbredFixedNumberOfGenesWritesGenotypeTallies) { run_case({"f2-tiny", 2, 0, 10000, 100}); }

}  // namespace
