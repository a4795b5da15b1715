// Blocked Gibbs steps of marker phases over consecutive loci. The weights of
// an individual's configurations are sums of pair terms of its SI chains and
// of its offspring's: each pair of consecutive known SI adds the log-odds of
// no recombination when the two agree, and whether they agree depends on at
// most two phase bits. The chains are walked once per individual, their
// terms gathered per phase bit and per pair of bits, and only then expanded
// over the 2^h configurations.
#include "core/markers/block_sampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/state/run_workspace.h"

namespace vsk {

namespace {

constexpr double kMinusInf = -std::numeric_limits<double>::infinity();

// Phase bits of a block plus the two origin bits of a joined QTL row.
constexpr int kMaxBits = kMaxConfigBits;

JointQtlBlockSampler joint_qtl_sampler = nullptr;

double link_of(double r)
{
    r = std::max(1e-6, r);
    return std::log(1.0 - r) - std::log(r);
}

// Log-odds of no change, log(1 - r) - log(r), between two rows near the
// block, each computed on its first use inside the block (a stamp per entry
// marks the block it was computed for).
class LinkCache {
public:
    static constexpr int kSpan = 48;
    static constexpr int kMargin = 12;

    LinkCache() { std::memset(seen_, 0, sizeof seen_); }
    void start(const Par& p, const PhaseBlock& b)
    {
        par_ = &p;
        base_ = std::max(b.lower_row, b.first_row - kMargin);
        size_ = std::clamp(std::min(b.upper_row, b.last_row + kMargin) - base_ + 1, 0, kSpan);
        if (++stamp_ == 0) {
            std::memset(seen_, 0, sizeof seen_);
            stamp_ = 1;
        }
    }
    // Rows a < b.
    [[gnu::always_inline]] double get(int a, int b, int selfing)
    {
        const int u = a - base_, v = b - base_;
        if (u < 0 || v >= size_) return link_of(row_recombination(*par_, a, b, selfing));
        if (seen_[selfing][u][v] != stamp_) {
            seen_[selfing][u][v] = stamp_;
            value_[selfing][u][v] = link_of(row_recombination(*par_, a, b, selfing));
        }
        return value_[selfing][u][v];
    }

private:
    const Par* par_ = nullptr;
    int base_ = 0, size_ = 0;
    unsigned stamp_ = 0;
    unsigned seen_[2][kSpan][kSpan];
    double value_[2][kSpan][kSpan];
};

// One known SI of a chain: base ^ (flip & phase bit `het`); het < 0 or
// flip 0 for an SI that no configuration changes.
struct Node {
    int row;
    int het;
    int base;
    int flip;
    bool moves() const { return het >= 0 && flip != 0; }
};

// Terms of the configuration weights of one individual: per phase bit
// (allele terms and chain pairs with one moving SI) and per pair of bits
// (chain pairs with two moving SI, which agree when the bits' parity says so).
class ConfigTerms {
public:
    void reset(int h)
    {
        h_ = h;
        n_used_ = 0;
        for (int j = 0; j < h; ++j) {
            single_[j][0] = single_[j][1] = 0.0;
            for (int l = 0; l < h; ++l) pair_used_[j][l] = 0;
        }
    }
    void add_single(int j, int x, double v) { single_[j][x] += v; }
    // Pair of consecutive known SI a, b of one chain (at least one moving):
    // `keep` when they agree.
    [[gnu::always_inline]] void link(const Node& a, const Node& b, double keep)
    {
        const int t = a.base ^ b.base;
        if (!a.moves()) {
            single_[b.het][t] += keep;
        } else if (!b.moves()) {
            single_[a.het][t] += keep;
        } else {
            const int j = std::min(a.het, b.het), l = std::max(a.het, b.het);
            if (!pair_used_[j][l]) {
                pair_used_[j][l] = 1;
                pair_[j][l][0] = pair_[j][l][1] = 0.0;
                used_[n_used_][0] = j;
                used_[n_used_][1] = l;
                ++n_used_;
            }
            pair_[j][l][t] += keep;
        }
    }
    void expand(double* logw) const
    {
        for (int c = 0; c < (1 << h_); ++c) {
            double w = 0.0;
            for (int j = 0; j < h_; ++j) w += single_[j][(c >> j) & 1];
            for (int u = 0; u < n_used_; ++u) {
                const int j = used_[u][0], l = used_[u][1];
                w += pair_[j][l][((c >> j) ^ (c >> l)) & 1];
            }
            logw[c] = w;
        }
    }

private:
    int h_ = 0, n_used_ = 0;
    double single_[kMaxBits][2];
    double pair_[kMaxBits][kMaxBits][2];
    unsigned char pair_used_[kMaxBits][kMaxBits];
    int used_[kMaxBits * kMaxBits][2];
};

// Adds the pair terms of one SI chain, node by node in row order.
struct ChainWalk {
    ConfigTerms& terms;
    LinkCache& links;
    int selfing;
    Node prev{-1, -1, 0, 0};

