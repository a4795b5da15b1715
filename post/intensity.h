// QTL intensity along the map: QTL samples per 1-cM bin, their smoothed
// density, the highest-posterior-intensity (HPI) thresholds and the
// per-group intensity files "C<group>mpd.asc".
#pragma once

#include <vector>

#include "post/state.h"

namespace rvn {

// Samples of the sorted QTL sample table that lie on group g: [first, last).
struct SampleRange {
    int first = 0;
    int last = 0;
};
SampleRange group_samples(const PostState& st, const ChromGroup& g);

// Fills bins, count and density of every included group.
void count_qtl_per_bin(PostState& st);
// Three-bin smoothing (weights 8, 16, 8 over the bins that exist) / N.
std::vector<double> smooth_bins(const std::vector<int>& bins, int N);

// Density at which the highest densities first hold fraction p of mass m
// (bins of density 0 never count).
double hpi_threshold(std::vector<double> densities, double p, double m);
// Sets st.hpi for every group and prints the thresholds table.
void hpi_thresholds(PostState& st);

// Prior expected number of QTL in bin b of group g.
double prior_intensity(const PostState& st, int group_index, int b);
// Per-bin 2 ln(BF) of a QTL against none, floored at 0; 0 where the prior
// intensity is 0.
double bin_bayes_factor(double density, double prior);

// Writes "C<group>mpd.asc" for every included group.
void write_intensity_files(const PostState& st);

}  // namespace rvn
