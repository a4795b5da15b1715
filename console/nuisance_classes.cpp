// Nuisance classes: class checks, renumbering into consecutive effect levels,
// and the order of the whole start-up step of the residual model.
#include "console/nuisance_classes.h"

#include <algorithm>
#include <cmath>

#include "console/reports.h"
#include "core/state/console.h"
#include "core/state/version.h"
#include "core/voskara.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr int kMaxClass = 1000000;

void print_nuisance_table(const Par& p)
{
    crule(2, 79, 1);
    cprint("NUISANCE VARIABLES");
    cprint("\nparam\tM_indic\tEF_n\tLF_n");
    for (int c = 0; c < p.n_nuis; ++c) {
        cprint("\n%5d", c);
        for (int j = 0; j < p.n_traits; ++j) cprint("\t%5d", p.indiN[c][j]);
        cprint("\t%5d\t%5d", p.level_first[c], p.level_last[c]);
    }
}

void print_trait_matrix(const Table<double>& m, int t)
{
    for (int i = 0; i < t; ++i) {
        cprint("\n%d", i + 1);
        for (int j = 0; j < t; ++j) cprint(" %10.3f", m[i][j]);
    }
}

// IBD mode keeps one level and no nuisance effects.
void prepare_ibd_mode(Par& p)
{
    InitNuisanceEffects(1, p.n_traits);
    for (int j = 0; j < p.n_traits; ++j) p.nuis_effects[0][j] = 0.0;
    p.res_cov.fill(1.0);
    for (int c = 1; c < p.n_nuis; ++c)
        for (int j = 0; j < p.n_traits; ++j) p.indiN[c][j] = -1;
    p.level_first.assign(static_cast<std::size_t>(p.n_nuis), 0);
    p.level_last.assign(static_cast<std::size_t>(p.n_nuis), 0);
}

// A sample too small for the first residual draw leaves the residual
// covariance at zero, which no later step could use: start from the
// phenotypic variances instead.
void ensure_residual_start(Par& p)
{
    const int t = p.n_traits;
    bool zero = true;
    for (int i = 0; i < t; ++i)
        for (int j = 0; j < t; ++j) zero = zero && p.res_cov[i][j] == 0.0;
    if (!zero) return;
    double logdet = 0.0;
    for (int i = 0; i < t; ++i) {
        const double v = p.pheno_var[i] > 0.0 ? p.pheno_var[i] : 1.0;
        p.res_cov[i][i] = v;
        p.res_prec[i][i] = 1.0 / v;
        logdet += std::log(v);
    }
    p.res_logdet = logdet;
}

}  // namespace

bool has_phenotype(const Phe& ph, std::size_t i, int n_traits)
{
    const std::int8_t* flag = ph.phenotype[static_cast<int>(i)];
    for (int j = 0; j < n_traits; ++j)
        if (flag[j] != kUnknown) return true;
    return false;
}

void check_nuisance_classes(const Par& p, const std::vector<Obs>& o, const Phe& ph)
{
    for (int c = 1; c < p.n_nuis; ++c) {
        bool checked = true;
        for (int j = 0; j < p.n_traits; ++j) checked = checked && p.indiN[c][j] >= 0;
        if (!checked) continue;
        for (std::size_t i = 0; i < o.size(); ++i) {
            const int v = o[i].X_nuis[c];
            if (!has_phenotype(ph, i, p.n_traits) || (v >= 1 && v <= kMaxClass)) continue;
            cprint("\nERROR: misspecification class level");
            cprint("\n ind: %s [%d]", o[i].name.c_str(), static_cast<int>(i) + 1);
            cprint("\n nui: %d\n val: %d", c, v);
            cprint("\nNow exiting Voskara %s\n\n", kVersion);
            fatal_exit(1);
        }
    }
}

// Classes are ranked among the distinct values of the phenotyped
// individuals; a value of 0 or below (possible only in factors that some
// trait excludes) takes its rank but leaves the individual without a level.
// Every listed value enters the level table, so that level k of a factor
// always shows its own class number.
int renumber_nuisance_classes(Par& p, std::vector<Obs>& o, const Phe& ph, std::vector<int>& table)
{
    table.assign(1, 1);  // level 0: the overall mean
    p.level_first.assign(static_cast<std::size_t>(p.n_nuis), 0);
    p.level_last.assign(static_cast<std::size_t>(p.n_nuis), 0);
    std::vector<int> values;
    for (int c = 1; c < p.n_nuis; ++c) {
        values.clear();
        for (std::size_t i = 0; i < o.size(); ++i)
            if (has_phenotype(ph, i, p.n_traits)) values.push_back(o[i].X_nuis[c]);
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        int largest = 0;
        for (std::size_t i = 0; i < o.size(); ++i) {
            int& x = o[i].X_nuis[c];
            if (!has_phenotype(ph, i, p.n_traits) || x <= 0) {
                x = 0;
                continue;
            }
            x = static_cast<int>(std::lower_bound(values.begin(), values.end(), x) - values.begin()) + 1;
            largest = std::max(largest, x);
        }
        if (largest > 0) table.insert(table.end(), values.begin(), values.begin() + largest);
        p.level_first[c] = p.level_last[c - 1] + 1;
        p.level_last[c] = p.level_first[c] + largest - 1;
    }
    return p.n_nuis > 0 ? p.level_last[p.n_nuis - 1] + 1 : 1;
}

void prepare_nuisance_classes()
{
    Par& p = par;
    ensure_trait_tables(p, boundary);
    if (p.indicQTL == 2) {
        prepare_ibd_mode(p);
        return;
    }
    crule(2, 79, 1);
    cprint("NUISANCE VARIABLES AND ADJUSTMENT PHENOTYPES");
    check_nuisance_classes(p, obs, phe);
    std::vector<int> table;
    const int levels = renumber_nuisance_classes(p, obs, phe, table);
    cprint("\nNo. nuisance classes: %d ", levels);
    InitNuisanceEffects(levels, p.n_traits);
    for (int l = 0; l < levels && l < static_cast<int>(table.size()); ++l) p.level_flag[l] = table[l];

    p.n_phenotyped = trait_statistics(p, phe);
    if (p.n_traits > 1) phenotypic_covariance(p, phe, "PHENOTYPIC COVARIANCE MATRIX");
    if (p.scaleT) scale_traits(p, phe);
    write_extreme_residuals(p, obs, phe);

    crule(2, 79, 1);
    cprint("SAMPLE RESIDUAL VARIANCE(S)");
    SampleVarERR();
    ensure_residual_start(p);
    print_trait_matrix(p.res_cov, p.n_traits);
    CalcLikelihood();
    cprint("\n\nLikelihood %15.5f", p.loglik);

    initial_gene_variances(p);
    initial_tim_variances(p);
    AugmentPhenotypes();
    initial_random_variances(p);
    print_nuisance_table(p);
    overall_mean_prior(p);
    effect_bounds(p, boundary);
}

}  // namespace vsk
