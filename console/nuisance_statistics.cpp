// Phenotype statistics and the start values of the residual model: trait
// means and variances, centring and scaling, initial variances of gene
// effects, polygenic and random nuisance effects, the overall-mean prior and
// the effect bounds.
#include <cmath>
#include <limits>

#include "console/nuisance_classes.h"
#include "core/state/console.h"
#include "core/state/nuisance_codes.h"
#include "core/state/version.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr int kObserved = 1;
constexpr int kNormalPrior = 1;            // indiN codes from here on: normal prior
constexpr int kSampledCovariance = 2;      // addGENE/domGENE with a sampled covariance
constexpr int kHeritabilityScaled = 4;     // addGENE/domGENE from here on: h2-scaled
constexpr double kInitialFraction = 0.05;  // of the residual (co)variance
constexpr double kTimFraction = 0.25;      // residual variance moved to the TIM model
constexpr double kTimDomFraction = 0.05;
constexpr int kTimDominance = 3;           // TIMnumrm with a dominance variance
constexpr double kBoundSd = 2.0;           // effect bounds in phenotypic SDs

void size_table(Table<double>& t, int n)
{
    if (t.rows() < n || t.cols() < n) t.assign(n, n, 0.0);
}

void size_vector(std::vector<double>& v, int n)
{
    if (static_cast<int>(v.size()) < n) v.assign(static_cast<std::size_t>(n), 0.0);
}

void print_rows(const Table<double>& m, int t)
{
    for (int i = 0; i < t; ++i) {
        if (t > 1) cprint("\n");
        for (int j = 0; j < t; ++j) cprint(" %10.3f", m[i][j]);
    }
}

void gene_prior(Par& p, Table<double>& var, int type)
{
    const int t = p.n_traits;
    if (type == kSampledCovariance) {
        for (int i = 0; i < t; ++i)
            for (int j = 0; j < t; ++j) var[i][j] = kInitialFraction * p.res_cov[i][j];
    } else if (type >= kHeritabilityScaled) {
        for (int i = 0; i < t; ++i) var[i][i] = p.priorh2QTL * p.pheno_var[i];
    }
}

}  // namespace

void ensure_trait_tables(Par& p, Boundary& b)
{
    const int t = p.n_traits;
    for (Table<double>* m : {&p.pheno_cov, &p.res_cov, &p.res_prec, &p.res_cov_mean, &p.varPOA,
                             &p.varPOD, &p.tim_cov, &p.timdom_cov, &p.qtl_cov, &p.fpm_cov})
        size_table(*m, t);
    if (static_cast<int>(p.nuis_cov.size()) < kMaxRandomNuisance)
        p.nuis_cov.resize(static_cast<std::size_t>(kMaxRandomNuisance));
    for (Table<double>& m : p.nuis_cov) size_table(m, t);
    for (std::vector<double>* v : {&p.pheno_mean, &p.pheno_var, &p.pheno_min, &p.pheno_max,
                                   &p.mean_prior_mean, &p.mean_prior_var, &b.gene_upper, &b.gene_lower,
                                   &b.mean_upper, &b.mean_lower, &b.nuis_upper, &b.nuis_lower})
        size_vector(*v, t);
    p.trait_shift.assign(static_cast<std::size_t>(t), 0.0);
    p.trait_scale.assign(static_cast<std::size_t>(t), 1.0);
}

