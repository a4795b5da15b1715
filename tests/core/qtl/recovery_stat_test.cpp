// Recovery of a simulated QTL: an F2 of two inbred lines with fully
// informative markers (segregation indicators set from the simulated
// meioses), one additive QTL and normal noise. The chain must put the
// posterior mode of the number of QTL at 1, most posterior mass within 5 cM
// of the true position and the additive effect within 2 posterior SD of the
// truth; without a QTL it must put more mass at 0 QTL than the prior does.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/state/console.h"
#include "qtl_fixture.h"

namespace {

constexpr int kF2 = 150;
constexpr double kTruePos = 100.0 + 1.0 * 0.43;  // group 1, 43 cM
constexpr double kWindow = 0.05;                 // 5 cM

qtl_test::MapLayout f2_map()
{
    qtl_test::MapLayout s;
    s.positions.assign(2, {});
    s.weights.assign(2, {});
    for (int k = 0; k <= 10; ++k) {
        s.positions[0].push_back(0.1 * k);
        s.weights[0].push_back(1.0);
    }
    for (int k = 0; k <= 5; ++k) {
        s.positions[1].push_back(0.12 * k);
        s.weights[1].push_back(1.0);
    }
    return s;
}

// Simulates the F2 gametes (origins along each group, QTL included), sets the
// marker indicators and the phenotypes.
void simulate(qtl_test::Project& pr, double a, unsigned seed)
{
    vsk::Rng r;
    r.seed(seed);
    for (int c = 4; c < pr.p.n_individuals; ++c) {
        double g = 0.0;
        for (int side = 0; side < 2; ++side) {
            vsk::SiTable& t = side == 0 ? pr.gpo0 : pr.gpo1;
            int origin = r.uniform() < 0.5 ? 0 : 1;
            double prev = -1.0;
            int qtl_origin = -1;
            for (std::size_t k = 0; k < pr.mrk.size(); ++k) {
                const double pos = pr.mrk[k].position;
                if (prev >= 0.0 && pr.mrk[k].chrom == pr.mrk[k - 1].chrom) {
                    if (qtl_origin < 0 && pos > kTruePos && prev <= kTruePos) {
                        if (r.uniform() < vsk::haldane(prev, kTruePos)) origin = 1 - origin;
                        qtl_origin = origin;
                        prev = kTruePos;
                    }
                    if (r.uniform() < vsk::haldane(prev, pos)) origin = 1 - origin;
                } else if (prev >= 0.0) {
                    origin = r.uniform() < 0.5 ? 0 : 1;
                }
                t[static_cast<int>(k)][c] = static_cast<vsk::si_t>(origin);
                prev = pos;
            }
            // Origin 0: the allele of line 1 (state 0, +a/2 per copy).
            g += qtl_origin == 0 ? a / 2 : -a / 2;
        }
        pr.phe.phenotype[c][0] = 1;
        pr.phe.Y[c][0] = pr.phe.residual[c][0] = g + r.normal();
    }
    pr.p.n_phenotyped = kF2;
}

std::unique_ptr<qtl_test::Project> f2_project(double a, unsigned seed)
{
    std::vector<std::pair<int, int>> parents = {{1, 2}, {1, 2}};
    for (int k = 0; k < kF2; ++k) parents.push_back({3, 4});
    auto pr = qtl_test::make_project(2, parents, f2_map());
    pr->p.inbred_pop = 1;
    pr->p.priorQTL = 1.0;
    pr->p.addGENE = 4;
    pr->p.varPOA[0][0] = 0.4;
    pr->p.mean_prior_var = {10.0};
    pr->o[0].mot = pr->o[1].mot = vsk::kInbred;
    simulate(*pr, a, seed);
    pr->rng.seed(seed);
    return pr;
}

struct Posterior {
    std::vector<double> k;
    double near = 0.0, n = 0.0, a_sum = 0.0, a_sq = 0.0, a_n = 0.0;
};

Posterior run(qtl_test::Project& pr, int sweeps, int burn)
{
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    vsk::QtlModel& m = pr.model();
    Posterior post;
    post.k.assign(static_cast<std::size_t>(pr.p.maximQTL) + 1, 0.0);
    vsk::sample_qtl(m, 0);
    for (int s = 0; s < sweeps; ++s) {
        pr.p.cur_sweep = s;
        vsk::sample_qtl(m, 1);
        if (s < burn) continue;
        post.n += 1;
        post.k[static_cast<std::size_t>(pr.p.nqtl)] += 1;
        bool near = false;
        for (const vsk::Gene& g : pr.gene) {
            if (g.status == 0 || std::fabs(g.pos - kTruePos) > kWindow) continue;
            near = true;
            post.a_sum += g.eff[vsk::kAddRow][0];
            post.a_sq += g.eff[vsk::kAddRow][0] * g.eff[vsk::kAddRow][0];
            post.a_n += 1;
        }
        post.near += near;
    }
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    return post;
}

TEST(QtlRecoveryStat, FindsTheQtlOfAnF2)
{
    auto pr = f2_project(0.9, 31);
    const Posterior post = run(*pr, 4000, 500);
    const auto mode = std::max_element(post.k.begin(), post.k.end()) - post.k.begin();
    EXPECT_EQ(mode, 1);
    EXPECT_GT(post.near / post.n, 0.6);
    ASSERT_GT(post.a_n, 0);
    const double mean = post.a_sum / post.a_n;
    const double sd = std::sqrt(std::max(0.0, post.a_sq / post.a_n - mean * mean));
    // Each line-1 allele adds a / 2: the homozygotes sit at +a and -a.
    EXPECT_NEAR(mean, 0.9, 2 * sd + 0.02);
}

TEST(QtlRecoveryStat, WithoutAQtlMoreMassAtZeroThanThePrior)
{
    auto pr = f2_project(0.0, 32);
    const Posterior post = run(*pr, 4000, 500);
    // Truncated Poisson(1) on 0..4: P(0) = 1 / (1 + 1 + 1/2 + 1/6 + 1/24).
    const double prior0 = 1.0 / (1.0 + 1.0 + 0.5 + 1.0 / 6 + 1.0 / 24);
    EXPECT_GT(post.k[0] / post.n, prior0 + 0.05);
}

}  // namespace
