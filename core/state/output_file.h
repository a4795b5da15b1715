// Output files of a run (sample files, logs, reports). A file the run cannot
// open stops it: results silently lost would otherwise pass for a success.
#pragma once

#include <string>

#include "core/voskara_api.h"
#include "textfile/file.h"

namespace vsk {

// Opens `path` with `mode` ("w" or "a"); when it cannot be opened, prints a
// message naming the file and the reason and ends the run (exit code 1).
VOSKARA_API File open_output_file(const std::string& path, const char* mode);

}  // namespace vsk
