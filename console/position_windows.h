// Windows for proposing a new QTL map position: seven probabilities and
// seven widths in Morgan (`twinv`), scaled by the average marker distance.
#pragma once

#include <string>

namespace vsk {

inline constexpr int kPositionWindows = 7;

// Fills `windows` (probabilities, then widths) for an average inter-marker
// distance of `distance` Morgan.
void fill_position_windows(double distance, double (&windows)[2 * kPositionWindows]);

// Appends the window section to the log at `log_path` ("check.log"); the
// window lines only when `maximQTL` is above 0.
void log_position_windows(const double (&windows)[2 * kPositionWindows], int maximQTL, const std::string& log_path);

// Both steps on the shared `twinv`, logged to "check.log" of the project.
void setup_position_windows(double distance);

}  // namespace vsk
