// Pedigree ordering: every parent must precede its offspring before the data
// reader resolves parents. Out-of-order parents are logged in "pedsort.log",
// the lines are reordered in memory and the new order is written to
// "voskara.sort"; the data file itself is never changed.
#pragma once

#include <string>
#include <vector>

namespace vsk {

// Returns the processing order: entry i is the 0-based index (into `lines`)
// of the line that becomes individual i + 1. Ends the run with exit code 1
// on a name too long, a single-parent fault, a parent that is not listed, or
// a pedigree cycle.
//
// The order is the one obtained by scanning the arrangement from the top
// and, whenever the line at the scan position has a parent further down,
// moving that parent's line up to the scan position (first parent before
// second parent) and scanning again from there. That is a depth-first
// placement of each line's unplaced ancestors before the line, computed
// here in one pass with hash-map name lookups.
// `numbers` (optional) holds each line's number in the file, for messages.
std::vector<int> order_pedigree(const std::vector<std::string>& lines, const std::vector<int>* numbers = nullptr);

}  // namespace vsk
