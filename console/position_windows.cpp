// Windows for proposing a new QTL map position (`twinv`).
#include "console/position_windows.h"

#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/file.h"
#include "core/state/output_file.h"

namespace vsk {

namespace {

// Probability of each window and its width in units of the average
// inter-marker distance: mostly short moves, sometimes up to two intervals.
constexpr double kWindowProbability[kPositionWindows] = {0.3, 0.3, 0.2, 0.1, 0.1, 0.0, 0.0};
constexpr double kWindowWidth[kPositionWindows] = {0.2, 0.3, 0.5, 1.0, 2.0, 0.0, 0.0};

}  // namespace

void fill_position_windows(double distance, double (&windows)[2 * kPositionWindows])
{
    for (int w = 0; w < kPositionWindows; ++w) {
        windows[w] = kWindowProbability[w];
        windows[kPositionWindows + w] = kWindowWidth[w] * distance;
    }
}

void log_position_windows(const double (&windows)[2 * kPositionWindows], int maximQTL, const std::string& log_path)
{
    File log = open_output_file(log_path, "a");
    if (!log) {
        cprint("\nWARNING: cannot append to file %s", log_path.c_str());
        return;
    }
    std::fprintf(log.get(), "\n\nWINDOWS SAMPLING QTL MAP POSITION");
    if (maximQTL <= 0) return;
    for (int w = 0; w < kPositionWindows; ++w)
        std::fprintf(log.get(), "\nP(twin)%8.2f\ttwin%10.4f", windows[w], windows[kPositionWindows + w]);
}

void setup_position_windows(double distance)
{
    fill_position_windows(distance, twinv);
    log_position_windows(twinv, par.maximQTL, "check.log");
}

}  // namespace vsk
