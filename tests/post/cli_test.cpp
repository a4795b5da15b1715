// ruvane_console end to end on small projects written by the tests.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

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

// Rewrites one file of a project.
using Edit = std::function<void(const std::filesystem::path&)>;

std::string replace_first(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// Drops the last `rows` rows of a sample file.
Edit drop_rows(const char* file, int rows)
{
    return [=](const std::filesystem::path& dir) {
        std::string text = testsupport::read_file(dir / file);
        for (int k = 0; k < rows; ++k) text = text.substr(0, text.rfind('\n'));
        testsupport::write_file(dir / file, text);
    };
}

Edit rewrite(const char* file, std::string from, std::string to)
{
    return [=](const std::filesystem::path& dir) {
        testsupport::write_file(dir / file, replace_first(testsupport::read_file(dir / file), from, to));
    };
}

TEST(CliRuvane, BadInputsEndWithTheirMessageAndExitCodeOne)
{
    struct Case {
        const char* what;
        Edit edit;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"required file missing", [](const auto& d) { std::filesystem::remove(d / "iqtl.out"); },
         "iqtl.out' not available\nNow exiting Ruvane(0.99130)"},
        {"map missing", [](const auto& d) { std::filesystem::remove(d / "test.map"); },
         "test.map' not available\nNow exiting Ruvane(0.99130)"},
        {"short genotype file", drop_rows("gqtl.out", 150), "\nInsufficient number of samples to allow statistical "
                                                             "inferences\nEarly termination of program"},
        {"row of another width", rewrite("genpar.out", "\n       20 ", "\n       20 1.0 "),
         "\ninconsistent no. of columns (11)at row 1 (line "},
        {"row of another width, the program's own name", rewrite("genpar.out", "\n       20 ", "\n       20 1.0 "),
         "\nexpected no. of columns = 10\n\nAborting Ruvane\n"},
        {"row counts differ", drop_rows("gqtl.out", 5),
         "\nnumber of rows inconsistent for 'iqtl.out' and 'gqtl.out'"},
        {"two names on a line", rewrite("wrtgtp.nms", "\nind2", "\nind2 ind2b"),
         "\nIncorrect number of names in file "},
        {"selection out of order",
         [](const auto& d) { testsupport::write_file(d / "wrtgtp.inp", "ind2 1\nind1 1\nind3 0\n"); },
         "\nIncorrect ORDER of names in file "},
        {"selection flag not 0/1",
         [](const auto& d) { testsupport::write_file(d / "wrtgtp.inp", "ind1 1\nind2 2\nind3 0\n"); },
         "\nIncorrect VALUE of subsetting in file "},
    };
    for (const Case& c : cases) {
        testsupport::TempDir dir;
        posttest::ProjectDesign design;
        posttest::write_project(dir.path(), design);
        c.edit(dir.path());
        const testsupport::RunResult run = testsupport::run_command(ruvane("-d " + dir.str()));
        EXPECT_EQ(run.exit_code, 1) << c.what << run.output;
        EXPECT_TRUE(contains(run.output, c.message)) << c.what << "\n" << run.output;
        EXPECT_FALSE(contains(run.output, "CONVERGENCE ISSUES")) << c.what;
    }
}

TEST(CliRuvane, OptionalFilesOnlyWarn)
{
    testsupport::TempDir dir;
    posttest::ProjectDesign design;
    posttest::write_project(dir.path(), design);
    // A fixed nuisance factor asks for nui2.out, which is not there.
    testsupport::write_file(dir / "voskara.par",
                            replace_first(testsupport::read_file(dir / "voskara.par"), "indiN 1", "indiN 0"));
    std::filesystem::remove(dir / "wrtgtp.nms");
    const testsupport::RunResult run = testsupport::run_command(ruvane("-d " + dir.str()));
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "nui2.out' not available\nEarly return (0) in ReadNuisance() "));
    EXPECT_TRUE(contains(run.output, "wrtgtp.nms' not available: Early return in ReadNamesGtp(). "
                                     "\nNo names used in Ruvane output"));
    EXPECT_TRUE(contains(run.output, "SUMMARY STATISTICS  GENPAR VARIABLES "));
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

