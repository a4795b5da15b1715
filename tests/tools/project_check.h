// An independent reader of written project files for the simulator's tests:
// checks the data, map and parameter files against each other and against
// the formats the analysis reads, and reports every problem found.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace simtest {

struct DataLine {
    std::vector<std::string> words;
};

struct ProjectCheck {
    std::map<std::string, std::string> parameters;  // last line of each keyword
    std::vector<DataLine> data;
    std::vector<std::string> map_groups;
    std::vector<std::vector<double>> map_positions;  // cM per group
    std::vector<std::string> problems;
    int parents_after_offspring = 0;  // parent references to a later line

    bool ok() const { return problems.empty(); }
    std::string report() const;
};

// Effective words of a line: text before ';' or "##", split at blanks, tabs
// and commas.
std::vector<std::string> effective_words(const std::string& line);

// Reads the project in `dir` (parameter file `parameter_file`).
ProjectCheck check_project(const std::filesystem::path& dir, const std::string& parameter_file = "voskara.par");

}  // namespace simtest
