// Row formats of the sample files written for the residual, nuisance, prior
// and infinitesimal-model parameters.
#include <algorithm>

#include "core/output/samples.h"
#include "core/residual/residual.h"

namespace vsk {

namespace {

constexpr int kNormalPrior = 1;      // indiN code of a sampled normal prior
constexpr int kSampledCovariance = 2;  // prior type with a Wishart-sampled covariance
constexpr int kSampledDiagonal = 5;    // prior types from here on: sampled diagonal
constexpr int kTimDominance = 3;       // TIMnumrm value with a dominance variance

// Upper triangle, row by row; a table not (yet) sized prints zeros.
void write_triangle(std::FILE* f, const Table<double>& m, int t)
{
    for (int i = 0; i < t; ++i)
        for (int j = i; j < t; ++j)
            std::fprintf(f, " %9.4lf", (i < m.rows() && j < m.cols()) ? m[i][j] : 0.0);
}

}  // namespace

void write_genpar_row(std::FILE* f, const Par& p)
{
    const int t = p.n_traits;
    std::fprintf(f, "\n %8d", p.cur_sweep + 1);
    std::fprintf(f, " %12.3lf ", p.loglik);
    for (int j = 0; j < t; ++j) std::fprintf(f, " %9.4lf", p.n_levels > 0 ? p.nuis_effects[0][j] : 0.0);
    write_triangle(f, p.res_cov, t);
    write_triangle(f, p.tim_cov, t);
    std::fprintf(f, " %2d", p.nqtl);
    write_triangle(f, p.qtl_cov, t);
    std::fprintf(f, " %3d", p.nfpm);
    write_triangle(f, p.fpm_cov, t);
    for (int c = 1; c < p.n_nuis; ++c) {
        bool normal = false;
        for (int j = 0; j < t; ++j) normal = normal || p.indiN[c][j] == kNormalPrior;
        const int slot = random_slot_of(p, c);
        if (normal && slot >= 0 && slot < static_cast<int>(p.nuis_cov.size()))
            write_triangle(f, p.nuis_cov[slot], t);
    }
    if (TIMnumrm == kTimDominance && t == 1)
        std::fprintf(f, " %9.4lf", p.timdom_cov.empty() ? 0.0 : p.timdom_cov[0][0]);
}

bool nui2_qualifies(const Par& p, int c)
{
    return column_has_code(p, c, 0) && p.level_last[c] - p.level_first[c] < p.maxnwrtNUI;
}

bool any_nui2_rows(const Par& p)
{
    for (int c = 1; c < p.n_nuis; ++c)
        if (nui2_qualifies(p, c)) return true;
    return false;
}

bool write_nui2_row(std::FILE* f, const Par& p)
{
    bool opened = false;
    for (int c = 1; c < p.n_nuis; ++c) {
        if (!nui2_qualifies(p, c)) continue;
        if (!opened) std::fprintf(f, "\n");
        opened = true;
        for (int row = p.level_first[c]; row <= p.level_last[c]; ++row)
            for (int j = 0; j < p.n_traits; ++j) std::fprintf(f, " %9.4lf", p.nuis_effects[row][j]);
    }
    return opened;
}

// The sampled-diagonal rows scale each hyper-variance by twice the trait's
// phenotypic variance, the variance that sets those priors at the start.
void write_prior_rows(std::FILE* f, const Par& p, const Table<double>& var, int type_qtl, int type_fpm)
{
    const int t = p.n_traits;
    if (var.rows() < t) return;
    if (type_qtl == kSampledCovariance || type_fpm == kSampledCovariance) {
        std::fprintf(f, "\n%3d %3d %3d", t, p.maximFPM, p.nqtl);
        for (int i = 0; i < t; ++i)
            for (int j = 0; j < t; ++j) std::fprintf(f, " %10.5lf", var[i][j]);
    }
    if (type_qtl >= kSampledDiagonal || type_fpm >= kSampledDiagonal) {
        std::fprintf(f, "\n%3d %3d %3d", t, p.maximFPM, p.nqtl);
        for (int i = 0; i < t; ++i) {
            const double scale = p.pheno_cov.rows() > i ? 2.0 * p.pheno_cov[i][i] : 0.0;
            std::fprintf(f, " %10.5lf", scale != 0.0 ? var[i][i] / scale : 0.0);
        }
    }
}

void write_tim_row(std::FILE* f, const Par& p, const std::vector<Obs>& o, const Phe& ph,
                   const std::vector<int>& selected)
{
    std::fprintf(f, "\n");
    for (int i : selected) {
        if (i < 1 || i > static_cast<int>(o.size())) continue;
        for (int j = 0; j < p.n_traits; ++j) std::fprintf(f, " %9.4f", ph.infpoleff[i - 1][j]);
    }
}

void write_cohort_tim_row(std::FILE* f, const Par& p, const std::vector<Obs>& o, const Phe& ph)
{
    std::vector<double> var;
    for (int j = 0; j < p.n_traits; ++j) {
        std::fprintf(f, j == 0 ? "\n" : " \t");
        cohort_variances(o, p.n_cohorts, [&](std::size_t i) { return ph.infpoleff[static_cast<int>(i)][j]; }, var);
        for (double v : var) std::fprintf(f, " %8.3lf", v);
    }
}

}  // namespace vsk
