// Writers of a simulated project's files.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vsim {

struct Population;

// Keyword lines of the parameter file in writing order, after the design's
// overrides ("param" settings) were applied; an empty value writes the
// keyword alone.
std::vector<std::pair<std::string, std::string>> parameter_lines(const Population& population);

void write_parameter_file(const Population& population, const std::filesystem::path& path);
void write_data_file(const Population& population, const std::filesystem::path& path);
void write_map_file(const Population& population, const std::filesystem::path& path);
void write_truth_file(const Population& population, const std::filesystem::path& path);

// One data-file line of an individual (pedigree index), without newline.
std::string data_line(const Population& population, int individual);

}  // namespace vsim
