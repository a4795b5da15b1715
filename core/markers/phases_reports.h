// Reports and files of the marker phase chain: the chain-preparation
// sections on the console and in "marker.log", the segregation-indicator
// files, the recombinant-genotype lists and the final phase reports.
#pragma once

#include <string>

#include "core/markers/chain_prep.h"
#include "textfile/file.h"

namespace vsk {

// Opens a report file of the project directory; a file that cannot be
// opened stops the run with a message naming it (exit code 1).
File open_report(const char* name, const char* mode);

void report_linkage_map(const PhaseModel& m);
void report_heterozygosity(const PhaseModel& m, long heterozygous);
void report_traceability(const PhaseModel& m, int excluded);
void report_initial_phases(const PhaseModel& m, const InitialPhaseCounts& counts);
// "SEGREGATION INDICATORS (SI)": per linkage group the weighed gametes, the
// known SI and the recombinations between consecutive known SI, against the
// number the map length predicts.
void report_segregation_indicators(const PhaseModel& m);
void report_informative_meioses(const PhaseModel& m);

// Phases that nothing informs (DeleteNIPH): heterozygous loci of an
// individual where neither of its own SI nor any offspring's SI from it is
// known. They get phase status 5 and are no longer sampled or tallied.
long delete_uninformative_phases(const PhaseModel& m);
void report_deleted_phases(const PhaseModel& m, long deleted);

// A known SI that differs from the known SI on both sides of it in the same
// gamete (a double recombinant, usually a genotyping error): "four" when
// the two known SI further out on each side agree with their neighbours.
struct DoubleRecombinant {
    int individual = 0, side = 0, locus = 0;
    int left = 0, right = 0;     // loci of the neighbouring known SI
    bool four = false;
};
std::vector<DoubleRecombinant> find_double_recombinants(const PhaseModel& m);
// "RECOMBINANT MARKER GENOTYPES" and the files "DoubleRecombFour.csv",
// "DoubleAmbiguousRecombFour.csv".
void report_recombinant_genotypes(const PhaseModel& m);
// DeleteDR 1: deletes (makes unscored) the genotype in the middle of every
// "four" double recombinant (the list of "DoubleRecombFour.csv"), lists them
// in "DoubleRecomb.csv"; true when any was deleted.
bool delete_double_recombinants(const PhaseModel& m);

// "GPOsignal0.csv" (round 0: after the initial phases), "GPOsignal1.csv"
// (after the burn-in), "GPOsignal2.csv" (at the start of the chain): the SI
// of both sides of every individual at every marker.
void write_si_signal(const PhaseModel& m, int round);
// Segregation-indicator patterns ("SIP_Population_<round>.csv" before the
// chain, "SIP_Population.csv" at its end; writeSIP k > 0): for every parent
// with at least `min_offspring` offspring gametes, one row per gamete with
// its SI at every marker and the crossovers they show.
void write_si_patterns(const PhaseModel& m, const std::string& name, int min_offspring);
// "haplotypes.csv": the two phased haplotypes of every individual.
void write_haplotype_report(const PhaseModel& m);
// "lockedphases_new.dat" (lockMPhase 1): every individual's phased alleles
// in the format lockMPhase 2 reads from "lockedphases.dat".
void write_locked_phases(const PhaseModel& m);
// "FINAL SEGREGATION REPORT": phase probabilities from the tallies, per
// locus in "marker.log" and per individual and locus in "phaseprob.csv".
void report_final_segregation(const PhaseModel& m);

}  // namespace vsk
