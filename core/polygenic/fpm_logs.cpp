// Debug logs of the finite polygenic model (RJSdebug): one block per birth
// or death attempt and per joint effect draw.
#include "core/polygenic/fpm.h"
#include "textfile/file.h"

namespace vsk {

void log_fpm_move(const QtlModel& m, const char* file, int result, const int* counters)
{
    File f = open_file(file, "a");
    if (!f) return;
    std::fprintf(f.get(), "\n\n----- mcmcI %d -----\n", m.p.cur_sweep);
    std::fprintf(f.get(), "%8d %d %d", result, counters[0], counters[1]);
}

void log_fpm_effects(const QtlModel& m)
{
    File f = open_file("GtpParMVfpm.log", "a");
    if (!f) return;
    const Par& p = m.p;
    std::fprintf(f.get(), "\n___________\nmcmcI %d, nfpm %d\n", p.cur_sweep, p.nfpm);
    for (int t = 0; t < p.n_traits && p.nuis_effects.rows() > 0; ++t) std::fprintf(f.get(), "%10.4lf", p.nuis_effects[0][t]);
    for (int s = 0; s < slot_count(m); ++s) {
        const Gene& g = m.gene[static_cast<std::size_t>(s)];
        if (g.status != 1) continue;
        std::fprintf(f.get(), "\n%4d", s + 1);
        for (int kind : {kAddRow, kDomRow})
            for (int t = 0; t < p.n_traits; ++t) std::fprintf(f.get(), "%10.4lf", g.eff[kind][t]);
    }
}

}  // namespace vsk
