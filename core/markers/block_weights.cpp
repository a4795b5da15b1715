// Configuration weights of the block phase samplers: the walks of an
// individual's SI chains and its offspring's next to a block, its
// founder-allele terms and the bits its parents force.
#include "core/markers/block_terms.h"
#include "core/markers/byte_lanes.h"

namespace vsk::phase_block {

namespace {

// The nearest known SI before the block, searched from row `from` down.
void add_left_anchor(ChainWalk& w, const SiColumn& col, const PhaseBlock& b, int from)
{
    for (int row = from; row >= b.lower_row; --row) {
        const int si = col.at(row);
        if (si != kUnknown) {
            w.add(Node{row, -1, si, 0});
            return;
        }
    }
}

// The nearest known SI after the block, searched from row `from` up.
void add_right_anchor(ChainWalk& w, const SiColumn& col, const PhaseBlock& b, int from)
{
    for (int row = from; row <= b.upper_row; ++row) {
        const int si = col.at(row);
        if (si != kUnknown) {
            w.add(Node{row, -1, si, 0});
            return;
        }
    }
}

// i's own chain on `side` (SI from own_side_si). A joined QTL row
// (qtl_row >= 0) carries i's origin on the side as bit h + side. A chain
// without any moving SI adds the same to every configuration and is not
// walked.
void weigh_own_side(const PhaseModel& m, ChainWalk& w, const PhaseBlock& b, const BlockIndividual& x, int side,
                    int qtl_row)
{
    int v[kMaxBlockLoci][2];
    const bool moves = own_side_si(m, x, side, v) || qtl_row >= 0;
    if (!moves) return;
    const SiColumn col = si_column(m, side, x.i);
    add_left_anchor(w, col, b, b.first_row - 1);
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
    add_right_anchor(w, col, b, b.last_row + 1);
}

// The rows of the block where a chain inherited from i can hold a known SI
// (QTL rows, and marker rows where i is heterozygous), in row order, with
// i's het index there (-1: a row whose SI no configuration moves).
struct ParentBlockRows {
    static constexpr int kCapacity = 32;
    int n = 0;
    int row[kCapacity];
    int het[kCapacity];
    int from[2];  // where the anchors' searches start (parent_rows_around)

    // False when the block has more such rows than the capacity.
    bool set(const PhaseModel& m, const PhaseBlock& b, const BlockIndividual& x)
    {
        n = 0;
        for (int r = b.first_row; r <= b.last_row; ++r) {
            const int* kind = m.par->lcs_rows[r];
            const bool marker = kind[0] == kMarkerRow;
            if (marker && m.ph->heterozygous[kind[1]][x.i - 1] != 1) continue;
            if (n == kCapacity) return false;
            row[n] = r;
            het[n] = marker ? x.het_at[kind[1] - b.first] : -1;
            ++n;
        }
        int before[2], after[2];
        parent_rows_around(m, b, x.i, b.first_row, before);
        parent_rows_around(m, b, x.i, b.last_row, after);
        from[0] = before[0];
        from[1] = after[1];
        return true;
    }
};

// Node of offspring o's chain at `row`: i's het index j there and the
// allele a o carries from i; j = -1 where no configuration moves the SI,
// which the table holds.
[[gnu::always_inline]] inline void add_offspring_node(ChainWalk& w, const SiColumn& col, const BlockIndividual& x,
                                                      int row, int j, int a)
{
    if (j < 0) {
        const int si = col.at(row);
        if (si != kUnknown) w.add(Node{row, -1, si, 0});
        return;
    }
    if (a != x.lo[j] && a != x.hi[j]) return;
    const int base = a == x.lo[j] ? 0 : 1;
    if (x.forced[j] >= 0) w.add(Node{row, -1, base ^ x.forced[j], 0});
    else w.add(Node{row, j, base, 1});
}

// Chain of offspring o on `side` (inherited from i): at i's het loci o's SI
// is 0 when o carries the allele i has on side 0, which is lo for bit 0.
// Not walked when o carries neither allele at any free one. With `rows`,
// only the rows where the rule can leave o's SI known are read; without,
// every row of the block.
void weigh_offspring_side(const PhaseModel& m, ChainWalk& w, const PhaseBlock& b, const BlockIndividual& x, int o,
                          int side, const ParentBlockRows* rows)
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
    if (rows == nullptr) {
        add_left_anchor(w, col, b, b.first_row - 1);
        for (int row = b.first_row; row <= b.last_row; ++row) {
            const int j = het_in_row(m, b, x, row);
            add_offspring_node(w, col, x, row, j, j < 0 ? 0 : alleles[x.het[j]][o - 1]);
        }
        add_right_anchor(w, col, b, b.last_row + 1);
        return;
    }
    add_left_anchor(w, col, b, rows->from[0]);
    for (int e = 0; e < rows->n; ++e) {
        const int j = rows->het[e];
        add_offspring_node(w, col, x, rows->row[e], j, j < 0 ? 0 : alleles[x.het[j]][o - 1]);
    }
    add_right_anchor(w, col, b, rows->from[1]);
}

// The offspring chains that follow the usual path: a known SI at both of
// i's anchor rows (those present), nodes at rows of the block's
// ParentBlockRows (each a het locus of i where the child carries one of i's
// alleles; a child with a missing genotype there has no node), and the
// plain matrix. Their terms differ only by which nodes they have and
// whether consecutive ones agree, so the children are counted per pair of
// consecutive nodes and agreement, and each pair's link is added once.
class PathCounts {
public:
    // False when a row of the block is not one of i's het loci with a phase
    // (a QTL row, a deleted phase): every chain is then walked.
    bool start(const ParentBlockRows& rows, const PhaseBlock& b)
    {
        if (rows.n + 2 > kNodes) return false;
        for (int e = 0; e < rows.n; ++e)
            if (rows.het[e] < 0) return false;
        left_ = rows.from[0] >= b.lower_row;
        right_ = rows.from[1] <= b.upper_row;
        nodes_ = rows.n + left_ + right_;
        for (int l = 0; l < nodes_; ++l)
            for (int u = l + 1; u < nodes_; ++u) count_[l][u][0] = count_[l][u][1] = 0;
        return true;
    }

