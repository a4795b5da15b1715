// Absorbed final offspring in the QTL steps: on a pedigree of three founders,
// a child of founders 1 and 2 (individual 4) and two absorbed offspring of 4
// and founder 3, the origin step and the founder genotype step draw from the
// conditionals that a from-scratch enumeration of every configuration gives,
// for a QTL and for a gene of the finite polygenic model.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "core/polygenic/fpm.h"
#include "qtl_fixture.h"

namespace {

constexpr int kDraws = 20000;
const double kY[6] = {0.0, 0.0, 0.0, 0.1, 2.6, 2.2};  // phenotypes of 4, 5, 6
constexpr double kAdd = 2.0, kDom = 0.4;

double value(int code) { return code == 0 ? kAdd : code == 3 ? -kAdd : kDom; }
double loglik(int c, int code)
{
    const double r = kY[c] - value(code);
    return -0.5 * std::log(2.0 * M_PI) - 0.5 * r * r;
}
int code(int a_pat, int a_mat) { return 2 * a_pat + a_mat; }

struct Fixture {
    std::unique_ptr<qtl_test::Project> pr;
    vsk::Gene* g = nullptr;
};

// Individuals 1..3 founders, 4 = (1, 2), 5 and 6 = (4, 3) absorbed.
Fixture build(const std::array<int, 6>& founder_states)
{
    Fixture f;
    f.pr = qtl_test::make_project(3, {{1, 2}, {4, 3}, {4, 3}});
    qtl_test::Project& pr = *f.pr;
    pr.o[4].FP = pr.o[5].FP = 1;
    for (int c = 3; c < 6; ++c) {
        pr.phe.phenotype[c][0] = 1;
        pr.phe.Y[c][0] = pr.phe.residual[c][0] = kY[c];
    }
    pr.p.n_phenotyped = 3;
    pr.p.nqtl = 1;
    pr.rng.seed(3);
    vsk::QtlModel& m = pr.model();
    vsk::sample_qtl(m, 0);
    f.g = &pr.gene[0];
    vsk::Gene& g = *f.g;
    // Replace the drawn QTL by a known one, residuals from scratch.
    vsk::apply_slot_values(m, g, -1);
    pr.p.nuis_effects[0][0] = 0.0;
    for (int c = 3; c < 6; ++c) pr.phe.residual[c][0] = kY[c];
    for (int r = 0; r < vsk::kGenotypes; ++r) g.eff[r][0] = 0.0;
    g.eff[vsk::kAddRow][0] = kAdd;
    g.eff[vsk::kDomRow][0] = kDom;
    vsk::compute_gval(pr.p, g);
    g.alstate.assign(founder_states.begin(), founder_states.end());
    g.freq[0][0] = 0.3;
    g.freq[0][1] = 0.7;
    vsk::derive_all_genotypes(m, g);
    vsk::apply_slot_values(m, g, +1);
    return f;
}

int option(const vsk::Gene& g, int c) { return 2 * g.gpori[0][c] + g.gpori[1][c]; }

// Joint weights of the origin options of 4, 5 and 6 given the founders.
std::vector<double> enumerate_origins(const std::array<int, 6>& s)
{
    std::vector<double> w(64, 0.0);
    double total = 0.0;
    for (int k4 = 0; k4 < 4; ++k4) {
        const int a4[2] = {s[0 + k4 / 2], s[2 + k4 % 2]};
        for (int k5 = 0; k5 < 4; ++k5)
            for (int k6 = 0; k6 < 4; ++k6) {
                const double l = loglik(3, code(a4[0], a4[1])) + loglik(4, code(a4[k5 / 2], s[4 + k5 % 2])) +
                                 loglik(5, code(a4[k6 / 2], s[4 + k6 % 2]));
                w[static_cast<std::size_t>(16 * k4 + 4 * k5 + k6)] = std::exp(l);
                total += std::exp(l);
            }
    }
    for (double& x : w) x /= total;
    return w;
}

void expect_frequencies(const std::vector<int>& counts, const std::vector<double>& p)
{
    for (std::size_t k = 0; k < p.size(); ++k) {
        const double f = static_cast<double>(counts[k]) / kDraws;
        EXPECT_NEAR(f, p[k], 4.5 * std::sqrt(p[k] * (1.0 - p[k]) / kDraws) + 1e-3) << "cell " << k;
    }
}

// The gene of the finite polygenic model: no position, plain Mendelian
// transmission, which with no marker information is the QTL's as well.
void make_polygene(Fixture& f)
{
    f.pr->p.indicQTL = 0;
    vsk::make_fpm(f.pr->model());
    f.g->lcsrow = -1;
}

TEST(QtlFinalOffspringStat, OriginStepDrawsTheEnumeratedConditional)
{
    for (const bool fpm : {false, true}) {
        SCOPED_TRACE(fpm ? "FPM gene" : "QTL");
        const std::array<int, 6> states = {0, 1, 1, 0, 0, 1};
        Fixture f = build(states);
        if (fpm) make_polygene(f);
        std::vector<int> counts(64, 0);
        for (int d = 0; d < kDraws; ++d) {
            vsk::sample_allele_origin(f.pr->model(), 0, true);
            ++counts[static_cast<std::size_t>(16 * option(*f.g, 3) + 4 * option(*f.g, 4) + option(*f.g, 5))];
        }
        expect_frequencies(counts, enumerate_origins(states));
        EXPECT_LT(qtl_test::max_residual_error(*f.pr), 1e-12);
    }
}

TEST(QtlFinalOffspringStat, FounderStepSumsOutTheFinalOffspring)
{
    // Founder 1 is drawn first, given the other founders and the origins
    // (4 takes founder 1's first allele): its genotype weights are the prior
    // times the likelihood of 4 and of the offspring with their origins
    // summed out.
    const std::array<int, 6> states = {0, 0, 1, 1, 0, 1};
    Fixture f = build(states);
    vsk::Gene& g = *f.g;
    g.gpori[0][3] = 0;
    g.gpori[1][3] = 1;
    vsk::derive_all_genotypes(f.pr->model(), g);
    const vsk::Gene saved = g;
    std::vector<double> p(4, 0.0);
    double total = 0.0;
    const double freq[2] = {0.3, 0.7};
    for (int g1 = 0; g1 < 4; ++g1) {
        const int a4[2] = {g1 / 2, states[3]};
        double fo = 0.0;
        for (int c = 4; c < 6; ++c) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += 0.25 * std::exp(loglik(c, code(a4[k / 2], states[4 + k % 2])));
            fo += std::log(s);
        }
        p[static_cast<std::size_t>(g1)] =
            freq[g1 / 2] * freq[g1 % 2] * std::exp(loglik(3, code(a4[0], a4[1])) + fo);
        total += p[static_cast<std::size_t>(g1)];
    }
    for (double& x : p) x /= total;
    std::vector<int> counts(4, 0);
    for (int d = 0; d < kDraws; ++d) {
        g = saved;
        for (int c = 3; c < 6; ++c) f.pr->phe.residual[c][0] = kY[c] - g.gval[g.gtp[static_cast<std::size_t>(c)]][0];
        vsk::sample_founder_genotypes(f.pr->model(), 0);
        ++counts[static_cast<std::size_t>(2 * g.alstate[0] + g.alstate[1])];
    }
    expect_frequencies(counts, p);
}

