// The IBD positions of a project in IBD mode (indicQTL 2), as the analysis
// derives them from "fixQTLpos" and the map, so that each position can run
// as a task of its own.
#pragma once

#include <string>
#include <vector>

namespace vch {

// Map coordinates (100 x group ordinal + Morgan) of the positions: a grid
// ("5cM") over every analysed group, every marker ("MARKERS"), or one
// position. Empty when the project is not in IBD mode, or when the text or
// the map does not give positions (the analysis then reports it).
std::vector<double> ibd_positions(const std::string& project_dir, const std::string& par_file);

// The "fixQTLpos" text of one position, read back as exactly `coordinate`.
std::string position_text(double coordinate);

}  // namespace vch
