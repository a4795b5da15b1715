// Chain length during the run: re-read of "length"/"ess", the user maximum
// and the lengthening towards the effective-chain-size target.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "console/chain_length.h"
#include "console_capture.h"
#include "textfile/fatal.h"

namespace {

using driver_test::ConsoleCapture;

class LengthReread : public ::testing::Test {
protected:
    // A parameter file with the given body; "lengthUDMax" and a commented
    // "length" must never be taken for the "length" line.
    std::string par_file(const std::string& body)
    {
        const std::string path = (dir_ / "voskara.par").string();
        testsupport::write_file(path, "lengthUDMax  99999\n; length 7\n" + body);
        return path;
    }

private:
    testsupport::TempDir dir_;
};

TEST_F(LengthReread, WithoutTargetLoweringBelowTheSweepRunsOneMoreSweep)
{
    const std::string path = par_file("length  5\ness 0\n");
    ConsoleCapture capture;
    int ess = 0;
    EXPECT_EQ(vsk::length_at_thinning_boundary(path, 49, 100, ess, 0), 51);
    EXPECT_NE(capture.text().find("\nlength of Markov chain changed into 5 ("), std::string::npos);
}

TEST_F(LengthReread, WithoutTargetEditsRaiseAndLowerTheLength)
{
    const std::string path = par_file("length  300\ness 0\n");
    int ess = 0;
    ConsoleCapture capture;
    EXPECT_EQ(vsk::length_at_thinning_boundary(path, 9, 100, ess, 0), 300);
    testsupport::write_file(path, "length 60\n");
    EXPECT_EQ(vsk::follow_proposed_length(100, vsk::reread_proposed_length(path, 100, ess), 19), 60);
}

TEST_F(LengthReread, UnchangedLengthIsNotAnnounced)
{
    const std::string path = par_file("length  100\ness 0\n");
    ConsoleCapture capture;
    int ess = 0;
    EXPECT_EQ(vsk::reread_proposed_length(path, 100, ess), 100);
    EXPECT_EQ(capture.text(), "");
}

// Trait names that end in a keyword ("bodylength", "firmness") on a later
// line must not be taken for the "length" or "ess" line.
TEST_F(LengthReread, KeywordsInsideLaterWordsAreNotTaken)
{
    const std::string path = par_file("length  300\ness 0\nnamesT bodylength firmness\n");
    ConsoleCapture capture;
    int ess = 0;
    EXPECT_EQ(vsk::reread_proposed_length(path, 300, ess), 300);
    EXPECT_EQ(ess, 0);
    EXPECT_EQ(capture.text(), "");
}

TEST_F(LengthReread, WithTargetEditsOfLengthHaveNoEffect)
{
    const std::string path = par_file("length  5\ness 1000\n");
    ConsoleCapture capture;
    int ess = 1000;
    EXPECT_EQ(vsk::length_at_thinning_boundary(path, 49, 100, ess, 0), 100);
    EXPECT_EQ(ess, 1000);
    EXPECT_EQ(capture.text(), "");
}

TEST_F(LengthReread, SettingEssToZeroSwitchesTheTargetOff)
{
    const std::string path = par_file("length  200\ness 0\n");
    ConsoleCapture capture;
    int ess = 1000;
    EXPECT_EQ(vsk::reread_proposed_length(path, 100, ess), 200);
    EXPECT_EQ(ess, 0);
}

TEST_F(LengthReread, MissingEssWarnsAndKeepsTheTarget)
{
    const std::string path = par_file("length  200\n");
    ConsoleCapture capture;
    int ess = 700;
    EXPECT_EQ(vsk::reread_proposed_length(path, 100, ess), 100);
    EXPECT_EQ(ess, 700);
    EXPECT_EQ(capture.text(), "WARNING: pattern ess                  not in file " + path + "\n");
}

TEST_F(LengthReread, MissingEssIsReportedOncePerRun)
{
    const std::string path = par_file("length  200\n");
    ConsoleCapture capture;
    int ess = 700;
    vsk::LengthRereadNotes notes;
    for (int k = 0; k < 5; ++k) EXPECT_EQ(vsk::reread_proposed_length(path, 100, ess, &notes), 100);
    EXPECT_EQ(ess, 700);
    EXPECT_EQ(capture.text(), "WARNING: pattern ess                  not in file " + path + "\n");
}

// The re-read takes values by the start-up rule and bounds: a refused value
// is reported and the current one kept (a wrapped -2147483649 must never
// become a huge target).
TEST_F(LengthReread, RefusedValuesKeepTheCurrentOnes)
{
    struct Case {
        const char* body;
        int length, ess;
        const char* message;
    };
    const Case cases[] = {
        {"length 300\ness -2147483649\n", 300, 0, "value '-2147483649' of ess in file "},
        {"length 300\ness -5\n", 300, 0, "value '-5' of ess in file "},
        {"length 300\ness 20000000\n", 300, 0, "is out of range (0 to 10000000), kept 0"},
        {"length 3000000000\ness 0\n", 100, 0, "value '3000000000' of length in file "},
        {"length -40\ness 0\n", 100, 0, "is out of range (0 to 1000000000), kept 100"},
        {"length 250x\ness 0\n", 250, 0, ""},
    };
    for (const Case& c : cases) {
        const std::string path = par_file(c.body);
        ConsoleCapture capture;
        int ess = 0;
        EXPECT_EQ(vsk::reread_proposed_length(path, 100, ess), c.length) << c.body;
        EXPECT_EQ(ess, c.ess) << c.body;
        EXPECT_NE(capture.text().find(c.message), std::string::npos) << c.body << capture.text();
    }
}

TEST_F(LengthReread, MissingLengthIsFatal)
{
    const std::string path = par_file("ess 0\n");  // only "lengthUDMax" and a comment
    ConsoleCapture capture;
    int ess = 0;
    EXPECT_THROW(vsk::reread_proposed_length(path, 100, ess), vsk::FatalExit);
    EXPECT_EQ(capture.text(), "WARNING: pattern length               not in file " + path + ", aborting\n");
}

TEST_F(LengthReread, LengthWithoutANumberKeepsTheChainGoing)
{
    const std::string path = par_file("ess 0\nlength\n");
    ConsoleCapture capture;
    int ess = 0;
    EXPECT_EQ(vsk::length_at_thinning_boundary(path, 49, 100, ess, 0), 100);
    EXPECT_NE(capture.text().find("is not a number, kept 100"), std::string::npos);
}

TEST(ChainLength, UserMaximumCapsTheLength)
{
    ConsoleCapture capture;
    EXPECT_EQ(vsk::clamp_to_user_maximum(16666, 15000), 15000);
    EXPECT_EQ(capture.text(), "\nUser-defined maximum chain length (15000) reached!");
    EXPECT_EQ(vsk::clamp_to_user_maximum(15000, 15000), 15000);
    EXPECT_EQ(vsk::clamp_to_user_maximum(16666, 0), 16666);
    EXPECT_EQ(vsk::clamp_to_user_maximum(16666, -1), 16666);
    EXPECT_EQ(capture.text(), "\nUser-defined maximum chain length (15000) reached!");
}

TEST(ChainLength, LengthenForEss)
{
    EXPECT_EQ(vsk::lengthen_for_ess(10000, 1000, 600), 16666);   // L·T/E, truncated
    EXPECT_EQ(vsk::lengthen_for_ess(10000, 1000, 400), 20000);   // at most half the target: doubled
    EXPECT_EQ(vsk::lengthen_for_ess(10000, 1000, 500), 20000);   // exactly half: doubled
    EXPECT_EQ(vsk::lengthen_for_ess(10000, 1000, 1000), 10000);  // target met
    EXPECT_EQ(vsk::lengthen_for_ess(10000, 1000, 0), 20000);
    EXPECT_EQ(vsk::lengthen_for_ess(10000, 200000, 100000), 20000);  // "no estimate" value: doubled
    EXPECT_EQ(vsk::lengthen_for_ess(2000000000, 1000, 400), INT_MAX);
}

TEST(ChainLength, ConvergenceCheckMessagesAndCap)
{
    {
        ConsoleCapture capture;
        EXPECT_EQ(vsk::convergence_check(10000, 1000, 15000, [] { return 600; }), 15000);
        EXPECT_EQ(capture.text(),
                  "\n\nCheck MCMC convergence: Target-ESS = 1000"
                  "\nNo convergence        : Length increased up to 16666\n"
                  "\nUser-defined maximum chain length (15000) reached!");
    }
    {
        ConsoleCapture capture;
        EXPECT_EQ(vsk::convergence_check(10000, 1000, 0, [] { return 1000; }), 10000);
        EXPECT_EQ(capture.text(),
                  "\n\nCheck MCMC convergence: Target-ESS = 1000"
                  "\nConvergence reached   : Stopping MCMC simulation\n");
    }
}

}  // namespace
