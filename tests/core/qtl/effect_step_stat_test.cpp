// The per-QTL effect step of the prior-draw path with the bounded-uniform
// prior on two traits with correlated residuals: the additive effects have
// the normal full conditional N(sum x r / sum x^2, R / sum x^2) cut to the
// bounds, and a chain of the step must follow that cut law (its moments
// come from a grid). The data put the mass against the upper bound, so the
// cut matters, and far from 0, so the flip never acts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "core/state/console.h"
#include "qtl_fixture.h"

namespace {

constexpr int kSteps = 20000;
constexpr double kRho = 0.8;     // residual correlation
constexpr double kUpper = 1.0;   // effect bound of both traits
constexpr double kTrueA = 0.95;  // effect the phenotypes are built from
constexpr int kGrid = 600;

struct Moments {
    double m1 = 0, m2 = 0, v1 = 0, v2 = 0;
};

// Moments of N(mean, cov) cut to [lo, hi]^2 by the midpoint rule.
Moments cut_normal_moments(const double mean[2], const double cov[2][2], double lo, double hi)
{
    const double det = cov[0][0] * cov[1][1] - cov[0][1] * cov[1][0];
    const double p00 = cov[1][1] / det, p11 = cov[0][0] / det, p01 = -cov[0][1] / det;
    const double h = (hi - lo) / kGrid;
    double w = 0, s1 = 0, s2 = 0, q1 = 0, q2 = 0;
    for (int i = 0; i < kGrid; ++i)
        for (int j = 0; j < kGrid; ++j) {
            const double a = lo + (i + 0.5) * h, b = lo + (j + 0.5) * h;
            const double x = a - mean[0], y = b - mean[1];
            const double d = std::exp(-0.5 * (p00 * x * x + 2 * p01 * x * y + p11 * y * y));
            w += d;
            s1 += d * a;
            s2 += d * b;
            q1 += d * a * a;
            q2 += d * b * b;
        }
    Moments mo;
    mo.m1 = s1 / w;
    mo.m2 = s2 / w;
    mo.v1 = q1 / w - mo.m1 * mo.m1;
    mo.v2 = q2 / w - mo.m2 * mo.m2;
    return mo;
}

TEST(QtlEffectStepStat, BoundedEffectsOfTwoTraitsFollowTheirCutConditional)
{
    auto pr = qtl_test::make_project(8, qtl_test::founder_pairs(8, 24));
    qtl_test::Project& P = *pr;
    vsk::Par& p = P.p;
    const int n = p.n_individuals;
    p.n_traits = 2;
    P.phe.assign(n, 2);
    p.res_cov.assign(2, 2, 0.0);
    p.res_prec.assign(2, 2, 0.0);
    p.res_cov[0][0] = p.res_cov[1][1] = 1.0;
    p.res_cov[0][1] = p.res_cov[1][0] = kRho;
    const double det = 1.0 - kRho * kRho;
    p.res_prec[0][0] = p.res_prec[1][1] = 1.0 / det;
    p.res_prec[0][1] = p.res_prec[1][0] = -kRho / det;
    p.res_logdet = std::log(det);
    p.varPOA.assign(2, 2, 0.0);
    p.varPOD.assign(2, 2, 0.0);
    p.qtl_cov.assign(2, 2, 0.0);
    p.nuis_effects.assign(1, 2, 0.0);
    p.pheno_var.assign(2, 1.0);
    p.mean_prior_mean.assign(2, 0.0);
    p.mean_prior_var.assign(2, 1.0);
    P.b.gene_lower.assign(2, -2.0);
    P.b.gene_upper.assign(2, kUpper);
    p.addGENE = 1;
    p.domGENE = 0;
    p.nqtl = 1;
    p.n_phenotyped = n;
    for (int c = 0; c < n; ++c) P.phe.phenotype[c][0] = P.phe.phenotype[c][1] = 1;
    P.rng.seed(17);
    vsk::QtlModel& m = P.model();
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    vsk::sample_qtl(m, 0);
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    const int s = vsk::pick_active_slot(m, 0.0);
    vsk::Gene& g = P.gene[static_cast<std::size_t>(s)];
    // Every founder heterozygous, so the offspring carry all four codes.
    vsk::apply_slot_values(m, g, -1);
    for (std::size_t l = 0; l < g.alstate.size(); ++l) g.alstate[l] = static_cast<int>(l % 2);
    vsk::derive_all_genotypes(m, g);
    // Phenotypes from effect kTrueA on both traits and correlated noise.
    std::mt19937 gen(5);
    std::normal_distribution<double> z(0.0, 1.0);
    const double x_of[4] = {1.0, 0.0, 0.0, -1.0};
    double sxx = 0, sxr[2] = {0, 0};
    for (int c = 0; c < n; ++c) {
        const double x = x_of[g.gtp[static_cast<std::size_t>(c)]];
        const double e1 = z(gen), e2 = kRho * e1 + std::sqrt(det) * z(gen);
        P.phe.Y[c][0] = P.phe.residual[c][0] = kTrueA * x + e1;
        P.phe.Y[c][1] = P.phe.residual[c][1] = kTrueA * x + e2;
        sxx += x * x;
        sxr[0] += x * P.phe.residual[c][0];
        sxr[1] += x * P.phe.residual[c][1];
    }
    for (int r = 0; r < vsk::kGenotypes; ++r) g.eff[r][0] = g.eff[r][1] = 0.0;
    g.eff[vsk::kAddRow][0] = g.eff[vsk::kAddRow][1] = 0.5;
    vsk::compute_gval(p, g);
    vsk::apply_slot_values(m, g, +1);

    const double mean[2] = {sxr[0] / sxx, sxr[1] / sxx};
    const double cov[2][2] = {{1.0 / sxx, kRho / sxx}, {kRho / sxx, 1.0 / sxx}};
    const Moments want = cut_normal_moments(mean, cov, 0.0, kUpper);
    double s1 = 0, s2 = 0, q1 = 0, q2 = 0;
    for (int k = 0; k < kSteps; ++k) {
        vsk::sample_gtp_par(m, s);
        ASSERT_GT(g.eff[vsk::kAddRow][0], 0.0);  // no flip
        const double a = g.eff[vsk::kAddRow][0], b = g.eff[vsk::kAddRow][1];
        s1 += a;
        s2 += b;
        q1 += a * a;
        q2 += b * b;
    }
    const double m1 = s1 / kSteps, m2 = s2 / kSteps;
    const double v1 = q1 / kSteps - m1 * m1, v2 = q2 / kSteps - m2 * m2;
    // Effective size kSteps / 5 for the steps that keep the old vector.
    const double ess = kSteps / 5.0;
    EXPECT_NEAR(m1, want.m1, 5 * std::sqrt(want.v1 / ess));
    EXPECT_NEAR(m2, want.m2, 5 * std::sqrt(want.v2 / ess));
    EXPECT_NEAR(v1, want.v1, 0.15 * want.v1);
    EXPECT_NEAR(v2, want.v2, 0.15 * want.v2);
    EXPECT_LT(qtl_test::max_residual_error(P), 1e-9);
}

}  // namespace
