// Pedigree-viewer export ("trellan.ped") shared pieces.
#pragma once

#include <cstdio>

#include "core/state/records.h"

namespace vsk {

// The comment block that replaces the IBD lines of a file with marker checks only.
void write_ibd_comment_block(std::FILE* f);
// An inbred-population individual whose first offspring is a selfing or a
// doubled haploid is left out of the viewer file (its offspring show its parents).
bool left_out_of_viewer(const Par& p, const Obs& o);

}  // namespace vsk
