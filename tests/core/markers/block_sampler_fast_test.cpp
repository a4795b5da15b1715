// The fast block phase sampler against its plain reference form: the same
// configuration weights up to a constant, and the same phases, segregation
// indicators and generator state after whole passes, on random pedigrees
// with selfings, doubled haploids, unknown parents, missing and erroneous
// genotypes, several alleles and QTL rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/markers/block_sampler.h"
#include "core/markers/block_terms.h"
#include "core/markers/chain_prep.h"
#include "core/markers/phases_reports.h"
#include "core/state/console.h"
#include "phase_world.h"
#include "support/test_support.h"

using namespace vsk;
using phasetest::Design;
using phasetest::World;

namespace {

Design random_design(unsigned seed)
{
    std::mt19937 g(seed);
    Design d;
    // Families of 2 to 22: the samplers read a family's columns eight
    // children at a time, with a shorter word at its end.
    d.pedigree = phasetest::outbred_pedigree(2 + 2 * static_cast<int>(g() % 3), 2 + 4 * static_cast<int>(g() % 6),
                                             static_cast<int>(g() % 6));
    const int n = static_cast<int>(d.pedigree.size());
    for (int extra = 0; extra < 6; ++extra) {
        const int p = 1 + static_cast<int>(g() % static_cast<unsigned>(n));
        const int kind = static_cast<int>(g() % 4);
        d.pedigree.push_back({p, kind == 0 ? kSelfed : kind == 1 ? kDbhpld : kind == 2 ? 0 : 1 + (p % n)});
    }
    d.group_markers = {3 + static_cast<int>(g() % 8), 2 + static_cast<int>(g() % 5)};
    d.spacing_cm = 2.0 + static_cast<double>(g() % 20);
    d.n_alleles = 2 + static_cast<int>(g() % 3);
    d.missing = 0.02 * static_cast<double>(g() % 8);
    d.qtl_slots = 2;
    d.seed = seed;
    return d;
}

// Scoring errors (one allele replaced), QTL rows with random origins, then
// the initial phases.
void prepare(World& w, unsigned seed)
{
    std::mt19937 g(seed * 7u + 1u);
    PhaseModel m = w.model();
    const int n_alleles = static_cast<int>(w.loci[0].freq.size());
    for (int k = 0; k < w.par.n_markers; ++k)
        for (int i = 0; i < m.n_ind(); ++i)
            if (g() % 60 == 0 && w.ph.pat_allele[k][i] != kMissingAllele)
                w.ph.pat_allele[k][i] = static_cast<signed char>(1 + g() % static_cast<unsigned>(n_alleles));
    set_heterozygosity(m);
    set_second_side_weights(m);
    testsupport::CapturedStream quiet;  // the contradiction messages of the errors
    set_console_stream(quiet.stream());
    initial_phases(m);
    set_console_stream(nullptr);
    for (int q = 0; q < 2; ++q) {
        Gene& gene = w.genes[q];
        gene.status = 1;
        gene.chrom = q;
        const Chr& c = w.groups[q];
        gene.pos = 0.5 * (w.loci[c.fMrkr].position + w.loci[c.lMrkr].position) + 0.0001 * q;
    }
    refresh_rows(w.par, w.loci2, w.loci, w.genes, w.groups, w.ph, w.gpo0, w.gpo1);
    for (int q = 0; q < 2; ++q)
        for (int c = 0; c < m.n_ind(); ++c)
            if (w.obs[c].fat > 0) {
                w.gpo0[w.ph.qtl_row[q]][c] = static_cast<si_t>(g() % 2);
                w.gpo1[w.ph.qtl_row[q]][c] = static_cast<si_t>(g() % 2);
            }
    for (auto& l : w.loci)
        for (std::size_t a = 0; a < l.freq.size(); ++a) l.freq[a] = (1.0 + static_cast<double>(a)) / 10.0;
}

}  // namespace

TEST(MarkerBlockFast, WeightsEqualReferenceUpToAConstant)
{
    int checked = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        World w;
        phasetest::build_world(w, random_design(seed));
        prepare(w, seed);
        PhaseModel m = w.model();
        for (int size = 1; size <= 4; ++size)
            for (int first = 0; first + size <= w.par.n_markers; ++first) {
                const PhaseBlock b = make_phase_block(m, first, first + size - 1);
                for (int i = 1; i <= m.n_ind(); ++i) {
                    int het[kMaxBlockLoci];
                    const int h = block_het_loci(m, i, b, het);
                    if (h == 0) continue;
                    double fast[1 << kMaxBlockLoci], slow[1 << kMaxBlockLoci];
                    marker_block_weights(m, i, b, het, h, fast);
                    reference_block_weights(m, i, b, het, h, slow);
                    int ref = -1;
                    for (int c = 0; c < (1 << h) && ref < 0; ++c)
                        if (std::isfinite(slow[c])) ref = c;
                    ASSERT_GE(ref, 0);
                    for (int c = 0; c < (1 << h); ++c) {
                        ASSERT_EQ(std::isfinite(fast[c]), std::isfinite(slow[c])) << "seed " << seed << " i " << i;
                        if (!std::isfinite(slow[c])) continue;
                        ASSERT_NEAR(fast[c] - fast[ref], slow[c] - slow[ref], 1e-9)
                            << "seed " << seed << " block " << first << "+" << size << " individual " << i;
                        ++checked;
                    }
                }
            }
    }
    EXPECT_GT(checked, 2000);
}

