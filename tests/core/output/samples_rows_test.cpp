// Row formats of the QTL and FPM sample files, checked character by character
// on small records.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/output/samples.h"
#include "support/test_support.h"

namespace {

using testsupport::CapturedStream;

vsk::Par small_par(int traits, int slots)
{
    vsk::Par p;
    p.n_traits = traits;
    p.maximQTL = slots;
    p.maximFPM = slots;
    p.n_founder_cohorts = 1;
    p.cur_sweep = 19;  // iteration 20
    return p;
}

// A slot in use on linkage group 2 at 35.5 cM with additive effects a[t].
vsk::Gene qtl_slot(const std::vector<double>& a, const std::vector<int>& gtp)
{
    vsk::Gene g;
    g.status = 1;
    g.chrom = 1;
    g.pos = 200.355;
    const int t = static_cast<int>(a.size());
    g.eff.assign(4, t, 0.0);
    g.gval.assign(4, t, 0.0);
    for (int j = 0; j < t; ++j) {
        g.eff[1][j] = a[j];
        g.eff[2][j] = 0.125;
    }
    g.freq.assign(1, 2, 0.0);
    g.freq[0][0] = 0.25;
    g.freq[0][1] = 0.75;
    g.gtp = gtp;
    return g;
}

template <class Write>
std::string written(Write write)
{
    CapturedStream out;
    write(out.stream());
    return out.text();
}

TEST(SampleRows, SparseQtlRowWritesZeroBlocksForFreeSlots)
{
    const vsk::Par p = small_par(1, 2);
    const std::vector<vsk::Gene> qtl(2);
    const std::string zero_block = "      0         0         0         0          0";
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_iqtl_row(f, p, qtl); }), "\n  2  1" + zero_block + zero_block);
}

TEST(SampleRows, SparseQtlRowWritesFrequencyEffectsAndPosition)
{
    const vsk::Par p = small_par(2, 2);
    std::vector<vsk::Gene> qtl(2);
    qtl[1] = qtl_slot({0.5, -1.0}, {});
    const std::string text = written([&](std::FILE* f) { vsk::write_iqtl_row(f, p, qtl); });
    EXPECT_EQ(text.substr(0, 7), "\n  2  2");
    EXPECT_NE(text.find("  0.250    0.5000   -1.0000    0.1250    0.1250    0.0000    0.0000   200.3550"),
              std::string::npos)
        << text;
    // 2 + Q (F + 3T + 1) columns.
    std::istringstream in(text);
    int columns = 0;
    for (std::string word; in >> word;) ++columns;
    EXPECT_EQ(columns, 2 + 2 * (1 + 3 * 2 + 1));
}

TEST(SampleRows, ConciseLayoutWritesOneRowPerQtlInUseAndNothingWithoutQtl)
{
    vsk::Par p = small_par(1, 3);
    p.FormatMCMC = 1;
    p.addGENE = 2;
    p.domGENE = 0;
    std::vector<vsk::Gene> qtl(3);
    const std::vector<int> selected = {1, 3};
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_iqtl_row(f, p, qtl); }), "");
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_gqtl_row(f, p, qtl, selected); }), "");
    qtl[2] = qtl_slot({0.5}, {0, 1, 3});
    p.nqtl = 1;
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_iqtl_row(f, p, qtl); }),
              "\n    20   1   2   35.5  0.250    0.5000");
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_gqtl_row(f, p, qtl, selected); }),
              "\n    20   1   2   35.5   0 3");
}

TEST(SampleRows, SparseGenotypeRowMarksFreeSlotsAbsent)
{
    const vsk::Par p = small_par(1, 2);
    std::vector<vsk::Gene> qtl(2);
    qtl[0] = qtl_slot({1.0}, {2, 1, 0});
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_gqtl_row(f, p, qtl, {3, 1}); }), "\n   0 2   9 9");
}

