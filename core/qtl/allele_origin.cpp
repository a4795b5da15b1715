// Allele origins at a QTL: for every non-founder the grandparental origin of
// each allele, drawn from the segregation indicators of the nearest
// informative loci on either side and, in QTL mode, from the phenotypes of
// the individual and of all its descendants.
#include <algorithm>
#include <cmath>

#include "core/numeric/linalg.h"
#include "core/numeric/variates.h"
#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr int kOptions = 4;
constexpr double kMinTransRf = 1e-6;

const SiTable& gpo_side(const QtlModel& m, int side) { return side == 0 ? m.gpo0 : m.gpo1; }

bool selfed_or_dh(const Obs& ind) { return ind.mot == kSelfed || ind.mot == kDbhpld; }

// Rows of the first and last marker of the chromosome of slot g.
void chromosome_rows(const QtlModel& m, const Gene& g, int& first, int& last)
{
    const Chr& ch = m.chr[static_cast<std::size_t>(g.chrom)];
    first = m.w.marker_row[static_cast<std::size_t>(ch.fMrkr)];
    last = m.w.marker_row[static_cast<std::size_t>(ch.lMrkr)];
}

// True when a marker row inside [left, right] is heterozygous in individual c.
bool het_in_window(const QtlModel& m, int c, int left, int right)
{
    for (int r = left; r <= right; ++r)
        if (m.w.row_kind[static_cast<std::size_t>(r)] == 1 && m.w.het[m.w.row_index[static_cast<std::size_t>(r)]][c]) return true;
    return false;
}

double descendant_terms(QtlModel& m, Gene& g, int i)
{
    double sum = 0.0;
    const int c = i - 1;
    for (int k = m.w.desc_start[static_cast<std::size_t>(c)]; k < m.w.desc_start[static_cast<std::size_t>(c + 1)]; ++k) {
        const int d = m.w.desc[static_cast<std::size_t>(k)];
        derive_labels(m, g, d);
        if (phenotyped(m, d - 1)) sum += m.w.ll[d - 1][g.gtp[static_cast<std::size_t>(d - 1)]];
    }
    return sum;
}

// Phenotype terms of an origin option of i: its own phenotype, its
// descendants' at the genotypes the option gives them, and the absorbed
// final offspring of i and of its descendants with their origins summed out.
double phenotype_terms(QtlModel& m, Gene& g, int i)
{
    const int c = i - 1;
    double w = 0.0;
    if (phenotyped(m, c) && !m.o[static_cast<std::size_t>(c)].FP) w += m.w.ll[c][g.gtp[static_cast<std::size_t>(c)]];
    return w + descendant_terms(m, g, i) + final_offspring_terms(m, g, i);
}

// Genes without locus row (FPM): plain Mendelian transmission from each
// parent; a doubled haploid carries two copies of one parental homologue.
void mendelian_weights(QtlModel& m, Gene& g, int i, bool with_phenotypes, double* lw)
{
    const int c = i - 1;
    const bool dh = m.o[static_cast<std::size_t>(c)].mot == kDbhpld;
    for (int k = 0; k < kOptions; ++k) {
        if (dh && (k == 1 || k == 2)) {
            lw[k] = kExcluded;
            continue;
        }
        set_origin(m, g, c, k);
        derive_labels(m, g, i);
        double w = prob_trans(m, g, c, 0, -1, -1, true) + prob_trans(m, g, c, 1, -1, -1, true);
        if (with_phenotypes) w += phenotype_terms(m, g, i);
        lw[k] = w;
    }
}

// Column of the transmission logs of the QTL row: log r and log(1 - r),
// plain or (SELFED) selfing-adjusted.
int log_column(const Obs& ind, bool recombinant) { return (ind.mot == kSelfed ? 2 : 0) + (recombinant ? 0 : 1); }

// Log weights of the four origin options of non-founder i.
void option_weights(QtlModel& m, Gene& g, int i, bool with_phenotypes, double* lw)
{
    if (g.lcsrow < 0) {
        mendelian_weights(m, g, i, with_phenotypes, lw);
        return;
    }
    const int c = i - 1;
    const Obs& ind = m.o[static_cast<std::size_t>(c)];
    int l0, r0, l1, r1;
    window(m, g.lcsrow, c, 0, l0, r0);
    window(m, g.lcsrow, c, 1, l1, r1);
    const bool self = selfed_or_dh(ind);
    const bool use_side1 = !self || het_in_window(m, c, l0, r0);
    for (int k = 0; k < kOptions; ++k) {
        if (self && !use_side1 && (k == 1 || k == 2)) {
            lw[k] = kExcluded;
            continue;
        }
        set_origin(m, g, c, k);
        derive_labels(m, g, i);
        double w = prob_trans_at_qtl(m, g, c, 0, l0, r0);
        if (use_side1) w += prob_trans_at_qtl(m, g, c, 1, l1, r1);
        if (with_phenotypes) w += phenotype_terms(m, g, i);
        lw[k] = w;
    }
}

