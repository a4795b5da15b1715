// The first, plain form of the blocked phase steps, kept as the test oracle
// of the fast form: every chain is walked node by node over every
// configuration, every SI of the individual and its offspring is reset by
// the rule after a draw, and the log-odds of every pair of rows near a block
// are computed up front.
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/markers/block_sampler.h"

namespace vsk {

namespace {

constexpr double kMinusInf = -std::numeric_limits<double>::infinity();

// One known SI of a chain: fixed (bit < 0, value v[0]) or depending on the
// phase bit of het locus `bit` (value v[x] for phase bit x).
struct Node {
    int row = -1;
    int bit = -1;
    int v[2] = {kUnknown, kUnknown};
    int value(int config) const { return bit < 0 ? v[0] : v[(config >> bit) & 1]; }
};

// Log-odds of no change, log(1 - r) - log(r) with r at least 1e-6, between
// the rows near a block, computed once per block for both matrices. A
// configuration's weight gains it for every pair of consecutive known SI
// that agree; log r, common to every configuration, is left out.
struct BlockLinks {
    static constexpr int kSpan = 40;
    static constexpr int kMargin = 8;
    const Par* par = nullptr;
    int base = 0, size = 0;
    double link[2][kSpan][kSpan];

    static double of(double r)
    {
        r = std::max(1e-6, r);
        return std::log(1.0 - r) - std::log(r);
    }
    void build(const Par& p, const PhaseBlock& b)
    {
        par = &p;
        base = std::max(b.lower_row, b.first_row - kMargin);
        size = std::min(b.upper_row, b.last_row + kMargin) - base + 1;
        size = std::clamp(size, 0, kSpan);
        for (int u = 0; u < size; ++u)
            for (int v = u; v < size; ++v)
                for (int s = 0; s < 2; ++s)
                    link[s][u][v] = link[s][v][u] = of(row_recombination(p, base + u, base + v, s));
    }
    double get(int row_a, int row_b, int selfing) const
    {
        const int u = row_a - base, v = row_b - base;
        if (u >= 0 && v >= 0 && u < size && v < size) return link[selfing][u][v];
        return of(row_recombination(*par, row_a, row_b, selfing));
    }
};

// Accumulates the transition terms of one SI chain into the configuration
// weights; pairs of fixed nodes are the same for every configuration and
// are skipped.
struct ChainWalk {
    const BlockLinks& links;
    int selfing;
    double* logw;
    int n_config;
    Node prev;

