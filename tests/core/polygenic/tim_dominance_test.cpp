// The infinitesimal dominance model: gene-dropped dominance relationships
// against exact enumeration and hand values, the fast inverse against LU,
// one Gibbs step against the conditional computed from the covariance, a
// prior-only chain against N(0, sigma_d^2 D*), and the variance step against
// its scaled inverse chi-square law.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/polygenic/tim_dominance.h"
#include "tim_dominance_fixture.h"

namespace {

using namespace tim_dom_test;
using tim_test::make_obs;
using tim_test::make_phe;

vsk::TimPedigree pedigree_of(const Pedigree& ped)
{
    vsk::TimPedigree tp;
    vsk::build_tim_pedigree(make_obs(ped), true, tp);
    return tp;
}

// The dominance state of a pedigree as the run builds it, with D* kept for
// the dense oracles.
struct DomSetup {
    vsk::TimPedigree ped;
    vsk::TimDominance dom;
    vsk::Table<double> Dstar;
};

DomSetup make_dom(const Pedigree& pedigree, unsigned seed)
{
    DomSetup x;
    x.ped = pedigree_of(pedigree);
    vsk::Rng r;
    r.seed(seed);
    vsk::build_tim_dominance(x.ped, r, x.dom, true);
    vsk::Rng again;
    again.seed(seed);
    vsk::drop_genes(x.ped, x.dom.carriers, vsk::kDominanceReplicates, again, x.Dstar, false);
    for (int s = 0; s < x.Dstar.rows(); ++s) x.Dstar[s][s] += vsk::kDominanceRidge;
    return x;
}

TEST(TimDominanceMatrix, EnumerationGivesTheHandValues)
{
    const Matrix D = exact_dominance(line_pedigree());
    struct Entry {
        int i, j;
        double value;
    };
    // 1-based individuals of line_pedigree().
    const Entry table[] = {
        {5, 5, 1.0},   {5, 6, 1.0},   {5, 7, 0.0},    {8, 8, 0.5},   {8, 9, 0.25}, {10, 10, 1.0},
        {10, 11, 0.25}, {12, 12, 0.5}, {8, 12, 0.25}, {5, 12, 0.5},  {5, 8, 0.5},  {13, 13, 0.0},
        {14, 14, 1.0}, {15, 15, 1.0}, {15, 8, 0.0},   {1, 1, 0.0},   {10, 8, 0.0},
    };
    for (const Entry& e : table) {
        EXPECT_DOUBLE_EQ(D[e.i - 1][e.j - 1], e.value) << e.i << "," << e.j;
        EXPECT_DOUBLE_EQ(D[e.j - 1][e.i - 1], e.value) << e.j << "," << e.i;
    }
}

TEST(TimDominanceMatrix, GeneDroppingAgreesWithEnumeration)
{
    const Pedigree pedigree = line_pedigree();
    const Matrix exact = exact_dominance(pedigree);
    const vsk::TimPedigree tp = pedigree_of(pedigree);
    const std::vector<int> carriers = vsk::dominance_carriers(tp);
    // Inbred lines and the doubled haploid carry no dominance effect.
    EXPECT_EQ(carriers, (std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 13, 14}));
    vsk::Rng r;
    r.seed(11);
    vsk::Table<double> D;
    vsk::drop_genes(tp, carriers, vsk::kDominanceReplicates, r, D, false);
    const int m = static_cast<int>(carriers.size());
    for (int a = 0; a < m; ++a) {
        const int i = carriers[a];
        // D_ii = 1 - F_i within Monte Carlo error.
        const double het = 1.0 - tp.inbreeding[i];
        EXPECT_NEAR(D[a][a], het, 4.0 * std::sqrt(het * (1.0 - het) / vsk::kDominanceReplicates) + 1e-12) << i;
        for (int b = 0; b < m; ++b) {
            const double p = exact[i][carriers[b]];
            EXPECT_NEAR(D[a][b], p, 4.5 * std::sqrt(p * (1.0 - p) / vsk::kDominanceReplicates) + 1e-12)
                << i << "," << carriers[b];
            EXPECT_EQ(D[a][b], D[b][a]);
        }
    }
    // Positive semi-definite by construction: D + tiny I factors.
    vsk::Table<double> L = D;
    for (int a = 0; a < m; ++a) L[a][a] += 1e-9;
    EXPECT_EQ(vsk::cholesky(L, m), 0);
}

TEST(TimDominanceMatrix, CholeskyInverseMatchesLu)
{
    std::mt19937 g(3);
    std::normal_distribution<double> z;
    const int n = 41;  // more than two blocks of rows
    vsk::Table<double> X(n, n), A(n, n, 0.0);
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) X[a][b] = z(g);
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) {
            for (int k = 0; k < n; ++k) A[a][b] += X[a][k] * X[b][k];
            if (a == b) A[a][b] += 0.1;
        }
    vsk::Table<double> fast = A, slow = A;
    ASSERT_EQ(vsk::invert_spd(fast, n), 0);
    ASSERT_EQ(vsk::invert(slow, n), 0);
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b) EXPECT_NEAR(fast[a][b], slow[a][b], 1e-8 * (1.0 + std::fabs(slow[a][b])));
    vsk::Table<double> singular(2, 2, 1.0);
    EXPECT_EQ(vsk::invert_spd(singular, 2), 1);
}

