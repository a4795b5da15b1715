// The analysis program run as a process: template project, a complete run
// on the QTL template, command-line errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunResult;
using testsupport::TempDir;

const char* const kTemplates[] = {"voskara_templateIBD.par", "voskara_templateQTL.par", "voskara_templateIBD.dat",
                                  "voskara_templateQTL.dat", "voskara_template.map"};

using testsupport::shell_quoted;

RunResult run_console(const std::string& arguments, const fs::path& cwd)
{
    return testsupport::run_command("cd " + shell_quoted(cwd.string()) + " && " +
                                    shell_quoted(testsupport::program("voskara_console")) + " " + arguments);
}

int count_lines_starting(const std::string& text, const std::string& start)
{
    int n = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text.compare(at, start.size(), start) == 0) ++n;
        at = text.find('\n', at);
        if (at == std::string::npos) break;
        ++at;
    }
    return n;
}

// The QTL template turned into a project "voskara.par" with a short chain.
void make_qtl_project(const fs::path& dir)
{
    run_console("", dir);
    fs::rename(dir / "voskara_templateQTL.par", dir / "voskara.par");
    fs::rename(dir / "voskara_templateQTL.dat", dir / "voskaraQTL.dat");
    fs::rename(dir / "voskara_template.map", dir / "voskara.map");
    std::string par = testsupport::read_file(dir / "voskara.par");
    par = std::regex_replace(par, std::regex("(^|\n)length([ \t]+)[0-9]+"), "$1length 40");
    testsupport::write_file(dir / "voskara.par", par);
}

TEST(CliDriver, EmptyDirectoryGetsTheTemplateProject)
{
    TempDir dir;
    RunResult result = run_console("-d " + shell_quoted(dir.str()), dir.path());
    EXPECT_EQ(result.exit_code, 1) << result.output;
    for (const char* name : kTemplates) EXPECT_TRUE(fs::exists(dir / name)) << name;
    EXPECT_TRUE(fs::exists(dir / "voskara.xml"));
    EXPECT_NE(result.output.find("Disclaimer Voskara"), std::string::npos);
}

TEST(CliDriver, QtlTemplateProjectRunsToTheEnd)
{
    TempDir dir;
    make_qtl_project(dir.path());
    ASSERT_EQ(count_lines_starting(testsupport::read_file(dir / "voskara.par"), "seed"), 1);
    ASSERT_EQ(count_lines_starting(testsupport::read_file(dir / "voskara.par"), "length 40"), 1)
        << "length edit failed";

    // Entered through a relative directory name, which must still find the
    // parameter file once the program has moved into the directory.
    fs::create_directory(dir / "project");
    for (const char* name : {"voskara.par", "voskaraQTL.dat", "voskara.map"})
        fs::rename(dir / name, dir / "project" / name);
    RunResult result = run_console("-d project", dir.path());
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(count_lines_starting(testsupport::read_file(dir / "project" / "voskara.par"), "seed"), 2);
    EXPECT_NE(result.output.find("START  MARKOV  CHAIN"), std::string::npos);
    EXPECT_NE(result.output.find("\ncpu time:"), std::string::npos);
}

int count_occurrences(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The bundled IBD example as shipped: one chain per marker position, no
// nuisance or likelihood steps, no post-processing, exit code 0.
TEST(CliDriver, IbdExampleRunsOneChainPerPosition)
{
    TempDir dir;
    fs::copy(testsupport::source_path("examples/ibd"), dir / "ibd");
    RunResult result = run_console("-d ibd", dir.path());
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_NE(result.output.find("\nMARKERS loci search for IBD probabilities   (N=6)"), std::string::npos)
        << result.output;
    EXPECT_EQ(count_occurrences(result.output, "START  MARKOV  CHAIN"), 6);
    EXPECT_EQ(result.output.find("POSTERIOR INFERENCE"), std::string::npos) << "IBD mode runs no post-processing";
    EXPECT_FALSE(fs::exists(dir / "ibd" / "extremeP.log"));
    EXPECT_EQ(count_lines_starting(testsupport::read_file(dir / "ibd" / "voskara.par"), "seed"), 2);
}

// trellanV 2 stops before the chain; the end sequence still runs.
TEST(CliDriver, ViewerExportOnlyRunsNoSweep)
{
    TempDir dir;
    make_qtl_project(dir.path());
    std::string par = testsupport::read_file(dir / "voskara.par");
    par = std::regex_replace(par, std::regex("(^|\n)trellanV([ \t]+)[0-9]+"), "$1trellanV 2");
    testsupport::write_file(dir / "voskara.par", par);
    RunResult result = run_console("", dir.path());
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(result.output.find("START  MARKOV  CHAIN"), std::string::npos);
    EXPECT_NE(result.output.find("\nfinished "), std::string::npos);
    EXPECT_NE(result.output.find("\ncpu time:"), std::string::npos);
}

TEST(CliDriver, OtherParameterFileName)
{
    TempDir dir;
    make_qtl_project(dir.path());
    fs::rename(dir / "voskara.par", dir / "trial.par");
    RunResult result = run_console("-P trial.par -D .", dir.path());
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(count_lines_starting(testsupport::read_file(dir / "trial.par"), "seed"), 2);
}

TEST(CliDriver, MissingDirectory)
{
    TempDir dir;
    const std::string missing = (dir / "missing").string();
    RunResult result = run_console("-d " + shell_quoted(missing), dir.path());
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.output.find("Unable to locate the directory: " + missing + "\n"), std::string::npos)
        << result.output;
}

TEST(CliDriver, UsageErrors)
{
    TempDir dir;
    for (const char* arguments : {"-x value", "-d", "project -d"}) {
        RunResult result = run_console(arguments, dir.path());
        EXPECT_EQ(result.exit_code, 1) << arguments;
        EXPECT_NE(result.output.find("\nUsage: " + testsupport::program("voskara_console") +
                                     " [-d working_directory] [-p parameter_file]"),
                  std::string::npos)
            << result.output;
        EXPECT_TRUE(fs::is_empty(dir.path())) << arguments;
    }
}

}  // namespace