    // Counts the chains of a run of children on `side` (children c + 1 ..
    // c + length) that follow the path, eight at a time; calls walk(o) for
    // each other weighed child, in order.
    template <class Walk>
    void count_run(const PhaseModel& m, const BlockIndividual& x, const ParentBlockRows& rows, int side, int c,
                   int length, Walk&& walk)
    {
        using namespace byte_lanes;
        const PhaseFamilies& f = m.ph->families;
        const Table<signed char>& alleles = side == 0 ? m.ph->pat_allele : m.ph->mat_allele;
        const si_t* col = m.gpo[side]->data() + c;
        const std::size_t stride = static_cast<std::size_t>(m.gpo[side]->cols());
        const si_t* before = left_ ? col + static_cast<std::size_t>(rows.from[0]) * stride : nullptr;
        const si_t* after = right_ ? col + static_cast<std::size_t>(rows.from[1]) * stride : nullptr;
        for (int t = 0; t < length; t += kLanes) {
            const int n = std::min(kLanes, length - t);
            const std::uint64_t weighed = low_bit(load(f.weighed[side].data() + c + t, n));
            std::uint64_t path = weighed & ~low_bit(load(f.selfing.data() + c + t, n));
            // Per node, the lanes that have it and their SI there: under bit 0
            // at a free locus, under the forced bit otherwise.
            std::uint64_t has[kNodes], value[kNodes];
            int v = 0;
            if (left_) {
                const std::uint64_t s = load(before + t, n);
                path &= ~equal(s, kUnknown);
                has[v] = kHigh;
                value[v++] = low_bit(s);
            }
            for (int e = 0; e < rows.n; ++e) {
                const int j = rows.het[e];
                const std::uint64_t a = load(alleles[x.het[j]] + c + t, n), carries_hi = equal(a, x.hi[j]);
                has[v] = equal(a, x.lo[j]) | carries_hi;
                value[v++] = x.forced[j] > 0 ? carries_hi ^ kHigh : carries_hi;
            }
            if (right_) {
                const std::uint64_t s = load(after + t, n);
                path &= ~equal(s, kUnknown);
                has[v] = kHigh;
                value[v++] = low_bit(s);
            }
            count_pairs(has, value, v, path);
            for (std::uint64_t rest = weighed & ~path; rest != 0; rest &= rest - 1) walk(c + t + first(rest) + 1);
        }
    }

    // The counted terms: per pair of consecutive nodes with a moving end,
    // its agreement count times its link.
    void add(ConfigTerms& terms, LinkCache& links, const ParentBlockRows& rows, const BlockIndividual& x) const
    {
        Node node[kNodes];
        int n = 0;
        if (left_) node[n++] = Node{rows.from[0], -1, 0, 0};
        for (int e = 0; e < rows.n; ++e) {
            const int j = rows.het[e];
            node[n++] = x.forced[j] < 0 ? Node{rows.row[e], j, 0, 1} : Node{rows.row[e], -1, 0, 0};
        }
        if (right_) node[n++] = Node{rows.from[1], -1, 0, 0};
        for (int u = 1; u < n; ++u)
            for (int l = u - 1; l >= 0; --l) {
                if (!node[l].moves() && !node[u].moves()) continue;
                if (count_[l][u][0] == 0 && count_[l][u][1] == 0) continue;
                const double keep = links.get(node[l].row, node[u].row, 0);
                for (int t = 0; t < 2; ++t) {
                    if (count_[l][u][t] == 0) continue;
                    Node a = node[l];
                    a.base = t;
                    terms.link(a, node[u], count_[l][u][t] * keep);
                }
            }
    }

private:
    static constexpr int kNodes = ParentBlockRows::kCapacity + 2;

