// Command line of voskara_import.
#pragma once

#include <cstdio>

namespace vimp {

// Runs the program with its arguments, writing the summary to `out` and
// errors to `err`; returns the exit code (0 success, 1 error).
int run_import_cli(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace vimp
