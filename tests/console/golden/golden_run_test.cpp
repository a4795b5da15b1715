// Golden runs: tiny seeded projects analysed by the built program, their
// output files compared with the expected files kept in tests/golden. A
// change of the draw order, of a sampler or of a file layout shows up here;
// when the change is intended, tools/refresh_golden.sh rewrites the expected
// files (review the diff before committing it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "golden_compare.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

// Numbers are printed with a few digits; a difference beyond this share is
// a different chain, not rounding.
constexpr double kRelativeTolerance = 1e-6;

// The analysis outputs that the chain determines (the post-processing files
// have tests of their own). voskara.par gains the next run's seed.
const char* const kComparedFiles[] = {"voskara.par", "genpar.out",  "nui2.out",   "prediction.csv",
                                      "voskara.sort", "iqtl.out",   "gqtl.out",   "phase.out",
                                      "cohqtl.out",  "POA.out",    "POD.out"};
const char* const kInputFiles[] = {"voskara.par", "voskara.dat", "voskara.map"};

bool refreshing() { return std::getenv("VOSKARA_REFRESH_GOLDEN") != nullptr; }

// Runs the analysis on a copy of the project; dates are fixed through
// SOURCE_DATE_EPOCH and the time zone.
void run_project(const fs::path& source, const fs::path& dir)
{
    for (const char* name : kInputFiles) fs::copy_file(source / name, dir / name);
    const testsupport::RunResult result = testsupport::run_command(
        "cd '" + dir.string() + "' && SOURCE_DATE_EPOCH=0 TZ=UTC '" + testsupport::program("voskara_console") + "'");
    ASSERT_EQ(result.exit_code, 0) << result.output;
}

void refresh_expected(const fs::path& run_dir, const fs::path& expected)
{
    fs::remove_all(expected);
    fs::create_directories(expected);
    for (const char* name : kComparedFiles)
        if (fs::exists(run_dir / name)) fs::copy_file(run_dir / name, expected / name);
}

void compare_with_expected(const fs::path& run_dir, const fs::path& expected)
{
    ASSERT_TRUE(fs::is_directory(expected)) << expected << ": run tools/refresh_golden.sh";
    for (const char* name : kComparedFiles) {
        const bool want = fs::exists(expected / name);
        ASSERT_EQ(fs::exists(run_dir / name), want) << name << (want ? " not written" : " written unexpectedly");
        if (!want) continue;
        const std::string difference = golden::compare_texts(testsupport::read_file(expected / name),
                                                             testsupport::read_file(run_dir / name),
                                                             kRelativeTolerance);
        EXPECT_EQ(difference, "") << name << ": " << difference;
    }
}

class GoldenRun : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenRun, OutputsMatchTheExpectedFiles)
{
    const fs::path project = testsupport::source_path("tests/golden") / GetParam();
    testsupport::TempDir dir;
    run_project(project, dir.path());
    if (HasFatalFailure()) return;
    if (refreshing())
        refresh_expected(dir.path(), project / "expected");
    else
        compare_with_expected(dir.path(), project / "expected");
}

INSTANTIATE_TEST_SUITE_P(Projects, GoldenRun,
                         ::testing::Values("inbred-one-trait", "two-traits", "outbred-pedigree", "qtl-f2-prior-draw",
                                           "qtl-outbred", "qtl-final-offspring", "tim-inbred-additive",
                                           "tim-inbred-dominance"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

// The comparison itself: text exact, numbers within the tolerance.
TEST(OutputTextCompare, TextExactNumbersWithinTolerance)
{
    struct Case {
        const char* expected;
        const char* actual;
        bool same;
    };
    const Case cases[] = {
        {"a 1.5 b\n", "a 1.5 b\n", true},
        {"x 100.000001\n", "x 100.0000012\n", true},        // within 1e-6 relative
        {"x 100.0\n", "x 100.1\n", false},                 // a different value
        {"x 1e-3\n", "x 0.001\n", true},                   // same value, other spelling
        {"trait1 2\n", "trait2 2\n", false},               // number inside a word
        {"a 1\nb 2\n", "a 1\nc 2\n", false},               // text differs on line 2
        {"a 1\n", "a 1\nb 2\n", false},                    // extra line
        {"-0.5 -.5\n", "-0.5 -0.5\n", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(golden::compare_texts(c.expected, c.actual, kRelativeTolerance).empty(), c.same)
            << c.expected << " vs " << c.actual;
    EXPECT_NE(golden::compare_texts("a 1\nb 2\n", "a 1\nc 2\n", kRelativeTolerance).find("line 2"),
              std::string::npos);
}

}  // namespace
