// The chain directories of a project: PROJECT/chains/chain_NN, each with its
// own copy of the project's input files and its own seed, and the copies of
// the parameter and map files the pooled post-processing reads in
// PROJECT/chains.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/chains/cli.h"

namespace vch {

struct ChainPlan {
    std::filesystem::path project;  // absolute project directory
    std::filesystem::path root;     // PROJECT/chains
    std::string par_file;           // name of the parameter file in every directory
    std::vector<std::filesystem::path> dirs;  // chain k at index k - 1
    std::vector<long> seeds;
    // IBD mode with positions: task k runs position k alone (every task
    // with the project's seed) instead of chain k.
    std::vector<double> positions;
};

// Input files of a project named by its parameter file and the optional
// inputs read by name, relative to the project directory (absolute names
// are left where they are and are not listed).
std::vector<std::string> project_inputs(const std::filesystem::path& project, const std::string& par_file);

// Creates the chains of `o` (in IBD mode one task per IBD position, whatever
// the number of chains asked for); false after a message on `err` (missing
// project or parameter file, chains of an earlier run without --overwrite,
// a file that cannot be copied).
bool prepare_chains(const Options& o, ChainPlan& plan, std::FILE* err);

// The log file of chain k: PROJECT/chains/chain_NN.log.
std::filesystem::path chain_log(const ChainPlan& plan, int k);

}  // namespace vch