TEST(SampleRows, CohortQtlVariancesOneLinePerSampleTraitsSeparatedByTab)
{
    vsk::Par p = small_par(2, 2);
    p.n_cohorts = 2;
    std::vector<vsk::Obs> o(4);
    const int cohorts[] = {1, 1, 2, 2};
    for (int i = 0; i < 4; ++i) o[i].cohort = cohorts[i];
    std::vector<vsk::Gene> qtl(2);
    // Cohort 1: genotypes 0 and 3 (values +a, -a: variance a^2); cohort 2:
    // genotypes 1 and 0 (values 0, +a: variance a^2 / 4).
    qtl[0] = qtl_slot({1.0, 2.0}, {0, 3, 1, 0});
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_cohqtl_row(f, p, o, qtl); }),
              "\n      1.000    0.250     -1       -1    "
              "\t      4.000    1.000     -1       -1    ");
}

TEST(SampleRows, FpmRowsHaveNoPositionAndAbsentGenesWriteNine)
{
    const vsk::Par p = small_par(1, 2);
    std::vector<vsk::Polygene> fpm(2);
    fpm[1].status = 1;
    fpm[1].eff.assign(4, 1, 0.0);
    fpm[1].eff[1][0] = 0.75;
    fpm[1].freq.assign(1, 2, 0.5);
    fpm[1].gtp = {3, 0};
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_ifpm_row(f, p, fpm); }),
              "\n  2  1      0         0         0         0  0.500    0.7500    0.0000    0.0000");
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_gfpm_row(f, p, fpm, {1, 2}); }), "\n   9 9   3 0");
}

TEST(SampleRows, CohortFpmVarianceSumsOverActiveGenes)
{
    vsk::Par p = small_par(2, 2);
    p.n_cohorts = 1;
    std::vector<vsk::Obs> o(2);
    o[0].cohort = o[1].cohort = 1;
    std::vector<vsk::Polygene> fpm(2);
    for (vsk::Polygene& g : fpm) {
        g.status = 1;
        g.eff.assign(4, 2, 1.0);
        g.gtp = {0, 3};
    }
    fpm[1].eff[1][1] = 3.0;
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_cohfpm_row(f, p, o, fpm); }), "\n    2.000 \t   10.000");
}

TEST(SampleRows, GenotypeCountersOneLinePerIndividual)
{
    vsk::Par p = small_par(1, 1);
    std::vector<vsk::Obs> o(2);
    o[0].name = "alpha";
    o[1].name = "bravo";
    std::vector<vsk::Polygene> fpm(1);
    fpm[0].tally.assign(2, 3, 0);
    fpm[0].tally[1][2] = 7;
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_cumgtp_rows(f, p, o, fpm); }),
              "\n       alpha          0      0      0\n       bravo          0      0      7");
}

std::string allele_letter(int, int code) { return std::string(1, static_cast<char>('A' + code - 1)); }

TEST(SampleRows, PhaseRowsSkipIndividualsWithoutFlankingMarkers)
{
    const vsk::Par p = small_par(1, 1);
    std::vector<vsk::Mrkrlcs> markers(2);
    markers[0].position = 100.1;
    markers[1].position = 100.3;
    vsk::Gene slot = qtl_slot({1.0}, {});
    slot.pos = 100.2;
    std::vector<vsk::FlankPhase> table(3);
    table[0].left = 1;
    table[0].left_allele[0] = 1;
    table[0].left_allele[1] = 3;
    table[0].right = 2;
    table[0].right_allele[0] = 2;
    table[0].right_allele[1] = 2;
    table[2].right = 2;  // no left marker
    table[2].right_allele[0] = 4;
    table[2].right_allele[1] = 1;
    // Individual 2 has neither marker (-1, -1) and is skipped.
    EXPECT_EQ(written([&](std::FILE* f) { vsk::write_phase_rows(f, p, markers, slot, table, {1, 2, 3}, allele_letter); }),
              "\n       20      1  100.20000  100.10000   A   C  100.30000   B   B"
              "\n       20      3  100.20000    0.000    -1  -1  100.30000   D   A");
}

}  // namespace