// After the founders, the step redraws the absorbed offspring's origins
// given the new founder states and their phenotypes. Whatever the founders
// drawn, the summed conditional probabilities of the offspring options must
// match their counts (the founder states vary from draw to draw, so the
// expected count of a cell is the sum of its conditional probability).
TEST(QtlFinalOffspringStat, FounderStepRedrawsTheOffspringGivenTheirPhenotypes)
{
    for (const bool fpm : {false, true}) {
        SCOPED_TRACE(fpm ? "FPM gene" : "QTL");
        Fixture f = build({0, 0, 1, 1, 0, 1});
        vsk::Gene& g = *f.g;
        if (fpm) make_polygene(f);
        std::vector<double> expected(16, 0.0), variance(16, 0.0);
        std::vector<int> counts(16, 0);
        for (int d = 0; d < kDraws; ++d) {
            vsk::sample_founder_genotypes(f.pr->model(), 0);
            const int* s = g.alstate.data();
            const int a4[2] = {s[g.gpori[0][3]], s[2 + g.gpori[1][3]]};
            double p[2][4], total[2] = {0.0, 0.0};
            for (int c = 0; c < 2; ++c)
                for (int k = 0; k < 4; ++k) total[c] += p[c][k] = std::exp(loglik(4 + c, code(a4[k / 2], s[4 + k % 2])));
            for (int cell = 0; cell < 16; ++cell) {
                const double q = p[0][cell / 4] / total[0] * p[1][cell % 4] / total[1];
                expected[static_cast<std::size_t>(cell)] += q;
                variance[static_cast<std::size_t>(cell)] += q * (1.0 - q);
            }
            ++counts[static_cast<std::size_t>(4 * option(g, 4) + option(g, 5))];
        }
        for (std::size_t cell = 0; cell < 16; ++cell)
            EXPECT_NEAR(counts[cell], expected[cell], 4.5 * std::sqrt(variance[cell]) + 5.0) << "cell " << cell;
        EXPECT_LT(qtl_test::max_residual_error(*f.pr), 1e-12);
    }
}

}  // namespace
