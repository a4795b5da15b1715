// "marker.log": opened for appending around each write; no file at all while
// `REDprint` is set, so every writer simply skips on a null handle.
#pragma once

#include "textfile/file.h"

namespace vsk {

// The log opened for appending, or a null handle when REDprint is set.
File open_marker_log();
// Rule of 79 dashes framed by newlines, in the log.
void log_rule(std::FILE* f, int before, int after);

}  // namespace vsk
