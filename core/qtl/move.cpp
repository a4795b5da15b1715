// The shape every QTL move shares: save the slot into its buffer in
// tempgene, propose, decide, and on rejection restore the slot (position,
// labels, origins, genotypes, frequencies, effects), its recombination
// fractions, the locus order and its segregation-indicator row.
#include <cmath>

#include "core/qtl/qtl.h"

namespace vsk {

namespace {

void copy_slot(const Gene& from, Gene& to)
{
    to.status = from.status;
    to.pos = from.pos;
    to.chrom = from.chrom;
    to.interval = from.interval;
    to.ibdpos = from.ibdpos;
    to.altype = from.altype;
    to.gtp = from.gtp;
    to.fal = from.fal;
    to.gpori = from.gpori;
    to.alstate = from.alstate;
    to.freq = from.freq;
    to.eff = from.eff;
    to.gval = from.gval;
}

}  // namespace

void save_slot(QtlModel& m, int s) { copy_slot(m.gene[static_cast<std::size_t>(s)], m.temp[static_cast<std::size_t>(s)]); }

void restore_slot(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    copy_slot(m.temp[static_cast<std::size_t>(s)], g);
    if (m.fpm) return;  // no position, locus row or segregation indicators
    if (g.status != 0) recompute_rf(m, s);
    rebuild_locus_order(m);
    if (g.lcsrow < 0) return;
    for (int c = 0; c < m.p.n_individuals; ++c) {
        if (m.o[static_cast<std::size_t>(c)].fat == 0) continue;
        m.gpo0[g.lcsrow][c] = g.gpori[0][c];
        m.gpo1[g.lcsrow][c] = g.gpori[1][c];
    }
}

// Accept with probability min(1, exp(delta)); always draws one uniform.
bool mh_accept(Rng& r, double delta, double* log_u)
{
    const double log_a = delta < 0.0 ? delta : 0.0;
    const double lu = std::log(r.uniform());
    if (log_u) *log_u = lu;
    return lu <= log_a;
}

// One group of four position-move counters: proposals, acceptances, and the
// same for moves that crossed to another marker interval.
void count_position_move(int* acc, bool accepted, bool other_interval)
{
    ++acc[0];
    if (accepted) ++acc[1];
    if (other_interval) {
        ++acc[2];
        if (accepted) ++acc[3];
    }
}

}  // namespace vsk
