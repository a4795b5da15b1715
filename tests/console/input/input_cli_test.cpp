// The analysis program on projects whose pedigree is out of order or cyclic:
// reports, the reordered copy, exit codes, the data file left untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunResult;
using testsupport::TempDir;

const char* const kData = "voskaraQTL.dat";

using testsupport::shell_quoted;

RunResult run_console(const fs::path& dir)
{
    return testsupport::run_command("cd " + shell_quoted(dir.string()) + " && " +
                                    shell_quoted(testsupport::program("voskara_console")) + " -d " + shell_quoted(dir.string()));
}

// The bundled example project with a short chain.
void copy_example(const fs::path& dir)
{
    for (const char* name : {"voskara.par", "voskara.map", kData})
        fs::copy_file(testsupport::source_path("examples/qtl") / name, dir / name);
    std::string par = testsupport::read_file(dir / "voskara.par");
    par = std::regex_replace(par, std::regex("(^|\n)length([ \t]+)[0-9]+"), "$1length 40");
    testsupport::write_file(dir / "voskara.par", par);
}

// The data lines (comments and blank lines dropped).
std::vector<std::string> data_lines(const fs::path& dir)
{
    std::istringstream in(testsupport::read_file(dir / kData));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (line.find_first_not_of(" \t\r") != std::string::npos && line[line.find_first_not_of(" \t")] != ';')
            lines.push_back(line);
    return lines;
}

void write_lines(const fs::path& path, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    testsupport::write_file(path, text);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(InputCli, ReversedPedigreeIsReorderedAndRuns)
{
    TempDir dir;
    copy_example(dir.path());
    std::vector<std::string> lines = data_lines(dir.path());
    std::reverse(lines.begin(), lines.end());   // every grandparent after its grandchildren
    write_lines(dir / kData, lines);
    const std::string data_before = testsupport::read_file(dir / kData);

    RunResult r = run_console(dir.path());
    ASSERT_EQ(r.exit_code, 0) << r.output;
    for (const char* part : {"\nDATA FILE\nvoskaraQTL.dat", "\nMAP FILE - LINKAGE GROUPS", "READING MAP\n",
                             "READING DATA\n", "\nPedigree was NOT sorted: Sorted pedigree in file 'voskara.sort'\n",
                             "\nNumber of individuals        211 ", "\nNumber of founders             5 ",
                             "IDENTIFICATION OF DESCENDANTS", "START  MARKOV  CHAIN"})
        EXPECT_TRUE(has(r.output, part)) << part;
    EXPECT_EQ(testsupport::read_file(dir / kData), data_before);

    // The reordered copy holds every line once and starts with a founder.
    const std::string sorted = testsupport::read_file(dir / "voskara.sort");
    ASSERT_EQ(std::count(sorted.begin(), sorted.end(), '\n'), 211);
    const std::string first = sorted.substr(1, sorted.find('\n', 1) - 1);
    EXPECT_TRUE(std::regex_search(first, std::regex("^ *1 +[a-z]+ +0 +0 "))) << first;
    const std::string log = testsupport::read_file(dir / "pedsort.log");
    EXPECT_TRUE(has(log, "\nWARNING: 1st parent(")) << log.substr(0, 200);
    EXPECT_TRUE(has(log, "\n\nAFTER sorting:"));

    const std::string check = testsupport::read_file(dir / "check.log");
    EXPECT_TRUE(has(check, "INDIVIDUAL WITH ITS DESCENDANTS"));
    EXPECT_TRUE(has(check, "\nPUTATIVE QTL LOCATIONS\n"));
    EXPECT_LT(check.find("PUTATIVE QTL LOCATIONS"), check.find("INDIVIDUAL's INFO ON ITS PEDIGREE"));
}

TEST(InputCli, CyclicPedigreeStopsWithExitCodeOne)
{
    TempDir dir;
    copy_example(dir.path());
    std::string data = testsupport::read_file(dir / kData);
    // foxtrot becomes an offspring of its own offspring "1".
    data = std::regex_replace(data, std::regex("foxtrot  alpha    bravo"), "foxtrot  alpha    1    ");
    testsupport::write_file(dir / kData, data);

    RunResult r = run_console(dir.path());
    EXPECT_EQ(r.exit_code, 1) << r.output;
    EXPECT_TRUE(has(r.output, "\nERROR: the pedigree contains a cycle")) << r.output;
    EXPECT_FALSE(has(r.output, "START  MARKOV  CHAIN"));
    EXPECT_FALSE(fs::exists(dir / "voskara.sort"));
    EXPECT_EQ(testsupport::read_file(dir / kData), data);
}
