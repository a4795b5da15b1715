// Gibbs step for the effects of one nuisance column ("fixed" effects with a
// flat, bounded prior or "random" effects with a normal prior), drawn level by
// level from their full conditional given the residuals of all traits.
#include <algorithm>
#include <cmath>

#include "core/numeric/linalg.h"
#include "core/residual/residual.h"
#include "core/state/console.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {

constexpr int kPriorUniform = 0;          // indiN code of a flat, bounded prior
constexpr double kFirstInflation = 1.2;
constexpr double kInflationStep = 0.2;
// The inflation retry cannot help a matrix with non-finite entries; stop
// after this many attempts instead of looping for ever.
constexpr int kMaxInflatedAttempts = 1000;

// Scratch space reused by every call; it only grows.
struct NuisanceWork {
    std::vector<int> J;          // traits that include the column
    std::vector<int> in_prior;   // per position of J: 1 when the trait has a normal prior
    std::vector<int> prior_idx;  // positions in J with a normal prior
    std::vector<int> count;      // individuals per level
    Table<double> sum;           // residual sums per level and trait
    Table<double> old;           // effects before the draw
    Table<double> Rjj, Rja, Ginv, G, C, V, Vsave, Lc;
    std::vector<double> rhs, mean, z;
    LinalgWork lin;
};

void ensure(Table<double>& t, int rows, int cols)
{
    if (t.rows() < rows || t.cols() < cols) t.assign(std::max(rows, t.rows()), std::max(cols, t.cols()));
}

NuisanceWork& work_for(int levels, int t)
{
    NuisanceWork& w = run_workspace().part<NuisanceWork>();
    ensure(w.sum, levels, t);
    ensure(w.old, levels, t);
    if (static_cast<int>(w.count.size()) < levels) w.count.resize(static_cast<std::size_t>(levels));
    for (Table<double>* m : {&w.Rjj, &w.Rja, &w.Ginv, &w.G, &w.C, &w.V, &w.Vsave, &w.Lc}) ensure(*m, t, t);
    if (static_cast<int>(w.rhs.size()) < t) {
        w.rhs.resize(static_cast<std::size_t>(t));
        w.mean.resize(static_cast<std::size_t>(t));
        w.z.resize(static_cast<std::size_t>(t));
    }
    return w;
}

// Row of the effects table of an individual's class in column c, or -1.
int level_row(const Par& p, const Obs& ind, int c)
{
    const int k = ind.X_nuis[c];
    if (k < 1 || k > p.level_last[c] - p.level_first[c] + 1) return -1;
    return p.level_first[c] + k - 1;
}

void select_traits(const Par& p, int c, NuisanceWork& w)
{
    w.J.clear();
    w.in_prior.clear();
    for (int j = 0; j < p.n_traits; ++j) {
        if (p.indiN[c][j] < kPriorUniform) continue;
        w.J.push_back(j);
        w.in_prior.push_back(p.indiN[c][j] > kPriorUniform ? 1 : 0);
    }
}

// Residual precision on J (k x k) and on J by all traits (k x t): the
// conditional of an effect on J given the residuals of every trait.
void residual_precision(const Par& p, NuisanceWork& w)
{
    const int k = static_cast<int>(w.J.size());
    for (int a = 0; a < k; ++a) {
        for (int b = 0; b < k; ++b) w.Rjj[a][b] = p.res_prec[w.J[a]][w.J[b]];
        for (int j = 0; j < p.n_traits; ++j) w.Rja[a][j] = p.res_prec[w.J[a]][j];
    }
}

// Prior precision G^-1 on the traits with a normal prior, zero rows and
// columns for traits with a flat prior in the same column.
void prior_precision(const Par& p, int s, int random, NuisanceWork& w)
{
    const int k = static_cast<int>(w.J.size());
    for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b) w.Ginv[a][b] = 0.0;
    if (!random || s < 0 || s >= static_cast<int>(p.nuis_cov.size())) return;
    std::vector<int>& idx = w.prior_idx;
    idx.clear();
    for (int a = 0; a < k; ++a)
        if (w.in_prior[a]) idx.push_back(a);
    const int m = static_cast<int>(idx.size());
    if (m == 0) return;
    for (int a = 0; a < m; ++a)
        for (int b = 0; b < m; ++b) w.G[a][b] = p.nuis_cov[s][w.J[idx[a]]][w.J[idx[b]]];
    if (invert(w.G, m, w.lin) != 0) {
        cprint("\nWarning: singular covariance of nuisance variable %d, cycle %d", s, p.cur_sweep);
        return;
    }
    for (int a = 0; a < m; ++a)
        for (int b = 0; b < m; ++b) w.Ginv[idx[a]][idx[b]] = w.G[a][b];
}

// Adds column c's current effect back to the residuals and sums them per
// level over the individuals that take part (one pass over the individuals).
void add_back_and_accumulate(const Par& p, const std::vector<Obs>& o, Phe& ph, int c, int levels, NuisanceWork& w)
{
    const int t = p.n_traits;
    for (int l = 0; l < levels; ++l) {
        w.count[l] = 0;
        for (int j = 0; j < t; ++j) w.sum[l][j] = 0.0;
    }
    for (std::size_t i = 0; i < o.size(); ++i) {
        const int row = level_row(p, o[i], c);
        if (row < 0) continue;
        const double* eff = p.nuis_effects[row];
        const int l = row - p.level_first[c];
        const std::int8_t* flag = ph.phenotype[static_cast<int>(i)];
        double* residual = ph.residual[static_cast<int>(i)];
        bool takes_part = false;
        for (int j = 0; j < t; ++j) {
            if (flag[j] == kUnknown) continue;
            residual[j] += eff[j];
            w.sum[l][j] += residual[j];
            takes_part = true;
        }
        if (takes_part) ++w.count[l];
    }
}

