// Locus order, segregation indicators, initial phases and the local block
// weights of the marker phase chain against their from-scratch versions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>

#include "core/markers/block_sampler.h"
#include "core/markers/phases_rows.h"
#include "core/markers/phases_reports.h"
#include "core/markers/phases_tally.h"
#include "core/state/console.h"
#include "phase_world.h"
#include "support/test_support.h"

using namespace vsk;
namespace fs = std::filesystem;
using phasetest::Design;
using phasetest::World;

namespace {

Design family_design(unsigned seed, int n_alleles = 3, double missing = 0.05)
{
    Design d;
    d.pedigree = phasetest::outbred_pedigree(4, 6, 5);
    d.group_markers = {7, 5};
    d.spacing_cm = 8.0;
    d.n_alleles = n_alleles;
    d.missing = missing;
    d.seed = seed;
    return d;
}

// Every individual's phases consistent with its parents.
int contradictions(World& w)
{
    PhaseModel m = w.model();
    return set_all_si(m, false);
}

}  // namespace

TEST(MarkerLocusOrder, QtlRowsMoveIndicatorsWithTheirLoci)
{
    World w;
    Design d = family_design(3);
    d.qtl_slots = 2;
    phasetest::build_world(w, d);
    PhaseModel m = w.model();
    initial_phases(m);
    const Table<double> marker_block = w.par.rfmat[0];
    std::vector<std::vector<int>> before(w.par.n_markers);
    for (int k = 0; k < w.par.n_markers; ++k)
        for (int c = 0; c < m.n_ind(); ++c) before[k].push_back(w.gpo0[w.loci2[k].index][c]);

    // A QTL between markers 3 and 4 (0-based 2 and 3) of the first group.
    w.genes[1].status = 1;
    w.genes[1].chrom = 0;
    w.genes[1].pos = 0.5 * (w.loci[2].position + w.loci[3].position);
    refresh_rows(w.par, w.loci2, w.loci, w.genes, w.groups, w.ph, w.gpo0, w.gpo1);
    EXPECT_EQ(w.par.n_lcs_rows, w.par.n_markers + 1);
    EXPECT_EQ(w.ph.qtl_row[1], 3);
    EXPECT_EQ(w.ph.qtl_row[0], -1);
    EXPECT_EQ(w.par.lcs_rows[3][0], kQtlRow);
    EXPECT_EQ(w.loci2[3].index, 4);
    for (int c = 0; c < m.n_ind(); ++c) EXPECT_EQ(w.gpo0[3][c], kUnknown);
    for (int k = 0; k < w.par.n_markers; ++k)
        for (int c = 0; c < m.n_ind(); ++c) ASSERT_EQ(w.gpo0[w.loci2[k].index][c], before[k][c]);
    EXPECT_NEAR(row_recombination(w.par, 3, 2, 0), haldane_between(w.genes[1].pos, w.loci[2].position), 1e-15);
    const double r = row_recombination(w.par, 3, 4, 0);
    EXPECT_NEAR(row_recombination(w.par, 3, 4, 1), 2 * r / (1 + 2 * r), 1e-15);
    for (int u = 0; u < w.par.n_markers; ++u)
        for (int v = 0; v < w.par.n_markers; ++v) ASSERT_EQ(w.par.rfmat[0][u][v], marker_block[u][v]);

    // The QTL row keeps its content when the QTL moves past a marker; the
    // order returns to markers only when it leaves.
    for (int c = 0; c < m.n_ind(); ++c) w.gpo0[3][c] = static_cast<si_t>(c % 2);
    w.genes[1].pos = 0.5 * (w.loci[4].position + w.loci[5].position);
    refresh_rows(w.par, w.loci2, w.loci, w.genes, w.groups, w.ph, w.gpo0, w.gpo1);
    EXPECT_EQ(w.ph.qtl_row[1], 5);
    for (int c = 0; c < m.n_ind(); ++c) EXPECT_EQ(w.gpo0[5][c], c % 2);
    w.genes[1].status = 0;
    refresh_rows(w.par, w.loci2, w.loci, w.genes, w.groups, w.ph, w.gpo0, w.gpo1);
    EXPECT_EQ(w.par.n_lcs_rows, w.par.n_markers);
    for (int k = 0; k < w.par.n_markers; ++k) {
        EXPECT_EQ(w.loci2[k].index, k);
        for (int c = 0; c < m.n_ind(); ++c) ASSERT_EQ(w.gpo0[k][c], before[k][c]);
    }
}

