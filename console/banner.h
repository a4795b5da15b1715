// Banner and disclaimer printed when the analysis program starts.
#pragma once

#include <string>

namespace vsk {

// Program name, version, date, project directory and parameter file.
void print_banner(const std::string& project_dir, const std::string& par_file);

// Framed ten-line disclaimer of warranty.
void print_disclaimer();

}  // namespace vsk
