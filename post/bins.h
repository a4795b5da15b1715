// The 1-cM bins of a chromosome group on the coded map coordinate
// (100 x group ordinal + position in Morgan). Every step that places a
// position in a bin, or a bin on the map, goes through these helpers: they
// add a small tolerance, so a position printed exactly on a bin edge (say
// 100.29, stored as 100.28999...) lands in the bin that starts there.
#pragma once

#include <cmath>

#include "post/state.h"

namespace rvn {

// Coded positions of successive linkage groups lie 100 apart.
inline constexpr double kGroupSpacing = 100.0;
// Tolerance in cM for bin edges (positions are written to 0.01 cM at best).
inline constexpr double kEdgeTolerance = 1e-6;

// Position within its chromosome (Morgan) of a coded position: the group
// spacing is subtracted while the position is 98 or more, in one step, so
// that a huge value read from a damaged sample file cannot loop.
inline double within_chromosome(double coded)
{
    if (!(coded >= 98.0)) return coded;
    return coded - (std::floor((coded - 98.0) / kGroupSpacing) + 1.0) * kGroupSpacing;
}

// Whole cM below a coded position, with the edge tolerance.
inline int whole_cm(double coded) { return static_cast<int>(std::floor(100.0 * within_chromosome(coded) + kEdgeTolerance)); }

// The cM of a group's first bin: 0, or lower when the map starts below 0.
inline int first_bin_cm(const ChromGroup& g)
{
    const int low = whole_cm(g.lower);
    return low < 0 ? low : 0;
}

// Bin of a coded position on group g (not range-checked).
inline int bin_of(double coded, const ChromGroup& g) { return whole_cm(coded) - first_bin_cm(g); }

// Coded position where bin b of group g starts (the group's ordinal is
// index + 1).
inline double bin_start(int b, int group_index, const ChromGroup& g)
{
    return kGroupSpacing * (group_index + 1) + (b + first_bin_cm(g)) / 100.0;
}

// Number of 1-cM bins of a group: up to the cM past its last marker, and
// always enough to hold the last marker's bin.
inline int group_bin_count(const ChromGroup& g)
{
    const int above = static_cast<int>(std::ceil(100.0 * within_chromosome(g.upper) - kEdgeTolerance)) + 1;
    const int needed = bin_of(g.upper, g) + 1;
    const int count = above - first_bin_cm(g);
    return count > needed ? count : needed;
}

}  // namespace rvn
