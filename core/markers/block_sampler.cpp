// Blocked Gibbs steps of marker phases over consecutive loci: the passes,
// the individuals they visit, the draws and how a drawn configuration is put
// in place. The weights come from block_weights.cpp and block_one_bit.cpp.
#include "core/markers/block_sampler.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "core/markers/block_terms.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {

using namespace phase_block;

JointQtlBlockSampler joint_qtl_sampler = nullptr;

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
    f.first_run.resize(static_cast<std::size_t>(n) + 1);
    f.run_child.resize(links);
    f.run_length.resize(links);
    f.run_side.resize(links);
}

// Splits each individual's child list into runs of consecutive individuals
// on the same side.
void set_child_runs(PhaseFamilies& f)
{
    int runs = 0;
    for (int i = 1; i <= f.n; ++i) {
        f.first_run[i - 1] = runs;
        for (int at = f.first_child[i - 1]; at < f.first_child[i]; ++at) {
            const bool extends = at > f.first_child[i - 1] && f.child_side[at] == f.child_side[at - 1] &&
                                 f.child[at] == f.child[at - 1] + 1;
            if (extends) {
                ++f.run_length[runs - 1];
                continue;
            }
            f.run_child[runs] = f.child[at];
            f.run_length[runs] = 1;
            f.run_side[runs] = f.child_side[at];
            ++runs;
        }
    }
    f.first_run[f.n] = runs;
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
    set_child_runs(f);
}

