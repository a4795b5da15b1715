// QTL steps with phenotypes over three generations against enumeration (the
// origin step, the founder genotype step, "LocGtp" and the update order):
// founders 1..4, 5 = (1, 2), 6 = (3, 4), 7 and 8 = (5, 6), all non-founders
// phenotyped, every marker indicator of group 0 known, founder alleles and
// effects fixed. An origin of 5 or 6 changes the alleles of 7 and 8 as well,
// so a step must weigh the descendants' phenotypes. For a QTL at x the 256
// origin configurations k have the weight
//   w(x) prod_(ind, side) P(k | flanking indicators, x) L(y | k),
// which gives both the conditional of the origins at a fixed position and,
// summed over k on a grid, the marginal density of the position.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/state/console.h"
#include "qtl_fixture.h"

namespace {

constexpr int kSweeps = 40000;
constexpr int kConfigs = 256;
constexpr int kGrid = 200;     // points per marker interval
constexpr double kBin = 0.05;  // Morgan
struct Effects {
    double add, dom;
};
constexpr Effects kStrong{1.5, 0.3};  // origin step: the descendants decide
constexpr Effects kMild{0.8, 0.2};    // position chains: moves accepted often enough to mix
const std::array<int, 8> kStates = {0, 1, 1, 0, 0, 1, 1, 0};  // founder alleles 1a 1b 2a 2b ...
const std::array<double, 4> kY = {0.5, -1.5, 1.8, -1.6};      // phenotypes of 5..8
// Indicators at the four markers of group 0 (0, 0.2, 0.5, 0.6 Morgan) of
// individuals 5..8, paternal and maternal side.
const std::array<std::array<std::array<int, 2>, 4>, 4> kInd = {{
    {{{1, 1}, {0, 0}, {1, 0}, {0, 1}}},
    {{{0, 1}, {1, 1}, {0, 0}, {1, 0}}},
    {{{0, 0}, {1, 0}, {1, 0}, {1, 1}}},
    {{{1, 1}, {1, 1}, {0, 1}, {0, 1}}},
}};

double haldane(double d) { return 0.5 * (1.0 - std::exp(-2.0 * d)); }
double value(const Effects& e, int code) { return code == 0 ? e.add : code == 3 ? -e.add : e.dom; }
double loglik(const Effects& e, double y, int code)
{
    const double r = y - value(e, code);
    return -0.5 * std::log(2.0 * M_PI) - 0.5 * r * r;
}

struct Map {
    std::vector<double> at;  // marker positions from the group start
};

// Log of L(y | k) for configuration `cell` (two bits per individual, 5 first).
double config_loglik(const Effects& e, int cell)
{
    const int k[4] = {cell >> 6, (cell >> 4) & 3, (cell >> 2) & 3, cell & 3};
    const int a5[2] = {kStates[static_cast<std::size_t>(k[0] / 2)], kStates[static_cast<std::size_t>(2 + k[0] % 2)]};
    const int a6[2] = {kStates[static_cast<std::size_t>(4 + k[1] / 2)], kStates[static_cast<std::size_t>(6 + k[1] % 2)]};
    const int code[4] = {2 * a5[0] + a5[1], 2 * a6[0] + a6[1], 2 * a5[k[2] / 2] + a6[k[2] % 2], 2 * a5[k[3] / 2] + a6[k[3] % 2]};
    double l = 0.0;
    for (int i = 0; i < 4; ++i) l += loglik(e, kY[static_cast<std::size_t>(i)], code[i]);
    return l;
}

// Unnormalised weights of the configurations for a QTL at x inside marker
// interval j (between markers j and j + 1).
std::vector<double> config_weights(const Effects& e, const Map& map, int j, double x)
{
    const double rl = haldane(x - map.at[static_cast<std::size_t>(j)]);
    const double rr = haldane(map.at[static_cast<std::size_t>(j + 1)] - x);
    const double rlr = haldane(map.at[static_cast<std::size_t>(j + 1)] - map.at[static_cast<std::size_t>(j)]);
    std::vector<double> w(kConfigs, 0.0);
    for (int cell = 0; cell < kConfigs; ++cell) {
        double t = 1.0;
        for (int i = 0; i < 4; ++i)
            for (int side = 0; side < 2; ++side) {
                const int o = side == 0 ? ((cell >> (6 - 2 * i)) & 3) / 2 : ((cell >> (6 - 2 * i)) & 3) % 2;
                const int l = kInd[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)][static_cast<std::size_t>(side)];
                const int r = kInd[static_cast<std::size_t>(i)][static_cast<std::size_t>(j + 1)][static_cast<std::size_t>(side)];
                // P(o | l, r): the two steps over the one they replace.
                t *= (o != l ? rl : 1.0 - rl) * (o != r ? rr : 1.0 - rr) / (l != r ? rlr : 1.0 - rlr);
            }
        w[static_cast<std::size_t>(cell)] = t * std::exp(config_loglik(e, cell));
    }
    return w;
}

