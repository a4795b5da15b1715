// The PNG figures of a post-processing run: genomic values per group of
// individuals ("gbv_genome_ALL.png", "gbv_genome_FOU.png",
// "gbv_genome_FSP.png") and observed against predicted phenotypes
// ("phenotypes_pred_POP.png", "phenotypes_pred_FSF.png").
#pragma once

#include <string>
#include <vector>

#include "post/genomic_values.h"
#include "post/pedigree_sets.h"
#include "post/state.h"

namespace rvn {

// Most full-sib families drawn, the largest first.
inline constexpr int kMaxFamilyPanels = 12;
// Fewest observed members of a family drawn.
inline constexpr int kMinFamilyPoints = 3;

// One group of individuals as rows of the genomic-value plots: indices into
// gv.individuals; the group's file-name code.
struct PlotGroup {
    std::string code;  // ALL, FOU, FSP
    std::string label;
    std::vector<int> rows;
};
std::vector<PlotGroup> gbv_plot_groups(const GenomicValues& gv, const PedigreeSets& sets);

// Observed (first analysed trait) and predicted phenotypes of
// "prediction.csv" for the individuals whose phenotype was observed.
struct Prediction {
    std::string name;
    double observed = 0.0;
    double predicted = 0.0;
};
std::vector<Prediction> read_predictions(const PostState& st, const PedigreeSets& sets);

// Writes the figures that apply and returns the names of the files written.
std::vector<std::string> write_figures(const PostState& st, const GenomicValues& gv);

}  // namespace rvn