int trait_statistics(Par& p, Phe& ph)
{
    const int n = ph.residual.rows();
    int phenotyped = 0;
    for (int i = 0; i < n; ++i) {
        bool any = false;
        for (int j = 0; j < p.n_traits; ++j) any = any || ph.phenotype[i][j] == kObserved;
        if (any) ++phenotyped;
    }
    for (int k = 0; k < p.n_traits; ++k) {
        double m = 0.0, sum = 0.0, sq = 0.0;
        double lo = std::numeric_limits<double>::max(), hi = -std::numeric_limits<double>::max();
        for (int i = 0; i < n; ++i) {
            if (ph.phenotype[i][k] != kObserved) continue;
            const double y = ph.residual[i][k];
            m += 1.0;
            sum += y;
            sq += y * y;
            lo = std::min(lo, y);
            hi = std::max(hi, y);
        }
        // Mean and variance need two records; fewer would make every later
        // quantity NaN.
        if (m < 2.0) {
            cprint("\nERROR: trait %d has %.0f observed record(s), at least 2 are needed", k + 1, m);
            cprint("\nNow exiting Voskara %s\n\n", kVersion);
            fatal_exit(1);
        }
        const double mean = sum / m;
        const double var = (sq - sum * sum / m) / (m - 1.0);
        if (p.indiN[0][k] >= 0)
            p.nuis_effects[0][k] = mean;
        else
            p.trait_shift[k] = mean;  // centred below with no effect to carry the mean
        cprint("\nTrait %d", k + 1);
        cprint("\n records  %10.0f", m);
        cprint("\n    mean  %15.3f", mean);
        cprint("\nvariance  %15.3f", var);
        cprint("\n minimum  %15.3f", lo);
        cprint("\n maximum  %15.3f", hi);
        p.pheno_mean[k] = mean;
        p.pheno_var[k] = var;
        p.pheno_min[k] = lo;
        p.pheno_max[k] = hi;
        p.pheno_cov[k][k] = var;
        for (int i = 0; i < n; ++i)
            if (ph.phenotype[i][k] == kObserved) ph.residual[i][k] -= mean;
    }
    return phenotyped;
}

// Row r averages over the individuals with a usable row trait; missing
// values enter as 0. The diagonal keeps the sample variances.
void phenotypic_covariance(Par& p, const Phe& ph, const char* title)
{
    const int t = p.n_traits;
    crule(2, 79, 1);
    cprint("%s", title);
    for (int r = 0; r < t; ++r) {
        cprint("\n%d", r + 1);
        double n = 0.0;
        for (int i = 0; i < ph.residual.rows(); ++i)
            if (ph.phenotype[i][r] != kUnknown) n += 1.0;
        for (int c = 0; c < t; ++c) {
            double sum = 0.0;
            for (int i = 0; i < ph.residual.rows(); ++i)
                if (ph.phenotype[i][r] != kUnknown) sum += ph.residual[i][r] * ph.residual[i][c];
            const double cov = n > 1.0 ? sum / (n - 1.0) : 0.0;
            cprint(" %10.3f", cov);
            if (r != c) p.pheno_cov[r][c] = cov;
        }
    }
}

void scale_traits(Par& p, Phe& ph)
{
    const int t = p.n_traits;
    cprint("\n\nScaling of Trait Phenotypes (optional!)");
    std::vector<double> sd(static_cast<std::size_t>(t));
    for (int k = 0; k < t; ++k) sd[k] = std::sqrt(p.pheno_var[k]);
    for (int k = 0; k < t; ++k) {
        for (int i = 0; i < ph.residual.rows(); ++i)
            if (ph.phenotype[i][k] == kObserved) ph.residual[i][k] /= sd[k];
        p.nuis_effects[0][k] = 0.0;
        p.pheno_var[k] = 1.0;
        p.trait_shift[k] = p.pheno_mean[k];
        p.trait_scale[k] = sd[k];
    }
    for (int r = 0; r < t; ++r)
        for (int c = 0; c < t; ++c) p.pheno_cov[r][c] = r == c ? 1.0 : p.pheno_cov[r][c] / (sd[r] * sd[c]);
    if (t > 1) phenotypic_covariance(p, ph, "PHENOTYPIC COVARIANCE MATRIX [-SCALED-]");
}

void initial_gene_variances(Par& p)
{
    gene_prior(p, p.varPOA, p.addGENE);
    gene_prior(p, p.varPOD, p.domGENE);
}