struct Fixture {
    std::unique_ptr<qtl_test::Project> pr;
    vsk::Gene* g = nullptr;
    Map map;
    Effects e;

    vsk::QtlModel& m() { return pr->model(); }
    double start() const { return pr->chr[0].LowLim; }
};

// The project with its one QTL put on group 0 at x (from the group start).
Fixture build(const Effects& e, double x, unsigned seed)
{
    Fixture f;
    f.e = e;
    f.pr = qtl_test::make_project(4, {{1, 2}, {3, 4}, {5, 6}, {5, 6}});
    qtl_test::Project& pr = *f.pr;
    for (int c = 4; c < 8; ++c) {
        pr.phe.phenotype[c][0] = 1;
        pr.phe.Y[c][0] = pr.phe.residual[c][0] = kY[static_cast<std::size_t>(c - 4)];
    }
    pr.p.n_phenotyped = 4;
    pr.p.nqtl = 1;
    pr.rng.seed(seed);
    vsk::QtlModel& m = pr.model();
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    vsk::sample_qtl(m, 0);
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    f.g = &pr.gene[static_cast<std::size_t>(vsk::pick_active_slot(m, 0.0))];
    vsk::Gene& g = *f.g;
    const int s = static_cast<int>(f.g - pr.gene.data());
    // A known QTL, residuals from scratch.
    vsk::apply_slot_values(m, g, -1);
    pr.p.nuis_effects[0][0] = 0.0;
    for (int c = 4; c < 8; ++c) pr.phe.residual[c][0] = kY[static_cast<std::size_t>(c - 4)];
    g.chrom = 0;
    g.pos = f.start() + x;
    g.interval = vsk::find_qtl_interval(m, 0, g.pos);
    vsk::recompute_rf(m, s);
    vsk::rebuild_locus_order(m);
    const vsk::Chr& ch = pr.chr[0];
    for (int k = ch.fMrkr; k <= ch.lMrkr; ++k) {
        f.map.at.push_back(pr.mrk[static_cast<std::size_t>(k)].position - f.start());
        const int row = m.w.marker_row[static_cast<std::size_t>(k)];
        for (int c = 4; c < 8; ++c) {
            const auto& ind = kInd[static_cast<std::size_t>(c - 4)][static_cast<std::size_t>(k - ch.fMrkr)];
            pr.gpo0[row][c] = static_cast<signed char>(ind[0]);
            pr.gpo1[row][c] = static_cast<signed char>(ind[1]);
        }
    }
    for (int r = 0; r < vsk::kGenotypes; ++r) g.eff[r][0] = 0.0;
    g.eff[vsk::kAddRow][0] = e.add;
    g.eff[vsk::kDomRow][0] = e.dom;
    vsk::compute_gval(pr.p, g);
    g.alstate.assign(kStates.begin(), kStates.end());
    vsk::sample_allele_origin(m, s, false);  // origins that fit the markers
    vsk::apply_slot_values(m, g, +1);
    return f;
}

int config_of(const vsk::Gene& g)
{
    int cell = 0;
    for (int c = 4; c < 8; ++c) cell = 4 * cell + 2 * g.gpori[0][c] + g.gpori[1][c];
    return cell;
}

void expect_frequencies(const std::vector<double>& counts, double n, const std::vector<double>& p, double ess_share)
{
    for (std::size_t k = 0; k < p.size(); ++k) {
        const double se = std::sqrt(p[k] * (1.0 - p[k]) / (n * ess_share));
        EXPECT_NEAR(counts[k] / n, p[k], 5.0 * se + 1e-3) << "cell " << k;
    }
}

TEST(QtlThreeGenerationStat, OriginSweepsFollowTheEnumeratedConditional)
{
    Fixture f = build(kStrong, 0.23, 5);
    std::vector<double> p = config_weights(kStrong, f.map, 1, 0.23), counts(kConfigs, 0.0);
    double total = 0.0;
    for (double v : p) total += v;
    for (double& v : p) v /= total;
    const int s = static_cast<int>(f.g - f.pr->gene.data());
    for (int k = 0; k < kSweeps; ++k) {
        vsk::sample_allele_origin(f.m(), s, true);
        counts[static_cast<std::size_t>(config_of(*f.g))] += 1.0;
    }
    expect_frequencies(counts, kSweeps, p, 0.25);
    EXPECT_LT(qtl_test::max_residual_error(*f.pr), 1e-12);
}

