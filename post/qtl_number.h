// Number of QTL (and of FPM genes): truncated Poisson prior, posterior over
// the post-burn-in samples and pairwise Bayes factors, for the genome and per
// included chromosome group.
#pragma once

#include <string>
#include <vector>

#include "post/state.h"

namespace rvn {

// Truncated Poisson probabilities P(0..K) of mean lambda (testPoisson);
// `what` names the genome or group in the fatal message.
std::vector<double> truncated_poisson(double lambda, int K, const std::string& what);

// Number of QTL on the genome (rows of st.s) and on group g, sample row r.
int genome_qtl_count(const PostState& st, int r);
int group_qtl_count(const PostState& st, int r, const ChromGroup& g);

// Fills st.nqtl (row 0 the genome, row g+1 group g) and prints the tables.
void number_of_qtl(PostState& st);
// The same for the FPM genes (genome only, not kept).
void number_of_fpm_genes(const PostState& st);

// Whether the group rows are in use: at least two groups included.
bool group_rows_used(const PostState& st);

}  // namespace rvn