TEST(MarkerSegregationIndicator, RuleAndContradictionMessage)
{
    struct Case {
        int allele, pp, pm, si;
        bool consistent;
    } cases[] = {
        {1, 1, 2, 0, true}, {2, 1, 2, 1, true}, {3, 1, 2, kUnknown, false}, {1, 1, 1, kUnknown, true},
        {2, 1, 1, kUnknown, false}, {kMissingAllele, 1, 2, kUnknown, true}, {1, kMissingAllele, kMissingAllele, kUnknown, true},
    };
    for (const Case& c : cases) {
        bool consistent = true;
        EXPECT_EQ(si_from_parent(c.allele, c.pp, c.pm, &consistent), c.si);
        EXPECT_EQ(consistent, c.consistent);
    }
    World w;
    phasetest::build_world(w, family_design(5));
    PhaseModel m = w.model();
    initial_phases(m);
    // Offspring 5 (first family) gets an allele neither parent has.
    const int k = 0, i = 5;
    w.ph.pat_allele[k][i - 1] = 9;
    testsupport::CapturedStream out;
    set_console_stream(out.stream());
    EXPECT_GE(set_si(m, k, i, true), 1);
    set_console_stream(nullptr);
    EXPECT_NE(out.text().find("\nERROR setgpori(): M1         ind5 9"), std::string::npos) << out.text();
    EXPECT_EQ(w.gpo0[w.loci2[k].index][i - 1], kUnknown);
}

TEST(MarkerInitialPhases, ConsistentWithParentsAndRecoverFamilyPhases)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        World w;
        Design d = family_design(seed, 4, 0.0);
        d.pedigree = phasetest::outbred_pedigree(2, 40, 0);
        phasetest::build_world(w, d);
        PhaseModel m = w.model();
        const InitialPhaseCounts counts = initial_phases(m);
        EXPECT_EQ(counts.contradictions, 0);
        EXPECT_EQ(contradictions(w), 0);
        // With 40 offspring the founders' phases between consecutive
        // heterozygous loci are the true ones.
        for (int f = 1; f <= 2; ++f) {
            int prev = -1, agree = 0, pairs = 0;
            for (int k = 0; k < w.par.n_markers; ++k) {
                if (w.ph.heterozygous[k][f - 1] != 1) continue;
                if (prev >= 0 && w.loci[prev].chrom == w.loci[k].chrom) {
                    const bool same = (w.ph.pat_allele[k][f - 1] == w.true_pat[k][f - 1]) ==
                                      (w.ph.pat_allele[prev][f - 1] == w.true_pat[prev][f - 1]);
                    agree += same;
                    ++pairs;
                }
                prev = k;
            }
            EXPECT_EQ(agree, pairs) << "seed " << seed << " founder " << f;
        }
    }
}

TEST(MarkerBlockWeights, LocalWeightsEqualFromScratchLogProbability)
{
    for (unsigned seed : {11u, 12u}) {
        World w;
        Design d = family_design(seed, 3, 0.1);
        d.pedigree.push_back({5, kSelfed});
        d.pedigree.push_back({6, kDbhpld});
        d.pedigree.push_back({7, 0});
        d.qtl_slots = 1;
        phasetest::build_world(w, d);
        PhaseModel m = w.model();
        initial_phases(m);
        // A QTL row with origins of its own inside the first group.
        w.genes[0].status = 1;
        w.genes[0].chrom = 0;
        w.genes[0].pos = 0.5 * (w.loci[1].position + w.loci[2].position);
        refresh_rows(w.par, w.loci2, w.loci, w.genes, w.groups, w.ph, w.gpo0, w.gpo1);
        std::mt19937 g(seed);
        for (int c = 0; c < m.n_ind(); ++c)
            if (w.obs[c].fat > 0) w.gpo0[w.ph.qtl_row[0]][c] = static_cast<si_t>(g() % 2);
        for (auto& l : w.loci) l.freq = {0.5, 0.3, 0.2};
        int checked = 0;
        for (int first = 0; first + 3 <= w.par.n_markers; ++first)
            for (int i = 1; i <= m.n_ind(); ++i) {
                const PhaseBlock b = make_phase_block(m, first, first + 2);
                int het[kMaxBlockLoci];
                const int h = block_het_loci(m, i, b, het);
                if (h == 0) continue;
                double logw[1 << kMaxBlockLoci];
                marker_block_weights(m, i, b, het, h, logw);
                const MarkerPhases saved = w.ph;
                const SiTable s0 = w.gpo0, s1 = w.gpo1;
                std::vector<double> scratch(1 << h);
                for (int c = 0; c < (1 << h); ++c) {
                    set_block_config(m, i, het, h, c);
                    scratch[c] = phase_state_logprob(m);
                    w.ph = saved;
                    w.gpo0 = s0;
                    w.gpo1 = s1;
                }
                int ref = -1;
                for (int c = 0; c < (1 << h); ++c)
                    if (std::isfinite(scratch[c])) ref = c;
                ASSERT_GE(ref, 0) << "no valid configuration, individual " << i;
                for (int c = 0; c < (1 << h); ++c) {
                    if (!std::isfinite(scratch[c])) {
                        EXPECT_FALSE(std::isfinite(logw[c]));
                        continue;
                    }
                    EXPECT_NEAR(logw[c] - logw[ref], scratch[c] - scratch[ref], 1e-9)
                        << "individual " << i << " block " << first << " config " << c;
                    ++checked;
                }
            }
        EXPECT_GT(checked, 100);
    }
}

