// Fixed texts and tables of the driver: banner, disclaimer, position
// windows, timing line, size of the effective-chain-size tables.
#include <gtest/gtest.h>

#include <string>

#include "console/banner.h"
#include "console/end_sequence.h"
#include "console/position_windows.h"
#include "console_capture.h"

namespace {

using driver_test::ConsoleCapture;

int count_of(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(DriverReports, BannerNamesVersionDirectoryAndParameterFile)
{
    ConsoleCapture capture;
    vsk::print_banner("/projects/wheat", "trial.par");
    const std::string text = capture.text();
    EXPECT_EQ(text.rfind(std::string(79, '*') + "\n\nVoskara", 0), 0u);
    EXPECT_NE(text.find("\n\n  Version 0.99130             \n  Date    16.FEB.2016         "), std::string::npos);
    EXPECT_NE(text.find("\n\nProject directory\n  /projects/wheat \n"), std::string::npos);
    EXPECT_NE(text.find("\n\nParameter file\n  trial.par \n"), std::string::npos);
}

TEST(DriverReports, DisclaimerHasTenLinesBetweenFrames)
{
    ConsoleCapture capture;
    vsk::print_disclaimer();
    const std::string text = capture.text();
    const std::string frame = "\n" + std::string(78, '*') + "\n";
    ASSERT_EQ(text.rfind(frame + "\n Disclaimer Voskara\n", 0), 0u);
    ASSERT_EQ(text.substr(text.size() - frame.size()), frame);
    EXPECT_EQ(count_of(text, "\n "), 11);  // the title and ten lines
}

TEST(DriverReports, PositionWindowsScaleWithMarkerDistance)
{
    double windows[14];
    vsk::fill_position_windows(0.1, windows);
    const double expected[14] = {0.3, 0.3, 0.2, 0.1, 0.1, 0, 0, 0.02, 0.03, 0.05, 0.1, 0.2, 0, 0};
    double total = 0;
    for (int i = 0; i < 14; ++i) EXPECT_NEAR(windows[i], expected[i], 1e-12) << i;
    for (int i = 0; i < 7; ++i) total += windows[i];
    EXPECT_NEAR(total, 1.0, 1e-12);
}

TEST(DriverReports, PositionWindowLogIsAppended)
{
    testsupport::TempDir dir;
    const std::string log = (dir / "check.log").string();
    testsupport::write_file(log, "before");
    double windows[14];
    vsk::fill_position_windows(0.25, windows);
    vsk::log_position_windows(windows, 0, log);
    EXPECT_EQ(testsupport::read_file(log), "before\n\nWINDOWS SAMPLING QTL MAP POSITION");
    vsk::log_position_windows(windows, 3, log);
    const std::string text = testsupport::read_file(log);
    EXPECT_EQ(count_of(text, "\nP(twin)"), 7);
    EXPECT_NE(text.find("\nP(twin)    0.30\ttwin    0.0500\nP(twin)    0.30\ttwin    0.0750"), std::string::npos);
    EXPECT_NE(text.find("\nP(twin)    0.00\ttwin    0.0000"), std::string::npos);
}

TEST(DriverReports, CpuTimeLine)
{
    ConsoleCapture capture;
    vsk::print_cpu_time(3723004);  // 1 h 2 min 3.004 s
    vsk::print_cpu_time(90061000);  // 25 h 1 min 1 s: hours are not wrapped
    EXPECT_EQ(capture.text(),
              "\ncpu time:                 01:02:03 h:m:s  (3723004 units)"
              "\ncpu time:                 25:01:01 h:m:s  (90061000 units)");
}

TEST(DriverReports, EffectiveSizeTableSize)
{
    EXPECT_EQ(vsk::ecs_table_size(1), 12);
    EXPECT_EQ(vsk::ecs_table_size(2), 31);
}

}  // namespace
