// Map positions of an IBD analysis (`indicQTL` 2), chosen by the
// `fixQTLpos` text: a grid ("5cM"), every marker ("MARKERS"), or one position.
#pragma once

#include <string>
#include <vector>

#include "core/state/records.h"

namespace vsk {

// Prints the IBD position section and fills `positions` (map coordinates)
// from the markers of the linkage groups in the analysis. Returns the count,
// or -1 when no usable position results: an empty text, a grid step that is
// not a positive number of centiMorgan (it would never advance), no marker in
// the analysis, or a single position outside every analysed group.
// A grid count is never below 1 (then `positions` may hold fewer entries).
int ibd_position_list(const std::string& fixQTLpos, const std::vector<Chr>& groups,
                      const std::vector<Mrkrlcs>& markers, std::vector<double>& positions);

// The positions the chain runs over. With `indicQTL` 2 the list is built,
// stored in `par` (n_pos_ibd, pos_ibd through InitListPosIBD) and returned;
// a count of -1 ends the run with exit code 1. Otherwise one position, 0.
std::vector<double> chain_positions();

}  // namespace vsk