namespace {

TEST(CliRuvane, FinishedQtlAnalysisWritesEveryInferenceFile)
{
    testsupport::TempDir dir;
    posttest::ProjectDesign design;
    design.samples = 300;
    design.W = 4;
    design.hotspots = true;
    design.cohorts = true;
    design.tim = true;
    design.phase = true;
    posttest::write_project(dir.path(), design);
    const testsupport::RunResult run = testsupport::run_command(ruvane("-d " + dir.str()));
    ASSERT_EQ(run.exit_code, 0) << run.output;
    for (const char* part :
         {"GENOME : PRIOR & POSTERIOR & BAYES FACTOR (nQTL)", "BAYES FACTORS (nQTL)", "\nThresholds HPI regions",
          "MPIntensity QTL POSITION", "HPD REGIONS QTL POSITION", "\n\nSUM( Prob ) = ",
          "CALCULATION OF GENOTYPIC AND BREEDING VALUES", "\nNo. individuals: 4", "CALCULATION OF QTL HAPLOTYPES",
          "READ SAMPLES ON TIM COHORT VARIANCES"})
        EXPECT_TRUE(contains(run.output, part)) << part;
    for (const char* file :
         {"C1mpd.asc", "C2mpd.asc", "C1i.lnd", "C2p.lnd", "genomei.lnd", "genomep.lnd", "MQTRegions.new",
          "MQTRRegions.info", "MQTRegions.gtp", "MQTRegionsGTP.csv", "individualsT1.brv", "MQTRegionsEBV.csv",
          "cohortsT1.var", "phase.tmp", "Qhaplotypes.csv", "ruvane.xml", "NQTL_BayesFac.csv", "NQTL_PostProb.csv"})
        EXPECT_TRUE(std::filesystem::exists(dir / file)) << file;
    // The chart files end in the option trailer of their kind.
    for (const auto& [file, tail] : std::vector<std::pair<const char*, const char*>>{
             {"genomei.lnd", "\nLineWidth=30\nBoldLineWidth=60"},
             {"genomet.lnd", "\nLineWidth=30\nBoldLineWidth=60"},
             {"C1t.lnd", "\nMaxBarLength=14000\n[Loci]\nDecimals=3"},
             {"VC.lnd", "\nLineWidth=50\nBoldLineWidth=100"}})
        EXPECT_TRUE(testsupport::read_file(dir / file).ends_with(tail)) << file;
    EXPECT_TRUE(std::filesystem::exists(dir / "traceQ1.asc"));
    EXPECT_TRUE(std::filesystem::exists(dir / "VC1.asc"));
    // Both hot spots are marked.
    const std::string regions = testsupport::read_file(dir / "MQTRegions.new");
    EXPECT_NE(regions.find("\n    100.0"), std::string::npos) << regions;
    EXPECT_NE(regions.find("\n    200.2"), std::string::npos) << regions;
    EXPECT_NE(testsupport::read_file(dir / "Qhaplotypes.csv").find(",ind2,10.000,25.000,A,T,"), std::string::npos);
    EXPECT_NE(testsupport::read_file(dir / "ruvane.xml").find("QTL phase information , Qhaplotypes.csv"),
              std::string::npos);
    // The TIM cohort column is filled from cohtim.out.
    EXPECT_NE(testsupport::read_file(dir / "cohortsT1.var").find("      0.500"), std::string::npos);

    // The same seed and files give the same outputs.
    const std::string first = testsupport::read_file(dir / "individualsT1.brv");
    ASSERT_EQ(testsupport::run_command(ruvane("-d " + dir.str())).exit_code, 0);
    EXPECT_EQ(testsupport::read_file(dir / "individualsT1.brv"), first);
}

TEST(CliRuvane, MalformedRegionsFileEndsWithExitCodeOne)
{
    testsupport::TempDir dir;
    posttest::ProjectDesign design;
    design.hotspots = true;
    posttest::write_project(dir.path(), design);
    const std::string file = (dir / "MQTRegions.inp").string();
    const struct {
        const char* lines;
        std::string message;
    } cases[] = {
        {"; edited\n100.10 100.14 0.9\n", "\nIncorrect number of strings in file " + file + " line 2"},
        {"100.30 100.20\n", "\nIncorrect region in file " + file + " line 1: [100.3000,100.2000] ends before it starts"},
        {"100.10 200.05\n",
         "\nIncorrect region in file " + file + " line 1: [100.1000,200.0500] does not lie on one linkage group"},
        {"900.10 900.20\n", "[900.1000,900.2000] lies on no linkage group of the map"},
    };
    for (const auto& c : cases) {
        testsupport::write_file(dir / "MQTRegions.inp", c.lines);
        const testsupport::RunResult run = testsupport::run_command(ruvane("-d " + dir.str()));
        EXPECT_EQ(run.exit_code, 1) << c.lines;
        EXPECT_TRUE(contains(run.output, c.message)) << run.output;
    }
}

}  // namespace
