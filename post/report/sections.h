// The sections of the HTML report, each a self-contained piece of XHTML;
// a section whose inputs the run lacks returns an empty string.
#pragma once

#include <string>

#include "post/report/report.h"

namespace rvn::report {

std::string header_section(const PostState& st, const ReportInputs& in);
std::string convergence_section(const PostState& st, const ReportInputs& in);
// Several pooled chains (empty for one chain).
std::string chains_section(const PostState& st, const ReportInputs& in);
std::string qtl_number_section(const PostState& st);
std::string intensity_section(const PostState& st);
std::string regions_section(const PostState& st);
std::string values_section(const PostState& st, const ReportInputs& in);
std::string files_section(const PostState& st);

// Name of the project directory (its last path component, "." and a
// trailing "/" resolved).
std::string project_name(const PostState& st);
// A link to a file of the project directory when it exists, else its name.
std::string file_link(const PostState& st, const std::string& file);
// Target effective chain size of the parameter file (0: none).
int target_ess(const PostState& st, const std::string& par_file);
// Interpretation of a 2 ln(BF) value, with the classes of the console legend;
// a negative value gets the class of its size "for fewer" QTL.
std::string evidence(double two_ln_bf);

}  // namespace rvn::report
