// The chains of a plan as a Slurm job array: "chains.sbatch" (one array task
// per chain), "merge.sbatch" (the pooled post-processing) and "submit.sh",
// which submits the array and the merge step to start once every task ended
// well (afterok), all in PROJECT/chains.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tools/chains/project_copy.h"

namespace vch {

struct SlurmPrograms {
    std::string console;  // absolute path of voskara_console
    std::string ruvane;   // absolute path of ruvane_console
};

// A word quoted for a POSIX shell.
std::string shell_quote(const std::string& word);

// The text of the three files (in IBD mode the merge step runs
// "merge_ibd.sh" instead of the pooled post-processing).
std::string array_script(const ChainPlan& plan, const SlurmPrograms& programs,
                         const std::vector<std::string>& sbatch_options);
std::string merge_script(const ChainPlan& plan, const SlurmPrograms& programs,
                         const std::vector<std::string>& sbatch_options);
std::string submit_script();
// IBD mode: joins the IBD files of the position tasks, in position order,
// into PROJECT/chains ("merge_ibd.sh", run by the merge step).
std::string ibd_merge_script();
bool write_ibd_merge_script(const ChainPlan& plan, std::FILE* err);

// Writes the files; false after a message on `err`.
bool write_slurm_files(const ChainPlan& plan, const SlurmPrograms& programs,
                       const std::vector<std::string>& sbatch_options, std::FILE* err);

}  // namespace vch
