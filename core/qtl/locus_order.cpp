// Locus order: markers and active QTL as one list of rows sorted by map
// coordinate, the recombination fractions between rows, and the interval of
// a QTL position. Segregation-indicator rows travel with their loci when the
// order changes, so a marker's row always holds that marker's indicators.
#include <algorithm>
#include <cmath>

#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr int kMarkerRow = 1;
constexpr int kQtlRow = 0;
constexpr double kMinRf = 1e-8;
constexpr double kFarApart = 1000.0;

// Slots in the model sorted by position (stable for equal positions).
void sort_active_slots(QtlModel& m, std::vector<int>& sorted)
{
    sorted.clear();
    for (int s = 0; s < m.p.maximQTL; ++s)
        if (m.gene[static_cast<std::size_t>(s)].status != 0) sorted.push_back(s);
    std::stable_sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        return m.gene[static_cast<std::size_t>(a)].pos < m.gene[static_cast<std::size_t>(b)].pos;
    });
    Par& p = m.p;
    if (static_cast<int>(p.qtl_sorted.size()) < p.maximQTL) p.qtl_sorted.assign(static_cast<std::size_t>(p.maximQTL), 0);
    if (static_cast<int>(p.qtl_rank.size()) < p.maximQTL) p.qtl_rank.assign(static_cast<std::size_t>(p.maximQTL), 0);
    std::fill(p.qtl_rank.begin(), p.qtl_rank.end(), 0);
    for (std::size_t r = 0; r < sorted.size(); ++r) {
        p.qtl_sorted[r] = sorted[r];
        p.qtl_rank[static_cast<std::size_t>(sorted[r])] = static_cast<int>(r);
    }
    int r = static_cast<int>(sorted.size());
    for (int s = 0; s < p.maximQTL; ++s)
        if (m.gene[static_cast<std::size_t>(s)].status == 0) p.qtl_sorted[static_cast<std::size_t>(r++)] = s;
}

// Old row of the locus (kind, index) before the rebuild, or -1.
struct OldRows {
    std::vector<int> marker, qtl;
};

void move_gpo_rows(QtlModel& m, const std::vector<int>& source, int rows)
{
    // Only the range whose source differs moves; copy it out first.
    int lo = rows, hi = -1;
    for (int r = 0; r < rows; ++r)
        if (source[static_cast<std::size_t>(r)] != r) {
            lo = std::min(lo, r);
            hi = std::max(hi, r);
            if (source[static_cast<std::size_t>(r)] >= 0) {
                lo = std::min(lo, source[static_cast<std::size_t>(r)]);
                hi = std::max(hi, source[static_cast<std::size_t>(r)]);
            }
        }
    if (hi < lo) return;
    const int n = m.p.n_individuals;
    std::vector<int>& buf = m.w.gpo_row_int;
    for (Table<int>* t : {&m.gpo0, &m.gpo1}) {
        if (t->rows() <= hi || t->cols() < n) continue;
        buf.resize(static_cast<std::size_t>(hi - lo + 1) * static_cast<std::size_t>(n));
        for (int r = lo; r <= hi; ++r) std::copy((*t)[r], (*t)[r] + n, buf.data() + static_cast<std::size_t>(r - lo) * n);
        for (int r = lo; r <= hi; ++r) {
            const int src = r < rows ? source[static_cast<std::size_t>(r)] : -1;
            if (src == r) continue;
            if (src < 0)
                std::fill((*t)[r], (*t)[r] + n, kUnknown);
            else
                std::copy(buf.data() + static_cast<std::size_t>(src - lo) * n,
                          buf.data() + static_cast<std::size_t>(src - lo + 1) * n, (*t)[r]);
        }
    }
}

void refresh_rf_rows(QtlModel& m, const std::vector<int>& changed)
{
    Par& p = m.p;
    const int rows = static_cast<int>(m.w.row_pos.size());
    if (p.rfmat[0].rows() < rows || p.rfmat[1].rows() < rows) return;
    for (int u : changed)
        for (int v = 0; v < rows; ++v) {
            const double r = haldane(m.w.row_pos[static_cast<std::size_t>(u)], m.w.row_pos[static_cast<std::size_t>(v)]);
            const double rs = 2.0 * r / (1.0 + 2.0 * r);
            p.rfmat[0][u][v] = p.rfmat[0][v][u] = r;
            p.rfmat[1][u][v] = p.rfmat[1][v][u] = rs;
        }
}

}  // namespace

int find_qtl_interval(QtlModel& m, int c, double pos)
{
    const Chr& ch = m.chr[static_cast<std::size_t>(c)];
    if (ch.fMrkr >= 0 && pos >= m.mrk[static_cast<std::size_t>(ch.fMrkr)].position)
        for (int k = ch.fMrkr + 1; k <= ch.lMrkr; ++k)
            if (m.mrk[static_cast<std::size_t>(k)].position > pos) return k;
    cprint("\nERROR in 'FindQtlInterval()");
    cprint("\nno assignment of QTL to marker interval");
    cprint("\nchromosome %d", c + 1);
    cprint("\nlocation %lf", pos);
    abort_voskara();
}

