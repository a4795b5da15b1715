// ruvane_console end to end on small projects written by the tests.
#include <gtest/gtest.h>

#include "post/sample_project.h"
#include "support/test_support.h"

namespace {

std::string ruvane(const std::string& args) { return testsupport::program("ruvane_console") + " " + args; }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CliRuvane, FinishedRunPrintsConvergenceEssAndSummaries)
{
    testsupport::TempDir dir;
    posttest::ProjectDesign design;
    design.samples = 400;
    design.cohorts = true;
    posttest::write_project(dir.path(), design);
    const testsupport::RunResult run = testsupport::run_command(ruvane("-d " + dir.str()));
    EXPECT_EQ(run.exit_code, 0) << run.output;
    for (const char* part :
         {"START: ", "\nRuvane\n  0.99130", "VOSKARA PARAMETERS", "GENETIC MARKER MAP", "READ SAMPLES ON QTL GENOTYPES",
          "CONVERGENCE ISSUES", "SIMPLE ESTIMATE OF BURN-IN", "EFFECTIVE SAMPLE SIZE (ESS)",
          "DIRECT CONVERGENCE RATE ESTIMATION (#QTL)", "POSTERIOR INFERENCE  GENERAL VARIABLES",
          "SUMMARY STATISTICS  GENPAR VARIABLES ", "EXTRACT QTL SAMPLES FOR FURTHER INFERENCES ", "FINISH: "})
        EXPECT_TRUE(contains(run.output, part)) << part;
    EXPECT_TRUE(contains(run.output, "\n" + std::string(80, '-') + "\n"));
}

TEST(CliRuvane, ConciseLayoutAndOtherParameterFile)
{
    testsupport::TempDir dir;
    posttest::ProjectDesign design;
    design.concise = true;
    posttest::write_project(dir.path(), design);
    std::filesystem::rename(dir / "voskara.par", dir / "run2.par");
    const testsupport::RunResult run =
        testsupport::run_command("cd " + dir.str() + " && " + ruvane("-P run2.par"));
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "EXTRACT QTL SAMPLES"));
}

TEST(CliRuvane, StoppedRunIsProcessedUpToItsLastCompleteSample)
{
    testsupport::TempDir dir;
    posttest::ProjectDesign design;
    design.samples = 150;
    posttest::write_project(dir.path(), design);
    // Killed while writing gqtl.out: its last row is cut.
    const std::string text = testsupport::read_file(dir / "gqtl.out");
    testsupport::write_file(dir / "gqtl.out", text.substr(0, text.size() - 4));
    const testsupport::RunResult run = testsupport::run_command(ruvane("-d " + dir.str()));
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "is incomplete"));
    EXPECT_TRUE(contains(run.output, "149 complete samples are used"));
    EXPECT_TRUE(contains(run.output, "EFFECTIVE SAMPLE SIZE (ESS)"));
}

TEST(CliRuvane, FatalInputsExitWithOne)
{
    testsupport::TempDir dir;
    posttest::ProjectDesign design;
    design.samples = 99;
    posttest::write_project(dir.path(), design);
    testsupport::RunResult run = testsupport::run_command(ruvane("-d " + dir.str()));
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_TRUE(contains(run.output, "\nInsufficient number of samples to allow statistical inferences"));

    run = testsupport::run_command(ruvane("-d " + dir.str() + " -p missing.par"));
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_TRUE(contains(run.output, "missing.par' not available"));
}

TEST(CliRuvane, CommandLineErrors)
{
    testsupport::RunResult run = testsupport::run_command(ruvane("-x value"));
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_TRUE(contains(run.output, "\nUsage: "));
    EXPECT_TRUE(contains(run.output, " [-d working_directory] [-p parameter_file]"));
    run = testsupport::run_command(ruvane("-d"));
    EXPECT_EQ(run.exit_code, 1);
    run = testsupport::run_command(ruvane("-d /nonexistent-voskara-dir"));
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_TRUE(contains(run.output, "Unable to locate the directory: /nonexistent-voskara-dir\n"));
}

}  // namespace
