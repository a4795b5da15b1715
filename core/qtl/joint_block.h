// Joint block of marker phases and QTL allele origins in the sampler of all
// individuals: a block whose rows hold a QTL row draws, for each individual
// with two known parents, its phases over the block together with the
// origins of its two QTL alleles.
#pragma once

#include "core/markers/block_sampler.h"
#include "core/qtl/qtl.h"

namespace vsk {

// Log weights of the 4 x 2^h joint configurations of individual i (both
// parents known) in block b holding the row of slot g: entry
// c | o0 << h | o1 << (h + 1) has phase bits c at het[0..h) and origins
// (o0, o1). SI chains, allele terms and the phenotype log-likelihood of i
// and its descendants under the genotypes the origins give (the table
// qm.w.ll must hold g's likelihoods). The state is left unchanged.
void joint_block_weights(const PhaseModel& pm, QtlModel& qm, Gene& g, const PhaseBlock& b, int i, const int* het,
                         int h, double* logw);

// Resamples block b jointly with the first QTL row inside it: individuals
// with two known parents over 4 x 2^h configurations, the others (founders,
// selfings, doubled haploids, unknown second parent) over their phases
// alone. Returns false, leaving the block to the marker-only form, when the
// row holds no QTL of the model.
bool sample_joint_block(const PhaseModel& pm, QtlModel& qm, const PhaseBlock& b, Rng& rng);

// The registered form over the process-wide records.
bool sample_joint_block_shared(const PhaseModel& pm, const PhaseBlock& b, Rng& rng);

}  // namespace vsk
