// Chain preparation of the marker phases: the phase tables, heterozygosity
// flags and exclusion codes from the cleaned genotypes, and the initial
// phases of every individual.
#pragma once

#include "core/markers/si.h"

namespace vsk {

// Sizes the phase tables for the model's loci and individuals (keeping the
// locked-individual flags already set) and marks every phase status 0.
void size_phase_tables(const PhaseModel& m);

// Loads locus k from the cleaned, coded genotypes of stage 1 (a1[i - 1],
// a2[i - 1]: codes 1..n, anything else unscored) in the order given, and
// sets the heterozygosity flags.
void load_locus_genotypes(const PhaseModel& m, int k, const int* a1, const int* a2);

// Heterozygosity flags of every locus from the current alleles; returns the
// number of heterozygous genotypes.
long set_heterozygosity(const PhaseModel& m);

// Marks with phase status 4 (at the first locus) every individual without a
// scored allele at any locus; returns their number.
int mark_untraceable(const PhaseModel& m);

// Counts of an individual's initial phasing: loci set by what the parents
// can transmit, loci chosen by fewest recombinations, and genotypes that
// contradict a parent in both orders.
struct InitialPhaseCounts {
    long from_parents = 0;
    long by_linkage = 0;
    long contradictions = 0;
    long si_contradictions = 0;  // sides whose allele no parental allele matches after phasing
};

// Initial phases of individual i (parents already phased): at each
// heterozygous locus the orders its parents can transmit; a single one is
// taken, and between two the one with fewer recombinations against the
// nearest phased loci of i's SI chains and of its offspring's transmitted
// alleles (read from their unphased genotypes) is taken, sweeping left to
// right from the first informative locus and right to left before it.
// User-locked individuals keep their phases.
InitialPhaseCounts phase_individual(const PhaseModel& m, int i);

// Every individual in pedigree order, then every SI set (contradictions
// reported); returns the summed counts.
InitialPhaseCounts initial_phases(const PhaseModel& m);

}  // namespace vsk

namespace vsk {

// Loads every locus from the coded genotypes that stage 1 left and the
// user-locked individuals from its lock table.
void load_cleaned_genotypes(const PhaseModel& m);

}  // namespace vsk
