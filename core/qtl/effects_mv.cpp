// Normal-prior effects of all QTL jointly: the design of the phenotyped
// individuals (mean, then each slot's additive and/or dominance covariate),
// C = X'X (x) R^-1 plus the prior precision, the marginal likelihood with the
// means and effects integrated out, and the joint draw of means and effects.
// Parameter index of column a and trait t: a * n_traits + t.
#include <algorithm>
#include <cmath>

#include "core/qtl/qtl.h"
#include "core/qtl/rjs_debug.h"
#include "core/state/console.h"
#include "core/voskara.h"

namespace vsk {

namespace {

constexpr double kAddCov[kGenotypes] = {1.0, 0.0, 0.0, -1.0};
constexpr double kDomCov[kGenotypes] = {0.0, 1.0, 1.0, 0.0};

void ensure(Table<double>& t, int rows, int cols)
{
    if (t.rows() < rows || t.cols() < cols) t.assign(std::max(rows, t.rows()), std::max(cols, t.cols()), 0.0);
}

// Effect kinds of a slot's columns: additive and/or dominance.
void slot_kinds(const QtlModel& m, int* kinds, int& n)
{
    n = 0;
    if (add_setting(m) != 0) kinds[n++] = kAddRow;
    if (dom_setting(m) != 0) kinds[n++] = kDomRow;
}

// Covariates of phenotyped individual c over the design's columns.
void design_row(QtlModel& m, int c, const int* kinds, int nk, double* x)
{
    x[0] = 1.0;
    int a = 1;
    for (int s : m.w.design_slots) {
        const int g = m.gene[static_cast<std::size_t>(s)].gtp[static_cast<std::size_t>(c)];
        for (int k = 0; k < nk; ++k) x[a++] = kinds[k] == kAddRow ? kAddCov[g] : kDomCov[g];
    }
}

// Adds the prior precision of one effect block (kind `kind`, k QTL) at
// parameter offset `at`.
void add_effect_prior(QtlModel& m, Table<double>& C, int at, int kind, int k)
{
    Par& p = m.p;
    const int T = p.n_traits;
    const int setting = kind == kAddRow ? add_setting(m) : dom_setting(m);
    if (setting == 1) return;  // bounded uniform prior: no precision
    const Table<double>& V = effect_prior_matrix(p, kind);
    const double scale = m.w.marginal ? static_cast<double>(std::max(k, 1)) : 1.0;
    if (setting >= 4) {
        for (int t = 0; t < T; ++t) C[at + t][at + t] += scale / V[t][t];
        return;
    }
    Table<double>& tmp = m.w.prior_inv;
    ensure(tmp, T, T);
    mat_copy(V, tmp, T, T);
    if (invert(tmp, T) != 0) return;
    for (int a = 0; a < T; ++a)
        for (int b = 0; b < T; ++b) C[at + a][at + b] += scale * tmp[a][b];
}

}  // namespace

Table<double>& effect_prior_matrix(Par& p, int kind) { return kind == kAddRow ? p.varPOA : p.varPOD; }

int effect_columns_per_slot(const QtlModel& m) { return (add_setting(m) != 0) + (dom_setting(m) != 0); }

// Design over the active slots except `skip`: X'X and X'y of the residuals
// (which must hold the means and every QTL value added back).
void build_design(QtlModel& m, int skip)
{
    Par& p = m.p;
    QtlWork& w = m.w;
    const int T = p.n_traits;
    w.design_slots.clear();
    for (int s = 0; s < slot_count(m); ++s)
        if (s != skip && m.gene[static_cast<std::size_t>(s)].status != 0) w.design_slots.push_back(s);
    int kinds[2], nk;
    slot_kinds(m, kinds, nk);
    const int nc = 1 + nk * static_cast<int>(w.design_slots.size());
    ensure(w.XX, nc, nc);
    ensure(w.X, nc, T);  // X holds X'y here: [column][trait]
    for (int a = 0; a < nc; ++a) {
        std::fill(w.XX[a], w.XX[a] + nc, 0.0);
        std::fill(w.X[a], w.X[a] + T, 0.0);
    }
    std::vector<double>& x = w.resid_scratch;
    x.resize(static_cast<std::size_t>(nc));
    for (int c = 0; c < p.n_individuals; ++c) {
        if (!phenotyped(m, c)) continue;
        design_row(m, c, kinds, nk, x.data());
        for (int i = 0; i < nc; ++i) {
            const double xi = x[static_cast<std::size_t>(i)];
            if (xi == 0.0) continue;
            for (int j = 0; j < nc; ++j) w.XX[i][j] += xi * x[static_cast<std::size_t>(j)];
            for (int t = 0; t < T; ++t) w.X[i][t] += xi * m.phe.residual[c][t];
        }
    }
    w.cur.dim = nc * T;
}

// After the genotypes of slot s changed, recomputes only its rows and
// columns of X'X and its rows of X'y (one pass over the individuals, cost
// in proportion to the number of columns rather than its square). Sums run
// in the order of build_design, so the result equals a full rebuild exactly.
void update_design_slot(QtlModel& m, int s)
{
    QtlWork& w = m.w;
    const int T = m.p.n_traits;
    int kinds[2], nk;
    slot_kinds(m, kinds, nk);
    const auto it = std::find(w.design_slots.begin(), w.design_slots.end(), s);
    if (it == w.design_slots.end() || nk == 0) return;
    const int first = 1 + nk * static_cast<int>(it - w.design_slots.begin());
    const int nc = 1 + nk * static_cast<int>(w.design_slots.size());
    for (int j = first; j < first + nk; ++j) {
        std::fill(w.XX[j], w.XX[j] + nc, 0.0);
        std::fill(w.X[j], w.X[j] + T, 0.0);
    }
    std::vector<double>& x = w.resid_scratch;
    x.resize(static_cast<std::size_t>(nc));
    for (int c = 0; c < m.p.n_individuals; ++c) {
        if (!phenotyped(m, c)) continue;
        design_row(m, c, kinds, nk, x.data());
        for (int j = first; j < first + nk; ++j) {
            const double xj = x[static_cast<std::size_t>(j)];
            if (xj == 0.0) continue;
            for (int i = 0; i < nc; ++i) w.XX[j][i] += xj * x[static_cast<std::size_t>(i)];
            for (int t = 0; t < T; ++t) w.X[j][t] += xj * m.phe.residual[c][t];
        }
    }
    for (int j = first; j < first + nk; ++j)
        for (int i = 0; i < nc; ++i) w.XX[i][j] = w.XX[j][i];
}

// Sizes every working matrix of the marginal-likelihood moves for the
// largest model (maximQTL QTL), so that no sweep allocates.
void reserve_marginal_work(QtlModel& m)
{
    QtlWork& w = m.w;
    const int T = std::max(1, m.p.n_traits);
    const int nc = 1 + effect_columns_per_slot(m) * std::max(0, slot_count(m));
    const int D = nc * T;
    ensure(w.XX, nc, nc);
    ensure(w.X, nc, T);
    ensure(w.prior_inv, T, T);
    for (MargModel* mm : {&w.cur, &w.alt}) {
        ensure(mm->C, D, D);
        ensure(mm->Cinv, D, D);
        mm->rhs.reserve(static_cast<std::size_t>(D));
        mm->bhat.reserve(static_cast<std::size_t>(D));
        mm->slots.reserve(static_cast<std::size_t>(std::max(0, slot_count(m))));
    }
    w.design_slots.reserve(static_cast<std::size_t>(std::max(0, slot_count(m))));
    w.z.reserve(static_cast<std::size_t>(D));
    w.resid_scratch.reserve(static_cast<std::size_t>(std::max(nc, T)));
}

// C, rhs, Cholesky factor of C, bhat, log|C^-1| and bhat'C bhat of a model
// with k QTL whose design is in (XX, Xy) with nc columns.
void form_model_from(QtlModel& m, MargModel& mm, const Table<double>& XX, const Table<double>& Xy, int nc, int k)
{
    Par& p = m.p;
    const int T = p.n_traits, D = nc * T;
    mm.dim = D;
    mm.slots = m.w.design_slots;
    ensure(mm.C, D, D);
    ensure(mm.Cinv, D, D);
    mm.rhs.assign(static_cast<std::size_t>(D), 0.0);
    mm.bhat.assign(static_cast<std::size_t>(D), 0.0);
    for (int a = 0; a < nc; ++a)
        for (int b = 0; b < nc; ++b)
            for (int t = 0; t < T; ++t)
                for (int u = 0; u < T; ++u) mm.C[a * T + t][b * T + u] = XX[a][b] * p.res_prec[t][u];
    for (int a = 0; a < nc; ++a)
        for (int t = 0; t < T; ++t) {
            double v = 0.0;
            for (int u = 0; u < T; ++u) v += p.res_prec[t][u] * Xy[a][u];
            mm.rhs[static_cast<std::size_t>(a * T + t)] = v;
        }
    for (int t = 0; t < T; ++t) {
        const double s2 = t < static_cast<int>(p.mean_prior_var.size()) ? p.mean_prior_var[static_cast<std::size_t>(t)] : 0.0;
        if (s2 <= 0.0) continue;
        mm.C[t][t] += 1.0 / s2;
        mm.rhs[static_cast<std::size_t>(t)] += p.mean_prior_mean[static_cast<std::size_t>(t)] / s2;
    }
    int kinds[2], nk;
    slot_kinds(m, kinds, nk);
    for (int a = 1; a < nc; ++a) add_effect_prior(m, mm.C, a * T, kinds[(a - 1) % std::max(nk, 1)], k);
    // Factor C = L L'; log|C^-1| = -2 sum log L_ii; bhat by two solves.
    mat_copy(mm.C, mm.Cinv, D, D);
    mm.failed = cholesky(mm.Cinv, D);
    if (mm.failed) {
        mm.log_det_cinv = 0.0;
        mm.quad = 0.0;
        return;
    }
    double ld = 0.0;
    for (int i = 0; i < D; ++i) ld += std::log(mm.Cinv[i][i]);
    mm.log_det_cinv = -2.0 * ld;
    std::vector<double>& b = mm.bhat;
    for (int i = 0; i < D; ++i) {
        double v = mm.rhs[static_cast<std::size_t>(i)];
        for (int j = 0; j < i; ++j) v -= mm.Cinv[i][j] * b[static_cast<std::size_t>(j)];
        b[static_cast<std::size_t>(i)] = v / mm.Cinv[i][i];
    }
    for (int i = D - 1; i >= 0; --i) {
        double v = b[static_cast<std::size_t>(i)];
        for (int j = i + 1; j < D; ++j) v -= mm.Cinv[j][i] * b[static_cast<std::size_t>(j)];
        b[static_cast<std::size_t>(i)] = v / mm.Cinv[i][i];
    }
    double q = 0.0;
    for (int i = 0; i < D; ++i) q += mm.rhs[static_cast<std::size_t>(i)] * b[static_cast<std::size_t>(i)];
    mm.quad = q;
}

void form_model(QtlModel& m, MargModel& mm, int k)
{
    const int nc = 1 + effect_columns_per_slot(m) * static_cast<int>(m.w.design_slots.size());
    form_model_from(m, mm, m.w.XX, m.w.X, nc, k);
}

double marginal_terms(const MargModel& mm) { return 0.5 * mm.log_det_cinv + 0.5 * mm.quad; }

// log|G_k| over the effect kinds in the model, G_k = k copies of V / k.
double log_det_g(const QtlModel& m, int k)
{
    if (k <= 0) return 0.0;
    const Par& p = m.p;
    const int T = p.n_traits;
    double sum = 0.0;
    for (int kind : {kAddRow, kDomRow}) {
        const int setting = kind == kAddRow ? add_setting(m) : dom_setting(m);
        if (setting == 0) continue;
        const Table<double>& V = kind == kAddRow ? p.varPOA : p.varPOD;
        for (int t = 0; t < T; ++t) sum += k * std::log(V[t][t]);
        sum -= k * T * std::log(static_cast<double>(k));
    }
    return sum;
}

// Means and effects drawn from N(bhat, C^-1): b = bhat + L'^-1 z. The
// design's slots take their effects in order.
void draw_effects(QtlModel& m, const MargModel& mm)
{
    Par& p = m.p;
    const int T = p.n_traits, D = mm.dim;
    std::vector<double>& z = m.w.z;
    z.assign(static_cast<std::size_t>(D), 0.0);
    for (int i = 0; i < D; ++i) z[static_cast<std::size_t>(i)] = m.rng.normal();
    if (mm.failed) {
        if (!REDprint) {
            cprint("\nWarning Cholesky DC in 'SampleGtpPar_MV()'");
            cprint(" cycle %d", p.cur_sweep + 1);
        }
        return;
    }
    for (int i = D - 1; i >= 0; --i) {
        double v = z[static_cast<std::size_t>(i)];
        for (int j = i + 1; j < D; ++j) v -= mm.Cinv[j][i] * z[static_cast<std::size_t>(j)];
        z[static_cast<std::size_t>(i)] = v / mm.Cinv[i][i];
    }
    for (int t = 0; t < T && p.nuis_effects.rows() > 0; ++t) p.nuis_effects[0][t] = mm.bhat[static_cast<std::size_t>(t)] + z[static_cast<std::size_t>(t)];
    int kinds[2], nk;
    slot_kinds(m, kinds, nk);
    int a = 1;
    for (int s : mm.slots) {
        Gene& g = m.gene[static_cast<std::size_t>(s)];
        for (int k = 0; k < nk; ++k, ++a)
            for (int t = 0; t < T; ++t)
                g.eff[kinds[k]][t] = mm.bhat[static_cast<std::size_t>(a * T + t)] + z[static_cast<std::size_t>(a * T + t)];
    }
    flip_negative_slots(m);
}

// "GtpParMV.log" (RJSdebug, QTL only: the FPM genes keep their own log):
// the design and model matrices of one joint draw and what it drew.
void log_joint_draw(const QtlModel& m)
{
    RjsLog log("GtpParMV.log");
    if (!log.on()) return;
    std::fprintf(log.file(), "\n___________\nmcmcI %d, nqtl %d\n", m.p.cur_sweep, m.p.nqtl);
    const MargModel& mm = m.w.cur;
    log.design(m, "XRX\n", true);
    log.matrix("XRX_G\n", mm.C, mm.dim);
    log.vector("XRy\n", mm.rhs, mm.dim);
    log.draw(m, mm, "CPM\n");
}

void sample_gtp_par_mv(QtlModel& m)
{
    apply_all_values(m, -1);
    build_design(m, -1);
    form_model(m, m.w.cur, active_count(m));
    draw_effects(m, m.w.cur);
    if (RJSdebug && !m.fpm) log_joint_draw(m);
    apply_all_values(m, +1);
}

}  // namespace vsk
