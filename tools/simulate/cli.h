// Command line of voskara_simulate.
#pragma once

#include <cstdio>

namespace vsim {

// Runs the program with its arguments, writing reports to `out` and errors
// to `err`; returns the exit code (0 success, 1 error).
int run_simulate_cli(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace vsim
