// Blocked Gibbs steps of marker phases: the phases of one individual over a
// block of consecutive marker loci are drawn jointly from their full
// conditional, given the phases of everybody else and the QTL rows.
#pragma once

#include "core/markers/si.h"
#include "core/numeric/rng.h"

namespace vsk {

// Largest number of loci of a block (2^12 configurations).
inline constexpr int kMaxBlockLoci = 12;
// Largest configuration index width: the block's phase bits and the two
// origin bits of a QTL row joined to them.
inline constexpr int kMaxConfigBits = kMaxBlockLoci + 2;

// A block of marker loci [first, last] with the rows that bound the search
// for the informative rows that bracket it (the first row of the first
// locus' linkage group, the last row of the last locus' group).
struct PhaseBlock {
    int first = 0, last = 0;           // marker loci
    int first_row = 0, last_row = 0;   // their rows
    int lower_row = 0, upper_row = 0;  // search bounds of the bracketing rows
};

PhaseBlock make_phase_block(const PhaseModel& m, int first, int last);

// The pedigree as the samplers walk it (MarkerPhases::families), from the
// records: sized at the chain preparation, refreshed by every pass.
void refresh_phase_families(const PhaseModel& m);

// The bit sets of the free phase bits of every individual
// (MarkerPhases::masks), rebuilt when the genotype revision has moved since
// they were built; needs the families refreshed.
void refresh_phase_masks(const PhaseModel& m);

// Loci of the block where i is heterozygous and its phase is not deleted;
// returns their number h (at most kMaxBlockLoci) and writes them to het.
int block_het_loci(const PhaseModel& m, int i, const PhaseBlock& b, int* het);

// Phase bit of a heterozygous locus: 1 when the first-parent allele is the
// larger code.
int phase_bit(const MarkerPhases& ph, int k, int i);

// Log-weight (full conditional up to a constant) of each configuration of
// i's phases at the loci het[0..h): configuration c puts phase bit
// (c >> j) & 1 at het[j]. Only the terms that differ between configurations
// are summed: i's weighed SI chains and those of its offspring's sides
// inherited from i, between the known rows that bracket the block; the
// frequencies of founder alleles; -infinity for a configuration that
// contradicts a parent. The phase state is left unchanged.
void marker_block_weights(const PhaseModel& m, int i, const PhaseBlock& b, const int* het, int h, double* logw);

// As marker_block_weights, with i's SI at QTL row `qtl_row` (inside the
// block's rows) joined to the configuration: configuration
// c | o0 << h | o1 << (h + 1) puts phase bits c at het[0..h) and origins
// o0, o1 (first- and second-parent side) at the QTL row; 2^(h+2) entries.
// i must have both parents known. Only the SI chains and the allele terms:
// the caller adds the phenotype terms of the origins.
void marker_qtl_block_weights(const PhaseModel& m, int i, const PhaseBlock& b, const int* het, int h, int qtl_row,
                              double* logw);

// Puts configuration `config` in place: i's alleles at het[0..h) and the SI
// of i and of its offspring there.
void set_block_config(const PhaseModel& m, int i, const int* het, int h, int config);

// Index drawn with probability proportional to exp(logw[c]), c < n, from one
// uniform; a configuration of weight 0 is never drawn.
int draw_config(const double* logw, int n, double u);

// Joint marker/QTL block form of the sampler of all individuals: the QTL
// model registers it; the sampler calls it for a block whose row segment
// holds a QTL row when the QTL model is on (indicQTL 1). It returns true when
// it has sampled the block itself, false to let the marker-only form run.
using JointQtlBlockSampler = bool (*)(const PhaseModel& m, const PhaseBlock& b, Rng& rng);
void set_joint_qtl_block_sampler(JointQtlBlockSampler sampler);

// Calls the registered joint sampler; false when none is registered.
bool run_joint_qtl_block_sampler(const PhaseModel& m, const PhaseBlock& b, Rng& rng);

// True when a QTL row lies between the block's first and last row.
bool block_holds_qtl_row(const PhaseModel& m, const PhaseBlock& b);

// One blocked pass: a random block start s in [0, size), blocks [s, s+size),
// [s+size, s+2 size), ... while they end inside the marker loci; each block
// resamples the phases of every eligible individual: not excluded
// (phase_status 4 at the first locus), not user-locked, and with a known
// first parent unless `founders` is set. With `founders` set, a block
// holding a QTL row goes to the registered joint sampler when the QTL model
// is on. Returns the block start.
int sample_phase_blocks(const PhaseModel& m, Rng& rng, int size, bool founders);

// The plain forms of marker_block_weights and sample_phase_blocks: every
// chain walked over every configuration, every SI reset by the rule after a
// draw. Same weights up to a constant per individual and block, same draws
// from the same generator; the test oracle of the fast forms.
void reference_block_weights(const PhaseModel& m, int i, const PhaseBlock& b, const int* het, int h, double* logw);
int reference_sample_phase_blocks(const PhaseModel& m, Rng& rng, int size, bool founders);

}  // namespace vsk
