// Marked QTL regions: derived from the QTL intensity ("MQTRegions.new"), read
// back from the user's "MQTRegions.inp" or from "MQTRegions.new", summarised
// ("MQTRRegions.info") and turned into region genotype probabilities of the
// selected individuals ("MQTRegions.gtp", "MQTRegionsGTP.csv").
#pragma once

#include <vector>

#include "post/state.h"

namespace rvn {

// Most regions a run derives or reads.
inline constexpr int kMaxRegions = 200;

// Mean effects and variance contributions of a region's samples, per trait.
struct RegionStats {
    double p = 0.0;              // mean allele frequency, first founder group
    std::vector<double> AE, DE;  // mean additive and dominance effects
    std::vector<double> AV, DV;  // additive and dominance variances
};
RegionStats region_stats(const PostState& st, int k0, int k1);
// Additive variance 2pq (a + d (q - p))^2 and dominance variance (2pq d)^2.
double additive_variance(double p, double a, double d);
double dominance_variance(double p, double d);

// Index of the first sample at or after x and of the last at or before x in
// the sorted QTL sample table (-1 when none).
int first_sample_from(const PostState& st, double x);
int last_sample_to(const PostState& st, double x);

// Derives the regions from the intensity, prints them and writes
// "MQTRegions.new".
void SummarizeHPDRegionsQTLpositions(PostState& st);
// Reads the regions later steps use into st.regions, prints and writes
// "MQTRRegions.info".
void read_regions(PostState& st);
// Writes the region genotype files.
void write_region_genotypes(const PostState& st);

}  // namespace rvn
