// End of an analysis run: closing outputs, release of the analysis state,
// the timing lines and the post-processing of a QTL analysis.
#pragma once

#include <string>

#include "console/run.h"

namespace vsk {

// Number of effective-chain-size entries for n traits: n + 9·n·(n+1)/2 + 2.
int ecs_table_size(int n_traits);

// The "cpu time" line for `elapsed_ms` milliseconds of the process clock.
void print_cpu_time(long elapsed_ms);

// Runs the end sequence and returns the exit code of a complete run (0).
int end_sequence(RunState& run);

}  // namespace vsk