// Conditional of slot s given the others from the covariance sigma_d^2 D*
// (Schur complement), combined with the record: an independent route to
// the row-of-the-precision formula.
vsk::DominanceConditional dense_conditional(const DomSetup& x, int s, double e, bool phenotyped, double var_d,
                                            double prec_e)
{
    const int m = x.Dstar.rows();
    std::vector<int> rest;
    for (int k = 0; k < m; ++k)
        if (k != s) rest.push_back(k);
    const int r = m - 1;
    vsk::Table<double> Srr(r, r);
    for (int a = 0; a < r; ++a)
        for (int b = 0; b < r; ++b) Srr[a][b] = var_d * x.Dstar[rest[a]][rest[b]];
    vsk::invert(Srr, r);
    double mean = 0.0, var = var_d * x.Dstar[s][s];
    for (int a = 0; a < r; ++a)
        for (int b = 0; b < r; ++b) {
            const double w = var_d * x.Dstar[s][rest[a]] * Srr[a][b];
            mean += w * x.dom.value[rest[b]];
            var -= w * var_d * x.Dstar[rest[b]][s];
        }
    vsk::DominanceConditional c;
    const double h = phenotyped ? prec_e : 0.0;
    c.precision = 1.0 / var + h;
    c.mean = (mean / var + h * e) / c.precision;
    return c;
}

TEST(TimDominanceMatrix, ConditionalOfEverySiteMatchesTheCovarianceRoute)
{
    DomSetup x = make_dom(line_pedigree(), 5);
    const int m = static_cast<int>(x.dom.carriers.size());
    std::mt19937 g(8);
    std::normal_distribution<double> z;
    for (int s = 0; s < m; ++s) x.dom.value[s] = z(g);
    for (int s = 0; s < m; ++s)
        for (bool phenotyped : {false, true}) {
            const double e = 0.7 - 0.1 * s;
            const auto fast = vsk::dominance_conditional(x.dom, s, e, phenotyped, 0.4, 2.0);
            const auto slow = dense_conditional(x, s, e, phenotyped, 0.4, 2.0);
            EXPECT_NEAR(fast.precision, slow.precision, 1e-6 * slow.precision) << s;
            EXPECT_NEAR(fast.mean, slow.mean, 1e-6 * (1.0 + std::fabs(slow.mean))) << s;
        }
}

// Phenotype tables for the sampler: trait 1 observed where `observed`.
vsk::Par one_trait_par(double var_d, double var_e, double pheno)
{
    vsk::Par p;
    p.n_traits = 1;
    p.timdom_cov.assign(1, 1, var_d);
    p.res_cov.assign(1, 1, var_e);
    p.res_prec.assign(1, 1, 1.0 / var_e);
    p.pheno_cov.assign(1, 1, pheno);
    return p;
}

// The first carrier a sweep visits (the last) is drawn from its
// conditional: mean and variance of many draws from one starting state.
TEST(TimDominanceStat, OneGibbsStepMatchesConditional)
{
    DomSetup x = make_dom(line_pedigree(), 6);
    const int n = x.ped.n, m = static_cast<int>(x.dom.carriers.size());
    vsk::Par p = one_trait_par(0.5, 0.8, 10.0);
    vsk::Phe start = make_phe(n, 1);
    std::mt19937 g(4);
    std::normal_distribution<double> z;
    for (int i = 0; i < n; ++i) {
        start.Y[i][0] = 2.0 * z(g);
        start.residual[i][0] = start.Y[i][0];
    }
    for (int s = 0; s < m; ++s) {
        const int i = x.dom.carriers[s];
        start.timdom[i][0] = z(g);
        start.residual[i][0] -= start.timdom[i][0];
        x.dom.value[s] = start.timdom[i][0];
    }
    const int last = x.dom.carriers[m - 1];
    const auto c = dense_conditional(x, m - 1, start.residual[last][0] + start.timdom[last][0], true, 0.5, 1.0 / 0.8);
    vsk::Rng r;
    r.seed(21);
    const int draws = 20000;
    double s1 = 0.0, s2 = 0.0, worst = 0.0;
    for (int k = 0; k < draws; ++k) {
        vsk::Phe ph = start;
        vsk::sample_tim_dominance(p, x.dom, ph, r);
        const double d = ph.timdom[last][0];
        s1 += d;
        s2 += d * d;
        if (k % 1000 == 0)
            for (int i = 0; i < n; ++i)
                worst = std::max(worst, std::fabs(ph.Y[i][0] - ph.timdom[i][0] - ph.residual[i][0]));
    }
    const double mean = s1 / draws, var = s2 / draws - mean * mean;
    EXPECT_NEAR(mean, c.mean, 4.0 * std::sqrt(1.0 / c.precision / draws));
    EXPECT_NEAR(var, 1.0 / c.precision, 0.05 / c.precision);
    EXPECT_LT(worst, 1e-12);  // residuals follow every draw
}

