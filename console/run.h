// The analysis run from command line to end sequence.
#pragma once

#include <chrono>
#include <string>

#include "console/chain_length.h"

namespace vsk {

// Run-local values of the driver (everything else lives in the shared
// records of the analysis library).
struct RunState {
    // Process clock of the timing line: elapsed (steady) time since the
    // program started, in milliseconds when printed.
    std::chrono::steady_clock::time_point start_clock = std::chrono::steady_clock::now();
    std::string start_time;          // date/time text at start-up
    std::string par_path;            // project directory / parameter file
    double marker_distance = 0.0;    // average inter-marker distance (Morgan), set by the map reader
    bool run_post_processing = false;  // indicQTL below 2
    int viewer_exports = 0;          // last-sweep pedigree-viewer exports done (at most one per process)
    LengthRereadNotes length_notes;  // what the re-reads of "length"/"ess" reported already
};

// Runs a whole analysis; returns the process exit code (fatal errors leave
// through FatalExit instead).
int run_analysis(int argc, char** argv);

}  // namespace vsk