void draw_origin(QtlModel& m, Gene& g, int i, bool with_phenotypes)
{
    double lw[kOptions];
    option_weights(m, g, i, with_phenotypes, lw);
    const int k = sample_discrete_log(lw, kOptions, m.rng.uniform());
    set_origin(m, g, i - 1, k);
    derive_labels(m, g, i);
    if (with_phenotypes) rederive_descendants(m, g, i);
}

}  // namespace

void set_origin(QtlModel& m, Gene& g, int c, int k)
{
    g.gpori[0][c] = k / 2;
    g.gpori[1][c] = k % 2;
    if (g.lcsrow < 0) return;  // a gene without locus row (FPM) has no indicator row
    m.gpo0[g.lcsrow][c] = k / 2;
    m.gpo1[g.lcsrow][c] = k % 2;
}

void window(const QtlModel& m, int row, int c, int side, int& left, int& right)
{
    const Gene& g = m.gene[static_cast<std::size_t>(m.w.row_index[static_cast<std::size_t>(row)])];
    int first, last;
    chromosome_rows(m, g, first, last);
    const SiTable& t = gpo_side(m, side);
    left = right = row;
    for (int r = row - 1; r >= first; --r)
        if (t[r][c] != kUnknown) {
            left = r;
            break;
        }
    for (int r = row + 1; r <= last; ++r)
        if (t[r][c] != kUnknown) {
            right = r;
            break;
        }
}

// Log probability of the origins along [left, right] on one side under the
// recombination fractions between consecutive informative rows.
double prob_trans(const QtlModel& m, const Gene& g, int c, int side, int left, int right, bool mendel)
{
    const SiTable& t = gpo_side(m, side);
    const Obs& ind = m.o[static_cast<std::size_t>(c)];
    const bool selfed = ind.mot == kSelfed;
    if (mendel && left == right && left == g.lcsrow) {
        const int parent = side == 0 ? ind.fat : ind.mot_gen;
        if (parent <= 0) return 0.0;
        const int a = g.alstate[static_cast<std::size_t>(g.fal[side][c])];
        const int p0 = g.alstate[static_cast<std::size_t>(g.fal[0][parent - 1])];
        const int p1 = g.alstate[static_cast<std::size_t>(g.fal[1][parent - 1])];
        const double P = 0.5 * (a == p1) + 0.5 * (a == p0);
        return P > 0.0 ? std::log(P) : -30.0;
    }
    double sum = 0.0;
    int kept = -1;
    for (int r = left; r <= right; ++r) {
        const int o = t[r][c];
        if (o == kUnknown) continue;
        if (kept >= 0) {
            const double rf = std::max(kMinTransRf, rf_rows(m, kept, r, selfed));
            sum += o != t[kept][c] ? std::log(rf) : std::log(1.0 - rf);
        }
        kept = r;
    }
    return sum;
}

// Transmission logs between the slot's row and every row of its chromosome,
// computed once per origin step: a non-founder's origin is weighed only by
// the pairs (left end, QTL row) and (QTL row, right end) of its windows.
void fill_qtl_row_logs(QtlModel& m, const Gene& g)
{
    int first, last;
    chromosome_rows(m, g, first, last);
    Table<double>& L = m.w.qtl_row_logs;
    if (L.rows() <= last) L.assign(std::max(last + 1, m.p.n_lcs_rows), 4, 0.0);
    for (int r = first; r <= last; ++r)
        for (int selfed = 0; selfed < 2; ++selfed) {
            const double rf = std::max(kMinTransRf, rf_rows(m, g.lcsrow, r, selfed == 1));
            L[r][2 * selfed] = std::log(rf);
            L[r][2 * selfed + 1] = std::log(1.0 - rf);
        }
}

// prob_trans over a window whose informative rows are its ends and the QTL
// row (as the origin step leaves them), from the logs of the QTL row; the
// terms are added in the order prob_trans adds them, so the sums agree
// exactly.
double prob_trans_at_qtl(const QtlModel& m, const Gene& g, int c, int side, int left, int right)
{
    const SiTable& t = gpo_side(m, side);
    const Obs& ind = m.o[static_cast<std::size_t>(c)];
    const int q = g.lcsrow, o = t[q][c];
    double sum = 0.0;
    if (left != q) sum += m.w.qtl_row_logs[left][log_column(ind, t[left][c] != o)];
    if (right != q) sum += m.w.qtl_row_logs[right][log_column(ind, t[right][c] != o)];
    return sum;
}

// Phenotype log-likelihood of every phenotyped individual (final offspring
// included) at the four codes of slot g (g's values must have been added
// back to the residuals), and the tables of the final-offspring groups.
void build_ll(QtlModel& m, const Gene& g)
{
    const int t = m.p.n_traits;
    std::vector<double>& x = m.w.resid_scratch;
    x.resize(static_cast<std::size_t>(t));
    if (m.w.ll.rows() != m.p.n_individuals) m.w.ll.assign(m.p.n_individuals, kGenotypes, 0.0);
    for (int c = 0; c < m.p.n_individuals; ++c) {
        if (!phenotyped(m, c)) continue;
        for (int k = 0; k < kGenotypes; ++k) {
            for (int j = 0; j < t; ++j) x[static_cast<std::size_t>(j)] = m.phe.residual[c][j] - g.gval[k][j];
            m.w.ll[c][k] = mvn_logdensity(t, m.p.res_logdet, x.data(), m.p.res_prec);
        }
    }
    if (has_final_offspring(m)) final_offspring_tables(m);
}