    [[gnu::always_inline]] void add(const Node& n)
    {
        if (prev.row >= 0 && (prev.moves() || n.moves())) terms.link(prev, n, links.get(prev.row, n.row, selfing));
        prev = n;
    }
};

// The individual being resampled in one block: its het loci, the two
// alleles there (lo < hi), and the het index of each locus of the block.
struct BlockIndividual {
    int i = 0, h = 0;
    int het[kMaxBlockLoci];
    int lo[kMaxBlockLoci], hi[kMaxBlockLoci];
    int het_at[kMaxBlockLoci];  // by locus offset in the block, -1 not het
    // Founder-allele and contradiction terms per phase bit, and the bit a
    // parent forces (the other order contradicts it; -1 free). A forced bit
    // keeps its value in every configuration of finite weight, so the
    // chains take it as fixed.
    double allele[kMaxBlockLoci][2];
    int forced[kMaxBlockLoci];
    int free_bits = 0;
};

// Column of individual j in the SI table of `side`; rows are n apart.
struct SiColumn {
    const si_t* base;
    std::size_t stride;
    int at(int row) const { return base[static_cast<std::size_t>(row) * stride]; }
};

SiColumn si_column(const PhaseModel& m, int side, int j)
{
    return SiColumn{m.gpo[side]->data() + (j - 1), static_cast<std::size_t>(m.gpo[side]->cols())};
}

void add_left_anchor(ChainWalk& w, const SiColumn& col, const PhaseBlock& b)
{
    for (int row = b.first_row - 1; row >= b.lower_row; --row) {
        const int si = col.at(row);
        if (si != kUnknown) {
            w.add(Node{row, -1, si, 0});
            return;
        }
    }
}

void add_right_anchor(ChainWalk& w, const SiColumn& col, const PhaseBlock& b)
{
    for (int row = b.last_row + 1; row <= b.upper_row; ++row) {
        const int si = col.at(row);
        if (si != kUnknown) {
            w.add(Node{row, -1, si, 0});
            return;
        }
    }
}

// Het index of the locus in `row` (-1: QTL row or homozygous locus).
int het_in_row(const PhaseModel& m, const PhaseBlock& b, const BlockIndividual& x, int row)
{
    const int* r = m.par->lcs_rows[row];
    return r[0] == kMarkerRow ? x.het_at[r[1] - b.first] : -1;
}

// Inline forms of side_parent, side_weighed and selfing_matrix (si.h) for
// the per-chain calls.
inline int parent_of(const Obs& o, int side)
{
    if (o.fat <= 0) return 0;
    if (side == 0) return o.fat;
    if (o.mot > 0) return o.mot;
    return (o.mot == kSelfed || o.mot == kDbhpld) ? o.fat : 0;
}

inline bool weighed(const PhaseModel& m, const Obs& o, int j, int side)
{
    if (parent_of(o, side) == 0) return false;
    if (side == 0 || o.mot > 0) return true;
    return !m.ph->weigh_second.empty() && m.ph->weigh_second[j - 1];
}

inline int selfing_of(const Obs& o) { return o.mot == kSelfed ? 1 : 0; }

void resize_families(PhaseFamilies& f, int n, std::size_t links)
{
    f.n = n;
    for (int side = 0; side < 2; ++side) {
        f.parent[side].resize(static_cast<std::size_t>(n));
        f.weighed[side].resize(static_cast<std::size_t>(n));
    }
    f.selfing.resize(static_cast<std::size_t>(n));
    f.first_child.resize(static_cast<std::size_t>(n) + 1);
    f.child.resize(links);
    f.child_side.resize(links);
}

}  // namespace

void refresh_phase_families(const PhaseModel& m)
{
    PhaseFamilies& f = m.ph->families;
    const int n = m.n_ind();
    std::size_t links = 0;
    for (int i = 1; i <= n; ++i)
        for (int side = 0; side < 2; ++side) links += parent_of(m.ind(i), side) > 0;
    resize_families(f, n, links);
    int at = 0;
    for (int i = 1; i <= n; ++i) {
        const Obs& o = m.ind(i);
        for (int side = 0; side < 2; ++side) {
            f.parent[side][i - 1] = parent_of(o, side);
            f.weighed[side][i - 1] = weighed(m, o, i, side);
        }
        f.selfing[i - 1] = static_cast<signed char>(selfing_of(o));
        f.first_child[i - 1] = at;
        for (int c = o.pfP; c > 0; c = m.ind(c).pSb, ++at) {
            f.child[at] = c;
            f.child_side[at] = 0;
        }
        for (int c = o.mfP; c > 0; c = m.ind(c).mSb, ++at) {
            f.child[at] = c;
            f.child_side[at] = 1;
        }
    }
    f.first_child[n] = at;
}

namespace {

// The families, built on first use by the single-individual entries (a pass
// refreshes them).
const PhaseFamilies& families_of(const PhaseModel& m)
{
    if (m.ph->families.n != m.n_ind()) refresh_phase_families(m);
    return m.ph->families;
}

// SI by the rule (si_from_parent), 9 also for an allele the parent cannot
// have given; inline here, as it runs for every chain node.
inline int rule_si(int allele, int pp, int pm)
{
    if (allele == kMissingAllele || pp == kMissingAllele || pp == pm) return kUnknown;
    return allele == pp ? 0 : allele == pm ? 1 : kUnknown;
}

// i's own chain on `side`: at a het locus the allele on the side is lo for
// phase bit 0 on side 0 (hi on side 1), and its SI follows from the parent.
// A joined QTL row (qtl_row >= 0) carries i's origin on the side as bit
// h + side. A chain without any moving SI adds the same to every
// configuration and is not walked.
void weigh_own_side(const PhaseModel& m, ChainWalk& w, const PhaseBlock& b, const BlockIndividual& x, int side,
                    int qtl_row)
{
    const int p = m.ph->families.parent[side][x.i - 1];
    int v[kMaxBlockLoci][2];
    bool moves = qtl_row >= 0;
    for (int j = 0; j < x.h; ++j) {
        const int k = x.het[j];
        const int pp = m.ph->pat_allele[k][p - 1], pm = m.ph->mat_allele[k][p - 1];
        int v0 = rule_si(side == 0 ? x.lo[j] : x.hi[j], pp, pm);
        int v1 = rule_si(side == 0 ? x.hi[j] : x.lo[j], pp, pm);
        // An order that contradicts the parent has weight 0 (allele terms);
        // it takes the other order's SI so the chain terms of the valid
        // configurations stay whole.
        if (v0 == kUnknown) v0 = v1;
        if (v1 == kUnknown) v1 = v0;
        if (x.forced[j] >= 0) v0 = v1 = x.forced[j] ? v1 : v0;
        v[j][0] = v0;
        v[j][1] = v1;
        moves |= v0 != v1;
    }
    if (!moves) return;
    const SiColumn col = si_column(m, side, x.i);
    add_left_anchor(w, col, b);
    for (int row = b.first_row; row <= b.last_row; ++row) {
        if (row == qtl_row) {
            w.add(Node{row, x.h + side, 0, 1});
            continue;
        }
        const int j = het_in_row(m, b, x, row);
        if (j < 0) {
            const int si = col.at(row);
            if (si != kUnknown) w.add(Node{row, -1, si, 0});
            continue;
        }
        if (v[j][0] == kUnknown) continue;
        w.add(Node{row, j, v[j][0], v[j][0] ^ v[j][1]});
    }
    add_right_anchor(w, col, b);
}

// Chain of offspring o on `side` (inherited from i): at i's het loci o's SI
// is 0 when o carries the allele i has on side 0, which is lo for bit 0.
// Not walked when o carries neither allele at any of them.
void weigh_offspring_side(const PhaseModel& m, ChainWalk& w, const PhaseBlock& b, const BlockIndividual& x, int o,
                          int side)
{
    const Table<signed char>& alleles = side == 0 ? m.ph->pat_allele : m.ph->mat_allele;
    bool moves = false;
    for (int j = 0; j < x.h && !moves; ++j) {
        if (x.forced[j] >= 0) continue;
        const int a = alleles[x.het[j]][o - 1];
        moves = a == x.lo[j] || a == x.hi[j];
    }
    if (!moves) return;
    const SiColumn col = si_column(m, side, o);
    add_left_anchor(w, col, b);
    for (int row = b.first_row; row <= b.last_row; ++row) {
        const int j = het_in_row(m, b, x, row);
        if (j < 0) {
            const int si = col.at(row);
            if (si != kUnknown) w.add(Node{row, -1, si, 0});
            continue;
        }
        const int a = alleles[x.het[j]][o - 1];
        if (a != x.lo[j] && a != x.hi[j]) continue;
        const int base = a == x.lo[j] ? 0 : 1;
        if (x.forced[j] >= 0) w.add(Node{row, -1, base ^ x.forced[j], 0});
        else w.add(Node{row, j, base, 1});
    }
    add_right_anchor(w, col, b);
}

// The two orders of i's genotype at het locus k: allele on side `side` for
// phase bit x.
int allele_for(const MarkerPhases& ph, int k, int i, int side, int x)
{
    const int a = ph.pat_allele[k][i - 1], b = ph.mat_allele[k][i - 1];
    const int lo = std::min(a, b), hi = std::max(a, b);
    return (side == 0) == (x == 1) ? hi : lo;
}

// Founder-allele frequencies and contradictions with the parents, per het
// locus and phase bit, and the bits a parent forces.
void set_allele_terms(const PhaseModel& m, BlockIndividual& x)
{
    const PhaseFamilies& f = m.ph->families;
    const int parent[2] = {f.parent[0][x.i - 1], f.parent[1][x.i - 1]};
    x.free_bits = 0;
    for (int j = 0; j < x.h; ++j) {
        const int k = x.het[j], lo = x.lo[j], hi = x.hi[j];
        const signed char* pat = m.ph->pat_allele[k];
        const signed char* mat = m.ph->mat_allele[k];
        // Phase bit 0 puts lo on side 0 and hi on side 1; bit 1 the reverse.
        // A scored allele the parent does not carry contradicts it
        // (si_from_parent); both alleles of a het locus are scored.
        bool bad[2] = {false, false};
        double term[2] = {0.0, 0.0};
        for (int side = 0; side < 2; ++side) {
            const int p = parent[side];
            const int first = side == 0 ? lo : hi, second = side == 0 ? hi : lo;
            if (p == 0 || pat[p - 1] == kMissingAllele) {
                term[0] += founder_allele_logfreq((*m.loci)[k], first);
                term[1] += founder_allele_logfreq((*m.loci)[k], second);
                continue;
            }
            const int pp = pat[p - 1], pm = mat[p - 1];
            bad[0] |= (first != pp) & (first != pm);
            bad[1] |= (second != pp) & (second != pm);
        }
        // A genotype that contradicts its parents in both orders is left to
        // the chains alone (the marker check reports such genotypes).
        if (bad[0] && bad[1]) term[0] = term[1] = 0.0;
        const bool forced = bad[0] != bad[1];
        x.allele[j][0] = forced && bad[0] ? kMinusInf : term[0];
        x.allele[j][1] = forced && bad[1] ? kMinusInf : term[1];
        x.forced[j] = forced ? static_cast<int>(bad[0]) : -1;
        x.free_bits += !forced;
    }
}

void weigh_own_alleles(ConfigTerms& terms, const BlockIndividual& x)
{
    for (int j = 0; j < x.h; ++j) {
        terms.add_single(j, 0, x.allele[j][0]);
        terms.add_single(j, 1, x.allele[j][1]);
    }
}

// The configuration of the forced bits (the only one of finite weight when
// every bit is forced).
int forced_config(const BlockIndividual& x)
{
    int config = 0;
    for (int j = 0; j < x.h; ++j) config |= (x.forced[j] > 0) << j;
    return config;
}

bool eligible(const PhaseModel& m, int i, bool founders)
{
    if (!founders && m.ph->families.parent[0][i - 1] == 0) return false;
    if (m.ph->phase_status[0][i - 1] == 4) return false;
    return m.ph->locked.empty() || !m.ph->locked[i - 1];
}

// i at the given het loci of the block, with their alleles.
void set_individual(const PhaseModel& m, const PhaseBlock& b, int i, const int* het, int h, BlockIndividual& x)
{
    x.i = i;
    x.h = h;
    std::fill(x.het_at, x.het_at + (b.last - b.first + 1), -1);
    for (int j = 0; j < h; ++j) {
        const int k = het[j], a = m.ph->pat_allele[k][i - 1], c = m.ph->mat_allele[k][i - 1];
        x.het[j] = k;
        x.het_at[k - b.first] = j;
        x.lo[j] = std::min(a, c);
        x.hi[j] = std::max(a, c);
    }
    set_allele_terms(m, x);
}

// Het loci of i in the block (as block_het_loci) with their alleles;
// returns h.
int gather_individual(const PhaseModel& m, const PhaseBlock& b, int i, BlockIndividual& x)
{
    x.i = i;
    x.h = 0;
    const MarkerPhases& ph = *m.ph;
    // Without branches on the genotypes, which are unpredictable: every
    // locus is written at the next free entry, which only a het locus
    // keeps (a block has at most kMaxBlockLoci loci).
    for (int k = b.first; k <= b.last; ++k) {
        const int het = (ph.heterozygous[k][i - 1] == 1) & (ph.phase_status[k][i - 1] != 5);
        const int a = ph.pat_allele[k][i - 1], c = ph.mat_allele[k][i - 1];
        x.het_at[k - b.first] = het ? x.h : -1;
        x.het[x.h] = k;
        x.lo[x.h] = std::min(a, c);
        x.hi[x.h] = std::max(a, c);
        x.h += het;
    }
    if (x.h > 0) set_allele_terms(m, x);
    return x.h;
}

void weigh_individual(const PhaseModel& m, LinkCache& links, ConfigTerms& terms, const PhaseBlock& b,
                      const BlockIndividual& x, double* logw, int qtl_row = -1)
{
    terms.reset(qtl_row >= 0 ? x.h + 2 : x.h);
    const PhaseFamilies& f = m.ph->families;
    for (int side = 0; side < 2; ++side) {
        if (!f.weighed[side][x.i - 1]) continue;
        ChainWalk w{terms, links, f.selfing[x.i - 1]};
        weigh_own_side(m, w, b, x, side, qtl_row);
    }
    for (int at = f.first_child[x.i - 1]; at < f.first_child[x.i]; ++at) {
        const int c = f.child[at], side = f.child_side[at];
        if (!f.weighed[side][c - 1]) continue;
        ChainWalk w{terms, links, f.selfing[c - 1]};
        weigh_offspring_side(m, w, b, x, c, side);
    }
    weigh_own_alleles(terms, x);
    terms.expand(logw);
}

// Puts configuration `config` in place, touching only the loci whose phase
// bit changes: i's alleles swap, its own SI follow the rule, and the known
// SI of its offspring on the side inherited from i flip.
void apply_config(const PhaseModel& m, const BlockIndividual& x, int config)
{
    MarkerPhases& ph = *m.ph;
    const PhaseFamilies& f = ph.families;
    const std::size_t n = static_cast<std::size_t>(m.n_ind());
    for (int j = 0; j < x.h; ++j) {
        const int k = x.het[j], bit = (config >> j) & 1;
        if (phase_bit(ph, k, x.i) == bit) continue;
        ph.pat_allele[k][x.i - 1] = static_cast<signed char>(bit ? x.hi[j] : x.lo[j]);
        ph.mat_allele[k][x.i - 1] = static_cast<signed char>(bit ? x.lo[j] : x.hi[j]);
        set_si(m, k, x.i, false);
        const std::size_t row = static_cast<std::size_t>(m.row(k));
        si_t* sides[2] = {m.gpo[0]->data() + row * n, m.gpo[1]->data() + row * n};
        for (int at = f.first_child[x.i - 1]; at < f.first_child[x.i]; ++at) {
            si_t& si = sides[f.child_side[at]][f.child[at] - 1];
            if (si != kUnknown) si = static_cast<si_t>(si ^ 1);
        }
    }
}

// Working space of the weights of one block.
struct WeighSpace {
    LinkCache links;
    ConfigTerms terms;
    BlockIndividual x;
};

// Working space of one pass, on the stack: no allocation in a sweep.
struct PassSpace : WeighSpace {
    double logw[1 << kMaxBits];
};

// The run's weighing space of the single-individual entries (created once;
// the stamps of its link cache start a new block at every call).
WeighSpace& shared_weigh_space() { return run_workspace().part<WeighSpace>(); }

}  // namespace

PhaseBlock make_phase_block(const PhaseModel& m, int first, int last)
{
    PhaseBlock b;
    b.first = first;
    b.last = last;
    b.first_row = m.row(first);
    b.last_row = m.row(last);
    b.lower_row = group_first_row(*m.groups, *m.loci, *m.loci2, first);
    b.upper_row = group_last_row(*m.groups, *m.loci, *m.loci2, last);
    return b;
}

int phase_bit(const MarkerPhases& ph, int k, int i) { return ph.pat_allele[k][i - 1] > ph.mat_allele[k][i - 1]; }

int block_het_loci(const PhaseModel& m, int i, const PhaseBlock& b, int* het)
{
    int h = 0;
    for (int k = b.first; k <= b.last && h < kMaxBlockLoci; ++k)
        if (m.ph->heterozygous[k][i - 1] == 1 && m.ph->phase_status[k][i - 1] != 5) het[h++] = k;
    return h;
}

void set_block_config(const PhaseModel& m, int i, const int* het, int h, int config)
{
    MarkerPhases& ph = *m.ph;
    const Obs& o = m.ind(i);
    for (int j = 0; j < h; ++j) {
        const int k = het[j], x = (config >> j) & 1;
        const int pat = allele_for(ph, k, i, 0, x), mat = allele_for(ph, k, i, 1, x);
        ph.pat_allele[k][i - 1] = static_cast<signed char>(pat);
        ph.mat_allele[k][i - 1] = static_cast<signed char>(mat);
        set_si(m, k, i, false);
        for (int c = o.pfP; c > 0; c = m.ind(c).pSb) set_si(m, k, c, false);
        for (int c = o.mfP; c > 0; c = m.ind(c).mSb) set_si(m, k, c, false);
    }
}

int draw_config(const double* logw, int n, double u)
{
    double top = kMinusInf;
    for (int c = 0; c < n; ++c) top = std::max(top, logw[c]);
    if (top == kMinusInf) return 0;
    double w[1 << kMaxConfigBits];
    double total = 0.0;
    for (int c = 0; c < n; ++c) total += (w[c] = logw[c] == kMinusInf ? 0.0 : std::exp(logw[c] - top));
    const double target = u * total;
    double cumulative = 0.0;
    int last_positive = 0;
    for (int c = 0; c < n; ++c) {
        if (w[c] <= 0.0) continue;
        last_positive = c;
        cumulative += w[c];
        if (cumulative >= target) return c;
    }
    return last_positive;
}

void set_joint_qtl_block_sampler(JointQtlBlockSampler sampler) { joint_qtl_sampler = sampler; }

bool block_holds_qtl_row(const PhaseModel& m, const PhaseBlock& b)
{
    for (int row = b.first_row; row <= b.last_row; ++row)
        if (m.par->lcs_rows[row][0] == kQtlRow) return true;
    return false;
}

void marker_block_weights(const PhaseModel& m, int i, const PhaseBlock& b, const int* het, int h, double* logw)
{
    WeighSpace& s = shared_weigh_space();
    families_of(m);
    s.links.start(*m.par, b);
    set_individual(m, b, i, het, h, s.x);
    weigh_individual(m, s.links, s.terms, b, s.x, logw);
}

void marker_qtl_block_weights(const PhaseModel& m, int i, const PhaseBlock& b, const int* het, int h, int qtl_row,
                              double* logw)
{
    WeighSpace& s = shared_weigh_space();
    families_of(m);
    s.links.start(*m.par, b);
    set_individual(m, b, i, het, h, s.x);
    weigh_individual(m, s.links, s.terms, b, s.x, logw, qtl_row);
}

bool run_joint_qtl_block_sampler(const PhaseModel& m, const PhaseBlock& b, Rng& rng)
{
    return joint_qtl_sampler != nullptr && joint_qtl_sampler(m, b, rng);
}

int sample_phase_blocks(const PhaseModel& m, Rng& rng, int size, bool founders)
{
    const int n_loci = m.n_loci();
    if (n_loci < 1) return 0;  // nothing to phase, and no draw is made
    size = std::clamp(size, 1, std::min(n_loci, kMaxBlockLoci));
    int start = static_cast<int>(rng.uniform() * size + 0.5);
    if (start == size) start = 0;
    refresh_phase_families(m);
    PassSpace s;
    const bool joint = founders && joint_qtl_sampler != nullptr && m.par->indicQTL == 1;
    for (int first = start; first + size <= n_loci; first += size) {
        const PhaseBlock b = make_phase_block(m, first, first + size - 1);
        if (joint && block_holds_qtl_row(m, b) && joint_qtl_sampler(m, b, rng)) continue;
        s.links.start(*m.par, b);
        for (int i = 1; i <= m.n_ind(); ++i) {
            if (!eligible(m, i, founders)) continue;
            if (gather_individual(m, b, i, s.x) == 0) continue;
            if (s.x.free_bits == 0) {
                // One configuration of finite weight: the draw cannot change
                // it, and its uniform is still taken.
                apply_config(m, s.x, forced_config(s.x));
                rng.uniform();
                continue;
            }
            weigh_individual(m, s.links, s.terms, b, s.x, s.logw);
            apply_config(m, s.x, draw_config(s.logw, 1 << s.x.h, rng.uniform()));
        }
    }
    return start;
}

}  // namespace vsk
