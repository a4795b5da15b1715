// Prior variances of the QTL effects: the Metropolis move of a diagonal
// variance (Beta(2, 10) prior on V / 2P), the inverse-Wishart step of a
// sampled covariance matrix, and the genetic covariance the QTL explain.
#include <cmath>

#include "core/numeric/linalg.h"
#include "core/qtl/qtl.h"
#include "core/residual/residual.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr double kStepShare = 0.3;   // random-walk half-width, share of P
constexpr double kPriorBeta = 9.0;   // x (1 - x)^9
constexpr double kTooLarge = 15.0;   // largest prior variance, in phenotypic variances

double log_prior(double v, double P)
{
    const double x = v / (2.0 * P);
    return std::log(x) + kPriorBeta * std::log(1.0 - x);
}

// Log density of n effects with sum of squares S, each N(0, v / n).
double log_effects(double v, int n, double S)
{
    const double s2 = v / n;
    return -0.5 * n * std::log(s2) - S / (2.0 * s2);
}

// The FPM genes: the model's own genes when it samples them, else the
// process-wide ones next to the QTL.
const std::vector<Polygene>& fpm_genes(const QtlModel& m) { return m.fpm ? m.gene : polygene; }

}  // namespace

int effect_variance_move(QtlModel& m, int kind)
{
    Par& p = m.p;
    Table<double>& V = effect_prior_matrix(p, kind);
    const bool qtl_setting = (kind == kAddRow ? p.addGENE : p.domGENE) == 5;
    const bool fpm_setting = (kind == kAddRow ? p.addFPM : p.domFPM) == 5;
    int accepted = 0;
    for (int t = 0; t < p.n_traits; ++t) {
        const double P = p.pheno_var[static_cast<std::size_t>(t)];
        const double v = V[t][t];
        double w = v + (0.5 - m.rng.uniform()) * 2.0 * kStepShare * P;
        if (w > 2.0 * P) w = 4.0 * P - w;
        if (w < 0.0) w = -w;
        double delta = log_prior(w, P) - log_prior(v, P);
        // Each model's effects have the prior N(0, V / its own count) under
        // which they are drawn: QTL and FPM genes enter with their own n.
        if (qtl_setting && !m.fpm) {  // an FPM model's genes are `polygene`
            int n = 0;
            double S = 0.0;
            for (int s = 0; s < p.maximQTL; ++s) {
                const Gene& g = m.gene[static_cast<std::size_t>(s)];
                if (g.status == 0) continue;
                ++n;
                S += g.eff[kind][t] * g.eff[kind][t];
            }
            if (n > 0) delta += log_effects(w, n, S) - log_effects(v, n, S);
        }
        if (fpm_setting) {
            int n = 0;
            double S = 0.0;
            const std::vector<Polygene>& fpm = fpm_genes(m);
            for (int s = 0; s < p.maximFPM && s < static_cast<int>(fpm.size()); ++s) {
                const Polygene& g = fpm[static_cast<std::size_t>(s)];
                if (g.status == 0 || g.eff.rows() <= kind) continue;
                ++n;
                S += g.eff[kind][t] * g.eff[kind][t];
            }
            if (n > 0) delta += log_effects(w, n, S) - log_effects(v, n, S);
        }
        if (!mh_accept(m.rng, delta) || !(w > 0.0 && w < 2.0 * P)) continue;
        V[t][t] = w;
        ++accepted;
    }
    return accepted;
}

void sample_var_po(QtlModel& m, int kind)
{
    Par& p = m.p;
    const int T = p.n_traits;
    Table<double>& S = m.w.wishart_scale;
    Table<double>& W = m.w.wishart_draw;
    if (S.rows() < T || S.cols() < T) S.assign(T, T, 0.0);
    for (int a = 0; a < T; ++a)
        for (int b = 0; b < T; ++b) S[a][b] = 0.0;
    int n = 0;
    auto add = [&](const Table<double>& eff) {
        ++n;
        for (int a = 0; a < T; ++a)
            for (int b = 0; b < T; ++b) S[a][b] += eff[kind][a] * eff[kind][b];
    };
    for (int s = 0; s < p.maximQTL && !m.fpm; ++s)
        if (m.gene[static_cast<std::size_t>(s)].status != 0) add(m.gene[static_cast<std::size_t>(s)].eff);
    const std::vector<Polygene>& fpm = fpm_genes(m);
    for (int s = 0; s < p.maximFPM && s < static_cast<int>(fpm.size()); ++s)
        if (fpm[static_cast<std::size_t>(s)].status != 0 && fpm[static_cast<std::size_t>(s)].eff.rows() > kind)
            add(fpm[static_cast<std::size_t>(s)].eff);
    const double nu = n - (T + 1);
    if (invert(S, T, m.w.lin) != 0 || wishart(S, nu, T, W, m.rng) != 0 || invert(W, T, m.w.lin) != 0) {
        cprint("\nWARNING function  sample_varPO()");
        cprint("\n failure Wishart ,cycle %d", p.cur_sweep);
        return;
    }
    for (int t = 0; t < T; ++t)
        if (W[t][t] > kTooLarge * p.pheno_var[static_cast<std::size_t>(t)]) {
            cprint("\nWARNING function  sample_varPO()");
            cprint("\nSamples NOT copied(too large)");
            cprint("%8d  %d %12.4f", p.cur_sweep, t, W[t][t]);
            return;
        }
    mat_copy(W, effect_prior_matrix(p, kind), T, T);
}

void qtl_covariance(QtlModel& m)
{
    Par& p = m.p;
    const int T = p.n_traits;
    Table<double>& cov = m.fpm ? p.fpm_cov : p.qtl_cov;
    if (cov.rows() < T) cov.assign(T, T, 0.0);
    for (int a = 0; a < T; ++a)
        for (int b = 0; b < T; ++b) cov[a][b] = 0.0;
    for (int s = 0; s < slot_count(m); ++s) {
        const Gene& g = m.gene[static_cast<std::size_t>(s)];
        if (g.status == 0) continue;
        const double pf = g.freq[0][0], q = 1.0 - pf;
        for (int a = 0; a < T; ++a)
            for (int b = 0; b < T; ++b) {
                const double aa = g.eff[kAddRow][a], ab = g.eff[kAddRow][b];
                const double da = g.eff[kDomRow][a], db = g.eff[kDomRow][b];
                if (p.inbred_pop == 1) {
                    const double Ma = (pf - q) * aa, Mb = (pf - q) * ab;
                    cov[a][b] += pf * (aa - Ma) * (ab - Mb) + q * (-aa - Ma) * (-ab - Mb);
                } else {
                    const double Ma = pf * pf * aa + 2 * pf * q * da - q * q * aa;
                    const double Mb = pf * pf * ab + 2 * pf * q * db - q * q * ab;
                    cov[a][b] += pf * pf * (aa - Ma) * (ab - Mb) + 2 * pf * q * (da - Ma) * (db - Mb) +
                                       q * q * (-aa - Ma) * (-ab - Mb);
                }
            }
    }
}

}  // namespace vsk
