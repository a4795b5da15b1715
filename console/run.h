// The analysis run from command line to end sequence.
#pragma once

namespace vsk {

// Runs a whole analysis; returns the process exit code (fatal errors leave
// through FatalExit instead).
int run_analysis(int argc, char** argv);

}  // namespace vsk
