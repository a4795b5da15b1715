// The MCMC main loop: one chain per IBD position (one chain outside IBD
// mode), sweep by sweep in a fixed order, with the chain length following
// the parameter file and the effective-chain-size target.
#pragma once

#include <vector>

#include "console/run.h"
#include "textfile/table.h"

namespace vsk {

// Sweeps between progress reports: thinning x 10, or x 100 with reduced printing.
int progress_interval(int thinning, int reduced_printing);

// True when (sweep + 1) is a multiple of `interval` (interval >= 1).
bool at_multiple(int sweep, int interval);

// Marker phases are updated (stage 3) on every sweep when
// `skipSampleMarkers` is 0 or less, else when (sweep + 1) is a multiple of it.
bool marker_update_due(int sweep, int skipSampleMarkers);

// The extreme residuals report: after sweep 5, every max(50, length / 50) sweeps.
bool extreme_residuals_due(int sweep, int length);

// The convergence check runs at the second-to-last sweep of the current
// length, outside IBD mode and only with a target `ess` above 0.
bool convergence_check_due(int sweep, int length, int indicQTL, int ess);

// One nuisance column's step: its column, its covariance slot
// (random_slot_of; 0 when it has none) and whether it has one.
struct NuisanceStep {
    int column;
    int var_index;
    bool has_variance;
};

// The nuisance columns taking part (code 0 or more for some trait), in
// column order; a column has a variance when its code is 1 or more for some
// trait. `codes` holds n_nuis rows of n_traits codes.
std::vector<NuisanceStep> nuisance_steps(const Table<int>& codes, int n_nuis, int n_traits);

// The pedigree-viewer export (also the whole chain when `trellanV` is 2).
void export_to_pedigree_viewer();

// Runs the chains over `positions` (map coordinates; one entry 0 outside IBD mode).
void run_chains(RunState& run, const std::vector<double>& positions);

}  // namespace vsk
