// Gibbs sweep over the infinitesimal effects: each u_i is drawn from its full
// conditional given the residuals and every other effect, reading A^-1 from
// the pedigree recursion (own term, parents, offspring and their mates).
#include <cmath>

#include "core/polygenic/tim.h"
#include "core/state/console.h"

namespace vsk {

namespace {

// Adds a * u_j to acc over t traits.
inline void add_scaled(std::vector<double>& acc, double a, const double* u, int t)
{
    for (int k = 0; k < t; ++k) acc[k] += a * u[k];
}

// w = delta_i sum_j P_ij u_j + sum_o delta_o P_oi (u_o - sum_{m != i} P_om u_m):
// G^-1 w is the prior part of the right-hand side.
void prior_pull(const TimPedigree& ped, const Phe& ph, int i, int t, std::vector<double>& w)
{
    for (int k = 0; k < t; ++k) w[k] = 0.0;
    const double di = ped.precision[i];
    if (ped.parent0[i] >= 0) add_scaled(w, di * ped.coef0[i], ph.infpoleff[ped.parent0[i]], t);
    if (ped.parent1[i] >= 0) add_scaled(w, di * ped.coef1[i], ph.infpoleff[ped.parent1[i]], t);
    const int slot = ped.founder_slot.empty() ? -1 : ped.founder_slot[i];
    if (slot >= 0) {  // related founders: - sum_{g != i} A^ig u_g
        const double* row = ped.block_precision[slot];
        for (std::size_t g = 0; g < ped.block.size(); ++g)
            if (static_cast<int>(g) != slot) add_scaled(w, -row[g], ph.infpoleff[ped.block[g]], t);
    }
    for (int a = ped.offspring_start[i]; a < ped.offspring_start[i + 1]; ++a) {
        const int c = ped.offspring[a];
        const bool first = ped.parent0[c] == i;
        const double k = first ? ped.coef0[c] : ped.coef1[c];
        const int mate = first ? ped.parent1[c] : ped.parent0[c];
        const double km = first ? ped.coef1[c] : ped.coef0[c];
        const double dk = ped.precision[c] * k;
        add_scaled(w, dk, ph.infpoleff[c], t);
        if (mate >= 0) add_scaled(w, -dk * km, ph.infpoleff[mate], t);
    }
}

// Solves L y = b (forward) and then L' x = y (backward) in place on b.
void forward(const Table<double>& L, int t, double* b)
{
    for (int a = 0; a < t; ++a) {
        double s = b[a];
        for (int k = 0; k < a; ++k) s -= L[a][k] * b[k];
        b[a] = s / L[a][a];
    }
}

void backward(const Table<double>& L, int t, double* b)
{
    for (int a = t - 1; a >= 0; --a) {
        double s = b[a];
        for (int k = a + 1; k < t; ++k) s -= L[k][a] * b[k];
        b[a] = s / L[a][a];
    }
}

}  // namespace

void tim_conditional(const TimPedigree& ped, const Phe& ph, int i, const double* e, bool phenotyped,
                     const Table<double>& Rinv, const Table<double>& Ginv, int t, Table<double>& C,
                     std::vector<double>& rhs, std::vector<double>& w)
{
    prior_pull(ped, ph, i, t, w);
    const double h = phenotyped ? 1.0 : 0.0;
    const double c = ped.diagonal[i];
    for (int a = 0; a < t; ++a) {
        double r = 0.0;
        for (int b = 0; b < t; ++b) {
            C[a][b] = h * Rinv[a][b] + c * Ginv[a][b];
            r += Ginv[a][b] * w[b];
            if (phenotyped) r += Rinv[a][b] * e[b];
        }
        rhs[a] = r;
    }
}

void sample_tim_effects(const Par& p, const TimPedigree& ped, const std::vector<Obs>& o, Phe& ph, Rng& r,
                        TimWork& w, const char* routine)
{
    const int t = p.n_traits;
    for (int i = ped.n - 1; i >= 0; --i) {
        double* residual = ph.residual[i];
        const bool phenotyped = ph.phenotype[i][0] != kUnknown;
        for (int k = 0; k < t; ++k) w.e[k] = phenotyped ? residual[k] + tim_fitted(ph, i, k) : 0.0;
        tim_conditional(ped, ph, i, w.e.data(), phenotyped, w.Rinv, w.Ginv, t, w.C, w.rhs, w.w);
        if (cholesky(w.C, t) != 0) {
            if (!REDprint) {
                cprint("\nWarning Cholesky DC in '%s'", routine);
                cprint(" cycle %d, indiv %s", p.cur_sweep + 1, o[i].name.c_str());
            }
            continue;  // u_i and its residuals stay as they were
        }
        // mean = C^-1 rhs; u = mean + L'^-1 z has covariance C^-1.
        forward(w.C, t, w.rhs.data());
        backward(w.C, t, w.rhs.data());
        for (int k = 0; k < t; ++k) w.z[k] = static_cast<double>(r.normal());
        backward(w.C, t, w.z.data());
        for (int k = 0; k < t; ++k) {
            ph.infpoleff[i][k] = w.rhs[k] + w.z[k];
            if (phenotyped) residual[k] = w.e[k] - tim_fitted(ph, i, k);
        }
    }
}

}  // namespace vsk
