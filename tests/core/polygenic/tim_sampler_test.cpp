// The infinitesimal model's Gibbs steps: one effect draw against its analytic
// conditional, the covariance draw against its conditional law and bounds,
// and residuals that keep following the effects.
#include <gtest/gtest.h>

#include <cmath>

#include "core/polygenic/tim.h"
#include "core/state/records.h"
#include "tim_fixture.h"

namespace {

using namespace tim_test;

struct TimRun {
    vsk::Par p;
    std::vector<vsk::Obs> o;
    vsk::Phe ph;
    vsk::TimState s;
};

// A two-trait run on the mixed pedigree with random effects and residuals.
TimRun make_setup(int t, unsigned seed)
{
    TimRun x;
    x.o = make_obs(mixed_pedigree());
    x.ph = make_phe(static_cast<int>(x.o.size()), t);
    x.p.n_traits = t;
    for (vsk::Table<double>* m : {&x.p.res_cov, &x.p.res_prec, &x.p.tim_cov, &x.p.pheno_cov}) m->assign(t, t, 0.0);
    const Matrix R = t == 2 ? Matrix{{1.0, 0.3}, {0.3, 0.5}} : Matrix{{1.0}};
    const Matrix G = t == 2 ? Matrix{{0.6, -0.2}, {-0.2, 0.9}} : Matrix{{0.6}};
    for (int a = 0; a < t; ++a)
        for (int b = 0; b < t; ++b) {
            x.p.res_cov[a][b] = x.p.res_prec[a][b] = R[a][b];
            x.p.tim_cov[a][b] = G[a][b];
            x.p.pheno_cov[a][b] = a == b ? 100.0 : 0.0;
        }
    vsk::invert(x.p.res_prec, t);
    std::mt19937 g(seed);
    std::normal_distribution<double> z;
    vsk::Phe& ph = x.ph;
    for (int i = 0; i < static_cast<int>(x.o.size()); ++i) {
        const bool observed = i % 4 != 1;
        for (int k = 0; k < t; ++k) {
            ph.phenotype[i][k] = observed ? 1 : vsk::kUnknown;
            ph.infpoleff[i][k] = z(g);
            ph.Y[i][k] = observed ? z(g) * 2.0 : 0.0;
            ph.residual[i][k] = observed ? ph.Y[i][k] - ph.infpoleff[i][k] : 0.0;
        }
    }
    vsk::build_tim_pedigree(x.o, true, x.s.ped);
    vsk::TimWork& w = x.s.work;
    for (vsk::Table<double>* m : {&w.Rinv, &w.Ginv, &w.C}) m->assign(t, t);
    for (auto* v : {&w.rhs, &w.w, &w.z, &w.e}) v->assign(t, 0.0);
    vsk::mat_copy(x.p.res_prec, w.Rinv, t, t);
    vsk::mat_copy(x.p.tim_cov, w.Ginv, t, t);
    vsk::invert(w.Ginv, t);
    return x;
}

double max_residual_error(const TimRun& x)
{
    double worst = 0.0;
    for (int i = 0; i < static_cast<int>(x.o.size()); ++i)
        for (int k = 0; k < x.p.n_traits; ++k)
            if (x.ph.phenotype[i][k] == 1)
                worst = std::max(worst, std::fabs(x.ph.Y[i][k] - vsk::tim_fitted(x.ph, i, k) - x.ph.residual[i][k]));
    return worst;
}

// The first individual a sweep visits (the last in pedigree order) is drawn
// from its conditional given the starting state: mean and covariance of many
// draws against the dense computation.
TEST(TimSamplerStat, OneGibbsStepMatchesConditional)
{
    // A cross of a selfed inbred line; that line (raised Mendelian variance,
    // one offspring); a cross of two doubled haploids with a selfed offspring.
    for (int target : {19, 18, 9}) {
        TimRun x = make_setup(2, 5);
        const int n = static_cast<int>(x.o.size());
        const vsk::Phe start = x.ph;
        const Matrix A = recursion_relationships(x.s.ped);
        const vsk::Table<double> Ainv = inverse(A);
        // Dense conditional of `target` given everyone else at the start.
        const vsk::Table<double>& Rinv = x.s.work.Rinv;
        const vsk::Table<double>& Ginv = x.s.work.Ginv;
        const bool ph = start.phenotype[target][0] == 1;
        double C[2][2], r[2];
        for (int a = 0; a < 2; ++a) {
            r[a] = 0.0;
            for (int b = 0; b < 2; ++b) {
                C[a][b] = (ph ? Rinv[a][b] : 0.0) + Ainv[target][target] * Ginv[a][b];
                if (ph) r[a] += Rinv[a][b] * (start.residual[target][b] + start.infpoleff[target][b]);
            }
            for (int j = 0; j < n; ++j)
                if (j != target)
                    for (int b = 0; b < 2; ++b) r[a] -= Ainv[target][j] * Ginv[a][b] * start.infpoleff[j][b];
        }
        const double det = C[0][0] * C[1][1] - C[0][1] * C[1][0];
        const double V[2][2] = {{C[1][1] / det, -C[0][1] / det}, {-C[1][0] / det, C[0][0] / det}};
        const double mean[2] = {V[0][0] * r[0] + V[0][1] * r[1], V[1][0] * r[0] + V[1][1] * r[1]};

        // A sweep visits from the last individual down: cut the pedigree
        // count at target + 1 so that `target` is drawn first.
        vsk::TimPedigree ped = x.s.ped;
        ped.n = target + 1;
        vsk::Rng rng;
        rng.seed(17);
        const int draws = 20000;
        double s0 = 0, s1 = 0, s00 = 0, s11 = 0, s01 = 0;
        for (int k = 0; k < draws; ++k) {
            x.ph = start;
            vsk::sample_tim_effects(x.p, ped, x.o, x.ph, rng, x.s.work, "test");
            const double u0 = x.ph.infpoleff[target][0], u1 = x.ph.infpoleff[target][1];
            s0 += u0;
            s1 += u1;
            s00 += u0 * u0;
            s11 += u1 * u1;
            s01 += u0 * u1;
        }
        const double m0 = s0 / draws, m1 = s1 / draws;
        const double v00 = s00 / draws - m0 * m0, v11 = s11 / draws - m1 * m1, v01 = s01 / draws - m0 * m1;
        EXPECT_NEAR(m0, mean[0], 4.0 * std::sqrt(V[0][0] / draws)) << target;
        EXPECT_NEAR(m1, mean[1], 4.0 * std::sqrt(V[1][1] / draws)) << target;
        EXPECT_NEAR(v00, V[0][0], 0.05 * V[0][0]) << target;
        EXPECT_NEAR(v11, V[1][1], 0.05 * V[1][1]) << target;
        EXPECT_NEAR(v01, V[0][1], 0.05 * std::sqrt(V[0][0] * V[1][1])) << target;
    }
}

TEST(TimSampler, ResidualsFollowTheEffects)
{
    TimRun x = make_setup(2, 8);
    vsk::Rng rng;
    rng.seed(3);
    for (int k = 0; k < 5; ++k) vsk::sample_tim_effects(x.p, x.s.ped, x.o, x.ph, rng, x.s.work, "test");
    EXPECT_LT(max_residual_error(x), 1e-12);
    // Individuals without phenotype keep a zero residual but get an effect.
    EXPECT_EQ(x.ph.residual[1][0], 0.0);
    EXPECT_NE(x.ph.infpoleff[1][0], 0.0);
}

// n unrelated individuals with random effects.
void unrelated(TimRun& x, int n, std::mt19937& g)
{
    x.o = make_obs(Pedigree(n, {0, 0}));
    x.ph = make_phe(n, 1);
    std::normal_distribution<double> z;
    for (int i = 0; i < n; ++i) x.ph.infpoleff[i][0] = z(g);
    vsk::build_tim_pedigree(x.o, true, x.s.ped);
}

TEST(TimSamplerStat, VarianceDrawMatchesConditional)
{
    std::mt19937 g(4);
    TimRun x = make_setup(1, 2);
    // 21 individuals: nu + 1 = 20 degrees of freedom, where the Wishart
    // routine is exact; with one trait 1 / G is then S^-1 chi2(20).
    unrelated(x, 21, g);
    vsk::Table<double> S(1, 1);
    vsk::tim_mendelian_products(x.s.ped, x.ph, 1, S);
    vsk::Rng rng;
    rng.seed(9);
    const int draws = 20000;
    double sum = 0.0, sum2 = 0.0;
    for (int k = 0; k < draws; ++k) {
        vsk::sample_tim_variance(x.p, x.s.ped, x.ph, rng);
        const double prec = 1.0 / x.p.tim_cov[0][0];
        sum += prec;
        sum2 += prec * prec;
    }
    const double mean = sum / draws, var = sum2 / draws - mean * mean;
    const double df = 20.0;
    EXPECT_NEAR(mean, df / S[0][0], 4.0 * std::sqrt(2.0 * df) / S[0][0] / std::sqrt(draws));
    EXPECT_NEAR(var, 2.0 * df / (S[0][0] * S[0][0]), 0.06 * 2.0 * df / (S[0][0] * S[0][0]));
}

TEST(TimSampler, VarianceBoundsAndSmallPedigrees)
{
    std::mt19937 g(6);
    TimRun x = make_setup(1, 2);
    unrelated(x, 40, g);
    vsk::Rng rng;
    rng.seed(1);
    // Bound at twice the phenotypic variance: every kept draw respects it,
    // and a bound no draw can meet keeps G.
    x.p.pheno_cov[0][0] = 0.55;
    for (int k = 0; k < 200; ++k) {
        vsk::sample_tim_variance(x.p, x.s.ped, x.ph, rng);
        EXPECT_LE(x.p.tim_cov[0][0], 1.1);
    }
    x.p.tim_cov[0][0] = 0.123;
    x.p.pheno_cov[0][0] = 1e-6;
    vsk::sample_tim_variance(x.p, x.s.ped, x.ph, rng);
    EXPECT_EQ(x.p.tim_cov[0][0], 0.123);
    // Fewer than 20 individuals: never updated.
    x.p.pheno_cov[0][0] = 100.0;
    unrelated(x, 19, g);
    x.p.tim_cov[0][0] = 0.123;
    vsk::sample_tim_variance(x.p, x.s.ped, x.ph, rng);
    EXPECT_EQ(x.p.tim_cov[0][0], 0.123);
}

}  // namespace