void rederive_descendants(QtlModel& m, Gene& g, int i)
{
    const int c = i - 1;
    for (int k = m.w.desc_start[static_cast<std::size_t>(c)]; k < m.w.desc_start[static_cast<std::size_t>(c + 1)]; ++k)
        derive_labels(m, g, m.w.desc[static_cast<std::size_t>(k)]);
}

void sample_allele_origin(QtlModel& m, int s, bool with_phenotypes, bool reverse_order)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    if (with_phenotypes) {
        apply_slot_values(m, g, -1);
        build_ll(m, g);
    }
    draw_allele_origins(m, s, with_phenotypes, reverse_order);
    if (with_phenotypes) apply_slot_values(m, g, +1);
}

// The origin draws of every non-founder and the final offspring; with
// phenotypes the slot's values must be added back and its ll table built.
void draw_allele_origins(QtlModel& m, int s, bool with_phenotypes, bool reverse_order)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    const int n = m.p.n_individuals;
    const bool reverse = with_phenotypes || reverse_order;
    if (g.lcsrow >= 0) fill_qtl_row_logs(m, g);  // a gene without locus row (FPM) is transmitted plainly
    for (int step = 0; step < n; ++step) {
        const int i = reverse ? n - step : step + 1;
        const Obs& ind = m.o[static_cast<std::size_t>(i - 1)];
        if (ind.fat == 0 || ind.FP) continue;
        draw_origin(m, g, i, with_phenotypes);
    }
    // Drawn from last to first, offspring took their parents' old labels.
    if (reverse) derive_all_genotypes(m, g);
    if (has_final_offspring(m)) sample_final_offspring_origin(m, s, with_phenotypes);
}

// Heterozygous marker genotypes from the alleles as read.
void compute_het_flags(QtlModel& m)
{
    const int markers = std::min(m.p.n_markers, static_cast<int>(m.mrk.size()));
    m.w.het.assign(markers, m.p.n_individuals, 0);
    const Table<signed char>& flags = m.mph.heterozygous;
    if (flags.rows() >= markers && flags.cols() >= m.p.n_individuals) {
        for (int k = 0; k < markers; ++k)
            for (int c = 0; c < m.p.n_individuals; ++c) m.w.het[k][c] = flags[k][c] == 1;
        return;
    }
    for (int k = 0; k < markers; ++k) {
        if (m.mk.allele1.rows() <= k || m.mk.allele1.cols() < m.p.n_individuals) continue;
        for (int c = 0; c < m.p.n_individuals; ++c) {
            const int a = m.mk.allele1[k][c], b = m.mk.allele2[k][c];
            m.w.het[k][c] = a > 0 && b > 0 && a != b;
        }
    }
}

// Every individual's descendants in processing order (parents precede
// offspring, so re-deriving along the list is always from current parents).
void build_descendants(QtlModel& m)
{
    const int n = m.p.n_individuals;
    std::vector<std::vector<int>> children(static_cast<std::size_t>(n));
    for (int c = 0; c < n; ++c) {
        const Obs& ind = m.o[static_cast<std::size_t>(c)];
        if (ind.FP || ind.fat <= 0) continue;
        children[static_cast<std::size_t>(ind.fat - 1)].push_back(c + 1);
        if (ind.mot_gen > 0 && ind.mot_gen != ind.fat) children[static_cast<std::size_t>(ind.mot_gen - 1)].push_back(c + 1);
    }
    m.w.desc_start.assign(static_cast<std::size_t>(n) + 1, 0);
    m.w.desc.clear();
    std::vector<int> mark(static_cast<std::size_t>(n), -1), stack;
    for (int c = 0; c < n; ++c) {
        m.w.desc_start[static_cast<std::size_t>(c)] = static_cast<int>(m.w.desc.size());
        const std::size_t begin = m.w.desc.size();
        stack.assign(children[static_cast<std::size_t>(c)].begin(), children[static_cast<std::size_t>(c)].end());
        while (!stack.empty()) {
            const int d = stack.back();
            stack.pop_back();
            if (mark[static_cast<std::size_t>(d - 1)] == c) continue;
            mark[static_cast<std::size_t>(d - 1)] = c;
            m.w.desc.push_back(d);
            for (int e : children[static_cast<std::size_t>(d - 1)]) stack.push_back(e);
        }
        std::sort(m.w.desc.begin() + static_cast<std::ptrdiff_t>(begin), m.w.desc.end());
    }
    m.w.desc_start[static_cast<std::size_t>(n)] = static_cast<int>(m.w.desc.size());
    m.w.founder_index.assign(static_cast<std::size_t>(n), -1);
    for (int k = 0; k < m.p.n_founders; ++k) m.w.founder_index[static_cast<std::size_t>(m.p.founders[static_cast<std::size_t>(k)] - 1)] = k;
}

}  // namespace vsk