void initial_tim_variances(Par& p)
{
    if (!p.indicTIM) return;
    const int t = p.n_traits;
    crule(2, 79, 1);
    cprint("INITIAL VALUE(S) TIM VARIANCE(S)");
    cprint("\n'0.25*residual variance(s)'");
    for (int i = 0; i < t; ++i)
        for (int j = 0; j < t; ++j) {
            p.tim_cov[i][j] = kTimFraction * p.res_cov[i][j];
            p.res_cov[i][j] *= 1.0 - kTimFraction;
        }
    // The residual precision and log determinant follow the reduced matrix.
    for (int i = 0; i < t; ++i)
        for (int j = 0; j < t; ++j) p.res_prec[i][j] /= 1.0 - kTimFraction;
    p.res_logdet += t * std::log(1.0 - kTimFraction);
    print_rows(p.tim_cov, t);
    if (TIMnumrm != kTimDominance) return;
    crule(2, 79, 1);
    cprint("INITIAL VALUE(S) TIM-DOM VARIANCE(S)");
    cprint("\n'0.05*residual variance(s)'");
    for (int i = 0; i < t; ++i)
        for (int j = 0; j < t; ++j) p.timdom_cov[i][j] = kTimDomFraction * p.res_cov[i][j];
    print_rows(p.timdom_cov, t);
}

// Every factor with a normal prior for some trait (code 1 or more) takes the
// next covariance slot, the same slot the sweep uses to address it.
void initial_random_variances(Par& p)
{
    const int t = p.n_traits;
    for (int c = 1; c < p.n_nuis; ++c) {
        const int slot = random_slot_of(p.indiN, t, c);
        if (slot < 0) continue;
        if (slot >= kMaxRandomNuisance) {
            cprint("\nERROR\nToo many NORMALLY DISTRIBUTED nuisance variables");
            cprint("\nA maximum of 10 Variance Components can be included");
            cprint("\nNow exiting Voskara %s", kVersion);
            fatal_exit(1);
        }
        for (int m = 0; m < t; ++m)
            for (int u = 0; u < t; ++u)
                if (p.indiN[c][m] >= kNormalPrior && p.indiN[c][u] >= kNormalPrior)
                    p.nuis_cov[slot][m][u] = kInitialFraction * p.res_cov[m][u];
    }
}

// The prior is centred on the overall mean on the analysis scale (the trait
// mean, or 0 for scaled traits).
void overall_mean_prior(Par& p)
{
    if (!p.indicQTL && !p.indicFPM) return;
    const int t = p.n_traits;
    for (int k = 0; k < t; ++k) {
        p.mean_prior_mean[k] = p.nuis_effects[0][k];
        p.mean_prior_var[k] = p.pheno_var[k];
    }
    if (p.addGENE <= 1 && p.domGENE <= 1 && p.addFPM <= 1 && p.domFPM <= 1) return;
    crule(2, 79, 1);
    cprint("Normal Prior Distribution for Overall Mean");
    cprint("\n- Diagonal Variances structure");
    cprint("\n%8s %10s %10s", "Trait", "Mean", "Variance");
    for (int k = 0; k < t; ++k) cprint("\n%8d %10.3f %10.3lf", k + 1, p.mean_prior_mean[k], p.mean_prior_var[k]);
}

void effect_bounds(const Par& p, Boundary& b)
{
    for (int k = 0; k < p.n_traits; ++k) {
        const double sd = std::sqrt(p.pheno_var[k]);
        const double m = p.nuis_effects[0][k];
        b.gene_upper[k] = kBoundSd * sd;
        b.gene_lower[k] = -kBoundSd * sd;
        b.mean_upper[k] = m + kBoundSd * sd;
        b.mean_lower[k] = m - kBoundSd * sd;
        b.nuis_upper[k] = kBoundSd * sd;
        b.nuis_lower[k] = -kBoundSd * sd;
    }
}

}  // namespace vsk
