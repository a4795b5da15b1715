// Linkage groups from markers listed in any order, and the tally of codes.
#pragma once

#include <string>
#include <vector>

#include "tools/import/project.h"
#include "tools/import/rqtl.h"

namespace vimp {

struct PlacedMarker {
    std::string name;
    std::string group;
    double position_cm = 0.0;
    std::string position_text;
    int source = 0;  // column or locus index in the source file
};

struct MapLayout {
    std::vector<Group> groups;
    std::vector<bool> analysed;  // groups with at least two markers
    std::vector<int> source;     // source index of each marker in map order
};

// Groups in order of first appearance, markers sorted by position (stable);
// groups with fewer than two markers are kept but not analysed (noted).
MapLayout lay_out_map(const std::vector<PlacedMarker>& markers, Tally& tally);

// Counts one converted code.
void count_code(Tally& tally, const std::string& code, CodeKind kind);

}  // namespace vimp
