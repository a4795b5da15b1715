// Invariant checker of the incremental residuals: every residual recomputed
// from scratch as phenotype minus every fitted term (docs/residual.md). The
// slow oracle of all the steps that keep residuals up to date; tests call it
// after every step, a build with residual checks after every step of every
// sweep. Release sweeps never call it.
#pragma once

#include <vector>

#include "core/state/records.h"

namespace vsk {

struct ResidualCheck {
    double max_difference = 0.0;  // largest |stored - recomputed| residual
    int individual = 0;           // where it is: 1-based individual (0: none checked)
    int trait = -1;               // 0-based trait
    double max_phenotype = 0.0;   // largest |Y| checked, the scale of the difference
};

// Checks every individual and trait with an observed phenotype (flag 1):
// residual = Y - nuisance effects (column 0 the overall mean) - QTL in the
// model (gene[].gval of gene[].gtp, indicQTL on) - FPM genes in the model
// (indicFPM on) - infpoleff - timdom (indicTIM on).
ResidualCheck check_residuals(const Par& p, const std::vector<Obs>& o, const Phe& ph, const std::vector<Gene>& qtl,
                              const std::vector<Polygene>& fpm);

}  // namespace vsk
