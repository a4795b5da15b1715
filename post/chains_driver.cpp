// RuvaneChains: the post-processing of several chains of one project, pooled
// after their burn-in, with the convergence across them.
#include <cstdio>
#include <new>

#include "post/chain_dirs.h"
#include "post/chains_pool.h"
#include "post/console.h"
#include "post/driver.h"
#include "post/ruvane.h"
#include "post/state.h"
#include "textfile/fatal.h"

namespace rvn {

int RuvaneChains(const std::string& project_dir, const std::string& par_file)
{
    PostState& st = state();
    reset_state(st);
    st.project_dir = chains_root(project_dir).string();
    if (list_chain_dirs(st.project_dir).empty()) {
        rprint("\nERROR: no chain directories (chain_01, chain_02, ...) in %s", st.project_dir.c_str());
        rprint("\nRun voskara_chains on the project first");
        exit_ruvane();
    }
    try {
        const RunStart run = begin_run(st, par_file);
        const PooledChains pooled = pool_chains(st, par_file);
        ReportInputs report;
        report.par_file = par_file;
        report.start = run.start;
        report.chain_count = static_cast<int>(pooled.dirs.size());
        report.convergence = pooled.quantities;
        report.verdict = pooled.verdict;
        infer_and_finish(st, run, report);
    } catch (const std::bad_alloc&) {
        reset_state(st);
        std::printf("short of memory for %s\n", "Ruvane");
        vsk::fatal_exit(1);
    }
    return 0;
}

}  // namespace rvn
