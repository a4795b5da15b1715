// Start-up and teardown of the analysis state, split so that tests can size
// the records from a parameter record they built themselves.
#pragma once

#include <vector>

#include "core/state/records.h"

namespace vsk {

// Steps after the parameter file has been read: sizes the marker, individual,
// segregation-indicator, QTL, FPM and bound records from `p`.
void allocate_state(const Par& p);

void allocate_markers(const Par& p, std::vector<Mrkrlcs>& loci, std::vector<Mrkrlcs2>& loci2);
void allocate_individuals(const Par& p, std::vector<Obs>& individuals, Phe& ph, Table<std::int8_t>& gpo0,
                          Table<std::int8_t>& gpo1);
void allocate_qtl(const Par& p, std::vector<Gene>& genes, std::vector<Gene>& proposals);
void allocate_fpm(const Par& p, std::vector<Polygene>& genes);
void allocate_bounds(const Par& p, Boundary& bounds);

// Releases every record; a second call finds nothing left to release.
// The scalar settings of `par` are kept: the driver still reads them.
void release_state(Par& p);

// Returns every process-wide record, setting and flag to its start value,
// as in a fresh process: what an embedding program (a test, the fuzzing
// driver) runs between two analyses in one process.
void reset_shared_records();

}  // namespace vsk
