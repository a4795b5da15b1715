// Map file reader and QTL location prior: linkage groups with their markers,
// genome-wide marker coordinates (100 x group ordinal + Morgan), exclusion of
// markers by weight 0 and the piecewise-constant prior density of QTL
// location per marker interval.
#pragma once

#include <vector>

#include "core/state/records.h"

namespace vsk {

// Reads par.mapfile into chr and mrkrlcs; returns the average distance
// between adjacent markers of the analysed groups in Morgan (0 without any
// interval). Input errors end the run with exit code 1.
double read_map_file();

// ---- pieces, exposed for the tests ----

// Excludes interior markers of weight 0 (they carry the previous marker's
// weight on); a weight 0 on the first or last marker of an analysed group
// ends the run. Prints the excluded loci.
void exclude_markers(const std::vector<Chr>& groups, std::vector<Mrkrlcs>& loci);

// Turns interval weights into densities that integrate to 1 over the
// analysed genome and sets each group's prior_mass. Returns the
// unnormalised mass (0 leaves the weights unchanged).
double normalise_location_prior(std::vector<Chr>& groups, std::vector<Mrkrlcs>& loci);

}  // namespace vsk
