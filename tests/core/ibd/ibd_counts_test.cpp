// IBD counting of the fixed QTL on small pedigrees without marker
// information: the counted probabilities recover the relationships the
// pedigree implies, and the set-up refuses positions and allele systems it
// cannot hold.
#include <gtest/gtest.h>

#include <cmath>

#include "core/ibd/ibd.h"
#include "core/qtl/qtl_fixture.h"
#include "core/state/run_workspace.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

using qtl_test::Project;

constexpr int kSelf = vsk::kSelfed;
constexpr int kDh = vsk::kDbhpld;

// Founders 1..3; 4, 5 full sibs (1 x 2); 6 half sib (1 x 3); 7 = 4 x 6;
// 8 selfed from 4; 9 a doubled haploid of 5.
std::unique_ptr<Project> relatives()
{
    auto pr = qtl_test::make_project(3, {{1, 2}, {1, 2}, {1, 3}, {4, 6}, {4, kSelf}, {5, kDh}}, qtl_test::MapLayout{}, 1);
    pr->p.indicQTL = 2;
    pr->p.addGENE = 0;
    vsk::run_workspace().reset();
    return pr;
}

// Numerator relationship (twice the coancestry) of individuals i and j from
// the counts: the four gametic counts over 2N.
double numerator(const vsk::IbdCounts& c, int i, int j)
{
    double sum = 0.0;
    for (int s = 0; s < 2; ++s)
        for (int t = 0; t < 2; ++t) sum += vsk::gametic_count(c, i - 1, s, j - 1, t);
    return sum / (2.0 * c.sweeps);
}

double dominance(const vsk::IbdCounts& c, int i, int j)
{
    int a = -1, b = -1;
    for (int k = 0; k < static_cast<int>(c.dom.size()); ++k) {
        if (c.dom[static_cast<std::size_t>(k)] == i) a = k;
        if (c.dom[static_cast<std::size_t>(k)] == j) b = k;
    }
    return static_cast<double>(vsk::dominance_count(c.dom_c, a, b)) / c.sweeps;
}

TEST(IbdStat, CountsRecoverPedigreeRelationshipsWithoutMarkers)
{
    auto pr = relatives();
    vsk::QtlModel& m = pr->model();
    vsk::sample_qtl(m, 0, 100.3);
    const int N = 6000;
    for (int t = 0; t < N; ++t) vsk::sample_qtl(m, 1);
    const vsk::IbdCounts& c = vsk::ibd_counts();
    ASSERT_EQ(c.sweeps, N);
    // Monte Carlo error: origins are drawn afresh every sweep, so counts are
    // binomial; a sum of four indicators over 2N has SD at most 1/sqrt(N)
    // (0.013); the tolerance is about four of them.
    const double tol = 0.05;
    struct Case {
        int i, j;
        double expected;
        const char* what;
    };
    const Case cases[] = {
        {1, 1, 1.0, "founder"},           {1, 4, 0.5, "parent-offspring"}, {4, 5, 0.5, "full sibs"},
        {4, 6, 0.25, "half sibs"},        {7, 7, 1.125, "offspring of half sibs"}, {4, 7, 0.625, "parent of an inbred offspring"},
        {4, 8, 1.0, "selfed line and its parent"}, {8, 8, 2.0, "selfed line (no marker shows heterozygosity)"},
        {5, 9, 1.0, "doubled haploid and its parent"}, {9, 9, 2.0, "doubled haploid"}, {4, 9, 0.5, "doubled haploid of a full sib"},
        {2, 6, 0.0, "unrelated"},
    };
    for (const Case& k : cases) EXPECT_NEAR(numerator(c, k.i, k.j), k.expected, tol) << k.what;
    // Gametic: the paternal allele of 4 is one of founder 1's two alleles.
    const double share0 = static_cast<double>(vsk::gametic_count(c, 3, 0, 0, 0)) / N;
    const double share1 = static_cast<double>(vsk::gametic_count(c, 3, 0, 0, 1)) / N;
    EXPECT_NEAR(share0 + share1, 1.0, 1e-12);
    EXPECT_NEAR(share0, 0.5, 0.03);
    // Founder-allele counts of one allele sum to N.
    int total = 0;
    for (int l = 0; l < 2 * m.p.n_founders; ++l) total += c.fa[2 * 3][l];
    EXPECT_EQ(total, N);
    // Dominance: both alleles IBD in full sibs with probability 1/4, never in half sibs.
    EXPECT_NEAR(dominance(c, 4, 5), 0.25, 0.03);
    EXPECT_EQ(dominance(c, 4, 6), 0.0);
    EXPECT_NEAR(dominance(c, 4, 4), 1.0, 1e-12);
}

