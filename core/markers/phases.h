// Marker phases and segregation indicators (stages 2 to 4 of SampleMarkers).
// The dispatch in sample_markers.cpp calls these; the phase sampler
// implements them.
#pragma once

namespace vsk {

// Stage 2: chain preparation (initial phases, segregation indicators,
// reports; writes the cleaned marker data file unless the run read one).
void prepare_marker_chain();
// Stage 3: one sweep of block phase sampling (allele frequencies every 20th sweep).
void sample_marker_phases();
// Stage 4: the final marker reports and tallies.
void final_marker_work();
// IBD mode: clears the tallies at the start of each chain.
void reset_ibd_marker_tallies();

}  // namespace vsk