namespace {

// The two orders of i's genotype at het locus k: allele on side `side` for
// phase bit x.
int allele_for(const MarkerPhases& ph, int k, int i, int side, int x)
{
    const int a = ph.pat_allele[k][i - 1], b = ph.mat_allele[k][i - 1];
    const int lo = std::min(a, b), hi = std::max(a, b);
    return (side == 0) == (x == 1) ? hi : lo;
}

// The families, built on first use by the single-individual entries (a pass
// refreshes them).
const PhaseFamilies& families_of(const PhaseModel& m)
{
    if (m.ph->families.n != m.n_ind()) refresh_phase_families(m);
    return m.ph->families;
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

// Working space of one pass.
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
    // A configuration whose weight all others together fall short of by a
    // factor e^6 (each at least 6 + ln n below it) holds over 99.75 % of the
    // total, so a u at least 0.01 from either end of the unit interval falls
    // in its share, as the scan below would find: no exponentials.
    if (u >= 0.01 && u <= 0.99) {
        const double gap = 6.0 + 0.7 * std::bit_width(static_cast<unsigned>(n));  // 0.7 log2 n >= ln n
        int best = -1;
        bool alone = true;
        for (int c = 0; c < n; ++c) {
            if (logw[c] == top && best < 0) best = c;
            else alone &= logw[c] <= top - gap;
        }
        if (alone) return best;
    }
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
    s.links.start(*m.par);
    set_individual(m, b, i, het, h, s.x);
    weigh_individual(m, s.links, s.terms, b, s.x, logw);
}

void marker_qtl_block_weights(const PhaseModel& m, int i, const PhaseBlock& b, const int* het, int h, int qtl_row,
                              double* logw)
{
    WeighSpace& s = shared_weigh_space();
    families_of(m);
    s.links.start(*m.par);
    set_individual(m, b, i, het, h, s.x);
    weigh_individual(m, s.links, s.terms, b, s.x, logw, qtl_row);
}

bool run_joint_qtl_block_sampler(const PhaseModel& m, const PhaseBlock& b, Rng& rng)
{
    return joint_qtl_sampler != nullptr && joint_qtl_sampler(m, b, rng);
}

namespace {

// Bits of the individuals the pass visits (eligible, founders or not).
void mark_visited(const PhaseModel& m, bool founders)
{
    std::vector<std::uint64_t>& visit = m.ph->masks.visit;
    std::fill(visit.begin(), visit.end(), 0);
    for (int i = 1; i <= m.n_ind(); ++i)
        if (eligible(m, i, founders)) visit[(i - 1) / 64] |= std::uint64_t{1} << ((i - 1) % 64);
}

// Draws i's phase at locus k, its one free bit in the block. Its forced bits
// hold their values (refresh_phase_masks) and the chains read them from the
// SI table, so only locus k enters: the same draw as over the whole block.
void sample_free_locus(const PhaseModel& m, const PhaseBlock& b, int i, int k, PassSpace& s, Rng& rng)
{
    BlockIndividual& x = s.x;
    const int a = m.ph->pat_allele[k][i - 1], c = m.ph->mat_allele[k][i - 1];
    x.i = i;
    x.h = 1;
    x.het[0] = k;
    x.lo[0] = std::min(a, c);
    x.hi[0] = std::max(a, c);
    apply_config(m, x, draw_bit(free_locus_odds(m, s.links, b, x), rng.uniform()));
}

// Draws i's phases in the block from their full conditional; the pass
// calls it for two or more free bits (a single one goes straight to
// sample_free_locus), and it handles any count.
void sample_individual(const PhaseModel& m, const PhaseBlock& b, int i, PassSpace& s, Rng& rng)
{
    if (gather_individual(m, b, i, s.x) == 0) return;
    if (s.x.free_bits == 0) {
        // The one configuration of finite weight: no draw.
        apply_config(m, s.x, forced_config(s.x));
        return;
    }
    if (s.x.free_bits == 1) {
        apply_config(m, s.x, forced_config(s.x));
        int k = s.x.het[0];
        for (int j = 0; j < s.x.h && j < kMaxBlockLoci; ++j)
            if (s.x.forced[j] < 0) k = s.x.het[j];
        sample_free_locus(m, b, i, k, s, rng);
        return;
    }
    weigh_individual(m, s.links, s.terms, b, s.x, s.logw);
    apply_config(m, s.x, draw_config(s.logw, 1 << s.x.h, rng.uniform()));
}

// Every visited individual with a free phase bit in the block, in order.
// One whose phase bits there are all forced holds the only configuration of
// finite weight already (refresh_phase_masks), and is not drawn; one with a
// single free bit is drawn at that locus alone.
void sample_block(const PhaseModel& m, const PhaseBlock& b, PassSpace& s, Rng& rng)
{
    const PhaseMasks& masks = m.ph->masks;
    for (int w = 0; w < masks.words; ++w) {
        std::uint64_t free = 0, several = 0;
        for (int k = b.first; k <= b.last; ++k) {
            several |= free & masks.free[k][w];
            free |= masks.free[k][w];
        }
        for (std::uint64_t visit = free & masks.visit[w]; visit != 0; visit &= visit - 1) {
            const int bit = std::countr_zero(visit), i = 64 * w + bit + 1;
            if (several >> bit & 1) {
                sample_individual(m, b, i, s, rng);
                continue;
            }
            // Which locus is free is a coin flip: picked without a branch.
            int k = b.first;
            for (int l = b.first + 1; l <= b.last; ++l) k = (masks.free[l][w] >> bit & 1) ? l : k;
            sample_free_locus(m, b, i, k, s, rng);
        }
    }
}

}  // namespace

int sample_phase_blocks(const PhaseModel& m, Rng& rng, int size, bool founders)
{
    const int n_loci = m.n_loci();
    if (n_loci < 1) return 0;  // nothing to phase, and no draw is made
    size = std::clamp(size, 1, std::min(n_loci, kMaxBlockLoci));
    int start = static_cast<int>(rng.uniform() * size + 0.5);
    if (start == size) start = 0;
    refresh_phase_families(m);
    refresh_phase_masks(m);
    mark_visited(m, founders);
    // The run's pass space: its link entries keep their storage, and serve
    // the whole pass.
    PassSpace& s = run_workspace().part<PassSpace>();
    s.links.start(*m.par);
    const bool joint = founders && joint_qtl_sampler != nullptr && m.par->indicQTL == 1;
    for (int first = start; first + size <= n_loci; first += size) {
        const PhaseBlock b = make_phase_block(m, first, first + size - 1);
        if (joint && block_holds_qtl_row(m, b) && joint_qtl_sampler(m, b, rng)) continue;
        sample_block(m, b, s, rng);
    }
    return start;
}

}  // namespace vsk
