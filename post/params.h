// Parameter reading of the post-processing (GetVoskaraPar) and the map.
#pragma once

#include <string>

#include "post/state.h"

namespace rvn {

// Reads the keywords the post-processing needs from the parameter file at
// `path`, echoes them and, with the QTL model on, reads the map. Count
// keywords ("ncolT", "ncolN", "nchrom") are taken before their lists
// whatever their order in the file, and the marker counts are accepted under
// "mrkrC" as well as "nmrkrC", as the analysis reads the same file.
void GetVoskaraPar(PostState& st, const std::string& path);

// Reads the linkage map named by "mapfile" into chromosome groups and
// markers, with the normalised prior mass of QTL locations.
void read_post_map(PostState& st);

}  // namespace rvn