void subtract_effects(const Par& p, const std::vector<Obs>& o, Phe& ph, int c)
{
    const int t = p.n_traits;
    for (std::size_t i = 0; i < o.size(); ++i) {
        const int row = level_row(p, o[i], c);
        if (row < 0) continue;
        const double* eff = p.nuis_effects[row];
        const std::int8_t* flag = ph.phenotype[static_cast<int>(i)];
        double* residual = ph.residual[static_cast<int>(i)];
        for (int j = 0; j < t; ++j)
            if (flag[j] != kUnknown) residual[j] -= eff[j];
    }
}

// Lower Cholesky factor of V into Lc, inflating V's diagonal until it
// succeeds. Returns false only when the attempts run out.
bool factor_posterior(NuisanceWork& w, int k)
{
    mat_copy(w.V, w.Lc, k, k);
    if (cholesky(w.Lc, k) == 0) return true;
    cprint("\nFailure Cholesky DC in 'sample_nuisance()'");
    print_matrix_rows(w.V, k);
    cprint("\nIncrease diagonals(30.05.02)");
    double f = kFirstInflation;
    for (int attempt = 0; attempt < kMaxInflatedAttempts; ++attempt) {
        mat_copy(w.V, w.Lc, k, k);
        for (int a = 0; a < k; ++a) w.Lc[a][a] *= f;
        f += kInflationStep;
        if (cholesky(w.Lc, k) == 0) {
            cprint("\tfactor:%8.2f", f);
            return true;
        }
    }
    cprint(" STOPPED after %d iterations", kMaxInflatedAttempts);
    return false;
}

void keep_in_bounds(const Boundary& b, int c, double* eff, const double* old, const NuisanceWork& w)
{
    const std::vector<double>& upper = c == 0 ? b.mean_upper : b.nuis_upper;
    const std::vector<double>& lower = c == 0 ? b.mean_lower : b.nuis_lower;
    for (std::size_t a = 0; a < w.J.size(); ++a) {
        const int j = w.J[a];
        if (w.in_prior[a] || j >= static_cast<int>(upper.size()) || j >= static_cast<int>(lower.size()))
            continue;
        if (eff[j] < lower[j] || eff[j] > upper[j]) eff[j] = old[j];
    }
}

// Draws one level: N(V r, V) with V = (n R^-1 + G^-1)^-1 on the traits of J.
void draw_level(Par& p, const Boundary& b, Rng& r, int c, int l, NuisanceWork& w)
{
    const int k = static_cast<int>(w.J.size());
    const int t = p.n_traits;
    const double n = static_cast<double>(w.count[l]);
    for (int a = 0; a < k; ++a)
        for (int bb = 0; bb < k; ++bb) w.C[a][bb] = n * w.Rjj[a][bb] + w.Ginv[a][bb];
    mat_copy(w.C, w.V, k, k);
    if (invert(w.V, k, w.lin) != 0) return;
    mat_vec(w.Rja, w.sum[l], w.rhs.data(), k, t);
    mat_vec(w.V, w.rhs.data(), w.mean.data(), k, k);

    double* eff = p.nuis_effects[p.level_first[c] + l];
    for (int j = 0; j < t; ++j) eff[j] = 0.0;
    for (int a = 0; a < k; ++a) eff[w.J[a]] = w.mean[a];

    if (!factor_posterior(w, k)) {
        for (int j = 0; j < t; ++j) eff[j] = w.old[l][j];
        return;
    }
    for (int a = 0; a < k; ++a) w.z[a] = static_cast<double>(r.normal());
    for (int a = 0; a < k; ++a) {
        double sum = 0.0;
        for (int bb = 0; bb <= a; ++bb) sum += w.Lc[a][bb] * w.z[bb];
        eff[w.J[a]] += sum;
    }
    keep_in_bounds(b, c, eff, w.old[l], w);
}

}  // namespace

void sample_nuisance(Par& p, const std::vector<Obs>& o, Phe& ph, const Boundary& b, Rng& r, int c, int s,
                     int random)
{
    const int levels = p.level_last[c] - p.level_first[c] + 1;
    if (levels < 1) return;
    NuisanceWork& w = work_for(levels, p.n_traits);
    select_traits(p, c, w);
    if (w.J.empty()) return;
    residual_precision(p, w);
    prior_precision(p, s, random, w);
    for (int l = 0; l < levels; ++l)
        for (int j = 0; j < p.n_traits; ++j) w.old[l][j] = p.nuis_effects[p.level_first[c] + l][j];

    add_back_and_accumulate(p, o, ph, c, levels, w);

    // A fixed column with several levels keeps a reference: levels are not
    // drawn until one with more than one individual has been passed.
    bool reference_met = random || levels == 1;
    for (int l = 0; l < levels; ++l) {
        if (!reference_met) {
            if (w.count[l] > 1) reference_met = true;
            continue;
        }
        if (w.count[l] < 2) continue;
        draw_level(p, b, r, c, l, w);
    }
    subtract_effects(p, o, ph, c);
}

}  // namespace vsk
