// Genomic values of every written individual from the sampled QTL: per
// sample, the genotypic value summed over the sample's QTL (all of them, or
// only those in 1-cM bins whose 2 ln(BF) exceeds 2), averaged over the
// samples after burn-in, per linkage group and in total
// ("Gbv_Genome_gp.csv", "Gbv_Sum_gp.csv", "Gbv_Genome_bf.csv",
// "Gbv_Sum_bf.csv").
#pragma once

#include <string>
#include <vector>

#include "post/breeding_values.h"
#include "post/state.h"

namespace rvn {

// Bayes-factor threshold of the "bf" values: positive evidence or more.
inline constexpr double kGbvBayesThreshold = 2.0;

// One kind of genomic value ("gp": all QTL, "bf": QTL in bins with
// 2 ln(BF) > 2) for every written individual and trait.
struct GbvTable {
    // [trait][written individual][used group]: posterior mean value.
    std::vector<std::vector<std::vector<double>>> per_group;
    // [trait][written individual]: mean, SD and Monte Carlo error of the total.
    std::vector<std::vector<ValueSummary>> total;
};

struct GenomicValues {
    std::vector<int> individuals;     // genotype columns written (0-based)
    std::vector<std::string> names;   // their names
    std::vector<int> groups;          // included groups (indices into st.groups)
    GbvTable gp, bf;
    bool empty() const { return individuals.empty(); }
};

// Which QTL of a sample count: the group index of slot q in row r, or -1
// when the slot is not in use (or lies off the included groups); `in_bf`
// tells whether its bin's 2 ln(BF) exceeds the threshold.
struct SlotPlace {
    int group = -1;
    bool in_bf = false;
};
SlotPlace slot_place(const PostState& st, int r, int q);

// Computes both kinds (needs the QTL genotypes and the smoothed densities).
GenomicValues genomic_values(const PostState& st);
// Writes the four CSV files; nothing when there are no values.
void write_genomic_values(const PostState& st, const GenomicValues& gv);

}  // namespace rvn
