// The fixed QTL of an IBD position: placed off the markers, on its linkage
// group, with no effects and even allele frequencies; its allele origins
// start from the markers alone.
#include <cmath>

#include "core/ibd/ibd.h"
#include "core/state/console.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr double kMarkerMargin = 1e-6;   // Morgan: a QTL this close to a marker is moved
constexpr double kSamePosition = 1e-5;   // an IBD position this close is the QTL's own
constexpr double kCentiMorgan = 0.01;

bool analysed(const Chr& c) { return c.indiC == 1 && c.fMrkr >= 0 && c.lMrkr >= c.fMrkr; }

// Founder alleles of one IBD position take the states of their clusters:
// every cluster with members draws a state from its base family's
// frequencies, the whole round repeated until both states occur.
void set_cluster_states(QtlModel& m, Gene& g, const FibdPosition& fp)
{
    const int nf = m.p.n_founders;
    int clusters = 0;
    for (int a = 0; a < 2 * nf && a < static_cast<int>(fp.cluster.size()); ++a)
        clusters = std::max(clusters, fp.cluster[static_cast<std::size_t>(a)]);
    std::vector<int> state(static_cast<std::size_t>(clusters) + 1, -1), family(state.size(), 0);
    for (int a = 2 * nf - 1; a >= 0; --a) {
        const int k = a < static_cast<int>(fp.cluster.size()) ? fp.cluster[static_cast<std::size_t>(a)] : 0;
        if (k > 0) family[static_cast<std::size_t>(k)] = base_family(m, a / 2);
    }
    std::vector<char> used(state.size(), 0);
    for (int a = 0; a < 2 * nf && a < static_cast<int>(fp.cluster.size()); ++a) used[static_cast<std::size_t>(fp.cluster[static_cast<std::size_t>(a)])] = 1;
    int members = 0;
    for (int k = 1; k <= clusters; ++k) members += used[static_cast<std::size_t>(k)];
    for (bool both = false; !both;) {
        int seen[2] = {0, 0};
        for (int k = 1; k <= clusters; ++k) {
            if (!used[static_cast<std::size_t>(k)]) continue;
            const int s = static_cast<int>(inbred_founder_state(m.rng, g.freq, family[static_cast<std::size_t>(k)]));
            state[static_cast<std::size_t>(k)] = s;
            ++seen[s];
        }
        both = members < 2 || (seen[0] > 0 && seen[1] > 0);
    }
    for (int a = 0; a < 2 * nf; ++a) {
        const int k = a < static_cast<int>(fp.cluster.size()) ? fp.cluster[static_cast<std::size_t>(a)] : 0;
        g.alstate[static_cast<std::size_t>(a)] = k > 0 ? state[static_cast<std::size_t>(k)] : a % 2;
    }
}

}  // namespace

double shift_off_markers(const QtlModel& m, double x)
{
    for (const Chr& c : m.chr) {
        if (!analysed(c)) continue;
        const double first = m.mrk[static_cast<std::size_t>(c.fMrkr)].position;
        for (int k = c.fMrkr; k <= c.lMrkr; ++k) {
            const double at = m.mrk[static_cast<std::size_t>(k)].position;
            if (std::fabs(at - x) > kMarkerMargin) continue;
            const bool not_first = k != c.fMrkr && at > first + kMarkerMargin;
            return x + (not_first ? -kMarkerMargin : kMarkerMargin);
        }
    }
    return x;
}

int chromosome_holding(const QtlModel& m, double x)
{
    for (int c = 0; c < static_cast<int>(m.chr.size()); ++c) {
        const Chr& ch = m.chr[static_cast<std::size_t>(c)];
        if (analysed(ch) && x > ch.LowLim && x < ch.UppLim) return c;
    }
    return -1;
}

int fixed_ibd_position(QtlModel& m, const Gene& g)
{
    int left = -1, right = -1;
    double dl = 0.0, dr = 0.0;
    for (int k = 0; k < m.p.npos && k < static_cast<int>(FIBD.size()); ++k) {
        const FibdPosition& fp = FIBD[static_cast<std::size_t>(k)];
        if (fp.chrom != g.chrom) continue;
        const double at = 100.0 * (fp.chrom + 1) + kCentiMorgan * fp.position;
        if (at <= g.pos && (left < 0 || g.pos - at < dl)) {
            left = k;
            dl = g.pos - at;
        }
        if (at >= g.pos && (right < 0 || at - g.pos < dr)) {
            right = k;
            dr = at - g.pos;
        }
    }
    if (left < 0 || right < 0) return -1;
    int pick;
    if (dl < kSamePosition && dr < kSamePosition) pick = m.rng.uniform() < 0.5 ? left : right;
    else if (dl < kSamePosition) pick = left;
    else if (dr < kSamePosition) pick = right;
    else pick = m.rng.uniform() < dl / (dl + dr) ? left : right;
    // No diversity: every founder allele in one IBD cluster.
    if (FIBD[static_cast<std::size_t>(pick)].n_clusters < 2) return -2;
    return pick + 1;
}

void ini_fixed_qtl(QtlModel& m, double x)
{
    Par& p = m.p;
    Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    p.nqtl = 1;
    g.status = kFixedStatus;
    g.pos = shift_off_markers(m, x);
    g.chrom = chromosome_holding(m, g.pos);
    if (g.chrom < 0) {
        cprint("\nno assignment of 'known' QTL to chromosome");
        fatal_exit(1);
    }
    g.interval = find_qtl_interval(m, g.chrom, g.pos);
    crule(2, 79, 1);
    crule(0, 79, 0);
    cprint("\nIBD position = %12.5lf, marker interval = %d (chr %s)", g.pos, g.interval,
           m.chr[static_cast<std::size_t>(g.chrom)].name.c_str());

    if (g.altype != 0) {
        cprint("\nERROR in assigning allele frequency: See IniFixedQTL() ");
        fatal_exit(1);
    }
    for (int r = 0; r < kGenotypes; ++r)
        for (int t = 0; t < p.n_traits; ++t) g.eff[r][t] = 0.0;
    compute_gval(p, g);
    for (int f = 0; f < g.freq.rows(); ++f) g.freq[f][0] = g.freq[f][1] = 0.5;

    recompute_rf(m, kFixedSlot);
    rebuild_locus_order(m);
    if (p.npos <= 0) {
        for (int k = 0; k < p.n_founders; ++k) {
            g.alstate[static_cast<std::size_t>(2 * k)] = 0;
            g.alstate[static_cast<std::size_t>(2 * k + 1)] = 1;
        }
    } else {
        g.ibdpos = fixed_ibd_position(m, g);
        if (g.ibdpos < 0) {
            cprint("\nERROR: NO-diversity or NO-information at flanking markers");
            cprint("\n function IniFixedQTL(): QTL position: %.3lf", g.pos);
            cprint("\nNow exciting Voskara");
            fatal_exit(1);
        }
        set_cluster_states(m, g, FIBD[static_cast<std::size_t>(g.ibdpos - 1)]);
    }
    sample_allele_origin(m, kFixedSlot, false);
}

}  // namespace vsk