void recompute_rf(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    for (int k = 0; k < m.p.n_markers && k < static_cast<int>(m.mrk.size()); ++k)
        g.rfmrk[static_cast<std::size_t>(k)] = haldane(g.pos, m.mrk[static_cast<std::size_t>(k)].position);
    for (int q = 0; q < m.p.maximQTL; ++q) {
        Gene& h = m.gene[static_cast<std::size_t>(q)];
        const double r = (q == s || h.status == 0 || g.status == 0) ? 0.0 : haldane(g.pos, h.pos);
        g.rfqtl[static_cast<std::size_t>(q)] = r;
        if (h.rfqtl.size() > static_cast<std::size_t>(s)) h.rfqtl[static_cast<std::size_t>(s)] = r;
    }
}

// Sorts the active slots, merges them with the markers into rows, moves the
// segregation-indicator rows with their loci and refreshes the recombination
// fractions of every row whose locus changed.
void rebuild_locus_order(QtlModel& m)
{
    Par& p = m.p;
    QtlWork& w = m.w;
    std::vector<int> sorted;
    sort_active_slots(m, sorted);
    const int markers = std::min(p.n_markers, static_cast<int>(m.mrk.size()));
    const int rows = markers + static_cast<int>(sorted.size());
    std::vector<int> kind(static_cast<std::size_t>(rows)), index(static_cast<std::size_t>(rows));
    std::vector<double> pos(static_cast<std::size_t>(rows));
    int k = 0, q = 0;
    for (int r = 0; r < rows; ++r) {
        const bool take_marker =
            q >= static_cast<int>(sorted.size()) ||
            (k < markers && m.mrk[static_cast<std::size_t>(k)].position <= m.gene[static_cast<std::size_t>(sorted[static_cast<std::size_t>(q)])].pos);
        if (take_marker) {
            kind[static_cast<std::size_t>(r)] = kMarkerRow;
            index[static_cast<std::size_t>(r)] = k;
            pos[static_cast<std::size_t>(r)] = m.mrk[static_cast<std::size_t>(k++)].position;
        } else {
            const int s = sorted[static_cast<std::size_t>(q++)];
            kind[static_cast<std::size_t>(r)] = kQtlRow;
            index[static_cast<std::size_t>(r)] = s;
            pos[static_cast<std::size_t>(r)] = m.gene[static_cast<std::size_t>(s)].pos;
        }
    }
    // Where each new row's locus sat before.
    std::vector<int> old_marker(static_cast<std::size_t>(markers), -1), old_qtl(static_cast<std::size_t>(p.maximQTL), -1);
    for (std::size_t r = 0; r < w.row_kind.size(); ++r) {
        const int idx = w.row_index[r];
        if (w.row_kind[r] == kMarkerRow && idx < markers) old_marker[static_cast<std::size_t>(idx)] = static_cast<int>(r);
        if (w.row_kind[r] == kQtlRow && idx < p.maximQTL) old_qtl[static_cast<std::size_t>(idx)] = static_cast<int>(r);
    }
    const bool had_order = !w.row_kind.empty();
    std::vector<int> source(static_cast<std::size_t>(rows));
    std::vector<int> changed;
    for (int r = 0; r < rows; ++r) {
        const int idx = index[static_cast<std::size_t>(r)];
        const int src = kind[static_cast<std::size_t>(r)] == kMarkerRow ? (had_order ? old_marker[static_cast<std::size_t>(idx)] : r)
                                                                        : old_qtl[static_cast<std::size_t>(idx)];
        source[static_cast<std::size_t>(r)] = src;
        const bool same = r < static_cast<int>(w.row_pos.size()) && src == r && w.row_pos[static_cast<std::size_t>(r)] == pos[static_cast<std::size_t>(r)];
        if (!same) changed.push_back(r);
    }
    if (had_order) move_gpo_rows(m, source, rows);
    w.row_kind = std::move(kind);
    w.row_index = std::move(index);
    w.row_pos = std::move(pos);
    for (int s = 0; s < p.maximQTL; ++s) m.gene[static_cast<std::size_t>(s)].lcsrow = -1;
    w.marker_row.assign(static_cast<std::size_t>(markers), -1);
    for (int r = 0; r < rows; ++r) {
        if (w.row_kind[static_cast<std::size_t>(r)] == kMarkerRow) w.marker_row[static_cast<std::size_t>(w.row_index[static_cast<std::size_t>(r)])] = r;
        if (w.row_kind[static_cast<std::size_t>(r)] == kQtlRow) m.gene[static_cast<std::size_t>(w.row_index[static_cast<std::size_t>(r)])].lcsrow = r;
        if (r < p.lcs_rows.rows()) {
            p.lcs_rows[r][0] = w.row_kind[static_cast<std::size_t>(r)];
            p.lcs_rows[r][1] = w.row_index[static_cast<std::size_t>(r)];
        }
    }
    for (int r = rows; r < p.lcs_rows.rows(); ++r) p.lcs_rows[r][0] = p.lcs_rows[r][1] = -1;
    refresh_rf_rows(m, changed);
}

double min_distance(const QtlModel& m, int s, double pos)
{
    double d = kFarApart;
    for (int q = 0; q < m.p.maximQTL; ++q) {
        const Gene& h = m.gene[static_cast<std::size_t>(q)];
        if (q == s || h.status == 0) continue;
        d = std::min(d, std::fabs(pos - h.pos));
    }
    return d;
}

// Recombination fraction between two rows (selfing-adjusted on request).
double rf_rows(const QtlModel& m, int u, int v, bool selfed)
{
    double r = haldane(m.w.row_pos[static_cast<std::size_t>(u)], m.w.row_pos[static_cast<std::size_t>(v)]);
    if (r < kMinRf) r = kMinRf;
    return selfed ? 2.0 * r / (1.0 + 2.0 * r) : r;
}

}  // namespace vsk
