// The origin step with phenotypes over three generations: founders 1..4,
// 5 = (1, 2), 6 = (3, 4), 7 and 8 = (5, 6), all non-founders phenotyped,
// the QTL between two markers whose indicators are known. An origin of 5 or
// 6 changes the alleles of 7 and 8 as well, so the step must weigh the
// descendants' phenotypes; a chain of origin sweeps must follow the joint
// conditional that an enumeration of all 256 configurations gives.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/state/console.h"
#include "qtl_fixture.h"

namespace {

constexpr int kSweeps = 40000;
constexpr double kAdd = 1.5, kDom = 0.3;
constexpr double kQtlAt = 0.23;                   // Morgan from the group start
constexpr double kLeftMarker = 0.2, kRightMarker = 0.5;
const std::array<int, 8> kStates = {0, 1, 1, 0, 0, 1, 1, 0};  // founder alleles 1a 1b 2a 2b ...
const std::array<double, 4> kY = {0.5, -1.5, 1.8, -1.6};      // phenotypes of 5..8
// Indicators of 5..8 (paternal, maternal side) at the left and right marker.
const std::array<std::array<int, 2>, 4> kLeft = {{{0, 1}, {1, 1}, {0, 0}, {1, 0}}};
const std::array<std::array<int, 2>, 4> kRight = {{{0, 0}, {1, 0}, {1, 0}, {1, 1}}};

double haldane(double d) { return 0.5 * (1.0 - std::exp(-2.0 * d)); }
double value(int code) { return code == 0 ? kAdd : code == 3 ? -kAdd : kDom; }
double loglik(double y, int code)
{
    const double r = y - value(code);
    return -0.5 * std::log(2.0 * M_PI) - 0.5 * r * r;
}

double trans(int k, int side, int origin)
{
    const double rl = haldane(kQtlAt - kLeftMarker), rr = haldane(kRightMarker - kQtlAt);
    const auto ks = static_cast<std::size_t>(k), ss = static_cast<std::size_t>(side);
    return (origin != kLeft[ks][ss] ? rl : 1.0 - rl) * (origin != kRight[ks][ss] ? rr : 1.0 - rr);
}

std::vector<double> enumerate()
{
    std::vector<double> w(256, 0.0);
    double total = 0.0;
    for (int cell = 0; cell < 256; ++cell) {
        const int k[4] = {cell >> 6, (cell >> 4) & 3, (cell >> 2) & 3, cell & 3};
        const int a5[2] = {kStates[static_cast<std::size_t>(k[0] / 2)], kStates[static_cast<std::size_t>(2 + k[0] % 2)]};
        const int a6[2] = {kStates[static_cast<std::size_t>(4 + k[1] / 2)], kStates[static_cast<std::size_t>(6 + k[1] % 2)]};
        const int code[4] = {2 * a5[0] + a5[1], 2 * a6[0] + a6[1], 2 * a5[k[2] / 2] + a6[k[2] % 2], 2 * a5[k[3] / 2] + a6[k[3] % 2]};
        double l = 0.0, t = 1.0;
        for (int i = 0; i < 4; ++i) {
            l += loglik(kY[static_cast<std::size_t>(i)], code[i]);
            t *= trans(i, 0, k[i] / 2) * trans(i, 1, k[i] % 2);
        }
        w[static_cast<std::size_t>(cell)] = t * std::exp(l);
        total += w[static_cast<std::size_t>(cell)];
    }
    for (double& x : w) x /= total;
    return w;
}

TEST(QtlOriginStat, OriginSweepsFollowTheEnumeratedConditionalOverGenerations)
{
    auto pr = qtl_test::make_project(4, {{1, 2}, {3, 4}, {5, 6}, {5, 6}});
    for (int c = 4; c < 8; ++c) {
        pr->phe.phenotype[c][0] = 1;
        pr->phe.Y[c][0] = pr->phe.residual[c][0] = kY[static_cast<std::size_t>(c - 4)];
    }
    pr->p.n_phenotyped = 4;
    pr->p.nqtl = 1;
    pr->rng.seed(5);
    vsk::QtlModel& m = pr->model();
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    vsk::sample_qtl(m, 0);
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    vsk::Gene& g = pr->gene[0];
    // A known QTL on group 0, residuals from scratch.
    vsk::apply_slot_values(m, g, -1);
    pr->p.nuis_effects[0][0] = 0.0;
    for (int c = 4; c < 8; ++c) pr->phe.residual[c][0] = kY[static_cast<std::size_t>(c - 4)];
    g.chrom = 0;
    g.pos = pr->chr[0].LowLim + kQtlAt;
    g.interval = vsk::find_qtl_interval(m, 0, g.pos);
    vsk::recompute_rf(m, 0);
    vsk::rebuild_locus_order(m);
    const int left = m.w.marker_row[static_cast<std::size_t>(pr->chr[0].fMrkr + 1)];
    const int right = m.w.marker_row[static_cast<std::size_t>(pr->chr[0].fMrkr + 2)];
    for (int c = 4; c < 8; ++c) {
        const auto i = static_cast<std::size_t>(c - 4);
        pr->gpo0[left][c] = static_cast<signed char>(kLeft[i][0]);
        pr->gpo1[left][c] = static_cast<signed char>(kLeft[i][1]);
        pr->gpo0[right][c] = static_cast<signed char>(kRight[i][0]);
        pr->gpo1[right][c] = static_cast<signed char>(kRight[i][1]);
    }
    for (int r = 0; r < vsk::kGenotypes; ++r) g.eff[r][0] = 0.0;
    g.eff[vsk::kAddRow][0] = kAdd;
    g.eff[vsk::kDomRow][0] = kDom;
    vsk::compute_gval(pr->p, g);
    g.alstate.assign(kStates.begin(), kStates.end());
    vsk::derive_all_genotypes(m, g);
    vsk::apply_slot_values(m, g, +1);

    const std::vector<double> p = enumerate();
    std::vector<double> counts(256, 0.0);
    for (int s = 0; s < kSweeps; ++s) {
        vsk::sample_allele_origin(m, 0, true);
        int cell = 0;
        for (int c = 4; c < 8; ++c) cell = 4 * cell + 2 * g.gpori[0][c] + g.gpori[1][c];
        counts[static_cast<std::size_t>(cell)] += 1.0;
    }
    // 5 standard errors at an effective size of kSweeps / 4.
    for (std::size_t k = 0; k < p.size(); ++k) {
        const double se = std::sqrt(p[k] * (1.0 - p[k]) / (kSweeps / 4.0));
        EXPECT_NEAR(counts[k] / kSweeps, p[k], 5.0 * se + 1e-3) << "cell " << k;
    }
    EXPECT_LT(qtl_test::max_residual_error(*pr), 1e-12);
}

}  // namespace
