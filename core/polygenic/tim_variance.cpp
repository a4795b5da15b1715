// Gibbs step for the polygenic covariance G: given the effects, the
// Mendelian sampling terms m_i = u_i - sum_j P_ij u_j are independent
// N(0, d_i G), so G^-1 is Wishart with the inverse of their weighted sums of
// products as scale. Draws whose variances exceed twice the phenotypic ones
// are outside the prior and are drawn again.
#include "core/polygenic/tim.h"
#include "core/residual/residual.h"
#include "core/state/console.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {

constexpr int kMinIndividuals = 20;   // smaller pedigrees keep G fixed
constexpr int kMaxDraws = 20;         // draws before G is kept as it is
constexpr double kMaxShareOfPhenotypic = 2.0;

struct VarianceWork {
    Table<double> S, W, Gnew;
    std::vector<double> m;
    LinalgWork lin;
};

VarianceWork& work_for(int t)
{
    VarianceWork& w = run_workspace().part<VarianceWork>();
    if (w.S.rows() < t) {
        w.S.assign(t, t);
        w.W.assign(t, t);
        w.Gnew.assign(t, t);
        w.m.resize(static_cast<std::size_t>(t));
    }
    return w;
}

bool within_prior(const Par& p, const Table<double>& G, int t)
{
    for (int j = 0; j < t; ++j)
        if (G[j][j] > kMaxShareOfPhenotypic * p.pheno_cov[j][j]) return false;
    return true;
}

}  // namespace

void tim_mendelian_products(const TimPedigree& ped, const Phe& ph, int t, Table<double>& S)
{
    for (int a = 0; a < t; ++a)
        for (int b = 0; b < t; ++b) S[a][b] = 0.0;
    std::vector<double>& m = work_for(t).m;
    for (int i = 0; i < ped.n; ++i) {
        if (!ped.founder_slot.empty() && ped.founder_slot[i] >= 0) continue;  // the block follows
        for (int k = 0; k < t; ++k) {
            double v = ph.infpoleff[i][k];
            if (ped.parent0[i] >= 0) v -= ped.coef0[i] * ph.infpoleff[ped.parent0[i]][k];
            if (ped.parent1[i] >= 0) v -= ped.coef1[i] * ph.infpoleff[ped.parent1[i]][k];
            m[k] = v;
        }
        const double d = ped.precision[i];
        for (int a = 0; a < t; ++a)
            for (int b = 0; b < t; ++b) S[a][b] += d * m[a] * m[b];
    }
    // Related founders: U_F' A_FF^-1 U_F.
    const int slots = static_cast<int>(ped.block.size());
    for (int s = 0; s < slots; ++s)
        for (int g = 0; g < slots; ++g) {
            const double q = ped.block_precision[s][g];
            const double* us = ph.infpoleff[ped.block[s]];
            const double* ug = ph.infpoleff[ped.block[g]];
            for (int a = 0; a < t; ++a)
                for (int b = 0; b < t; ++b) S[a][b] += q * us[a] * ug[b];
        }
}

void sample_tim_variance(Par& p, const TimPedigree& ped, const Phe& ph, Rng& r)
{
    const int t = p.n_traits;
    if (ped.n < kMinIndividuals || t < 1) return;
    VarianceWork& w = work_for(t);
    tim_mendelian_products(ped, ph, t, w.S);
    const double nu = ped.n - (t + 1.0);
    if (invert(w.S, t, w.lin) != 0) {
        cprint("\nWarning: Failure Wishart in sample_varTIM(),cycle %d", p.cur_sweep);
        return;
    }
    for (int draw = 0; draw < kMaxDraws; ++draw) {
        if (wishart(w.S, nu, t, w.W, r) != 0) {
            cprint("\nWarning: Failure Wishart in sample_varTIM(),cycle %d", p.cur_sweep);
            return;
        }
        mat_copy(w.W, w.Gnew, t, t);
        if (invert(w.Gnew, t, w.lin) != 0) continue;
        if (!within_prior(p, w.Gnew, t)) continue;
        mat_copy(w.Gnew, p.tim_cov, t, t);
        return;
    }
}

}  // namespace vsk