TEST(MarkerBlockFast, PassesEqualReferencePasses)
{
    for (unsigned seed = 21; seed <= 32; ++seed) {
        World fast, slow;
        const Design d = random_design(seed);
        phasetest::build_world(fast, d);
        phasetest::build_world(slow, d);
        prepare(fast, seed);
        prepare(slow, seed);
        PhaseModel mf = fast.model(), ms = slow.model();
        Rng rf, rs;
        rf.seed(seed);
        rs.seed(seed);
        const int size = 1 + static_cast<int>(seed % 4);
        for (int pass = 0; pass < 25; ++pass) {
            if (pass == 12)
                for (World* w : {&fast, &slow}) {
                    // Genotypes deleted mid-chain, as the chain preparation
                    // does: the individuals the fast form visits follow.
                    PhaseModel m = w->model();
                    for (int i = 0; i < m.n_ind(); i += 3)
                        w->ph.pat_allele[0][i] = w->ph.mat_allele[0][i] = static_cast<signed char>(kMissingAllele);
                    set_heterozygosity(m);
                    delete_uninformative_phases(m);
                    set_all_si(m, false);
                }
            const bool founders = pass % 2 == 1;
            ASSERT_EQ(sample_phase_blocks(mf, rf, size, founders), reference_sample_phase_blocks(ms, rs, size, founders));
        }
        EXPECT_EQ(rf.uniform(), rs.uniform()) << "seed " << seed;
        for (int k = 0; k < fast.par.n_markers; ++k)
            for (int i = 0; i < mf.n_ind(); ++i) {
                ASSERT_EQ(fast.ph.pat_allele[k][i], slow.ph.pat_allele[k][i]) << "seed " << seed;
                ASSERT_EQ(fast.ph.mat_allele[k][i], slow.ph.mat_allele[k][i]) << "seed " << seed;
            }
        for (int row = 0; row < fast.gpo0.rows(); ++row)
            for (int i = 0; i < mf.n_ind(); ++i) {
                ASSERT_EQ(fast.gpo0[row][i], slow.gpo0[row][i]) << "seed " << seed << " row " << row;
                ASSERT_EQ(fast.gpo1[row][i], slow.gpo1[row][i]) << "seed " << seed << " row " << row;
            }
    }
}

// The two-configuration draw agrees with the draw over both weights
// everywhere: at 1/2, at odds that round a weight to 1 or 0, and at the
// bounds where it decides without the exponential.
TEST(MarkerBlockFast, BitDrawEqualsConfigurationDraw)
{
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> odds = {0.0, -0.0, 1e-300, -1e-300, 1e-17, -1e-17, 1e-16, -1e-16, 0.3, -0.3, 37.0, -37.0,
                                800.0, -800.0, inf, -inf};
    std::vector<double> u = {0.0, 1e-300, 1e-5, 0.0099, 0.01, 0.5, std::nextafter(0.5, 0.0), std::nextafter(0.5, 1.0),
                             0.25, 0.75, 0.99, 0.9901, std::nextafter(1.0, 0.0)};
    for (const double o : {5.999, 6.0, 6.001, 9.0}) {
        odds.push_back(o);
        odds.push_back(-o);
    }
    std::mt19937 g(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0), spread(-12.0, 12.0);
    for (int r = 0; r < 500; ++r) {
        odds.push_back(spread(g));
        u.push_back(unit(g));
    }
    for (const double o : odds)
        for (const double v : u) {
            const double logw[2] = {0.0, o};
            ASSERT_EQ(phase_block::draw_bit(o, v), draw_config(logw, 2, v)) << "odds " << o << " u " << v;
        }
}

// The configuration draw, which decides a dominant configuration without
// exponentials, against the plain scan over the weights, on random weights
// from flat to sharply peaked, ties and impossible configurations included.
TEST(MarkerBlockFast, ConfigurationDrawEqualsPlainScan)
{
    const auto plain = [](const double* logw, int n, double u) {
        double top = -std::numeric_limits<double>::infinity();
        for (int c = 0; c < n; ++c) top = std::max(top, logw[c]);
        if (std::isinf(top) && top < 0) return 0;
        std::vector<double> w(static_cast<std::size_t>(n));
        double total = 0.0;
        for (int c = 0; c < n; ++c) total += (w[c] = std::isinf(logw[c]) ? 0.0 : std::exp(logw[c] - top));
        double cumulative = 0.0;
        int last = 0;
        for (int c = 0; c < n; ++c) {
            if (w[c] <= 0.0) continue;
            last = c;
            if ((cumulative += w[c]) >= u * total) return c;
        }
        return last;
    };
    std::mt19937 g(9);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int r = 0; r < 20000; ++r) {
        const int n = 1 << (1 + static_cast<int>(g() % 5));
        const double spread = r % 4 == 0 ? 2.0 : 15.0;
        double logw[32];
        for (int c = 0; c < n; ++c) {
            const unsigned kind = g() % 10;
            logw[c] = kind == 0 ? -std::numeric_limits<double>::infinity() : kind == 1 && c > 0 ? logw[c - 1]
                                                                                                   : -spread * unit(g);
        }
        const double near_edges[] = {0.0, 0.0099, 0.01, 0.5, 0.99, 0.9901, std::nextafter(1.0, 0.0)};
        const double u = r % 3 == 0 ? near_edges[g() % 7] : unit(g);
        ASSERT_EQ(draw_config(logw, n, u), plain(logw, n, u)) << "round " << r;
    }
}