// Without records the sweep leaves N(0, sigma_d^2 D*) invariant: the
// sample covariance of a long chain matches it. The second F1 of the same
// lines is left out so that no two carriers are (nearly) identical.
TEST(TimDominanceStat, PriorOnlyChainFollowsThePrior)
{
    Pedigree pedigree = line_pedigree();
    pedigree[5] = {3, 2};  // a different F1 in place of F1b
    DomSetup x = make_dom(pedigree, 9);
    const int n = x.ped.n, m = static_cast<int>(x.dom.carriers.size());
    const double var_d = 0.7;
    vsk::Par p = one_trait_par(var_d, 1.0, 10.0);
    vsk::Phe ph = make_phe(n, 1);
    ph.phenotype.fill(static_cast<std::int8_t>(vsk::kUnknown));
    vsk::Rng r;
    r.seed(2);
    const int burn = 1000, sweeps = 200000;
    std::vector<double> sum(m, 0.0);
    std::vector<std::vector<double>> prod(m, std::vector<double>(m, 0.0));
    for (int k = 0; k < burn + sweeps; ++k) {
        vsk::sample_tim_dominance(p, x.dom, ph, r);
        if (k < burn) continue;
        for (int a = 0; a < m; ++a) {
            sum[a] += x.dom.value[a];
            for (int b = 0; b <= a; ++b) prod[a][b] += x.dom.value[a] * x.dom.value[b];
        }
    }
    for (int a = 0; a < m; ++a) {
        EXPECT_NEAR(sum[a] / sweeps, 0.0, 0.03) << a;
        for (int b = 0; b <= a; ++b) {
            const double cov = prod[a][b] / sweeps - (sum[a] / sweeps) * (sum[b] / sweeps);
            const double expected = var_d * x.Dstar[a][b];
            EXPECT_NEAR(cov, expected, 0.04 * var_d + 0.04 * std::fabs(expected)) << a << "," << b;
        }
    }
}

// Given the effects, 1 / sigma_d^2 is Gamma((m - 1) / 2, rate S / 2) with
// S = d' D*^-1 d (m - 2 degrees of freedom in the Wishart routine, whose
// one-trait draw has one more: the prior proportional to sigma_d^-1 of the
// polygenic variance); draws above twice the phenotypic variance are refused.
TEST(TimDominanceStat, VarianceStepFollowsItsConditional)
{
    DomSetup x = make_dom(f2_pedigree(40), 4);
    const int n = x.ped.n, m = static_cast<int>(x.dom.carriers.size());
    ASSERT_EQ(m, 41);  // the F1 and every F2 plant
    vsk::Phe ph = make_phe(n, 1);
    std::mt19937 g(6);
    std::normal_distribution<double> z;
    for (int s = 0; s < m; ++s) ph.timdom[x.dom.carriers[s]][0] = 0.6 * z(g);
    const double S = vsk::dominance_quadratic(x.dom, ph);
    vsk::Par p = one_trait_par(0.3, 1.0, 1e6);
    vsk::Rng r;
    r.seed(13);
    const int draws = 20000;
    double s1 = 0.0, s2 = 0.0;
    for (int k = 0; k < draws; ++k) {
        vsk::sample_tim_dominance_variance(p, x.dom, ph, r);
        const double w = 1.0 / p.timdom_cov[0][0];
        s1 += w;
        s2 += w * w;
    }
    const double shape = (m - 1) / 2.0, rate = S / 2.0;
    const double mean = s1 / draws, var = s2 / draws - mean * mean;
    EXPECT_NEAR(mean, shape / rate, 4.0 * std::sqrt(shape / (rate * rate) / draws));
    EXPECT_NEAR(var, shape / (rate * rate), 0.06 * shape / (rate * rate));

    // A bound below every plausible draw keeps the variance as it was.
    vsk::Par tight = one_trait_par(0.3, 1.0, 1e-6);
    vsk::sample_tim_dominance_variance(tight, x.dom, ph, r);
    EXPECT_EQ(tight.timdom_cov[0][0], 0.3);
    // Fewer than 20 carriers: nothing is drawn.
    DomSetup small = make_dom(f2_pedigree(10), 4);
    vsk::Phe ph_small = make_phe(small.ped.n, 1);
    for (int s : small.dom.carriers) ph_small.timdom[s][0] = 1.0;
    vsk::Par fixed = one_trait_par(0.3, 1.0, 1e6);
    vsk::sample_tim_dominance_variance(fixed, small.dom, ph_small, r);
    EXPECT_EQ(fixed.timdom_cov[0][0], 0.3);
}

}  // namespace
