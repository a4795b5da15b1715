// Debug logs of births, deaths and the long-range position updates with the
// means and effects integrated out, written only with RJSdebug set. Debug
// output allocates freely: it is never on in a timed run.
#include "core/qtl/rjs_debug.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/numeric/linalg.h"
#include "core/state/output_file.h"
#include "core/voskara.h"

namespace vsk {

namespace {

void row_values(std::FILE* f, const double* row, int n)
{
    for (int j = 0; j < n; ++j) std::fprintf(f, "%10.4lf", row[j]);
    std::fprintf(f, "\n");
}

// Old, new and difference of one term, then its label right-aligned in
// `width` ("%15s" or "%20s").
void term_line(std::FILE* f, const double* v, int width, const char* label)
{
    std::fprintf(f, "\n%12.5lf %12.5lf  %12.5lf", v[0], v[1], v[1] - v[0]);
    std::fprintf(f, "%*s", width, label);
}

}  // namespace

RjsLog::RjsLog(const char* file)
{
    if (RJSdebug) f_ = open_output_file(file, "a");
}

void RjsLog::header(const QtlModel& m)
{
    if (!on()) return;
    std::fprintf(f_.get(), "\n\n----- mcmcI %d -----\n", m.p.cur_sweep);
    std::fprintf(f_.get(), "%10s", "mu");
    for (const Gene& g : m.gene)
        if (g.status == 1 && !m.fpm) std::fprintf(f_.get(), "%10.2lf", g.pos);  // FPM genes have no position
    std::fprintf(f_.get(), "\n");
}

void RjsLog::design(const QtlModel& m, const char* xrx_title, bool with_xx)
{
    if (!on()) return;
    const int T = m.p.n_traits;
    const int nc = 1 + effect_columns_per_slot(m) * static_cast<int>(m.w.design_slots.size());
    if (with_xx) matrix("XX\n", m.w.XX, nc);
    std::fprintf(f_.get(), "%s", xrx_title);
    std::vector<double> row(static_cast<std::size_t>(nc * T));
    for (int a = 0; a < nc; ++a)
        for (int t = 0; t < T; ++t) {
            for (int b = 0; b < nc; ++b)
                for (int u = 0; u < T; ++u) row[static_cast<std::size_t>(b * T + u)] = m.w.XX[a][b] * m.p.res_prec[t][u];
            row_values(f_.get(), row.data(), nc * T);
        }
}

void RjsLog::matrix(const char* title, const Table<double>& t, int n)
{
    if (!on()) return;
    std::fprintf(f_.get(), "%s", title);
    for (int r = 0; r < n && r < t.rows(); ++r) row_values(f_.get(), t[r], n);
}

void RjsLog::vector(const char* title, const std::vector<double>& v, int n)
{
    if (!on()) return;
    std::fprintf(f_.get(), "%s", title);
    row_values(f_.get(), v.data(), std::min(n, static_cast<int>(v.size())));
}

void RjsLog::chol_inverse(const char* title, const MargModel& mm)
{
    if (!on()) return;
    const int D = mm.dim;
    Table<double> L(D, D, 0.0);
    mat_copy(mm.C, L, D, D);
    const bool ok = invert(L, D) == 0 && cholesky(L, D) == 0;
    std::fprintf(f_.get(), "%s", title);
    for (int r = 0; r < D; ++r) {
        for (int c = 0; c < D; ++c) std::fprintf(f_.get(), "%10.4lf", ok && c <= r ? L[r][c] : 0.0);
        std::fprintf(f_.get(), "\n");
    }
}

void RjsLog::draw(const QtlModel& m, const MargModel& mm, const char* mean_title)
{
    if (!on()) return;
    std::vector<double> b(static_cast<std::size_t>(mm.dim));
    for (int i = 0; i < mm.dim; ++i)
        b[static_cast<std::size_t>(i)] = mm.bhat[static_cast<std::size_t>(i)] +
                                         (mm.failed ? 0.0 : m.w.z[static_cast<std::size_t>(i)]);
    vector("CPD\n", b, mm.dim);
    vector(mean_title, mm.bhat, mm.dim);
}

void RjsLog::summary(const RjsTerms& t, bool death, int result, int proposals, int acceptances)
{
    if (!on()) return;
    std::FILE* f = f_.get();
    std::fprintf(f, "\n%12.5lf %12.5lf   %s", t.log_det_a[0], t.log_det_a[1], death ? "detV0A  detV0An" : "detV0Ao detV0A ");
    std::fprintf(f, "\n%12.5lf %12.5lf   %s", t.log_det_d[0], t.log_det_d[1], death ? "detV0D  detV0Dn" : "detV0Do detV0D ");
    std::fprintf(f, death ? "\n\n      g_h[0]      g_h[1]" : "\n      g_h[0]      g_h[1]");
    term_line(f, t.prior, 15, "prior ");
    term_line(f, t.det_g, 20, "det(G) '20060508'");
    term_line(f, t.det_c, 15, "det(XRX_G)");
    term_line(f, t.quad, 15, "b'(XRX_G)b");
    const double sum[2] = {t.prior[0] + t.det_g[0] + t.det_c[0] + t.quad[0],
                           t.prior[1] + t.det_g[1] + t.det_c[1] + t.quad[1]};
    std::fprintf(f, "\n\n%12.5lf %12.5lf  %12.5lf", sum[0], sum[1], sum[1] - sum[0]);
    std::fprintf(f, "%15s", "sum");
    std::fprintf(f, "\nlog(A) %12.5lf", t.log_a);
    std::fprintf(f, "\nlog(xk)%12.5lf", t.log_u);
    std::fprintf(f, "%8d %d %d", result, proposals, acceptances);
}

void RjsLog::update_summary(const RjsTerms& t, bool with_prior, int result, int proposals, int acceptances)
{
    if (!on()) return;
    std::FILE* f = f_.get();
    std::fprintf(f, "\n      g_h[0]      g_h[1]");
    auto line = [&](const double* v, const char* label) {
        std::fprintf(f, "\n%12.5lf %12.5lf", v[0], v[1]);
        std::fprintf(f, "%15s", label);
    };
    if (with_prior) line(t.prior, "prior ");
    line(t.det_c, "det(XRX_G)");
    line(t.quad, "b'(XRX_G)b");
    const double sum[2] = {t.prior[0] + t.det_c[0] + t.quad[0], t.prior[1] + t.det_c[1] + t.quad[1]};
    std::fprintf(f, "\n\n%12.5lf %12.5lf", sum[0], sum[1]);
    std::fprintf(f, "%15s", "sum");
    std::fprintf(f, "\nlog(A) %12.5lf", t.log_a);
    std::fprintf(f, "\nlog(xk)%12.5lf", t.log_u);
    std::fprintf(f, "%8d %d %d", result, proposals, acceptances);
}

std::string slot_title(const char* name, int slot)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s [%d]\n", name, slot + 1);
    return buffer;
}

double log_det_g_kind(const QtlModel& m, int k, int kind)
{
    const int setting = kind == kAddRow ? add_setting(m) : dom_setting(m);
    if (k <= 0 || setting == 0) return 0.0;
    const Table<double>& V = kind == kAddRow ? m.p.varPOA : m.p.varPOD;
    double sum = 0.0;
    for (int t = 0; t < m.p.n_traits; ++t) sum += k * std::log(V[t][t]);
    return sum - k * m.p.n_traits * std::log(static_cast<double>(k));
}

}  // namespace vsk