TEST(MarkerBlockSampler, EdgeCases)
{
    World w;
    Design d = family_design(7);
    d.group_markers = {9};
    phasetest::build_world(w, d);
    PhaseModel m = w.model();
    initial_phases(m);
    // Founders move only under the sampler of all individuals; an excluded
    // or locked individual never moves.
    const MarkerPhases start = w.ph;
    w.ph.locked[4] = 1;                       // individual 5
    w.ph.phase_status[0][5] = 4;              // individual 6
    Rng r;
    r.seed(17);
    for (int pass = 0; pass < 30; ++pass) sample_phase_blocks(m, r, 2, false);
    for (int k = 0; k < w.par.n_markers; ++k)
        for (int i : {1, 2, 3, 4, 5, 6}) ASSERT_EQ(w.ph.pat_allele[k][i - 1], start.pat_allele[k][i - 1]);
    bool founder_moved = false;
    for (int pass = 0; pass < 60; ++pass) sample_phase_blocks(m, r, 2, true);
    for (int k = 0; k < w.par.n_markers; ++k) {
        for (int i : {5, 6}) ASSERT_EQ(w.ph.pat_allele[k][i - 1], start.pat_allele[k][i - 1]);
        for (int i : {1, 2, 3, 4}) founder_moved |= w.ph.pat_allele[k][i - 1] != start.pat_allele[k][i - 1];
    }
    EXPECT_TRUE(founder_moved);
    EXPECT_EQ(contradictions(w), 0);
    // An all-homozygous block has one configuration and draws nothing.
    int het[kMaxBlockLoci];
    for (int k = 0; k < 2; ++k) w.ph.heterozygous[k][0] = 0;
    EXPECT_EQ(block_het_loci(m, 1, make_phase_block(m, 0, 1), het), 0);
    // Weight-0 configurations are never drawn.
    const double lw[4] = {-INFINITY, 0.0, -INFINITY, -1.0};
    for (double u : {1e-12, 0.5, 0.73, 1.0 - 1e-12}) EXPECT_TRUE(draw_config(lw, 4, u) == 1 || draw_config(lw, 4, u) == 3);
    EXPECT_EQ(draw_config(lw, 4, 1.0 - 1e-12), 3);
}

TEST(MarkerPhaseTallies, CountsEqualPhasesWithFollowingInformativeLoci)
{
    World w;
    Design d = family_design(9, 2, 0.0);
    phasetest::build_world(w, d);
    PhaseModel m = w.model();
    initial_phases(m);
    tally_phases(m, w.par);
    tally_phases(m, w.par);
    settle_phase_tallies(m, w.par);
    EXPECT_EQ(w.par.n_si_tallies, 2);
    for (int i = 1; i <= m.n_ind(); ++i)
        for (const Chr& g : w.groups) {
            std::vector<int> het;
            for (int k = g.fMrkr; k <= g.lMrkr; ++k)
                if (w.ph.heterozygous[k][i - 1]) het.push_back(k);
            for (std::size_t a = 0; a < het.size(); ++a)
                for (std::size_t s = 0; s < 5; ++s) {
                    const int expected = a + s + 1 < het.size() && phase_bit(w.ph, het[a], i) ==
                                                                         phase_bit(w.ph, het[a + s + 1], i)
                                             ? 2
                                             : 0;
                    ASSERT_EQ(w.ph.same_phase[s][i - 1][het[a]], expected);
                }
        }
    reset_phase_tallies(m, w.par);
    EXPECT_EQ(w.par.n_si_tallies, 0);
    EXPECT_EQ(w.ph.same_phase[0][0][0], 0);
}

