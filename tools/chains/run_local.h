// Running the chains of a plan on this machine: one voskara_console process
// per chain, at most `jobs` at once, a progress line per chain, and a clean
// stop of all of them on Ctrl-C (SIGINT), SIGTERM, SIGHUP or the first failure.
#pragma once

#include <cstdio>
#include <string>

#include "tools/chains/project_copy.h"

namespace vch {

// Runs every chain; 0 when all ended with exit code 0, else 1 after the
// message of the failed chain (the end of its log) or of the interruption.
int run_chains_here(const ChainPlan& plan, const std::string& console, int jobs, std::FILE* out, std::FILE* err);

// Runs `program` with `args`, its output to `log`, and waits: its exit code
// (128 + signal when killed), or 1 after a message on `err` when it cannot be
// started. An interruption stops it too.
int run_and_wait(const std::string& program, const std::vector<std::string>& args, const std::string& log,
                 std::FILE* err);

// The last `lines` lines of a text file.
std::string file_tail(const std::string& path, int lines);

}  // namespace vch
