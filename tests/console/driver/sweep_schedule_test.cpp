// Schedules of the sweep loop and the loop itself on a chain without model
// steps: progress interval, marker updates, extreme residuals, convergence
// checks, nuisance columns, length edits during the chain.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/sweep_loop.h"
#include "console_capture.h"
#include "core/voskara.h"
#include "textfile/fatal.h"

namespace {

using driver_test::ConsoleCapture;

std::vector<int> sweeps_where(int length, bool (*due)(int, int), int setting)
{
    std::vector<int> found;
    for (int t = 0; t < length; ++t)
        if (due(t, setting)) found.push_back(t);
    return found;
}

TEST(SweepSchedule, ProgressInterval)
{
    EXPECT_EQ(vsk::progress_interval(10, 0), 100);
    EXPECT_EQ(vsk::progress_interval(10, 1), 1000);
    EXPECT_EQ(vsk::progress_interval(1, 0), 10);
}

TEST(SweepSchedule, MarkerUpdates)
{
    EXPECT_EQ(sweeps_where(16, vsk::marker_update_due, 5), (std::vector<int>{4, 9, 14}));
    EXPECT_EQ(sweeps_where(4, vsk::marker_update_due, 0), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(sweeps_where(4, vsk::marker_update_due, -3), (std::vector<int>{0, 1, 2, 3}));
}

TEST(SweepSchedule, ExtremeResiduals)
{
    std::vector<int> long_chain;
    for (int t = 0; t < 1000; ++t)
        if (vsk::extreme_residuals_due(t, 10000)) long_chain.push_back(t + 1);
    EXPECT_EQ(long_chain, (std::vector<int>{200, 400, 600, 800, 1000}));
    std::vector<int> short_chain;
    for (int t = 0; t < 160; ++t)
        if (vsk::extreme_residuals_due(t, 1000)) short_chain.push_back(t + 1);
    EXPECT_EQ(short_chain, (std::vector<int>{50, 100, 150}));
    EXPECT_FALSE(vsk::extreme_residuals_due(5, 10));  // never in the first sweeps
    EXPECT_TRUE(vsk::extreme_residuals_due(49, 10));
}

TEST(SweepSchedule, ConvergenceCheckAtSecondToLastSweep)
{
    EXPECT_TRUE(vsk::convergence_check_due(9998, 10000, 1, 1000));
    EXPECT_FALSE(vsk::convergence_check_due(9999, 10000, 1, 1000));
    EXPECT_FALSE(vsk::convergence_check_due(9998, 10000, 1, 0));   // no target
    EXPECT_FALSE(vsk::convergence_check_due(9998, 10000, 2, 1000));  // IBD mode
    EXPECT_TRUE(vsk::convergence_check_due(9998, 10000, 0, 1000));
}

TEST(SweepSchedule, NuisanceColumnsAndVarianceIndices)
{
    // Columns: overall mean (0 0), fixed for trait 2 only (-1 0), excluded
    // (-1 -1), random for trait 1 (1 -1), random for both (2 1).
    vsk::Table<int> codes(5, 2);
    const int values[5][2] = {{0, 0}, {-1, 0}, {-1, -1}, {1, -1}, {2, 1}};
    for (int c = 0; c < 5; ++c)
        for (int k = 0; k < 2; ++k) codes[c][k] = values[c][k];
    std::vector<vsk::NuisanceStep> steps = vsk::nuisance_steps(codes, 5, 2);
    ASSERT_EQ(steps.size(), 4u);
    const int expected[4][3] = {{0, 0, 0}, {1, 0, 0}, {3, 0, 1}, {4, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(steps[i].column, expected[i][0]) << i;
        EXPECT_EQ(steps[i].var_index, expected[i][1]) << i;
        EXPECT_EQ(steps[i].has_variance, expected[i][2] == 1) << i;
    }
}

// The loop on a chain without model steps (no QTL, no traits): the chain
// length follows the parameter file at thinning boundaries. It runs in its
// own directory, where the sample files go.
class SweepLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = vsk::par;
        vsk::par = vsk::Par{};
        vsk::par.thinning = 10;
        vsk::par.length = 100;
        run_.par_path = (dir_ / "voskara.par").string();
    }
    void TearDown() override { vsk::par = saved_; }

    testsupport::TempDir dir_;
    testsupport::ScopedCwd cwd_{dir_.path()};
    vsk::RunState run_;

private:
    vsk::Par saved_;
};

TEST_F(SweepLoop, LengthEditTakesEffectAtTheNextThinningBoundary)
{
    testsupport::write_file(run_.par_path, "length 35\ness 0\n");
    ConsoleCapture capture;
    vsk::run_chains(run_, {0.0});
    EXPECT_EQ(vsk::par.length, 35);
    EXPECT_EQ(vsk::par.cur_sweep, 35);
    const std::string text = capture.text();
    const std::string rule(79, '-');
    EXPECT_NE(text.find("\n\n" + rule + "\n" + std::string(10, '*') + "   START  MARKOV  CHAIN  " +
                        std::string(45, '*') + "\n" + rule + "\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("length of Markov chain changed into 35"), std::string::npos);
}

TEST_F(SweepLoop, EachPositionRestartsWithTheLengthLeftBefore)
{
    testsupport::write_file(run_.par_path, "length 1\ness 0\n");
    ConsoleCapture capture;
    vsk::run_chains(run_, {0.0, 0.0});
    // First chain: lowered at t = 9 to t + 2 = 11; second chain: at t = 9
    // again to 11, so both end after 11 sweeps.
    EXPECT_EQ(vsk::par.length, 11);
    EXPECT_EQ(vsk::par.cur_sweep, 11);
}

TEST_F(SweepLoop, UserMaximumStopsAGrowingChain)
{
    testsupport::write_file(run_.par_path, "length 100000\ness 0\n");
    vsk::par.lengthUDMax = 40;
    ConsoleCapture capture;
    vsk::run_chains(run_, {0.0});
    EXPECT_EQ(vsk::par.cur_sweep, 40);
    EXPECT_NE(capture.text().find("\nUser-defined maximum chain length (40) reached!"), std::string::npos);
}

TEST_F(SweepLoop, ThinningBelowOneIsRefused)
{
    vsk::par.thinning = 0;
    ConsoleCapture capture;
    EXPECT_THROW(vsk::run_chains(run_, {0.0}), vsk::FatalExit);
    EXPECT_NE(capture.text().find("thinning interval must be 1 or more"), std::string::npos);
}

TEST_F(SweepLoop, ViewerExportCountRisesOncePerProcess)
{
    testsupport::write_file(run_.par_path, "length 20\ness 0\n");
    vsk::par.length = 20;
    vsk::par.indicQTL = 1;
    ConsoleCapture capture;
    vsk::run_chains(run_, {0.0, 0.0});
    EXPECT_EQ(run_.viewer_exports, 1);
}

}  // namespace
