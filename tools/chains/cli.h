// Command line of voskara_chains: several chains of one project, run here in
// parallel or written (and submitted) as a Slurm job array.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace vch {

struct Options {
    std::string project_dir = ".";
    std::string par_file = "voskara.par";
    int chains = 0;           // -n, at least 1
    int jobs = 0;             // -j: chains running at once (0: as many as cores, at most the chains)
    bool slurm = false;       // write the job array and the merge step instead of running
    bool submit = false;      // ... and submit them with sbatch
    bool overwrite = false;   // replace chain directories of an earlier run
    bool merge = true;        // pool the chains with ruvane_console after a local run
    std::string console;      // voskara_console to run (default: beside this program)
    std::string ruvane;       // ruvane_console of the merge (default: beside this program)
    std::vector<std::string> sbatch_options;  // extra "#SBATCH" lines
};

// Parses the arguments; false after printing a message (usage or error) on
// `err`. `help` is set for --help (the usage goes to `out`).
bool parse_options(int argc, char** argv, Options& o, bool& help, std::FILE* out, std::FILE* err);

}  // namespace vch
