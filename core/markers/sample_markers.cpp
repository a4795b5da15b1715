// SampleMarkers: the single entry point of all marker work. Stage 1 codes
// and checks the marker data, stage 2 prepares phases for the chain, stage 3
// samples phases every sweep, stage 4 writes the final marker reports.
#include "core/markers/cleaned_data.h"
#include "core/markers/marker_checks.h"
#include "core/markers/phases.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

// Final marker work done so far (stage 4 runs it at most once per chain
// outside inbred populations).
int final_work_done = 0;

// End of stage 2: the cleaned data file (a run that read one keeps it), then
// the phenotype text is released unless the pedigree viewer still needs it.
void prepare_cleaned_file_and_text()
{
    if (!par.cm_datafile_used) write_cleaned_marker_data();
    if (par.trellanV == 0 && PNTheld) {
        FreePNTstring();
        PNTheld = 0;
    }
}

}  // namespace

MarkerData shared_marker_data() { return MarkerData{par, obs, mrkrlcs, mrk}; }

void SampleMarkers(int stage)
{
    const int done = par.inbred_pop ? 1 : final_work_done;
    final_work_done = done;
    if (par.cur_sweep == 0 && done != 0) {
        // IBD mode starts each chain with cleared tallies.
        reset_ibd_marker_tallies();
    }
    switch (stage) {
    case 1: {
        MarkerData d = shared_marker_data();
        run_marker_stage1(d, project_dirF);
        break;
    }
    case 2:
        prepare_marker_chain();
        prepare_cleaned_file_and_text();
        break;
    case 3:
        sample_marker_phases();
        break;
    case 4:
        if (done == 0) {
            final_marker_work();
            ++final_work_done;
        }
        break;
    default:
        cprint("\nerror 'sample_marker()' option =%d", stage);
        fatal_exit(1);
    }
}

}  // namespace vsk
