// Genotypic and breeding values of the selected individuals per trait: the
// marked regions' QTL, the finite polygenic model (FPM), the infinitesimal
// model (TIM) and their sum, with posterior SD and Monte Carlo error
// ("individualsT<k>.brv", "MQTRegionsEBV.csv"); and the cohort variances
// ("cohortsT<k>.var").
#pragma once

#include <vector>

#include "post/state.h"

namespace rvn {

// Value of genotype code c (0..3) at a gene of additive effect a and
// dominance effect d: additive part +a, 0, 0, -a; dominance part d for the
// heterozygotes. Code 9 (absent) gives 0.
inline double additive_part(int c, double a) { return c == 0 ? a : (c == 3 ? -a : 0.0); }
inline double dominance_part(int c, double d) { return c == 1 || c == 2 ? d : 0.0; }

// Individuals with genotypes or breeding values (the largest count).
int individuals_with_values(const PostState& st);

// The (sample row, slot) pairs whose QTL lies inside any region, in row order.
struct RowSlot {
    int row;
    int slot;
};
std::vector<RowSlot> region_flags(const PostState& st);
// Per-sample vectors over all rows for individual i and trait t.
std::vector<double> qtl_values(const PostState& st, const std::vector<RowSlot>& flags, int i, int t);
std::vector<double> fpm_values(const PostState& st, int i, int t);
std::vector<double> tim_values(const PostState& st, int i, int t);

// Posterior mean of an individual's region value: additive and dominance
// parts summed over the region's QTL samples, divided by N.
struct RegionValue {
    double add = 0.0;
    double dom = 0.0;
};
RegionValue region_value(const PostState& st, const Region& r, int i, int t);

// Mean, posterior SD and Monte Carlo error of a per-sample vector.
struct ValueSummary {
    double mean = 0.0;
    double std = 0.0;
    double mce = 0.0;
    bool defined = true;  // false: no variance could be computed (std, mce 0)
};
ValueSummary summarise_values(const PostState& st, const std::vector<double>& x);

// The tables and files of all traits.
void breeding_values(const PostState& st);
// "cohortsT<k>.var" for every trait (VARgroup on).
void cohort_variances(const PostState& st);

}  // namespace rvn
