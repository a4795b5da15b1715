// Chart files for the map-charting program: the QTL intensity ("C<group>i.lnd",
// "genomei.lnd") and the QTL effects and frequencies ("C<group>p.lnd",
// "genomep.lnd") along the map, drawn from the "C<group>mpd.asc" columns.
#pragma once

#include <cstdio>

#include "post/state.h"

namespace rvn {

// Writes the per-group and genome chart files of the intensity and effects.
void write_intensity_charts(const PostState& st);

// Option trailers appended to finished chart files: for the genome charts,
// for the trace charts and for the chart of the general parameters.
void append_genome_trailer(std::FILE* f);
void append_trace_trailer(std::FILE* f);
void append_parameter_trailer(std::FILE* f);

}  // namespace rvn
