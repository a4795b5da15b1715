// The order of a post-processing run on an already prepared state.
#pragma once

#include <chrono>
#include <string>

#include "post/report/report.h"
#include "post/sample_readers.h"
#include "post/state.h"

namespace rvn {

// Everything Ruvane does after setting the project directory: tests run it
// on their own state.
// Returns false when too few samples exist and `short_samples` allowed that.
bool run_post_processing(PostState& st, const std::string& par_file,
                         ShortSamples short_samples = ShortSamples::Fatal);

// The steps of a run that the pooled run of several chains shares.
struct RunStart {
    std::string start;                          // date and time text
    std::chrono::steady_clock::time_point clock;
};
// Start lines, banner, the parameter file and the map.
RunStart begin_run(PostState& st, const std::string& par_file);
// Every sample file of the project directory, cut to the complete samples.
bool read_sample_files(PostState& st, ShortSamples short_samples);
// The inferences on the rows after st.burnin, the XML summary, the report,
// the finish lines; resets the state.
void infer_and_finish(PostState& st, const RunStart& run, ReportInputs& report);

}  // namespace rvn
