// Per-sweep bookkeeping of the marker phase chain: the allele-frequency
// update and the phase tallies that the final report turns into phase
// probabilities.
#pragma once

#include "core/markers/si.h"
#include "core/numeric/rng.h"

namespace vsk {

// Draws the allele frequencies of every locus from the founder alleles:
// alleles whose side has an unknown parent or a parent unscored at the
// locus, counted per code; a gamma variate of shape n per code with n > 0,
// normalised; codes without a founder allele get frequency 0.
void update_allele_frequencies(const PhaseModel& m, std::vector<Mrkrlcs>& loci, Rng& rng);

// Distance to the next and to the previous heterozygous locus of the same
// linkage group, per locus and individual (0: none).
void find_next_informative(const PhaseModel& m);

// One tally pass: at each locus where a (non-excluded) individual is
// heterozygous, counts equal phase bits with the 1st to 5th following
// heterozygous loci; increments par.n_si_tallies. Allocates the tallies
// at the first pass. The counts are kept by runs of unchanged phase bits,
// so a pass costs a scan of the phase bits plus work for each bit that
// changed since the last pass; settle_phase_tallies brings the counts up to
// date before they are read.
void tally_phases(const PhaseModel& m, Par& p);

// Adds the open runs to the counts, which then hold every pass so far.
void settle_phase_tallies(const PhaseModel& m, const Par& p);

// Clears every tally and the next-informative distances (IBD mode, at the
// first sweep of each position).
void reset_phase_tallies(const PhaseModel& m, Par& p);

// Probability that the phase at locus k equals the one at the next
// heterozygous locus of individual i, from the settled tallies (-1: no
// tally).
double same_phase_probability(const PhaseModel& m, int k, int i);

}  // namespace vsk