TEST(IbdFixedQtl, PositionOnAMarkerIsMovedOffIt)
{
    auto pr = relatives();
    const vsk::QtlModel& m = pr->model();
    EXPECT_NEAR(vsk::shift_off_markers(m, 100.2), 100.2 - 1e-6, 1e-12);   // inner marker: to the left
    EXPECT_NEAR(vsk::shift_off_markers(m, 100.0), 100.0 + 1e-6, 1e-12);   // first marker: to the right
    EXPECT_NEAR(vsk::shift_off_markers(m, 100.6), 100.6 - 1e-6, 1e-12);   // last marker
    EXPECT_EQ(vsk::shift_off_markers(m, 100.3), 100.3);
    EXPECT_EQ(vsk::chromosome_holding(m, 100.0 + 1e-6), 0);
    EXPECT_EQ(vsk::chromosome_holding(m, 200.5), 1);
    EXPECT_EQ(vsk::chromosome_holding(m, 100.7), -1);
    EXPECT_EQ(vsk::chromosome_holding(m, 100.0), -1);  // bounds are outside
}

TEST(IbdFixedQtl, PositionOnNoLinkageGroupIsFatal)
{
    auto pr = relatives();
    EXPECT_THROW(vsk::sample_qtl(pr->model(), 0, 300.5), vsk::FatalExit);
}

TEST(IbdFixedQtl, AlleleSystemOtherThanTwoStatesIsFatal)
{
    auto pr = relatives();
    vsk::QtlModel& m = pr->model();
    vsk::init_qtl_slots(m);
    m.gene[0].altype = 1;
    EXPECT_THROW(vsk::sample_qtl(m, 0, 100.3), vsk::FatalExit);
}

TEST(IbdFixedQtl, SetUpGivesFoundersBothStatesAndEveryoneLabels)
{
    auto pr = relatives();
    vsk::QtlModel& m = pr->model();
    vsk::sample_qtl(m, 0, 100.2);
    const vsk::Gene& g = m.gene[0];
    EXPECT_EQ(g.status, vsk::kFixedStatus);
    EXPECT_EQ(m.p.nqtl, 1);
    EXPECT_NEAR(g.pos, 100.2 - 1e-6, 1e-12);
    EXPECT_EQ(g.interval, 1);  // the marker at 0.2 M is the first to its right
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(g.alstate[static_cast<std::size_t>(2 * k)], 0);
        EXPECT_EQ(g.alstate[static_cast<std::size_t>(2 * k + 1)], 1);
    }
    // Labels pass down: every allele of 7 comes from founders 1, 2 or 3.
    for (int s = 0; s < 2; ++s) EXPECT_LT(g.fal[s][6], 6);
    // The doubled haploid carries one label twice.
    EXPECT_EQ(g.fal[0][8], g.fal[1][8]);
}

}  // namespace

namespace {

TEST(IbdFounderRepresentation, RelationshipsToFoundersFollowThePedigree)
{
    auto pr = relatives();
    pr->o[0].mot = vsk::kInbred;  // founder 1 inbred: relationship 2 to itself
    pr->o[0].mot_gen = 1;
    const vsk::Table<double> a = vsk::founder_relationships(pr->p, pr->o);
    EXPECT_DOUBLE_EQ(a[0][0], 2.0);
    EXPECT_DOUBLE_EQ(a[1][1], 1.0);
    EXPECT_DOUBLE_EQ(a[3][0], 1.0);   // offspring of the inbred founder
    EXPECT_DOUBLE_EQ(a[3][1], 0.5);
    EXPECT_DOUBLE_EQ(a[6][2], 0.25);  // grandchild of founder 3
    EXPECT_DOUBLE_EQ(a[7][1], 0.5);   // selfing keeps the parent's shares
    EXPECT_DOUBLE_EQ(a[8][0], 1.0);   // doubled haploid likewise
    EXPECT_DOUBLE_EQ(a[2][0], 0.0);
}

}  // namespace

namespace {

// The bucketed gametic and sorted dominance counts equal the counts over
// every pair, in outbred
// (labels compared) and inbred (founders compared) populations.
TEST(IbdCounting, BucketedCountEqualsTheCountOverEveryPair)
{
    for (int inbred : {0, 1}) {
        auto pr = relatives();
        vsk::QtlModel& m = pr->model();
        m.p.inbred_pop = inbred;
        vsk::sample_qtl(m, 0, 200.5);
        vsk::IbdCounts oracle = vsk::ibd_counts();
        for (int t = 0; t < 50; ++t) {
            vsk::sample_qtl(m, 1);
            vsk::count_gametic_pairs_direct(m, oracle);
            vsk::count_dominance_pairs_direct(m, oracle);
        }
        const vsk::IbdCounts& c = vsk::ibd_counts();
        ASSERT_EQ(c.ibd.rows(), oracle.ibd.rows());
        for (int r = 0; r < c.ibd.rows(); ++r)
            EXPECT_EQ(testsupport::row_of<int>(c.ibd, r), testsupport::row_of<int>(oracle.ibd, r)) << "row " << r << " inbred " << inbred;
        ASSERT_EQ(c.dom_c.rows(), oracle.dom_c.rows());
        ASSERT_GT(c.dom_c.rows(), 0);
        for (int r = 0; r < c.dom_c.rows(); ++r) {
            EXPECT_EQ(testsupport::row_of<int>(c.dom_c, r), testsupport::row_of<int>(oracle.dom_c, r)) << "row " << r;
            EXPECT_EQ(testsupport::row_of<int>(c.domi_c, r), testsupport::row_of<int>(oracle.domi_c, r)) << "row " << r;
        }
    }
}

}  // namespace
