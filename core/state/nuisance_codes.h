// The per-trait codes of a nuisance column (indiN): below 0 the column is not
// in the trait's model, 0 flat prior, 1 normal prior with sampled covariance,
// 2 or more normal prior with fixed covariance. Columns with a normal prior
// for some trait take the covariance slots (nuis_cov) in column order; the
// sweep, the start-up values and the sample files all address them this way.
#pragma once

#include <algorithm>

#include "textfile/table.h"

namespace vsk {

inline constexpr int kNuisanceNormalPrior = 1;

// True when column c has code `min_code` or more for one of the first
// `n_traits` traits.
inline bool column_has_code(const Table<int>& indiN, int n_traits, int c, int min_code)
{
    const int traits = std::min(n_traits, indiN.cols());
    for (int j = 0; j < traits; ++j)
        if (indiN[c][j] >= min_code) return true;
    return false;
}

// Covariance slot of column c, or -1 when no trait gives it a normal prior.
inline int random_slot_of(const Table<int>& indiN, int n_traits, int c)
{
    if (!column_has_code(indiN, n_traits, c, kNuisanceNormalPrior)) return -1;
    int slot = 0;
    for (int k = 0; k < c; ++k)
        if (column_has_code(indiN, n_traits, k, kNuisanceNormalPrior)) ++slot;
    return slot;
}

}  // namespace vsk
