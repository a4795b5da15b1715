// Locus order: row table, recombination matrices and the row moves of the
// segregation-indicator tables.
#include "core/markers/phases_rows.h"

#include <algorithm>
#include <cmath>

namespace vsk {

double haldane_between(double pos_a, double pos_b)
{
    const double d = std::fabs(pos_a - pos_b);
    if (d <= 1e-8) return 1e-8;
    return 0.5 * (1.0 - std::exp(-2.0 * d));
}

namespace {

void set_pair(Par& p, int u, int v, double r)
{
    const double selfed = 2.0 * r / (1.0 + 2.0 * r);
    p.rfmat[0][u][v] = p.rfmat[0][v][u] = r;
    p.rfmat[1][u][v] = p.rfmat[1][v][u] = selfed;
}

// Active slots sorted by position (stable exchange sort), free slots last.
int sort_active_slots(Par& p, const std::vector<Gene>& genes, const std::vector<Chr>& groups)
{
    const int slots = static_cast<int>(genes.size());
    p.qtl_sorted.resize(slots);
    p.qtl_rank.resize(slots);
    int active = 0;
    for (int q = 0; q < slots; ++q)
        if (qtl_slot_active(genes[q], groups)) p.qtl_sorted[active++] = q;
    int free_at = active;
    for (int q = 0; q < slots; ++q)
        if (!qtl_slot_active(genes[q], groups)) p.qtl_sorted[free_at++] = q;
    for (int a = 1; a < active; ++a)
        for (int b = a; b > 0 && genes[p.qtl_sorted[b]].pos < genes[p.qtl_sorted[b - 1]].pos; --b)
            std::swap(p.qtl_sorted[b], p.qtl_sorted[b - 1]);
    for (int r = 0; r < slots; ++r) p.qtl_rank[p.qtl_sorted[r]] = r;
    return active;
}

// Copies old rows [lo, hi] of a table into the scratch buffer.
void save_rows(const SiTable& t, int lo, int hi, std::vector<signed char>& scratch)
{
    const int n = t.cols();
    scratch.resize(static_cast<std::size_t>(hi - lo + 1) * n);
    for (int r = lo; r <= hi; ++r) {
        const si_t* src = t[r];
        signed char* dst = scratch.data() + static_cast<std::size_t>(r - lo) * n;
        for (int c = 0; c < n; ++c) dst[c] = static_cast<signed char>(src[c]);
    }
}

// Moves the rows of one table: new row r takes old row src[r] (or 9).
void move_rows(SiTable& t, const std::vector<int>& src, int lo, int hi, std::vector<signed char>& scratch)
{
    if (t.empty()) return;
    save_rows(t, lo, hi, scratch);
    const int n = t.cols();
    for (int r = lo; r <= hi; ++r) {
        si_t* dst = t[r];
        if (src[r] < 0) {
            std::fill(dst, dst + n, static_cast<si_t>(kUnknown));
            continue;
        }
        const signed char* from = scratch.data() + static_cast<std::size_t>(src[r] - lo) * n;
        for (int c = 0; c < n; ++c) dst[c] = static_cast<si_t>(from[c]);
    }
}

}  // namespace

bool qtl_slot_active(const Gene& g, const std::vector<Chr>& groups)
{
    if (g.status != 1 && g.status != 2) return false;
    return g.chrom >= 0 && g.chrom < static_cast<int>(groups.size()) && groups[g.chrom].indiC;
}

void build_marker_recombination(Par& p, const std::vector<Mrkrlcs>& loci)
{
    const int m = p.n_markers;
    for (int u = 0; u < m; ++u) {
        set_pair(p, u, u, 1e-8);
        for (int v = u + 1; v < m; ++v) set_pair(p, u, v, haldane_between(loci[u].position, loci[v].position));
    }
}

void refresh_qtl_recombination(Par& p, const std::vector<Gene>& genes, int slot, const std::vector<Mrkrlcs>& loci)
{
    const int m = p.n_markers;
    const int u = m + slot;
    const double pos = genes[slot].pos;
    for (int k = 0; k < m; ++k) set_pair(p, u, k, haldane_between(pos, loci[k].position));
    for (int q = 0; q < static_cast<int>(genes.size()); ++q)
        set_pair(p, u, m + q, q == slot ? 1e-8 : haldane_between(pos, genes[q].pos));
}

bool rebuild_locus_order(Par& p, std::vector<Mrkrlcs2>& loci2, const std::vector<Mrkrlcs>& loci,
                         const std::vector<Gene>& genes, const std::vector<Chr>& groups, MarkerPhases& ph,
                         SiTable& gpo0, SiTable& gpo1)
{
    const int m = p.n_markers;
    const int active = sort_active_slots(p, genes, groups);
    ph.qtl_row.resize(genes.size(), -1);
    // from[new row] = old row of the same locus (-1: a slot new to the
    // order); the row table itself is rewritten in the same merge.
    const int rows = m + active;
    int lo = rows, hi = -1;
    int next_q = 0, row = 0;
    std::vector<int>& from = ph.row_from;
    from.assign(static_cast<std::size_t>(std::max(rows, p.n_lcs_rows)), -1);
    auto place = [&](int kind, int index, int old_row) {
        p.lcs_rows[row][0] = kind;
        p.lcs_rows[row][1] = index;
        from[row] = old_row;
        if (old_row != row) {
            lo = std::min({lo, row, old_row < 0 ? row : old_row});
            hi = std::max({hi, row, old_row});
        }
        ++row;
    };
    for (int k = 0; k < m; ++k) {
        while (next_q < active && genes[p.qtl_sorted[next_q]].pos < loci[k].position) {
            const int q = p.qtl_sorted[next_q++];
            const int old_row = ph.qtl_row[q];
            ph.qtl_row[q] = row;
            place(kQtlRow, q, old_row);
        }
        const int old_row = loci2[k].index;
        loci2[k].index = row;
        place(kMarkerRow, k, old_row);
    }
    while (next_q < active) {
        const int q = p.qtl_sorted[next_q++];
        const int old_row = ph.qtl_row[q];
        ph.qtl_row[q] = row;
        place(kQtlRow, q, old_row);
    }
    for (int r = active; r < static_cast<int>(genes.size()); ++r) ph.qtl_row[p.qtl_sorted[r]] = -1;
    const int old_rows = p.n_lcs_rows;
    p.n_lcs_rows = rows;
    for (int r = rows; r < p.lcs_rows.rows(); ++r) p.lcs_rows[r][0] = p.lcs_rows[r][1] = -1;
    if (old_rows > rows) hi = std::max(hi, old_rows - 1);
    if (hi < 0) return false;
    hi = std::min(hi, gpo0.rows() - 1);
    move_rows(gpo0, from, lo, hi, ph.row_scratch);
    move_rows(gpo1, from, lo, hi, ph.row_scratch);
    return true;
}

void refresh_rows(Par& p, std::vector<Mrkrlcs2>& loci2, const std::vector<Mrkrlcs>& loci,
                  const std::vector<Gene>& genes, const std::vector<Chr>& groups, MarkerPhases& ph,
                  SiTable& gpo0, SiTable& gpo1)
{
    const int slots = static_cast<int>(genes.size());
    ph.rf_pos.resize(slots, -1.0);
    ph.qtl_row.resize(slots, -1);
    bool order_changed = false;
    int n_active = 0;
    for (int q = 0; q < slots; ++q) {
        const bool active = qtl_slot_active(genes[q], groups);
        n_active += active;
        if (active != (ph.qtl_row[q] >= 0)) order_changed = true;
        if (active && genes[q].pos != ph.rf_pos[q]) {
            refresh_qtl_recombination(p, genes, q, loci);
            ph.rf_pos[q] = genes[q].pos;
            order_changed = true;
        }
    }
    if (order_changed || p.n_lcs_rows != p.n_markers + n_active)
        rebuild_locus_order(p, loci2, loci, genes, groups, ph, gpo0, gpo1);
}

int group_first_row(const std::vector<Chr>& groups, const std::vector<Mrkrlcs>& loci,
                    const std::vector<Mrkrlcs2>& loci2, int k)
{
    return loci2[groups[loci[k].chrom].fMrkr].index;
}

int group_last_row(const std::vector<Chr>& groups, const std::vector<Mrkrlcs>& loci,
                   const std::vector<Mrkrlcs2>& loci2, int k)
{
    return loci2[groups[loci[k].chrom].lMrkr].index;
}

}  // namespace vsk