    // Counts, in the lanes of `path`, each pair of nodes l < u that a lane
    // has with none between them, by whether the two SI differ.
    void count_pairs(const std::uint64_t* has, const std::uint64_t* value, int v, std::uint64_t path)
    {
        using namespace byte_lanes;
        for (int u = 1; u < v; ++u) {
            std::uint64_t between = 0;  // lanes with a node after l and before u
            for (int l = u - 1; l >= 0 && (path & has[u] & ~between) != 0; --l) {
                const std::uint64_t pair = path & has[l] & has[u] & ~between;
                between |= has[l];
                if (pair == 0) continue;
                const int differ = count(pair & (value[l] ^ value[u]));
                count_[l][u][1] += differ;
                count_[l][u][0] += count(pair) - differ;
            }
        }
    }

    bool left_ = false, right_ = false;
    int nodes_ = 0;
    int count_[kNodes][kNodes][2];
};

void weigh_own_alleles(ConfigTerms& terms, const BlockIndividual& x)
{
    for (int j = 0; j < x.h; ++j) {
        terms.add_single(j, 0, x.allele[j][0]);
        terms.add_single(j, 1, x.allele[j][1]);
    }
}

}  // namespace

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
        // A side without a scored parent takes the founder-allele frequency.
        // Without a scored parent on either side both orders take the same
        // two frequencies: the terms are left out, as a constant.
        double term[2] = {0.0, 0.0};
        const bool founder_like = unscored_parent(pat, parent[0]) && unscored_parent(pat, parent[1]);
        for (int side = 0; side < 2 && !founder_like; ++side) {
            const int p = parent[side];
            if (!unscored_parent(pat, p)) continue;
            term[0] += founder_allele_logfreq((*m.loci)[k], side == 0 ? lo : hi);
            term[1] += founder_allele_logfreq((*m.loci)[k], side == 0 ? hi : lo);
        }
        const bool bad0 = order_contradicts(pat, mat, parent, lo, hi);
        const bool bad1 = order_contradicts(pat, mat, parent, hi, lo);
        // As forced_bit: contradicted in both orders, the genotype is left
        // to the chains alone.
        if (bad0 && bad1) term[0] = term[1] = 0.0;
        const bool forced = bad0 != bad1;
        x.allele[j][0] = forced && bad0 ? kMinusInf : term[0];
        x.allele[j][1] = forced && bad1 ? kMinusInf : term[1];
        x.forced[j] = forced ? static_cast<int>(bad0) : -1;
        x.free_bits += !forced;
    }
}

void weigh_individual(const PhaseModel& m, LinkCache& links, ConfigTerms& terms, const PhaseBlock& b,
                      const BlockIndividual& x, double* logw, int qtl_row)
{
    terms.reset(qtl_row >= 0 ? x.h + 2 : x.h);
    const PhaseFamilies& f = m.ph->families;
    for (int side = 0; side < 2; ++side) {
        if (!f.weighed[side][x.i - 1]) continue;
        ChainWalk w{terms, links, f.selfing[x.i - 1]};
        weigh_own_side(m, w, b, x, side, qtl_row);
    }
    const int first = f.first_child[x.i - 1], last = f.first_child[x.i];
    ParentBlockRows rows;
    const ParentBlockRows* known_rows = first < last && rows.set(m, b, x) ? &rows : nullptr;
    PathCounts counts;
    const bool by_path = known_rows != nullptr && counts.start(rows, b);
    const auto walk = [&](int c, int side) {
        ChainWalk w{terms, links, f.selfing[c - 1]};
        weigh_offspring_side(m, w, b, x, c, side, known_rows);
    };
    if (by_path) {
        for (int r = f.first_run[x.i - 1]; r < f.first_run[x.i]; ++r) {
            const int side = f.run_side[r];
            counts.count_run(m, x, rows, side, f.run_child[r] - 1, f.run_length[r], [&](int c) { walk(c, side); });
        }
        counts.add(terms, links, rows, x);
    } else {
        for (int at = first; at < last; ++at)
            if (f.weighed[f.child_side[at]][f.child[at] - 1]) walk(f.child[at], f.child_side[at]);
    }
    weigh_own_alleles(terms, x);
    terms.expand(logw);
}

}  // namespace vsk::phase_block
