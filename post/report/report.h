// "report.html": the results of a post-processing run as one self-contained
// page (inline CSS and SVG, no script, no network) for a person to read in a
// browser. It presents what the run computed in memory; it derives nothing
// new beyond plot scaling and sums of the shown values.
#pragma once

#include <string>
#include <vector>

#include "post/bv_files.h"
#include "post/chain_diagnostics.h"
#include "post/ess.h"
#include "post/state.h"

namespace rvn {

// What the run computed that the post-processing state does not keep.
struct ReportInputs {
    std::string par_file;      // the parameter file, relative to the project
    std::string start;         // date and time the run started
    double seconds = 0.0;      // run time up to the report
    std::vector<ChainEss> ess;  // per genpar.out value column
    std::vector<std::vector<BvRow>> values;  // per trait: the rows of the written individuals
    // Several pooled chains (empty for one chain): their number, the
    // diagnostics per quantity and the verdict line.
    int chain_count = 0;
    std::vector<QuantityConvergence> convergence;
    std::string verdict;
};

// Whether runs write the report (on unless switched off for batch use).
void set_report_enabled(bool on);
bool report_enabled();

// The page.
std::string report_html(const PostState& st, const ReportInputs& in);
// Writes "report.html" in the project directory.
void write_report(const PostState& st, const ReportInputs& in);

}  // namespace rvn
