// Report sections of the inputs: the data-file and map sections printed at
// start-up, and the putative QTL locations written to "check.log" when the
// chain starts.
#pragma once

namespace vsk {

// "DATA FILE": the data file and which trait and nuisance columns are used.
void print_data_file_section();
// "MAP FILE - LINKAGE GROUPS": groups, which are analysed, their marker counts.
void print_map_section();
// "PUTATIVE QTL LOCATIONS" appended to "check.log" (QTL analysis only,
// skipped with REDprint): the map range of every analysed group.
void write_putative_qtl_locations();

}  // namespace vsk
