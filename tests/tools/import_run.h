// Runs voskara_import in-process and reads back the data file it wrote.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace imptest {

struct ImportRun {
    int code = -1;
    std::string out, err;
};

ImportRun run_import(const std::vector<std::string>& args);

// Data-file lines of a project by individual name: every word of the line.
std::map<std::string, std::vector<std::string>> data_by_name(const std::filesystem::path& dir);

}  // namespace imptest
