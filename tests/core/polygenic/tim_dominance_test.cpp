// The infinitesimal dominance model: gene-dropped relationships against
// exact enumeration and hand values, the fast inverse against LU, the
// conditional of one effect against the covariance route, one Gibbs draw, a
// prior-only chain against N(0, sigma_d^2 D*), and the variance step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "core/polygenic/tim_dominance.h"
#include "tim_fixture.h"

namespace {

using namespace tim_test;

// Four inbred lines; sib F1s of lines 1 x 2 and the F1 of 3 x 4; F2 sibs
// by selfing, sibs of the two different F1s, an F2 by crossing the sib
// F1s, a doubled haploid, an outbred founder, a plant with one known parent.
Pedigree line_pedigree()
{
    return {{0, kInbred}, {0, kInbred}, {0, kInbred}, {0, kInbred}, {1, 2}, {1, 2},       {3, 4}, {5, kSelfed},
            {5, kSelfed}, {5, 7},       {5, 7},       {5, 6},       {5, kDbhpld}, {0, 0}, {8, 0}};
}

// Exact D_ij = P(i and j carry the same heterozygous pair of founder genes)
// from the (fat, mot) codes, enumerating every outcome of the transmissions.
Matrix exact_dominance(const Pedigree& ped)
{
    const int n = static_cast<int>(ped.size());
    int bits = 0;
    for (const auto& [fat, mot] : ped) bits += fat == 0 ? 0 : (mot == kDbhpld || mot == 0) ? 1 : 2;
    Matrix D(n, std::vector<double>(n, 0.0));
    std::vector<int> g0(n), g1(n);
    const std::uint64_t outcomes = std::uint64_t{1} << bits;
    for (std::uint64_t code = 0; code < outcomes; ++code) {
        int used = 0, fresh = 0;
        auto draw = [&](int parent) { return ((code >> used++) & 1u) ? g1[parent] : g0[parent]; };
        for (int i = 0; i < n; ++i) {
            const int fat = ped[i].first - 1, mot = ped[i].second;
            if (fat < 0) {
                g0[i] = fresh++;
                g1[i] = mot == kInbred ? g0[i] : fresh++;
            } else {
                g0[i] = draw(fat);
                g1[i] = mot == kDbhpld ? g0[i] : mot == kSelfed ? draw(fat) : mot == 0 ? fresh++ : draw(mot - 1);
            }
        }
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                if (g0[i] != g1[i] && ((g0[i] == g0[j] && g1[i] == g1[j]) || (g0[i] == g1[j] && g1[i] == g0[j])))
                    D[i][j] += 1.0 / static_cast<double>(outcomes);
    }
    return D;
}

// An F2 of `plants` selfed from the F1 of two inbred lines.
Pedigree f2_pedigree(int plants)
{
    Pedigree ped = {{0, kInbred}, {0, kInbred}, {1, 2}};
    ped.insert(ped.end(), static_cast<std::size_t>(plants), {3, kSelfed});
    return ped;
}

// The dominance state as a run builds it, with D* kept for the oracles.
struct DomSetup {
    vsk::TimPedigree ped;
    vsk::TimDominance dom;
    vsk::Table<double> Dstar;
};

DomSetup make_dom(const Pedigree& pedigree, unsigned seed)
{
    DomSetup x;
    vsk::build_tim_pedigree(make_obs(pedigree), true, x.ped);
    vsk::Rng r, again;
    r.seed(seed);
    again.seed(seed);
    vsk::build_tim_dominance(x.ped, r, x.dom, true);
    vsk::drop_genes(x.ped, x.dom.carriers, vsk::kDominanceReplicates, again, x.Dstar, false);
    for (int s = 0; s < x.Dstar.rows(); ++s) x.Dstar[s][s] += vsk::kDominanceRidge;
    return x;
}

vsk::Par one_trait_par(double var_d, double var_e, double pheno)
{
    vsk::Par p;
    p.n_traits = 1;
    p.timdom_cov.assign(1, 1, var_d);
    p.res_prec.assign(1, 1, 1.0 / var_e);
    p.pheno_cov.assign(1, 1, pheno);
    return p;
}

TEST(TimDominanceMatrix, GeneDroppingAgreesWithExactRelationships)
{
    const Matrix exact = exact_dominance(line_pedigree());
    // Hand values (1-based individuals): sib F1s 1; selfed F2 sibs 1/4 with
    // D_ii 1/2; sibs of two different F1s 1/4 with D_ii 1; the F2 by crossing
    // like the selfed ones; doubled haploid, lines 0.
    const struct {
        int i, j;
        double value;
    } hand[] = {{5, 5, 1.0},   {5, 6, 1.0},  {5, 7, 0.0},   {8, 8, 0.5},   {8, 9, 0.25},  {10, 10, 1.0},
                {10, 11, 0.25}, {12, 12, 0.5}, {8, 12, 0.25}, {5, 12, 0.5}, {5, 8, 0.5},   {13, 13, 0.0},
                {14, 14, 1.0}, {15, 15, 1.0}, {15, 8, 0.0},   {1, 1, 0.0},  {10, 8, 0.0}};
    for (const auto& e : hand) EXPECT_DOUBLE_EQ(exact[e.i - 1][e.j - 1], e.value) << e.i << "," << e.j;

    DomSetup x = make_dom(line_pedigree(), 11);
    EXPECT_EQ(x.dom.carriers, (std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 13, 14}));  // no lines, no DH
    EXPECT_EQ(x.dom.group_slots, (std::vector<int>{0, 1}));  // the sib F1s, identical
    EXPECT_EQ(x.dom.group_start, (std::vector<int>{0, 2}));
    const int m = static_cast<int>(x.dom.carriers.size());
    const double L = vsk::kDominanceReplicates;
    for (int a = 0; a < m; ++a) {
        const int i = x.dom.carriers[a];
        const double het = 1.0 - x.ped.inbreeding[i], mc = x.Dstar[a][a] - vsk::kDominanceRidge;
        EXPECT_NEAR(mc, het, 4.0 * std::sqrt(het * (1.0 - het) / L) + 1e-12) << i;  // D_ii = 1 - F_i
        for (int b = 0; b < m; ++b) {
            const double p = exact[i][x.dom.carriers[b]];
            const double d = x.Dstar[a][b] - (a == b ? vsk::kDominanceRidge : 0.0);
            EXPECT_NEAR(d, p, 4.5 * std::sqrt(p * (1.0 - p) / L) + 1e-12) << i << "," << x.dom.carriers[b];
        }
    }
    // Positive semi-definite by construction: D + tiny I factors.
    vsk::Table<double> D = x.Dstar;
    for (int a = 0; a < m; ++a) D[a][a] += 1e-9 - vsk::kDominanceRidge;
    EXPECT_EQ(vsk::cholesky(D, m), 0);
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
// (Schur complement), combined with the record: an independent route to the
// row-of-the-precision formula.
vsk::DominanceConditional dense_conditional(const DomSetup& x, int s, double e, bool phenotyped, double var_d,
                                            double prec_e)
{
    const int m = x.Dstar.rows();
    std::vector<int> rest;
    for (int k = 0; k < m; ++k)
        if (k != s) rest.push_back(k);
    vsk::Table<double> inv(m - 1, m - 1);
    for (int a = 0; a < m - 1; ++a)
        for (int b = 0; b < m - 1; ++b) inv[a][b] = x.Dstar[rest[a]][rest[b]];
    vsk::invert(inv, m - 1);
    double mean = 0.0, var = var_d * x.Dstar[s][s];
    for (int a = 0; a < m - 1; ++a)
        for (int b = 0; b < m - 1; ++b) {
            const double w = x.Dstar[s][rest[a]] * inv[a][b];
            mean += w * x.dom.value[rest[b]];
            var -= w * var_d * x.Dstar[rest[b]][s];
        }
    const double h = phenotyped ? prec_e : 0.0;
    vsk::DominanceConditional c;
    c.precision = 1.0 / var + h;
    c.mean = (mean / var + h * e) / c.precision;
    return c;
}

TEST(TimDominanceMatrix, ConditionalOfEverySiteMatchesTheCovarianceRoute)
{
    DomSetup x = make_dom(line_pedigree(), 5);
    std::mt19937 g(8);
    std::normal_distribution<double> z;
    for (double& v : x.dom.value) v = z(g);
    for (int s = 0; s < static_cast<int>(x.dom.carriers.size()); ++s)
        for (bool phenotyped : {false, true}) {
            const auto fast = vsk::dominance_conditional(x.dom, s, 0.7 - 0.1 * s, phenotyped, 0.4, 2.0);
            const auto slow = dense_conditional(x, s, 0.7 - 0.1 * s, phenotyped, 0.4, 2.0);
            EXPECT_NEAR(fast.precision, slow.precision, 1e-6 * slow.precision) << s;
            EXPECT_NEAR(fast.mean, slow.mean, 1e-6 * (1.0 + std::fabs(slow.mean))) << s;
        }
}

// The first carrier a sweep visits (the last) is drawn from that
// conditional, and the residuals follow every draw.
TEST(TimDominanceStat, OneGibbsStepMatchesConditional)
{
    DomSetup x = make_dom(line_pedigree(), 6);
    const int n = x.ped.n, m = static_cast<int>(x.dom.carriers.size()), last = x.dom.carriers[m - 1];
    vsk::Par p = one_trait_par(0.5, 0.8, 10.0);
    vsk::Phe start = make_phe(n, 1);
    std::mt19937 g(4);
    std::normal_distribution<double> z;
    for (int i = 0; i < n; ++i) start.Y[i][0] = start.residual[i][0] = 2.0 * z(g);
    for (int s = 0; s < m; ++s) {
        const int i = x.dom.carriers[s];
        x.dom.value[s] = start.timdom[i][0] = z(g);
        start.residual[i][0] -= start.timdom[i][0];
    }
    const auto c = dense_conditional(x, m - 1, start.Y[last][0], true, 0.5, 1.0 / 0.8);
    vsk::Rng r;
    r.seed(21);
    const int draws = 20000;
    double s1 = 0.0, s2 = 0.0, worst = 0.0;
    for (int k = 0; k < draws; ++k) {
        vsk::Phe ph = start;
        vsk::sample_tim_dominance(p, x.dom, ph, r);
        s1 += ph.timdom[last][0];
        s2 += ph.timdom[last][0] * ph.timdom[last][0];
        for (int i = 0; i < n && k % 1000 == 0; ++i)
            worst = std::max(worst, std::fabs(ph.Y[i][0] - ph.timdom[i][0] - ph.residual[i][0]));
    }
    const double mean = s1 / draws, var = s2 / draws - mean * mean;
    EXPECT_NEAR(mean, c.mean, 4.0 * std::sqrt(1.0 / c.precision / draws));
    EXPECT_NEAR(var, 1.0 / c.precision, 0.05 / c.precision);
    EXPECT_LT(worst, 1e-12);

    // The common shift t of the sib F1s (slots 0, 1) along v: precision
    // v' (Q / var_d + H / var_e) v and mean v' (H r / var_e - Q d / var_d)
    // over that, Q from an LU inverse of D*.
    for (int a = 0; a < m; ++a) x.dom.value[a] = start.timdom[x.dom.carriers[a]][0];
    const Matrix Dm = [&] {
        Matrix d(m, std::vector<double>(m));
        for (int a = 0; a < m; ++a)
            for (int b = 0; b < m; ++b) d[a][b] = x.Dstar[a][b];
        return d;
    }();
    const vsk::Table<double> Q = inverse(Dm);
    double vQv = 0.0, vQd = 0.0;
    for (int a : {0, 1}) {
        for (int b : {0, 1}) vQv += Q[a][b];
        for (int b = 0; b < m; ++b) vQd += Q[a][b] * x.dom.value[b];
    }
    const double precision = vQv / 0.5 + 2.0 / 0.8;
    const double shift_mean =
        ((start.residual[x.dom.carriers[0]][0] + start.residual[x.dom.carriers[1]][0]) / 0.8 - vQd / 0.5) / precision;
    s1 = s2 = 0.0;
    for (int k = 0; k < draws; ++k) {
        vsk::Phe ph = start;
        vsk::TimDominance dom = x.dom;
        vsk::shift_identical_groups(p, dom, ph, r);
        const double t = ph.timdom[x.dom.carriers[0]][0] - start.timdom[x.dom.carriers[0]][0];
        EXPECT_NEAR(ph.timdom[x.dom.carriers[1]][0] - start.timdom[x.dom.carriers[1]][0], t, 1e-12);
        s1 += t;
        s2 += t * t;
    }
    const double tm = s1 / draws, tv = s2 / draws - tm * tm;
    EXPECT_NEAR(tm, shift_mean, 4.0 * std::sqrt(1.0 / precision / draws));
    EXPECT_NEAR(tv, 1.0 / precision, 0.05 / precision);
}

// Without records the sweep (single sites, then the shift of the identical
// sib F1s) leaves N(0, sigma_d^2 D*) invariant.
TEST(TimDominanceStat, PriorOnlyChainFollowsThePrior)
{
    DomSetup x = make_dom(line_pedigree(), 9);
    const int m = static_cast<int>(x.dom.carriers.size());
    const double var_d = 0.7;
    vsk::Par p = one_trait_par(var_d, 1.0, 10.0);
    vsk::Phe ph = make_phe(x.ped.n, 1);
    ph.phenotype.fill(static_cast<std::int8_t>(vsk::kUnknown));
    vsk::Rng r;
    r.seed(2);
    const int burn = 1000, sweeps = 200000;
    std::vector<double> sum(m, 0.0);
    Matrix prod(m, std::vector<double>(m, 0.0));
    for (int k = 0; k < burn + sweeps; ++k) {
        vsk::sample_tim_dominance(p, x.dom, ph, r);
        for (int a = 0; a < m && k >= burn; ++a) {
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
    const int m = static_cast<int>(x.dom.carriers.size());
    ASSERT_EQ(m, 41);  // the F1 and every F2 plant
    vsk::Phe ph = make_phe(x.ped.n, 1);
    std::mt19937 g(6);
    std::normal_distribution<double> z;
    for (int i : x.dom.carriers) ph.timdom[i][0] = 0.6 * z(g);
    const double S = vsk::dominance_quadratic(x.dom, ph);
    vsk::Par p = one_trait_par(0.3, 1.0, 1e6);
    vsk::Rng r;
    r.seed(13);
    const int draws = 20000;
    double s1 = 0.0, s2 = 0.0;
    for (int k = 0; k < draws; ++k) {
        vsk::sample_tim_dominance_variance(p, x.dom, ph, r);
        s1 += 1.0 / p.timdom_cov[0][0];
        s2 += 1.0 / (p.timdom_cov[0][0] * p.timdom_cov[0][0]);
    }
    const double shape = (m - 1) / 2.0, rate = S / 2.0;
    const double mean = s1 / draws, var = s2 / draws - mean * mean;
    EXPECT_NEAR(mean, shape / rate, 4.0 * std::sqrt(shape / (rate * rate) / draws));
    EXPECT_NEAR(var, shape / (rate * rate), 0.06 * shape / (rate * rate));

    // A bound below every plausible draw, or fewer than 20 carriers: the
    // variance stays as it was.
    vsk::Par tight = one_trait_par(0.3, 1.0, 1e-6);
    vsk::sample_tim_dominance_variance(tight, x.dom, ph, r);
    EXPECT_EQ(tight.timdom_cov[0][0], 0.3);
    DomSetup small = make_dom(f2_pedigree(10), 4);
    vsk::Phe ph_small = make_phe(small.ped.n, 1);
    for (int i : small.dom.carriers) ph_small.timdom[i][0] = 1.0;
    vsk::Par fixed = one_trait_par(0.3, 1.0, 1e6);
    vsk::sample_tim_dominance_variance(fixed, small.dom, ph_small, r);
    EXPECT_EQ(fixed.timdom_cov[0][0], 0.3);
}

}  // namespace
