// QTL haplotypes of phased regions: for the regions of "PhQRegions.inp" and
// the QTL phase samples of "phase.out", which flanking marker alleles share
// a haplotype with the QTL in each selected individual ("Qhaplotypes.csv",
// with the dictionary and sorted table in "phase.tmp").
#pragma once

#include <string>
#include <vector>

#include "post/state.h"

namespace rvn {

// Positions in units of 1e-5 of the coded map coordinate.
using PhasePos = long long;
inline constexpr double kPhaseUnit = 100000.0;

// One phase.out row; alleles as 1-based indices into the allele dictionary.
struct PhaseRow {
    int iteration = 0;
    int individual = 0;  // 1-based ordinal in the names list
    PhasePos qtl = 0, left = 0, right = 0;
    int left1 = 0, left2 = 0, right1 = 0, right2 = 0;
};

// Labels of the allele dictionary: "-1", "-", "$", "$$", "null", then every
// other label in order of first appearance; index > 2 is informative.
struct AlleleDictionary {
    std::vector<std::string> labels{"-1", "-", "$", "$$", "null"};
    std::vector<int> counts = std::vector<int>(5, 0);
    int index_of(const std::string& label);  // appends unknown labels
    static bool informative(int index) { return index > 2; }
};

struct PhaseRegion {
    PhasePos start = 0, end = 0;
};

// Runs the whole step; returns 0, or -1 (no regions or phase samples) or
// -2 (inconsistent regions). Inconsistent phase rows end the process.
int CalcQtlHaplotype(const PostState& st);

}  // namespace rvn
