// Number of QTL (and of FPM genes): the sampled prior, posterior over
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
// The prior of the number of QTL (or genes) the chain samples: the truncated
// Poisson of mean `mean`, uniform on 0..K when the mean is 0.
std::vector<double> count_prior(double mean, int K, const std::string& what);
// The prior of the number on a group holding `share` of the location prior:
// each of the genome's k QTL lies on it with probability `share` (binomial
// thinning of the genome prior; a Poisson of mean share x mean truncated at
// K on its own is not the chain's prior once the truncation bites).
std::vector<double> group_count_prior(const std::vector<double>& genome, double share);
// Expected number under count_prior.
double prior_mean_count(double mean, int K);

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
