// The analysis program and the files of a project: outputs that cannot be
// written stop the run, a run stopped by bad input leaves the parameter file
// alone, and the template guide leads to the data file the templates read.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunResult;
using testsupport::TempDir;

RunResult run_console(const fs::path& dir)
{
    // Fixed dates, so that two runs write identical seed lines.
    return testsupport::run_command("cd '" + dir.string() + "' && SOURCE_DATE_EPOCH=0 TZ=UTC '" +
                                    testsupport::program("voskara_console") + "'");
}

// The QTL template renamed as the guide says, with a short chain.
void make_template_project(const fs::path& dir)
{
    run_console(dir);
    fs::rename(dir / "voskara_templateQTL.par", dir / "voskara.par");
    fs::rename(dir / "voskara_templateQTL.dat", dir / "voskaraQTL.dat");
    fs::rename(dir / "voskara_template.map", dir / "voskara.map");
    std::string par = testsupport::read_file(dir / "voskara.par");
    par = std::regex_replace(par, std::regex("(^|\n)length([ \t]+)[0-9]+"), "$1length 40");
    testsupport::write_file(dir / "voskara.par", par);
}

// The value of a keyword line of a parameter file.
std::string keyword_value(const std::string& par, const std::string& keyword)
{
    std::smatch m;
    if (!std::regex_search(par, m, std::regex("(^|\n)" + keyword + "[ \t]+([^ \t\n;]+)"))) return "";
    return m[2];
}

TEST(CliRunFiles, SampleFileThatCannotBeOpenedStopsTheRunNamingIt)
{
    TempDir dir;
    make_template_project(dir.path());
    fs::create_directory(dir / "genpar.out");  // not a file: cannot be opened, not even by root
    const RunResult result = run_console(dir.path());
    EXPECT_EQ(result.exit_code, 1) << result.output;
    EXPECT_NE(result.output.find("unable to open file 'genpar.out' for writing"), std::string::npos)
        << result.output;
    EXPECT_EQ(result.output.find("cpu time:"), std::string::npos) << "the run went on to its end";
}

TEST(CliRunFiles, ReadOnlyProjectStopsBeforeTheChain)
{
    if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
    TempDir dir;
    make_template_project(dir.path());
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const RunResult result = run_console(dir.path());
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(result.exit_code, 1) << result.output;
    EXPECT_NE(result.output.find("unable to open file '"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("START  MARKOV  CHAIN"), std::string::npos) << result.output;
}

TEST(CliRunFiles, RunStoppedByBadInputLeavesTheParameterFileAlone)
{
    TempDir dir;
    make_template_project(dir.path());
    fs::remove(dir / "voskaraQTL.dat");
    const std::string before = testsupport::read_file(dir / "voskara.par");
    const RunResult failed = run_console(dir.path());
    EXPECT_EQ(failed.exit_code, 1) << failed.output;
    EXPECT_EQ(testsupport::read_file(dir / "voskara.par"), before) << "a seed line was appended";
}

TEST(CliRunFiles, SeedLineAppendedOnceInputsAreReadAndSameChainAsBefore)
{
    // Two copies: one run directly, one after a failed attempt. The failed
    // attempt must not move the random stream, so both chains agree.
    TempDir a, b;
    make_template_project(a.path());
    for (const char* name : {"voskara.par", "voskaraQTL.dat", "voskara.map"}) fs::copy_file(a / name, b / name);
    fs::rename(b / "voskaraQTL.dat", b / "held.dat");
    EXPECT_EQ(run_console(b.path()).exit_code, 1);
    fs::rename(b / "held.dat", b / "voskaraQTL.dat");

    const RunResult ra = run_console(a.path());
    const RunResult rb = run_console(b.path());
    ASSERT_EQ(ra.exit_code, 0) << ra.output;
    ASSERT_EQ(rb.exit_code, 0) << rb.output;
    EXPECT_EQ(testsupport::read_file(a / "genpar.out"), testsupport::read_file(b / "genpar.out"));
    EXPECT_EQ(testsupport::read_file(a / "voskara.par"), testsupport::read_file(b / "voskara.par"));
    EXPECT_NE(ra.output.find("seed written to 'voskara.par' (use next run)"), std::string::npos);
}

// Standardising the phenotypes (scaleT 1) rescales the model, not the
// answer: "prediction.csv" gives observed and predicted values in the data's
// units, the same as an unscaled run of the same chain, and the same number
// of effective parameters.
TEST(CliRunFiles, ScaledTraitRunPredictsInTheDataUnits)
{
    TempDir plain, scaled;
    make_template_project(plain.path());
    for (const char* name : {"voskara.par", "voskaraQTL.dat", "voskara.map"}) fs::copy_file(plain / name, scaled / name);
    std::string par = testsupport::read_file(scaled / "voskara.par");
    par = std::regex_replace(par, std::regex("(^|\n)scaleT([ \t]+)0"), "$1scaleT$021");
    testsupport::write_file(scaled / "voskara.par", par);
    ASSERT_EQ(keyword_value(testsupport::read_file(scaled / "voskara.par"), "scaleT"), "1");

    for (const TempDir* d : {&plain, &scaled}) {
        const RunResult r = run_console(d->path());
        ASSERT_EQ(r.exit_code, 0) << r.output;
    }
    const std::string a = testsupport::read_file(plain / "prediction.csv");
    const std::string b = testsupport::read_file(scaled / "prediction.csv");
    const auto rows = [](const std::string& text) { return text.substr(text.find("ID,yObs,yHat")); };
    const auto line = [](const std::string& text, const std::string& key) {
        const std::size_t at = text.find(key);
        return at == std::string::npos ? std::string("missing") : text.substr(at, text.find('\n', at) - at);
    };
    EXPECT_EQ(rows(a), rows(b));
    for (const char* key : {"; phenotype MSE", "; spiegelhalter pD"}) EXPECT_EQ(line(a, key), line(b, key));
}

TEST(CliRunFiles, TemplateGuideNamesTheDataFilesTheTemplatesRead)
{
    TempDir dir;
    const RunResult result = run_console(dir.path());
    ASSERT_EQ(result.exit_code, 1);
    std::smatch line;
    ASSERT_TRUE(std::regex_search(result.output, line, std::regex("\n  2\\.d:[^\n]*")));
    for (const char* par : {"voskara_templateQTL.par", "voskara_templateIBD.par"}) {
        const std::string datafile = keyword_value(testsupport::read_file(dir / par), "datafile");
        ASSERT_FALSE(datafile.empty()) << par;
        EXPECT_NE(line.str().find(datafile), std::string::npos) << line.str() << " does not name " << datafile;
    }
}

}  // namespace
