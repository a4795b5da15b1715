// QTL mapping with a founder relationship file whose Q-matrices give IBD
// positions: the analysis runs to its end with the P-Link move (PLinkSoft
// 0 or more) or LocGtpF (PLinkSoft -1) and reports their acceptance.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

const char* kFibd =
    "; founder IBD probabilities of the two inbred founders at three positions (cM)\n"
    "nind 2\nnr name\n1 P1\n2 P2\n"
    "npos 3\npos chr map\n1 1 0.0\n2 1 30.0\n3 1 60.0\n"
    "inbred 1\n"
    "1.0 0.2\n0.2 1.0\n"
    "1.0 0.5\n0.5 1.0\n"
    "1.0 0.4\n0.4 1.0\n";

void make_project(const fs::path& dir, const std::string& soft)
{
    for (const auto& entry : fs::directory_iterator(testsupport::source_path("fuzz/base")))
        fs::copy_file(entry.path(), dir / entry.path().filename());
    testsupport::write_file(dir / "founders.fibd", kFibd);
    std::string par = testsupport::read_file(dir / "voskara.par");
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"fibdfile", "founders.fibd"},
                                     {"FIBDthreshold", "0.9"},
                                     {"PLinkSoft", soft},
                                     {"length", "600"},
                                     {"thinning", "6"}})
        par = std::regex_replace(par, std::regex("(^|\n)" + key + "([ \t]+)[^\n;]*"), "$01" + key + "$02" + value);
    testsupport::write_file(dir / "voskara.par", par);
}

// accepted / proposed of a move in the last acceptance report.
double last_rate(const std::string& out, const std::string& move)
{
    const std::regex line(move + " +([0-9.]+)");
    double rate = -1.0;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it)
        rate = std::stod((*it)[1]);
    return rate;
}

testsupport::RunResult run_console(const testsupport::TempDir& dir)
{
    return testsupport::run_command("cd '" + dir.str() + "' && SOURCE_DATE_EPOCH=0 TZ=UTC '" +
                                    testsupport::program("voskara_console") + "'");
}

TEST(CliPlink, SameSeedSameSamples)
{
    testsupport::TempDir a, b;
    make_project(a.path(), "0.5");
    make_project(b.path(), "0.5");
    ASSERT_EQ(run_console(a).exit_code, 0);
    ASSERT_EQ(run_console(b).exit_code, 0);
    for (const char* f : {"iqtl.out", "genpar.out"})
        EXPECT_EQ(testsupport::read_file(a / f), testsupport::read_file(b / f)) << f;
}

TEST(CliPlink, QtlAnalysisWithFounderRelationshipsRunsWithPLink)
{
    for (const char* soft : {"0.5", "-1"}) {
        testsupport::TempDir dir;
        make_project(dir.path(), soft);
        const testsupport::RunResult run = run_console(dir);
        ASSERT_EQ(run.exit_code, 0) << run.output;
        EXPECT_EQ(run.output.find("not available"), std::string::npos);
        const bool plink = std::string(soft) != "-1";
        const double rate = last_rate(run.output, plink ? "\\[6\\] P-Link" : "\\[2\\] LocGtpF");
        EXPECT_GT(rate, 0.0) << soft << run.output.substr(run.output.size() > 3000 ? run.output.size() - 3000 : 0);
        EXPECT_LT(rate, 1.0) << soft;
        EXPECT_EQ(last_rate(run.output, plink ? "\\[2\\] LocGtpF" : "\\[6\\] P-Link"), 0.0) << soft;
        EXPECT_EQ(last_rate(run.output, "\\[1\\] LocGtp "), 0.0) << soft;
        EXPECT_TRUE(fs::exists(dir / "iqtl.out"));
        EXPECT_TRUE(fs::exists(dir / "voskara.xml"));
    }
}

}  // namespace
