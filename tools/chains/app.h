// voskara_chains from its arguments to its exit code.
#pragma once

#include <cstdio>

namespace vch {

int run_chains_cli(int argc, char** argv, std::FILE* out, std::FILE* err);

}  // namespace vch
