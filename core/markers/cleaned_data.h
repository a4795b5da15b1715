// The cleaned marker data file ("CM" + data file name): the data file with
// every analysed marker's current alleles, read instead of the data file by
// the next run of the same parameter file.
#pragma once

#include <string>

#include "core/markers/marker_data.h"

namespace vsk {

// File name of the cleaned data file of data file `datafile`.
std::string cleaned_data_file_name(const std::string& datafile);
// Writes the cleaned file of the shared records into `project_dir`.
void write_cleaned_marker_data(MarkerData& d, const std::string& project_dir);
// The same on the process-wide records and project directory.
void write_cleaned_marker_data();

}  // namespace vsk
