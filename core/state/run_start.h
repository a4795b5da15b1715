// When the current analysis started, as a file-system time: outputs written
// since then belong to this run. Kept in the run workspace, set by
// InitGlobalVariables.
#pragma once

#include <filesystem>

namespace vsk {

struct RunStart {
    std::filesystem::file_time_type when = std::filesystem::file_time_type::clock::now();
};

}  // namespace vsk
