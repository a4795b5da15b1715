// Small residual-model records built in test code: traits, nuisance columns
// with their levels, individuals with phenotypes, and a simulator of data
// with known effects and residual covariance.
#pragma once

#include <cmath>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "core/numeric/linalg.h"
#include "core/state/records.h"

namespace residual_test {

struct Model {
    vsk::Par p;
    std::vector<vsk::Obs> o;
    vsk::Phe ph;
    vsk::Boundary b;
};

// Sets row i of a per-individual table to the given values.
template <class T, class V>
void set_row(vsk::Table<T>& table, int i, std::initializer_list<V> values)
{
    int j = 0;
    for (V v : values) table[i][j++] = static_cast<T>(v);
}

// `levels[c]` levels for nuisance columns 1..; column 0 is the overall mean.
// codes[c][j] are the indiN codes (row 0 is all 0).
inline Model make_model(int t, const std::vector<int>& levels, const std::vector<std::vector<int>>& codes, int n)
{
    Model m;
    vsk::Par& p = m.p;
    p.n_traits = t;
    p.n_nuis = static_cast<int>(levels.size()) + 1;
    p.indiN.assign(p.n_nuis, t, 0);
    for (int c = 1; c < p.n_nuis; ++c)
        for (int j = 0; j < t; ++j) p.indiN[c][j] = codes[c - 1][j];
    p.level_first.assign(p.n_nuis, 0);
    p.level_last.assign(p.n_nuis, 0);
    for (int c = 1; c < p.n_nuis; ++c) {
        p.level_first[c] = p.level_last[c - 1] + 1;
        p.level_last[c] = p.level_first[c] + levels[c - 1] - 1;
    }
    p.n_levels = p.level_last[p.n_nuis - 1] + 1;
    p.nuis_effects.assign(p.n_levels, t, 0.0);
    p.level_flag.assign(p.n_levels, -1);
    for (vsk::Table<double>* tb : {&p.res_cov, &p.res_prec, &p.res_cov_mean, &p.pheno_cov})
        tb->assign(t, t, 0.0);
    p.nuis_cov.assign(vsk::kMaxRandomNuisance, vsk::Table<double>(t, t, 0.0));
    for (int j = 0; j < t; ++j) {
        p.res_cov[j][j] = 1.0;
        p.res_prec[j][j] = 1.0;
        p.pheno_cov[j][j] = 1e6;
    }
    const double wide = 1e9;
    m.b.mean_upper.assign(t, wide);
    m.b.mean_lower.assign(t, -wide);
    m.b.nuis_upper.assign(t, wide);
    m.b.nuis_lower.assign(t, -wide);
    p.n_individuals = n;
    m.o.resize(n);
    for (int i = 0; i < n; ++i) {
        vsk::Obs& ind = m.o[i];
        ind.name = "ind" + std::to_string(i + 1);
        ind.X_nuis.assign(p.n_nuis, 1);
    }
    m.ph.assign(n, t);
    m.ph.phenotype.fill(1);
    return m;
}

// Residual of every individual recomputed as Y minus its current effects:
// the invariant the incremental updates must keep.
inline double max_residual_error(const Model& m)
{
    double worst = 0.0;
    for (std::size_t i = 0; i < m.o.size(); ++i)
        for (int j = 0; j < m.p.n_traits; ++j) {
            const vsk::Obs& ind = m.o[i];
            const int row = static_cast<int>(i);
            if (m.ph.phenotype[row][j] != 1) continue;  // imputed values have no Y
            double fit = 0.0;
            for (int c = 0; c < m.p.n_nuis; ++c) {
                const int k = ind.X_nuis[c];
                if (k >= 1) fit += m.p.nuis_effects[m.p.level_first[c] + k - 1][j];
            }
            worst = std::max(worst, std::fabs(m.ph.Y[row][j] - fit - m.ph.residual[row][j]));
        }
    return worst;
}

// Sets res_cov and its inverse and log determinant.
inline void set_residual_cov(vsk::Par& p, const std::vector<std::vector<double>>& cov)
{
    const int t = p.n_traits;
    for (int i = 0; i < t; ++i)
        for (int j = 0; j < t; ++j) p.res_cov[i][j] = p.res_prec[i][j] = cov[i][j];
    vsk::invert(p.res_prec, t);
    vsk::Table<double> L(t, t);
    vsk::mat_copy(p.res_cov, L, t, t);
    vsk::cholesky(L, t);
    p.res_logdet = 0.0;
    for (int i = 0; i < t; ++i) p.res_logdet += 2.0 * std::log(L[i][i]);
}

// Draws a correlated normal pair (or single value) with covariance cov.
inline std::vector<double> mvn(std::mt19937& g, const std::vector<std::vector<double>>& cov)
{
    std::normal_distribution<double> z;
    const int t = static_cast<int>(cov.size());
    std::vector<double> e(t);
    if (t == 1) {
        e[0] = std::sqrt(cov[0][0]) * z(g);
        return e;
    }
    const double l00 = std::sqrt(cov[0][0]);
    const double l10 = cov[1][0] / l00;
    const double l11 = std::sqrt(cov[1][1] - l10 * l10);
    const double z0 = z(g), z1 = z(g);
    e[0] = l00 * z0;
    e[1] = l10 * z0 + l11 * z1;
    return e;
}

struct RunningStat {
    double n = 0, mean = 0, m2 = 0;
    void add(double x)
    {
        n += 1;
        const double d = x - mean;
        mean += d / n;
        m2 += d * (x - mean);
    }
    double var() const { return n > 1 ? m2 / (n - 1) : 0.0; }
    double sd() const { return std::sqrt(var()); }
};

}  // namespace residual_test