// The founder genotype step with the origins held: the eight founder allele
// states follow their prior (state 0 with the base family's frequency)
// times the likelihood of every non-founder, descendants included.
TEST(QtlThreeGenerationStat, FounderStepFollowsTheEnumeratedConditional)
{
    Fixture f = build(kStrong, 0.23, 8);
    vsk::Gene& g = *f.g;
    const int s = static_cast<int>(f.g - f.pr->gene.data());
    constexpr double kFreq0 = 0.3;
    g.freq[0][0] = kFreq0;
    g.freq[0][1] = 1.0 - kFreq0;
    int k[4];
    for (int c = 4; c < 8; ++c) k[c - 4] = 2 * g.gpori[0][c] + g.gpori[1][c];
    std::vector<double> p(kConfigs, 0.0), counts(kConfigs, 0.0);
    double total = 0.0;
    for (int cell = 0; cell < kConfigs; ++cell) {
        int a[8];
        double prior = 1.0;
        for (int l = 0; l < 8; ++l) {
            a[l] = (cell >> (7 - l)) & 1;
            prior *= a[l] == 0 ? kFreq0 : 1.0 - kFreq0;
        }
        const int a5[2] = {a[k[0] / 2], a[2 + k[0] % 2]};
        const int a6[2] = {a[4 + k[1] / 2], a[6 + k[1] % 2]};
        const int code[4] = {2 * a5[0] + a5[1], 2 * a6[0] + a6[1], 2 * a5[k[2] / 2] + a6[k[2] % 2], 2 * a5[k[3] / 2] + a6[k[3] % 2]};
        double l = 0.0;
        for (int i = 0; i < 4; ++i) l += loglik(kStrong, kY[static_cast<std::size_t>(i)], code[i]);
        p[static_cast<std::size_t>(cell)] = prior * std::exp(l);
        total += p[static_cast<std::size_t>(cell)];
    }
    for (double& v : p) v /= total;
    for (int d = 0; d < kSweeps; ++d) {
        vsk::sample_founder_genotypes(f.m(), s);
        int cell = 0;
        for (int l = 0; l < 8; ++l) cell = 2 * cell + g.alstate[static_cast<std::size_t>(l)];
        counts[static_cast<std::size_t>(cell)] += 1.0;
    }
    expect_frequencies(counts, kSweeps, p, 0.25);
    EXPECT_LT(qtl_test::max_residual_error(*f.pr), 1e-12);
}

// Marginal density of the position per kBin bin of group 0.
std::vector<double> position_bins(const Fixture& f)
{
    const double length = f.map.at.back();
    std::vector<double> bins(static_cast<std::size_t>(std::ceil(length / kBin - 1e-9)), 0.0);
    double total = 0.0;
    for (std::size_t j = 0; j + 1 < f.map.at.size(); ++j) {
        const double a = f.map.at[j], b = f.map.at[j + 1];
        const double prior = f.pr->mrk[static_cast<std::size_t>(f.pr->chr[0].fMrkr) + j].prior_weight;
        const double dx = (b - a) / kGrid;
        for (int i = 0; i < kGrid; ++i) {
            const double x = a + (i + 0.5) * dx;
            double mass = 0.0;
            for (double v : config_weights(f.e, f.map, static_cast<int>(j), x)) mass += v;
            bins[static_cast<std::size_t>(x / kBin)] += prior * mass * dx;
            total += prior * mass * dx;
        }
    }
    for (double& v : bins) v /= total;
    return bins;
}

// "LocGtp" alone, and the update sweep's order ("LocGtp", the origin step,
// "Loc"), must keep the marginal density of the position. Chains from
// different seeds are pooled: "LocGtp" draws the origins from the markers
// alone, so a QTL that reaches a good configuration keeps it for a while
// (measured over 40 chains: an effective size near n / 200 alone, far
// larger with the origin step in between).
void check_position_chain(bool with_gibbs, unsigned seed, int chains, double ess_share)
{
    std::vector<double> p, counts;
    double peak = 0.0;
    for (int chain = 0; chain < chains; ++chain) {
        Fixture f = build(kMild, 0.1 + 0.15 * (chain % 4), seed + 100U * static_cast<unsigned>(chain));
        if (p.empty()) {
            p = position_bins(f);
            counts.assign(p.size(), 0.0);
            for (double v : p) peak = std::max(peak, v);
        }
        const int s = static_cast<int>(f.g - f.pr->gene.data());
        for (int k = 0; k < kSweeps; ++k) {
            vsk::move_loc_gtp(f.m(), s);
            if (with_gibbs) {
                vsk::sample_allele_origin(f.m(), s, true);
                vsk::move_loc(f.m(), s);
            }
            counts[static_cast<std::size_t>((f.g->pos - f.start()) / kBin)] += 1.0;
        }
        EXPECT_LT(qtl_test::max_residual_error(*f.pr), 1e-12);
    }
    expect_frequencies(counts, chains * kSweeps, p, ess_share);
    // The phenotypes must pull the position away from the location prior
    // (at most 0.5 / 0.6 of a bin's width times the heaviest weight).
    EXPECT_GT(peak, 0.15);
}

TEST(QtlThreeGenerationStat, LocGtpKeepsThePositionDensity) { check_position_chain(false, 6, 12, 0.005); }
TEST(QtlThreeGenerationStat, UpdateOrderKeepsThePositionDensity) { check_position_chain(true, 7, 4, 0.02); }

}  // namespace
