// Stage 1 of the marker work: the steps in their run order, each on the
// records of a MarkerData so tests can run them on small pedigrees.
#pragma once

#include "core/markers/marker_data.h"

namespace vsk {

// Allele coding: raw values to codes 1..n_alleles per locus, the per-locus
// allele tables and the coding table on the console.
void code_marker_alleles(MarkerData& d);
// Spurious genotypes to missing, ordinary allele first, partial genotypes counted.
void screen_suspicious_alleles(MarkerData& d);
// Homozygous parents with offspring homozygous for another allele point to a
// null allele at the locus (threshold |nullalleleHidden|).
void screen_hidden_nulls(MarkerData& d);
// Every genotype with a putative null becomes missing (status 4); returns
// the number of changed alleles.
int putative_nulls_to_missing(MarkerData& d);
// Every genotype with exactly one missing allele becomes missing (status 5).
void delete_partial_genotypes(MarkerData& d);
// Reads "lockedphases.dat" from the project directory into the codes.
void read_locked_phases(MarkerData& d, const std::string& project_dir);
// Confirmed nulls still written as -2 take the locus's null code.
void recode_confirmed_nulls(MarkerData& d);

// Segregation check of every locus (stage 0 report only, 1..3 modifying).
void check_marker_segregation(MarkerData& d, int stage);
// "MARKER GENOTYPE ERRORS" in marker.log and "mconsistency.csv".
void report_genotype_errors(MarkerData& d);

// The whole of stage 1 in its order.
void run_marker_stage1(MarkerData& d, const std::string& project_dir);

}  // namespace vsk