// The counts kept by runs equal a count made at every pass, with phases
// flipped at random between passes and a settle half-way.
TEST(MarkerPhaseTallies, RunsEqualCountingEveryPass)
{
    World w;
    Design d = family_design(9, 2, 0.0);
    phasetest::build_world(w, d);
    PhaseModel m = w.model();
    initial_phases(m);
    const int n = m.n_ind(), loci = m.n_loci();
    std::vector<int> expected(5 * loci * n, 0);
    auto count_pass = [&] {
        for (int i = 1; i <= n; ++i)
            for (const Chr& g : w.groups) {
                std::vector<int> het;
                for (int k = g.fMrkr; k <= g.lMrkr; ++k)
                    if (w.ph.heterozygous[k][i - 1] == 1) het.push_back(k);
                for (std::size_t a = 0; a < het.size(); ++a)
                    for (std::size_t s = 0; s < 5 && a + s + 1 < het.size(); ++s)
                        expected[(s * loci + het[a]) * n + i - 1] +=
                            phase_bit(w.ph, het[a], i) == phase_bit(w.ph, het[a + s + 1], i);
            }
    };
    std::mt19937 g(5);
    for (int pass = 0; pass < 40; ++pass) {
        for (int k = 0; k < loci; ++k)
            for (int c = 0; c < n; ++c)
                if (w.ph.heterozygous[k][c] == 1 && g() % 4 == 0) std::swap(w.ph.pat_allele[k][c], w.ph.mat_allele[k][c]);
        tally_phases(m, w.par);
        count_pass();
        if (pass == 17 || pass == 39) {
            settle_phase_tallies(m, w.par);
            for (int s = 0; s < 5; ++s)
                for (int k = 0; k < loci; ++k)
                    for (int c = 0; c < n; ++c)
                        ASSERT_EQ(w.ph.same_phase[s][c][k], expected[(s * loci + k) * n + c])
                            << "pass " << pass << " step " << s << " locus " << k << " individual " << c + 1;
        }
    }
}

TEST(MarkerAlleleFrequencies, DrawnFromFounderAlleles)
{
    World w;
    Design d = family_design(13, 4, 0.0);
    phasetest::build_world(w, d);
    PhaseModel m = w.model();
    initial_phases(m);
    // Code 4 appears only in offspring alleles traced to a parent: make it absent from founders.
    for (int k = 0; k < w.par.n_markers; ++k)
        for (int c = 0; c < 4; ++c) {
            if (w.ph.pat_allele[k][c] == 4) w.ph.pat_allele[k][c] = 1;
            if (w.ph.mat_allele[k][c] == 4) w.ph.mat_allele[k][c] = 1;
        }
    Rng r;
    r.seed(3);
    update_allele_frequencies(m, w.loci, r);
    for (const Mrkrlcs& l : w.loci) {
        double sum = 0;
        for (double f : l.freq) sum += f;
        EXPECT_NEAR(sum, 1.0, 1e-12);
        EXPECT_EQ(l.freq[3], 0.0);
        EXPECT_EQ(l.nfreq[0] + l.nfreq[1] + l.nfreq[2] + l.nfreq[3], 8);  // 4 founders x 2 alleles
    }
}

