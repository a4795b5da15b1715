// Locus order seen from the QTL steps: the marker phase chain owns the row
// table, the recombination matrices and the moves of segregation-indicator
// rows (core/markers/phases_rows.h); this file keeps the QTL's own copy of
// the rows (kind, index, coordinate) in step with it, the slots'
// recombination fractions and the interval of a QTL position.
#include <algorithm>
#include <cmath>

#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr double kMinRf = 1e-8;
constexpr double kFarApart = 1000.0;

// Copies the row table into the QTL's working rows and each slot's lcsrow.
void read_rows(QtlModel& m)
{
    Par& p = m.p;
    QtlWork& w = m.w;
    const int rows = p.n_lcs_rows;
    w.row_kind.resize(static_cast<std::size_t>(rows));
    w.row_index.resize(static_cast<std::size_t>(rows));
    w.row_pos.resize(static_cast<std::size_t>(rows));
    w.marker_row.assign(static_cast<std::size_t>(p.n_markers), -1);
    for (Gene& g : m.gene) g.lcsrow = -1;
    for (int r = 0; r < rows; ++r) {
        const int kind = p.lcs_rows[r][0], idx = p.lcs_rows[r][1];
        w.row_kind[static_cast<std::size_t>(r)] = kind;
        w.row_index[static_cast<std::size_t>(r)] = idx;
        if (kind == kMarkerRow) {
            w.row_pos[static_cast<std::size_t>(r)] = m.mrk[static_cast<std::size_t>(idx)].position;
            w.marker_row[static_cast<std::size_t>(idx)] = r;
        } else {
            Gene& g = m.gene[static_cast<std::size_t>(idx)];
            w.row_pos[static_cast<std::size_t>(r)] = g.pos;
            g.lcsrow = r;
        }
    }
}

}  // namespace

// Without a marker chain before it (tests, or no marker step), the order
// starts as the markers alone on their own rows.
void start_locus_order(QtlModel& m)
{
    Par& p = m.p;
    if (static_cast<int>(m.mrk2.size()) < p.n_markers) m.mrk2.resize(static_cast<std::size_t>(p.n_markers));
    m.mph.qtl_row.resize(m.gene.size(), -1);
    m.mph.rf_pos.resize(m.gene.size(), -1.0);
    bool placed = p.n_lcs_rows >= p.n_markers;
    for (int k = 0; k < p.n_markers && placed; ++k) placed = m.mrk2[static_cast<std::size_t>(k)].index >= 0;
    if (!placed) {
        for (int k = 0; k < p.n_markers; ++k) m.mrk2[static_cast<std::size_t>(k)].index = k;
        for (int& r : m.mph.qtl_row) r = -1;
        for (int r = 0; r < p.n_markers; ++r) {
            p.lcs_rows[r][0] = kMarkerRow;
            p.lcs_rows[r][1] = r;
        }
        p.n_lcs_rows = p.n_markers;
    }
    // Row moves use scratch of up to every row: sized here, not in a sweep.
    const std::size_t rows = static_cast<std::size_t>(p.n_markers + std::max(0, p.maximQTL));
    m.mph.row_from.reserve(rows);
    m.mph.row_scratch.reserve(rows * static_cast<std::size_t>(std::max(0, m.gpo0.cols())));
    rebuild_locus_order(m);
}

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

// The slot's fractions to every marker and active slot, and its row and
// column of the shared recombination matrices.
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
    if (m.p.rfmat[0].rows() >= m.p.n_markers + m.p.maximQTL) {
        refresh_qtl_recombination(m.p, m.gene, s, m.mrk);
        if (m.mph.rf_pos.size() > static_cast<std::size_t>(s)) m.mph.rf_pos[static_cast<std::size_t>(s)] = g.pos;
    }
}

// Rebuilds the shared order (segregation-indicator rows move with their
// loci) and the QTL's copy of it.
void rebuild_locus_order(QtlModel& m)
{
    vsk::rebuild_locus_order(m.p, m.mrk2, m.mrk, m.gene, m.chr, m.mph, m.gpo0, m.gpo1);
    read_rows(m);
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
