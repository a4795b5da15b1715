// Marker phases and segregation indicators (stages 2 to 4 of SampleMarkers).
// The dispatch in sample_markers.cpp calls these; they work on the shared
// records and the process-wide random stream.
#pragma once

namespace vsk {

// Stage 2: chain preparation: locus order and recombination matrices,
// heterozygosity flags, exclusion codes, initial phases and segregation
// indicators, 100 burn-in passes of the non-founder sampler, the SI,
// recombinant-genotype and informative-meioses reports, the optional
// deletions (DeleteNIPH, DeleteDR). The dispatch writes the cleaned data
// file after it.
void prepare_marker_chain();
// Stage 3: one sweep of block phase sampling (allele frequencies every 20th
// sweep, phase tallies until the final work).
void sample_marker_phases();
// Stage 4: the pairwise haplotype report, the tally pass and the final
// segregation report.
void final_marker_work();
// IBD mode: clears the tallies at the start of each chain.
void reset_ibd_marker_tallies();

}  // namespace vsk
