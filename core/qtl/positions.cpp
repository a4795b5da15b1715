// QTL positions: the location prior (chromosome mass, then an interval by its
// map weight times length, then uniform inside it), the random-walk proposal
// reflected at the chromosome ends, and the minimum-distance constraint.
#include <cmath>

#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr int kWindows = 7;
// Redraws allowed before a proposal gives up: a map without room for a new
// QTL would otherwise loop for ever.
constexpr int kMaxRedraws = 100000;

int pick_window(const QtlModel& m, double u)
{
    double cum = 0.0;
    for (int i = 0; i < kWindows - 1; ++i) {
        cum += m.twinv[i];
        if (u <= cum) return i;
    }
    return kWindows - 1;
}

[[noreturn]] void no_room(const QtlModel& m)
{
    cprint("\nERROR: no position for a QTL satisfies the minimum distance between QTL");
    cprint("\ndistanceQTLs %.3lf Morgan, QTL in model %d", m.p.distanceQTLs, m.p.nqtl);
    abort_voskara();
}

}  // namespace

double random_walk_position(QtlModel& m, int c, double x)
{
    const Chr& ch = m.chr[static_cast<std::size_t>(c)];
    const double width = m.twinv[kWindows + pick_window(m, m.rng.uniform())];
    for (int tries = 0; tries < kMaxRedraws; ++tries) {
        double y = x + (m.rng.uniform() - 0.5) * width;
        if (y < ch.LowLim) y = 2.0 * ch.LowLim - y;
        if (y > ch.UppLim) y = 2.0 * ch.UppLim - y;
        if (y >= ch.LowLim && y <= ch.UppLim) return y;
    }
    return x;
}

void prior_position(QtlModel& m, Gene& g)
{
    const double u1 = m.rng.uniform();
    int c = -1;
    double run = 0.0;
    for (int k = 0; k < static_cast<int>(m.chr.size()); ++k) {
        const Chr& ch = m.chr[static_cast<std::size_t>(k)];
        if (ch.indiC != 1 || ch.prior_mass <= 0.0 || ch.fMrkr < 0) continue;
        if (run < u1 || c < 0) c = k;
        run += ch.prior_mass;
    }
    if (c < 0) no_room(m);
    const Chr& ch = m.chr[static_cast<std::size_t>(c)];
    const double u2 = m.rng.uniform();
    int left = -1;
    run = 0.0;
    for (int k = ch.fMrkr; k < ch.lMrkr; ++k) {
        const double len = m.mrk[static_cast<std::size_t>(k + 1)].position - m.mrk[static_cast<std::size_t>(k)].position;
        const double mass = m.mrk[static_cast<std::size_t>(k)].prior_weight * len / ch.prior_mass;
        if (mass <= 0.0) continue;
        if (run < u2 || left < 0) left = k;
        run += mass;
    }
    if (left < 0) no_room(m);
    const double a = m.mrk[static_cast<std::size_t>(left)].position, b = m.mrk[static_cast<std::size_t>(left + 1)].position;
    g.chrom = c;
    g.pos = a + m.rng.uniform() * (b - a);
    g.interval = find_qtl_interval(m, c, g.pos);
}

// Draws a position for slot s until it keeps the minimum distance to the
// other QTL (the proposal is repeated, not rejected).
void propose_position(QtlModel& m, int s, int mode)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    const double x = g.pos;
    for (int tries = 0; tries < kMaxRedraws; ++tries) {
        if (mode == 1) {
            g.pos = random_walk_position(m, g.chrom, x);
            g.interval = find_qtl_interval(m, g.chrom, g.pos);
        } else {
            prior_position(m, g);
        }
        if (m.p.distanceQTLs <= 0.0 || min_distance(m, s, g.pos) >= m.p.distanceQTLs) return;
    }
    no_room(m);
}

// Log of the location-prior density at the slot's interval (the weight of
// the interval that ends at marker `interval`).
double log_interval_weight(const QtlModel& m, const Gene& g)
{
    const double w = m.mrk[static_cast<std::size_t>(g.interval - 1)].prior_weight;
    return w > 0.0 ? std::log(w) : -1e300;
}

}  // namespace vsk
