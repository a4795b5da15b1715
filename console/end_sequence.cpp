// End of an analysis run: closing outputs, release of the analysis state,
// timing lines, post-processing.
#include "console/end_sequence.h"

#include <chrono>

#include "console/convergence.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/datetime.h"

namespace vsk {

namespace {

constexpr long kMsPerHour = 3600000;
constexpr long kMsPerMinute = 60000;
constexpr long kMsPerSecond = 1000;

void print_timing(const RunState& run)
{
    crule(2, 79, 1);
    cprint("started  %s\n", run.start_time.c_str());
    cprint("finished %s\n", datetime_text().c_str());
    const auto elapsed = std::chrono::steady_clock::now() - run.start_clock;
    print_cpu_time(static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
    crule(1, 79, 1);
}

void release_analysis_state()
{
    free_effective_chain_sizes();
    FreeGlobalVariables();
}

}  // namespace

int ecs_table_size(int n_traits) { return n_traits + 9 * n_traits * (n_traits + 1) / 2 + 2; }

void print_cpu_time(long elapsed_ms)
{
    cprint("\ncpu time:                 %02ld:%02ld:%02ld h:m:s  (%ld units)", elapsed_ms / kMsPerHour,
           (elapsed_ms / kMsPerMinute) % 60, (elapsed_ms / kMsPerSecond) % 60, elapsed_ms);
}

int end_sequence(RunState& run)
{
    if (par.n_traits == 1 && par.indicQTL < 2) WritePredictions();
    fill_effective_chain_sizes();
    XmlGenerateSummary(run.start_time);
    if (!run.run_post_processing) release_analysis_state();
    print_timing(run);
    if (run.run_post_processing) {
        post_process_project();
        crule(1, 79, 1);
        // Again, now that the charts and tables of the post-processing exist,
        // so the summary links them; the analysis state is kept until then.
        XmlGenerateSummary(run.start_time);
        release_analysis_state();
    }
    return 0;
}

}  // namespace vsk
