// Values of the parameter file: whole-word numbers, bounds of the counts that
// could exhaust memory, 0/1 switches, and the founder-relationship file's
// dimensions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/state/parameters.h"
#include "param_test_project.h"

namespace {

using paramtest::kAborting;

class ParamValues : public paramtest::ParamProject {};

TEST_F(ParamValues, ValuesThatAreNotNumbersStopNamingTheKeyword)
{
    struct Case {
        const char* key;
        const char* value;
        const char* problem;
    };
    const std::vector<Case> cases = {
        {"addGENE", "NaN", "is not a number"},
        {"priorQTL", "inf", "is not a number"},
        {"length", "abc", "is not a number"},
        {"ess", "-2147483649", "is a number out of range"},
        {"freqmargin", "1e999", "is a number out of range"},
        {"indiT", "1 x", "is not a number"},
    };
    for (const Case& c : cases) {
        SetUp();
        set(c.key, c.value);
        EXPECT_FALSE(run()) << c.key;
        EXPECT_EQ(exit_code(), 1);
        const std::string value = std::string(c.value).substr(std::string(c.value).find_last_of(' ') + 1);
        EXPECT_NE(output().find("\nERROR: value '" + value + "' of " + c.key + " in file voskara.par " + c.problem +
                                kAborting),
                  std::string::npos)
            << output();
    }
}

TEST_F(ParamValues, NumberFollowedByTextIsReadWithAWarning)
{
    set("length", "2000steps");
    set("priorQTL", "2.5x");
    ASSERT_TRUE(run());
    EXPECT_EQ(vsk::par.length, 2000);
    EXPECT_DOUBLE_EQ(vsk::par.priorQTL, 2.5);
    EXPECT_NE(output().find("\nWARNING: value '2000steps' of length in file voskara.par is a number followed by "
                            "other text, read as 2000"),
              std::string::npos);
    EXPECT_NE(output().find("'2.5x' of priorQTL in file voskara.par is a number followed by other text, read as 2.5"),
              std::string::npos);
}

TEST_F(ParamValues, CountsAndSwitchesOutsideTheirBoundsStop)
{
    struct Case {
        const char* key;
        const char* value;
        const char* range;
    };
    const std::vector<Case> cases = {
        {"maximQTL", "20000", "0 to 1000"},     {"maximFPM", "1001", "0 to 1000"},
        {"thinning", "2147483647", "1 to 10000000"}, {"thinning", "0", "1 to 10000000"},
        {"length", "-5", "0 to 1000000000"},    {"ess", "-1", "0 to 10000000"},
        {"markerblock", "0", "1 to 100"},       {"indiT", "2 1", "0 to 1"},
        {"indiC", "3", "0 to 1"},               {"absorbFP", "2", "0 to 1"},
        {"headerOUT", "-1", "0 to 1"},          {"ncolN", "-3", "0 to 50000"},
    };
    for (const Case& c : cases) {
        SetUp();
        set(c.key, c.value);
        EXPECT_FALSE(run()) << c.key << " " << c.value;
        EXPECT_NE(output().find(std::string(" of ") + c.key + " in file voskara.par is out of range: " + c.range +
                                " are allowed" + kAborting),
                  std::string::npos)
            << c.key << " " << c.value << "\n" << output();
    }
}

TEST_F(ParamValues, FounderFileDimensionsAreChecked)
{
    const std::string header = "nind 2\nnr name\n1 alpha\n2 bravo\n";
    struct Case {
        std::string fibd, message;
    };
    const std::vector<Case> cases = {
        {header + "npos 0\npos chr map\ninbred 1\n", "\nERROR: npos 0 and nind 2 in file test.fibd"},
        {header + "npos 1\npos chr map\n1 1 0.0\ninbred 3\n", "\nERROR: inbred 3 in file test.fibd: 0 (outbred) or 1"},
        {header + "npos x\n", "\nERROR: value 'x' of npos in file test.fibd is not a number"},
    };
    for (const Case& c : cases) {
        SetUp();
        set("fibdfile", "test.fibd");
        set("FIBDthreshold", "0.9");
        write_project_file("test.fibd", c.fibd);
        EXPECT_FALSE(run()) << c.message;
        EXPECT_NE(output().find(c.message), std::string::npos) << c.message << "\n" << output();
    }
}

TEST_F(ParamValues, EmptyDataFileIsNamed)
{
    write_project_file("test.dat", "; only a comment\n\n");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\n0 lines in datafile test.dat\n\nERROR: data file test.dat is empty: no line holds an "
                            "individual" + kAborting),
              std::string::npos)
        << output();
}

TEST_F(ParamValues, DataLineNumbersCountCommentAndBlankLines)
{
    // The short line is the sixth line of the file (a comment and a blank line before).
    std::string text = paramtest::kDataFile;
    text.replace(text.find("2  delta   alpha bravo 2  -    -    2 $  G T"), 44, "2  delta   alpha bravo 2  -    -    2 G T");
    write_project_file("test.dat", text);
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: wrong number of columns in file test.dat, line 6, nstrings(observed) = 10"),
              std::string::npos)
        << output();
}

}  // namespace