// The pattern file lists every weighed gamete of the parents with at least
// k of them, its SI per marker and the switches between known SI within a
// linkage group.
TEST(MarkerSiPatterns, GametesOfParentsWithEnoughOffspring)
{
    World w;
    phasetest::build_world(w, family_design(15, 2, 0.0));
    PhaseModel m = w.model();
    initial_phases(m);
    std::map<std::string, int> gametes;
    int target = 0;
    for (int j = 1; j <= m.n_ind(); ++j)
        for (int side = 0; side < 2; ++side)
            if (side_weighed(m, j, side)) {
                ++gametes[w.obs[side_parent(w.obs[j - 1], side) - 1].name];
                if (side == 0 && target == 0) target = j;
            }
    ASSERT_GT(target, 0);
    // Group 1 (seven markers): 0 1 - 1 0 0 1, three switches; group 2 unknown.
    const int si[12] = {0, 1, kUnknown, 1, 0, 0, 1, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown};
    for (int k = 0; k < 12; ++k) w.gpo0[m.row(k)][target - 1] = static_cast<si_t>(si[k]);

    testsupport::TempDir dir;
    for (const int k : {1, 6, 11}) {
        const fs::path file = dir.path() / ("sip" + std::to_string(k) + ".csv");
        write_si_patterns(m, file.string(), k);
        std::istringstream in(testsupport::read_file(file));
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line.rfind("Parent,Offspring,Side,", 0), 0u);
        std::map<std::string, int> rows;
        std::string target_row;
        while (std::getline(in, line) && !line.empty()) {
            ++rows[line.substr(0, line.find(','))];
            if (line.find("," + w.obs[target - 1].name + ",first-parent,") != std::string::npos) target_row = line;
        }
        if (k == 1) {
            EXPECT_EQ(target_row.substr(target_row.find(",first-parent,") + 14), "0,1,-,1,0,0,1,-,-,-,-,-,3");
        }
        int kept = 0;
        for (const auto& [parent, n] : gametes) {
            EXPECT_EQ(rows.count(parent) ? rows[parent] : 0, n >= k ? n : 0) << parent << ", k " << k;
            kept += n >= k;
        }
        // The cut must both keep and drop parents for k = 6.
        if (k == 6) {
            EXPECT_TRUE(kept > 0 && kept < static_cast<int>(gametes.size())) << kept;
        }
    }
}

TEST(MarkerDoubleRecombinants, MiddleIndicatorAgainstBothNeighbours)
{
    World w;
    Design d = family_design(15, 2, 0.0);
    d.group_markers = {8};
    phasetest::build_world(w, d);
    PhaseModel m = w.model();
    initial_phases(m);
    for (int k = 0; k < 8; ++k)
        for (int c = 0; c < m.n_ind(); ++c) w.gpo0[k][c] = w.gpo1[k][c] = static_cast<si_t>(kUnknown);
    // Individual 5, first side: 0 0 1 0 0 - 1 1 -> a double recombinant at
    // locus 2 supported by four agreeing loci; individual 6: 0 1 0 1 -> two
    // ambiguous ones.
    const int a[8] = {0, 0, 1, 0, 0, kUnknown, 1, 1};
    const int b[8] = {0, 1, 0, 1, kUnknown, kUnknown, kUnknown, kUnknown};
    for (int k = 0; k < 8; ++k) {
        w.gpo0[k][4] = static_cast<si_t>(a[k]);
        w.gpo0[k][5] = static_cast<si_t>(b[k]);
    }
    const std::vector<DoubleRecombinant> found = find_double_recombinants(m);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].individual, 5);
    EXPECT_EQ(found[0].locus, 2);
    EXPECT_TRUE(found[0].four);
    EXPECT_EQ(found[0].left, 1);
    EXPECT_EQ(found[0].right, 3);
    EXPECT_EQ(found[1].individual, 6);
    EXPECT_EQ(found[1].locus, 1);
    EXPECT_FALSE(found[1].four);
    EXPECT_EQ(found[2].locus, 2);
    EXPECT_FALSE(found[2].four);

    // DeleteDR 1 makes the well-supported one unscored, whatever the flank
    // distance, and keeps the ambiguous ones.
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.path());
    testsupport::CapturedStream out;
    set_console_stream(out.stream());
    w.par.DeleteDR = 1;
    EXPECT_TRUE(delete_double_recombinants(m));
    set_console_stream(nullptr);
    EXPECT_EQ(w.ph.pat_allele[2][4], kMissingAllele);
    EXPECT_EQ(w.ph.mat_allele[2][4], kMissingAllele);
    EXPECT_NE(w.ph.pat_allele[1][5], kMissingAllele);
    EXPECT_NE(w.ph.pat_allele[2][5], kMissingAllele);
    const std::string listed = testsupport::read_file(dir.path() / "DoubleRecomb.csv");
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 2) << listed;
    EXPECT_NE(out.text().find("genotypes deleted (double recombinants flanked by four agreeing loci): 1"),
              std::string::npos);
}
