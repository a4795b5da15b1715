// Map conventions. Every position (markers, QTL, IBD positions) is kept as a
// map coordinate: 100 x (1-based linkage-group ordinal) + position in Morgan,
// so that one double orders positions over the whole genome. Recombination
// follows Haldane's map function.
#pragma once

#include <cmath>

namespace vsk {

inline constexpr double kMapGroupOffset = 100.0;

inline double map_coordinate(int group_ordinal, double morgan) { return kMapGroupOffset * group_ordinal + morgan; }

// Position in Morgan on its group of a coordinate on group `group_ordinal`.
inline double morgan_on_group(double coordinate, int group_ordinal)
{
    return coordinate - kMapGroupOffset * group_ordinal;
}

// Haldane's map function: recombination fraction over `morgan` Morgan.
inline double haldane_fraction(double morgan) { return 0.5 * (1.0 - std::exp(-2.0 * morgan)); }

}  // namespace vsk
