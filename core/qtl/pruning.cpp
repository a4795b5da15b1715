// Removal of QTL that no longer segregate among the founders: a counter per
// slot rises with every update sweep in which the founders are (nearly) all
// of one homozygous class and falls otherwise; at 21 the QTL is removed.
#include <algorithm>

#include "core/qtl/qtl.h"
#include "textfile/file.h"

namespace vsk {

namespace {

constexpr int kRemoveAt = 21;

void log_removal(const QtlModel& m, int s, int n_aa, int n_het, int n_bb)
{
    if (REDprint) return;
    File f = open_file("check.log", "a");
    if (!f) return;
    const Gene& g = m.gene[static_cast<std::size_t>(s)];
    std::fprintf(f.get(), "\n   Cycle  QTL  position    AA aA/Aa    aa");
    std::fprintf(f.get(), "\n%8d%5d %8.3f", m.p.cur_sweep + 1, s + 1, g.pos);
    for (int t = 0; t < m.p.n_traits; ++t) std::fprintf(f.get(), " %8.3lf", g.eff[kAddRow][t]);
    for (int t = 0; t < m.p.n_traits; ++t) std::fprintf(f.get(), " %8.3lf", g.eff[kDomRow][t]);
    std::fprintf(f.get(), "%6d%6d%6d", n_aa, n_het, n_bb);
}

}  // namespace

void prune_monomorphic(QtlModel& m)
{
    Par& p = m.p;
    std::vector<int>& counter = m.w.mono;
    if (static_cast<int>(counter.size()) < p.maximQTL) counter.assign(static_cast<std::size_t>(p.maximQTL), 0);
    for (int s = 0; s < p.maximQTL; ++s) {
        Gene& g = m.gene[static_cast<std::size_t>(s)];
        if (g.status != 1) continue;
        int n_aa = 0, n_het = 0, n_bb = 0;
        for (int k = 0; k < p.n_founders; ++k) {
            const int code = g.gtp[static_cast<std::size_t>(p.founders[static_cast<std::size_t>(k)] - 1)];
            (code == 0 ? n_aa : code == 3 ? n_bb : n_het)++;
        }
        int& c = counter[static_cast<std::size_t>(s)];
        const double full = p.inbred_pop == 1 ? 2.0 : 1.0;
        if ((p.inbred_pop == 0 || p.inbred_pop == 1) && p.max_gen_coeff == full) c = n_het > 0 ? std::max(0, c - 1) : c + 1;
        if (p.max_gen_coeff > 1.0) {
            const int lim = static_cast<int>(0.01 * p.n_founders);
            const bool segregating = n_aa > lim ? (n_het > lim || n_bb > lim) : n_het > lim;
            c = segregating ? std::max(0, c - 1) : c + 1;
        }
        if (c < kRemoveAt) continue;
        log_removal(m, s, n_aa, n_het, n_bb);
        apply_slot_values(m, g, -1);
        free_slot(m, s);
        --p.nqtl;
        rebuild_locus_order(m);
        c = 0;
    }
}

}  // namespace vsk
