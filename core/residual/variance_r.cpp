// Gibbs step for the covariance matrix of a random nuisance column: an
// inverse-Wishart draw from the sums of products of its level effects.
#include "core/numeric/linalg.h"
#include "core/residual/residual.h"
#include "core/state/console.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {

constexpr int kRandomSampled = 1;     // indiN code whose covariance is resampled
// A drawn variance above this multiple of the phenotypic variance is taken
// as implausible and discarded.
constexpr double kPlausibleFactor = 4.0;

struct VarRWork {
    std::vector<int> J1;
    Table<double> S, W;
    LinalgWork lin;
};

VarRWork& work_for(int t)
{
    VarRWork& w = run_workspace().part<VarRWork>();
    if (w.S.rows() < t) {
        w.S.assign(t, t);
        w.W.assign(t, t);
    }
    return w;
}

// Sums of products of the level effects on J1; returns the number of levels
// that contributed at least one product.
int effect_products(const Par& p, int c, VarRWork& w)
{
    const int k = static_cast<int>(w.J1.size());
    for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b) w.S[a][b] = 0.0;
    int contributing = 0;
    for (int row = p.level_first[c]; row <= p.level_last[c]; ++row) {
        const double* eff = p.nuis_effects[row];
        bool contributed = false;
        for (int a = 0; a < k; ++a)
            for (int b = 0; b < k; ++b) {
                const double ea = eff[w.J1[a]];
                const double eb = eff[w.J1[b]];
                if (ea == 0.0 && eb == 0.0) continue;
                w.S[a][b] += ea * eb;
                contributed = true;
            }
        if (contributed) ++contributing;
    }
    return contributing;
}

}  // namespace

int nuisance_covariance_traits(const Par& p, int c)
{
    int k = 0;
    for (int j = 0; j < p.n_traits; ++j)
        if (p.indiN[c][j] == kRandomSampled) ++k;
    return k;
}

int levels_drawn(const Par& p, const std::vector<Obs>& o, const Phe& ph, int c)
{
    const int levels = p.level_last[c] - p.level_first[c] + 1;
    if (levels < 1) return 0;
    std::vector<int> count(static_cast<std::size_t>(levels), 0);
    for (std::size_t i = 0; i < o.size(); ++i) {
        const int l = o[i].X_nuis[c] - 1;
        if (l < 0 || l >= levels) continue;
        const std::int8_t* flag = ph.phenotype[static_cast<int>(i)];
        bool takes_part = false;
        for (int j = 0; j < p.n_traits; ++j) takes_part = takes_part || flag[j] != kUnknown;
        if (takes_part) ++count[static_cast<std::size_t>(l)];
    }
    int drawn = 0;
    for (int n : count) drawn += n >= 2 ? 1 : 0;
    return drawn;
}

void report_held_nuisance_covariances(const Par& p, const std::vector<Obs>& o, const Phe& ph)
{
    const int t = p.n_traits;
    for (int c = 1; c < p.n_nuis; ++c) {
        const int k = nuisance_covariance_traits(p, c);
        if (k == 0) continue;
        const int drawn = levels_drawn(p, o, ph, c);
        const int needed = t + 1 + k;  // nu = drawn - (t + 1) must reach k
        if (drawn >= needed) continue;
        const char* name = c < static_cast<int>(p.namesN.size()) ? p.namesN[c].c_str() : "";
        cprint("\n\nWARNING: random nuisance variable %d (%s) has %d level(s) with two or more records;", c, name,
               drawn);
        cprint("\n         sampling its covariance on %d trait(s) needs at least %d.", k, needed);
        cprint("\n         Its covariance is kept at its starting value for the whole chain.");
    }
}

void sample_var_r(Par& p, Rng& r, int c, int s)
{
    const int t = p.n_traits;
    VarRWork& w = work_for(t);
    w.J1.clear();
    for (int j = 0; j < t; ++j)
        if (p.indiN[c][j] == kRandomSampled) w.J1.push_back(j);
    const int k = static_cast<int>(w.J1.size());
    if (k == 0 || s < 0 || s >= static_cast<int>(p.nuis_cov.size())) return;

    // nu counts from -(t + 1) over all traits, whatever the size of J1.
    const double nu = -(t + 1.0) + effect_products(p, c, w);
    // Too few levels for a draw: announced once before the chain
    // (report_held_nuisance_covariances); the chain stays quiet. No draw is
    // skipped: the Wishart draw would have refused before drawing.
    if (nu < k) return;
    for (int a = 0; a < k; ++a)
        if (w.S[a][a] == 0.0) cprint("\nsample_varR(): Diagonal %d equal to zero!!", a + 1);

    // A singular sum of products (no level drawn yet) cannot be inverted: the
    // draw fails like a failed Wishart draw and the matrix is kept.
    if (invert(w.S, k, w.lin) != 0 || wishart(w.S, nu, k, w.W, r) != 0 ||
        invert(w.W, k, w.lin) != 0) {
        cprint("\n failure Wishart in sample_varR(%d),cycle %d", s, p.cur_sweep);
        return;
    }
    for (int a = 0; a < k; ++a)
        if (w.W[a][a] > kPlausibleFactor * p.pheno_cov[w.J1[a]][w.J1[a]]) return;
    for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b) p.nuis_cov[s][w.J1[a]][w.J1[b]] = w.W[a][b];
}

}  // namespace vsk