    void add(const Node& n)
    {
        if (prev.row >= 0 && (prev.bit >= 0 || n.bit >= 0)) {
            const double keep = links.get(prev.row, n.row, selfing);
            for (int c = 0; c < n_config; ++c) logw[c] += prev.value(c) == n.value(c) ? keep : 0.0;
        }
        prev = n;
    }
};

// The two orders of i's genotype at het locus k: allele on side `side` for
// phase bit x.
int allele_for(const MarkerPhases& ph, int k, int i, int side, int x)
{
    const int a = ph.pat_allele[k][i - 1], b = ph.mat_allele[k][i - 1];
    const int lo = std::min(a, b), hi = std::max(a, b);
    return (side == 0) == (x == 1) ? hi : lo;
}

// Known SI of j on `side` next to the block: the nearest one left of it and
// the nearest one right of it within the search bounds.
void add_left_anchor(ChainWalk& w, const PhaseModel& m, int j, int side, const PhaseBlock& b)
{
    for (int row = b.first_row - 1; row >= b.lower_row; --row) {
        const int si = m.si(side, row, j);
        if (si == kUnknown) continue;
        Node n;
        n.row = row;
        n.v[0] = si;
        w.add(n);
        return;
    }
}

void add_right_anchor(ChainWalk& w, const PhaseModel& m, int j, int side, const PhaseBlock& b)
{
    for (int row = b.last_row + 1; row <= b.upper_row; ++row) {
        const int si = m.si(side, row, j);
        if (si == kUnknown) continue;
        Node n;
        n.row = row;
        n.v[0] = si;
        w.add(n);
        return;
    }
}

// Het index of the marker in `row` (-1: not a het locus of the block).
int het_index_of_row(const PhaseModel& m, int row, const int* het, int h)
{
    if (m.par->lcs_rows[row][0] != kMarkerRow) return -1;
    const int k = m.par->lcs_rows[row][1];
    for (int j = 0; j < h; ++j)
        if (het[j] == k) return j;
    return -1;
}

// i's own chain on `side`: variable nodes at its het loci.
void weigh_own_side(const PhaseModel& m, const BlockLinks& links, int i, int side, const PhaseBlock& b,
                    const int* het, int h, double* logw, int n_config)
{
    const Obs& o = m.ind(i);
    const int p = side_parent(o, side);
    ChainWalk w{links, selfing_matrix(o), logw, n_config, Node{}};
    add_left_anchor(w, m, i, side, b);
    for (int row = b.first_row; row <= b.last_row; ++row) {
        const int j = het_index_of_row(m, row, het, h);
        Node n;
        n.row = row;
        if (j < 0) {
            n.v[0] = m.si(side, row, i);
        } else {
            const int k = het[j];
            n.bit = j;
            for (int x = 0; x < 2; ++x) {
                bool consistent = true;
                n.v[x] = si_from_parent(allele_for(*m.ph, k, i, side, x), m.ph->pat_allele[k][p - 1],
                                        m.ph->mat_allele[k][p - 1], &consistent);
            }
            // An order that contradicts the parent has weight 0 (own
            // alleles); it takes the other order's SI so the chain terms of
            // the valid configurations stay whole.
            if (n.v[0] == kUnknown) n.v[0] = n.v[1];
            if (n.v[1] == kUnknown) n.v[1] = n.v[0];
        }
        if (n.v[0] != kUnknown) w.add(n);
    }
    add_right_anchor(w, m, i, side, b);
}

// Chain of offspring o on `side` (inherited from i): o's SI flips with i's
// phase at i's het loci.
void weigh_offspring_side(const PhaseModel& m, const BlockLinks& links, int i, int o, int side, const PhaseBlock& b,
                          const int* het, int h, double* logw, int n_config)
{
    ChainWalk w{links, selfing_matrix(m.ind(o)), logw, n_config, Node{}};
    add_left_anchor(w, m, o, side, b);
    for (int row = b.first_row; row <= b.last_row; ++row) {
        const int j = het_index_of_row(m, row, het, h);
        Node n;
        n.row = row;
        if (j < 0) {
            n.v[0] = m.si(side, row, o);
            if (n.v[0] != kUnknown) w.add(n);
            continue;
        }
        const int k = het[j];
        const int a = side == 0 ? m.ph->pat_allele[k][o - 1] : m.ph->mat_allele[k][o - 1];
        n.bit = j;
        for (int x = 0; x < 2; ++x)
            n.v[x] = a == allele_for(*m.ph, k, i, 0, x) ? 0 : a == allele_for(*m.ph, k, i, 1, x) ? 1 : kUnknown;
        if (n.v[0] != kUnknown) w.add(n);
    }
    add_right_anchor(w, m, o, side, b);
}

// Founder-allele frequencies and contradictions with the parents, per het
// locus and phase bit.
void weigh_own_alleles(const PhaseModel& m, int i, const int* het, int h, double* logw, int n_config)
{
    const Obs& o = m.ind(i);
    for (int j = 0; j < h; ++j) {
        const int k = het[j];
        double term[2] = {0.0, 0.0};
        for (int side = 0; side < 2; ++side) {
            const int p = side_parent(o, side);
            const bool founder_allele = p == 0 || m.ph->pat_allele[k][p - 1] == kMissingAllele;
            for (int x = 0; x < 2; ++x) {
                const int a = allele_for(*m.ph, k, i, side, x);
                if (founder_allele) {
                    term[x] += founder_allele_logfreq((*m.loci)[k], a);
                    continue;
                }
                bool consistent = true;
                si_from_parent(a, m.ph->pat_allele[k][p - 1], m.ph->mat_allele[k][p - 1], &consistent);
                if (!consistent) term[x] = kMinusInf;
            }
        }
        // A genotype that contradicts its parents in both orders is left to
        // the chains alone (the marker check reports such genotypes).
        if (term[0] == kMinusInf && term[1] == kMinusInf) continue;
        for (int c = 0; c < n_config; ++c) logw[c] += term[(c >> j) & 1];
    }
}

bool eligible(const PhaseModel& m, int i, bool founders)
{
    if (!founders && m.ind(i).fat <= 0) return false;
    if (m.ph->phase_status[0][i - 1] == 4) return false;
    return m.ph->locked.empty() || !m.ph->locked[i - 1];
}


void block_weights(const PhaseModel& m, const BlockLinks& links, int i, const PhaseBlock& b, const int* het, int h,
                   double* logw)
{
    const int n_config = 1 << h;
    std::fill(logw, logw + n_config, 0.0);
    const Obs& o = m.ind(i);
    for (int side = 0; side < 2; ++side)
        if (side_weighed(m, i, side)) weigh_own_side(m, links, i, side, b, het, h, logw, n_config);
    for (int c = o.pfP; c > 0; c = m.ind(c).pSb)
        if (side_weighed(m, c, 0)) weigh_offspring_side(m, links, i, c, 0, b, het, h, logw, n_config);
    for (int c = o.mfP; c > 0; c = m.ind(c).mSb)
        if (side_weighed(m, c, 1)) weigh_offspring_side(m, links, i, c, 1, b, het, h, logw, n_config);
    weigh_own_alleles(m, i, het, h, logw, n_config);
}

// The configuration when exactly one has finite weight, else -1.
int only_finite(const double* logw, int n)
{
    int found = -1;
    for (int c = 0; c < n; ++c) {
        if (!std::isfinite(logw[c])) continue;
        if (found >= 0) return -1;
        found = c;
    }
    return found;
}

}  // namespace

void reference_block_weights(const PhaseModel& m, int i, const PhaseBlock& b, const int* het, int h, double* logw)
{
    BlockLinks links;
    links.build(*m.par, b);
    block_weights(m, links, i, b, het, h, logw);
}

int reference_sample_phase_blocks(const PhaseModel& m, Rng& rng, int size, bool founders)
{
    const int n_loci = m.n_loci();
    if (n_loci < 1) return 0;
    size = std::clamp(size, 1, std::min(n_loci, kMaxBlockLoci));
    int start = static_cast<int>(rng.uniform() * size + 0.5);
    if (start == size) start = 0;
    int het[kMaxBlockLoci];
    double logw[1 << kMaxBlockLoci];
    BlockLinks links;
    for (int first = start; first + size <= n_loci; first += size) {
        const PhaseBlock b = make_phase_block(m, first, first + size - 1);
        if (founders && m.par->indicQTL == 1 && block_holds_qtl_row(m, b) && run_joint_qtl_block_sampler(m, b, rng))
            continue;
        links.build(*m.par, b);
        for (int i = 1; i <= m.n_ind(); ++i) {
            if (!eligible(m, i, founders)) continue;
            const int h = block_het_loci(m, i, b, het);
            if (h == 0) continue;
            block_weights(m, links, i, b, het, h, logw);
            // One configuration of finite weight is put in place without a
            // draw.
            const int only = only_finite(logw, 1 << h);
            set_block_config(m, i, het, h, only >= 0 ? only : draw_config(logw, 1 << h, rng.uniform()));
        }
    }
    return start;
}

}  // namespace vsk
