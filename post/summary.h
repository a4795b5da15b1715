// Summary statistics of the post-burn-in samples, and the extraction of the
// QTL samples the QTL inferences work on.
#pragma once

#include "post/state.h"

namespace rvn {

// Mean, standard deviation, minimum and maximum of rows B..n-1 of a column.
struct ColumnSummary {
    double mean = 0.0;
    double stdv = 0.0;
    double min = 0.0;
    double max = 0.0;
};
ColumnSummary summarise_column(const vsk::Table<double>& table, int column, int first_row);

// "SUMMARY STATISTICS  GENPAR VARIABLES " and, when nuisance samples exist,
// "SUMMARY STATISTICS NUISANCE VARIABLES ".
void print_genpar_summary(const PostState& st);
void print_nuisance_summary(const PostState& st);

// EXTRACT QTL SAMPLES: one row per QTL in use in the post-burn-in samples,
// sorted by position, with their genotype and cohort blocks.
void extract_qtl_samples(PostState& st);

}  // namespace rvn
