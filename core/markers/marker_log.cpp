// "marker.log" appending and the shared marker-record helpers.
#include "core/markers/marker_log.h"

#include "core/markers/marker_data.h"
#include "textfile/textfile.h"

namespace vsk {

File open_marker_log()
{
    if (REDprint) return File();
    return open_file(kMarkerLog, "a");
}

void log_rule(std::FILE* f, int before, int after)
{
    if (f) printline(f, before, 79, after);
}

void size_marker_code_tables(MarkerData& d)
{
    const int rows = d.n_loci(), cols = d.n_ind();
    for (Table<std::int8_t>* t : {&d.mrk.code1, &d.mrk.code2, &d.mrk.code1_obs, &d.mrk.code2_obs})
        t->assign(rows, cols, static_cast<std::int8_t>(kMissingAllele));
    d.mrk.gtp_status.assign(rows, cols, static_cast<std::int8_t>(kStatusUnset));
    d.mrk.phase_lock.assign(rows, cols, 0);
}

}  // namespace vsk
