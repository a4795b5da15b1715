// Layout of a project's several chains, shared by the program that runs them
// and the post-processing that pools them: PROJECT/chains holds the copies of
// the parameter and map files the pooled results use, one directory per chain
// (chain_01, chain_02, ...) and the console log of each chain beside it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "post/ruvane_api.h"

namespace rvn {

// PROJECT/chains.
RUVANE_API std::filesystem::path chains_root(const std::filesystem::path& project_dir);

// Digits of the chain numbers of a run of `count` chains: at least 2.
RUVANE_API int chain_number_width(int count);

// "chain_" + k zero-padded to `width` digits.
RUVANE_API std::string chain_dir_name(int k, int width);

// The chain directories under `root` (names "chain_" + digits), by number.
RUVANE_API std::vector<std::filesystem::path> list_chain_dirs(const std::filesystem::path& root);

}  // namespace rvn
