// Terms of the configuration weights of the block phase samplers: the
// log-odds cache, the chain nodes, the per-bit and per-pair terms, the
// individual being resampled and the walks of its SI chains and its
// offspring's (block_weights.cpp), and the weights of an individual with
// one free phase bit (block_one_bit.cpp).
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "core/markers/block_sampler.h"

namespace vsk::phase_block {

inline constexpr double kMinusInf = -std::numeric_limits<double>::infinity();

// Phase bits of a block plus the two origin bits of a joined QTL row.
inline constexpr int kMaxBits = kMaxConfigBits;

inline double link_of(double r)
{
    r = std::max(1e-6, r);
    return std::log(1.0 - r) - std::log(r);
}

// Log-odds of no change, log(1 - r) - log(r), between two rows, each pair
// of rows up to kBand apart computed on its first use after start() (a
// stamp per entry marks the start it was computed for) and farther pairs
// computed at each use. The recombination rates stay put within a pass, so
// a pass starts once; a single weighing starts at every call.
class LinkCache {
public:
    static constexpr int kBand = 16;

    // Sizes the entries for every row the run can have (markers and all
    // QTL slots, so a QTL that joins the order allocates nothing) and makes
    // every earlier entry stale.
    void start(const Par& p)
    {
        par_ = &p;
        rows_ = std::clamp(p.n_lcs_rows, 0, p.lcs_rows.rows());
        const std::size_t size = 2 * static_cast<std::size_t>(p.lcs_rows.rows()) * kBand;
        if (entry_.size() < size) entry_.resize(size);
        capacity_ = p.lcs_rows.rows();
        if (++stamp_ == 0) {
            for (Entry& e : entry_) e.stamp = 0;
            stamp_ = 1;
        }
    }
    // Rows a < b.
    [[gnu::always_inline]] double get(int a, int b, int selfing)
    {
        const unsigned d = static_cast<unsigned>(b - a - 1);
        if (d >= kBand || b >= rows_) return compute(a, b, selfing);
        Entry& e = entry_[(static_cast<std::size_t>(selfing) * capacity_ + a) * kBand + d];
        if (e.stamp != stamp_) {
            e.stamp = stamp_;
            e.value = compute(a, b, selfing);
        }
        return e.value;
    }

private:
    // Out of line: the callers' loops stay small.
    [[gnu::noinline, gnu::cold]] double compute(int a, int b, int selfing) const
    {
        return link_of(row_recombination(*par_, a, b, selfing));
    }
    struct Entry {
        double value;
        unsigned stamp;
    };
    const Par* par_ = nullptr;
    int rows_ = 0, capacity_ = 0;
    unsigned stamp_ = 0;
    std::vector<Entry> entry_;
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

inline SiColumn si_column(const PhaseModel& m, int side, int j)
{
    return SiColumn{m.gpo[side]->data() + (j - 1), static_cast<std::size_t>(m.gpo[side]->cols())};
}

// Het index of the locus in `row` (-1: QTL row or homozygous locus).
inline int het_in_row(const PhaseModel& m, const PhaseBlock& b, const BlockIndividual& x, int row)
{
    const int* r = m.par->lcs_rows[row];
    return r[0] == kMarkerRow ? x.het_at[r[1] - b.first] : -1;
}

// The nearest rows before and after `row` (within the block's search bounds)
// where a chain inherited from parent p can hold a known SI: QTL rows, and
// marker rows where p is heterozygous. The rule leaves a marker SI unknown
// where the parent is homozygous or unscored, so the walks of all p's
// offspring chains can start there.
inline void parent_rows_around(const PhaseModel& m, const PhaseBlock& b, int p, int row, int* from)
{
    const auto may_know = [&](int r) {
        const int* kind = m.par->lcs_rows[r];
        return kind[0] != kMarkerRow || m.ph->heterozygous[kind[1]][p - 1] == 1;
    };
    from[0] = row - 1;
    while (from[0] >= b.lower_row && !may_know(from[0])) --from[0];
    from[1] = row + 1;
    while (from[1] <= b.upper_row && !may_know(from[1])) ++from[1];
}

// SI by the rule (si_from_parent), 9 also for an allele the parent cannot
// have given; inline here, as it runs for every chain node.
inline int rule_si(int allele, int pp, int pm)
{
    if (allele == kMissingAllele || pp == kMissingAllele || pp == pm) return kUnknown;
    return allele == pp ? 0 : allele == pm ? 1 : kUnknown;
}

// SI of i's own chain on `side` at each het locus of the block, under
// phase bit 0 and 1 (v[j][bit]): the allele on the side is lo for bit 0 on
// side 0 (hi on side 1), and its SI follows from the parent. A forced bit
// gives its value under both. Returns true when some SI moves with a bit.
inline bool own_side_si(const PhaseModel& m, const BlockIndividual& x, int side, int (*v)[2])
{
    const int p = m.ph->families.parent[side][x.i - 1];
    bool moves = false;
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
    return moves;
}

// The configuration of the forced bits (the only one of finite weight when
// every bit is forced); free bits at 0.
inline int forced_config(const BlockIndividual& x)
{
    int config = 0;
    for (int j = 0, bit = 1; j < x.h && j < kMaxBlockLoci; ++j, bit <<= 1)
        if (x.forced[j] > 0) config |= bit;
    return config;
}

// Whether parent p (0 for none) has no scored genotype in the locus' row
// `pat`: the side then takes the founder-allele frequency.
inline bool unscored_parent(const signed char* pat, int p) { return p == 0 || pat[p - 1] == kMissingAllele; }

// Whether putting allele `first` on side 0 and `second` on side 1 of a het
// locus contradicts a parent: a scored allele the parent does not carry
// (si_from_parent). pat/mat are the locus' rows, parent[side] 0 for none.
inline bool order_contradicts(const signed char* pat, const signed char* mat, const int* parent, int first, int second)
{
    bool bad = false;
    for (int side = 0; side < 2; ++side) {
        const int p = parent[side];
        if (p == 0 || pat[p - 1] == kMissingAllele) continue;
        const int a = side == 0 ? first : second;
        bad |= (a != pat[p - 1]) & (a != mat[p - 1]);
    }
    return bad;
}

// The phase bit a parent forces at a het locus with alleles lo < hi (the
// other order contradicts it), -1 when free. An order contradicting in both
// orders is left to the chains alone (the marker check reports such
// genotypes), so that bit is free.
inline int forced_bit(const signed char* pat, const signed char* mat, const int* parent, int lo, int hi)
{
    const bool bad0 = order_contradicts(pat, mat, parent, lo, hi);
    const bool bad1 = order_contradicts(pat, mat, parent, hi, lo);
    return bad0 == bad1 ? -1 : static_cast<int>(bad0);
}

// Founder-allele terms per phase bit and the bits a parent forces
// (x.allele, x.forced, x.free_bits).
void set_allele_terms(const PhaseModel& m, BlockIndividual& x);

// Log-weights of the 2^h configurations of x's phase bits (with the two
// origin bits of a joined QTL row when qtl_row >= 0).
void weigh_individual(const PhaseModel& m, LinkCache& links, ConfigTerms& terms, const PhaseBlock& b,
                      const BlockIndividual& x, double* logw, int qtl_row = -1);

// Log-odds of phase bit 1 against bit 0 for x with one het locus (h = 1)
// whose bit no parent forces: x's other het loci in the block are forced and
// hold their values, which the chains read from the SI table. Drawn with
// draw_bit, the same draw as draw_config over the block's full weights.
double free_locus_odds(const PhaseModel& m, LinkCache& links, const PhaseBlock& b, const BlockIndividual& x);

// Bit drawn with uniform u for log-odds `odds` of bit 1 against bit 0, as
// draw_config over the two weights.
int draw_bit(double odds, double u);

}  // namespace vsk::phase_block
