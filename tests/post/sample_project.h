// Writes small post-processing projects for the tests: a parameter file, a
// map and sample files in the formats the analysis writes them, with chains
// drawn from a seeded generator.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "post/state.h"

namespace posttest {

struct ProjectDesign {
    int samples = 200;
    int thin = 10;
    int Q = 2;          // QTL slots
    int W = 3;          // individuals with genotypes (0: writeGTP none)
    bool concise = false;
    bool cohorts = false;  // VARgroup 1: cohqtl.out with C cohorts
    int C = 2;
    unsigned seed = 1;
    // Keyword order of the parameter file: lists before their counts.
    bool lists_first = false;
    // Marker counts under "mrkrC" instead of "nmrkrC".
    bool short_marker_keyword = false;
    // No QTL ever in use (the QTL files then hold empty slots, or in the
    // concise layout no rows at all).
    bool no_qtl = false;
    // QTL positions drawn near 12 cM of group 1 and 30 cM of group 2.
    bool hotspots = false;
    // tim.out (with cohtim.out when cohorts are on) for the W individuals.
    bool tim = false;
    // phase.out for the W individuals and a PhQRegions.inp around 12 cM.
    bool phase = false;
};

// Writes voskara.par, test.map, genpar.out, iqtl.out and, with W > 0,
// gqtl.out and wrtgtp.nms (and cohqtl.out, tim.out, cohtim.out, phase.out
// and PhQRegions.inp when asked).
void write_project(const std::filesystem::path& dir, const ProjectDesign& design);

// The parameter file text of a design.
std::string parameter_text(const ProjectDesign& design);

// Appends text to a file.
void append_file(const std::filesystem::path& path, const std::string& text);

// A post-processing state whose genpar table holds the given columns (one
// trait's chain names, iterations 10, 20, ...).
rvn::PostState state_with_chains(const std::vector<std::vector<double>>& columns);

}  // namespace posttest
