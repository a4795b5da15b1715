// Ancestral clusters at a QTL: which IBD position describes it, rejected
// P-Link moves restore the slot, and full sweeps with founder relationships
// keep the residuals equal to phenotype minus fit.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/state/console.h"
#include "plink_fixture.h"

namespace {

struct Quiet {
    std::FILE* sink = std::tmpfile();
    Quiet() { vsk::set_console_stream(sink); }
    ~Quiet()
    {
        vsk::set_console_stream(nullptr);
        std::fclose(sink);
    }
};

// Phenotypes for everyone; residuals net of the overall mean drawn at start.
void add_phenotypes(qtl_test::Project& pr, unsigned seed)
{
    vsk::Rng r;
    r.seed(seed);
    int n = 0;
    for (int c = 0; c < pr.p.n_individuals; ++c) {
        pr.phe.phenotype[c][0] = 1;
        pr.phe.Y[c][0] = 3.0 * r.normal();
        pr.phe.residual[c][0] = pr.phe.Y[c][0] - pr.p.nuis_effects[0][0];
        ++n;
    }
    pr.p.n_phenotyped = n;
}

TEST(PlinkClusters, NearerIbdPositionIsTheLikelier)
{
    EXPECT_DOUBLE_EQ(vsk::ibd_pick_left(0.01, 0.03), 0.75);
    EXPECT_DOUBLE_EQ(vsk::ibd_pick_left(0.0, 0.03), 1.0);
    EXPECT_DOUBLE_EQ(vsk::ibd_pick_left(0.03, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(vsk::ibd_pick_left(0.0, 0.0), 0.5);
}

TEST(PlinkClusters, PositionWithoutTwoClustersOrOutsideTheIbdPositionsHasNone)
{
    Quiet q;
    qtl_test::PlinkProject pp = qtl_test::make_plink_project(0.0, 0.5);
    vsk::QtlModel& m = pp.pr->model();
    vsk::Gene g = pp.pr->gene[0];
    g.chrom = 0;
    g.pos = 100.6;  // exactly at the IBD position of 60 cM
    EXPECT_EQ(vsk::ibd_position_of(m, g), 3);
    pp.fibd[2] = qtl_test::ibd_position(0, 60.0, {1, 1, 1, 1});
    EXPECT_EQ(vsk::ibd_position_of(m, g), -2);
    pp.fibd.pop_back();  // chromosome 2 keeps only its first IBD position
    g.chrom = 1;
    g.pos = 200.4;
    EXPECT_EQ(vsk::ibd_position_of(m, g), -1);
}

TEST(PlinkClusters, FounderAllelesCarryTheirClustersState)
{
    Quiet q;
    qtl_test::PlinkProject pp = qtl_test::make_plink_project(1.0, 0.5);
    const vsk::Gene& g = pp.pr->gene[0];
    ASSERT_GT(g.ibdpos, 0);
    const std::vector<int>& cl = pp.fibd[static_cast<std::size_t>(g.ibdpos - 1)].cluster;
    bool both[2] = {false, false};
    for (std::size_t a = 0; a < cl.size(); ++a) {
        both[g.alstate[a] != 0] = true;
        for (std::size_t b = 0; b < cl.size(); ++b) {
            if (cl[a] == cl[b]) {
                EXPECT_EQ(g.alstate[a], g.alstate[b]) << a << " " << b;
            }
        }
    }
    EXPECT_TRUE(both[0] && both[1]);
}

TEST(PlinkClusters, RejectedPlinkMoveRestoresTheSlot)
{
    Quiet q;
    qtl_test::PlinkProject pp = qtl_test::make_plink_project(2.0, 0.4);
    qtl_test::Project& pr = *pp.pr;
    vsk::QtlModel& m = pr.model();
    add_phenotypes(pr, 3);
    vsk::Gene& g = pr.gene[0];
    g.eff[vsk::kAddRow][0] = 2.5;  // a large effect: most proposals are rejected
    vsk::compute_gval(pr.p, g);
    vsk::apply_slot_values(m, g, +1);
    int rejected = 0;
    for (int k = 0; k < 300; ++k) {
        const vsk::Gene before = g;
        const int r = vsk::move_plink(m, 0);
        ASSERT_LT(qtl_test::max_residual_error(pr), 1e-9);
        if (r != vsk::kRejected) continue;
        ++rejected;
        EXPECT_EQ(g.pos, before.pos);
        EXPECT_EQ(g.chrom, before.chrom);
        EXPECT_EQ(g.interval, before.interval);
        EXPECT_EQ(g.ibdpos, before.ibdpos);
        EXPECT_EQ(g.alstate, before.alstate);
        EXPECT_EQ(g.rfmrk, before.rfmrk);
        EXPECT_EQ(pr.w.row_pos[static_cast<std::size_t>(g.lcsrow)], g.pos);
    }
    EXPECT_GT(rejected, 10);
}

TEST(PlinkClusters, SweepsWithFounderRelationshipsKeepResidualsExact)
{
    Quiet q;
    for (double soft : {0.5, -1.0}) {
        qtl_test::PlinkProject pp = qtl_test::make_plink_project(soft, 0.5);
        qtl_test::Project& pr = *pp.pr;
        pr.p.maximQTL = 1;
        add_phenotypes(pr, 7);
        pr.b.freq_lower = 0.05;
        pr.b.freq_upper = 0.95;
        vsk::QtlModel& m = pr.model();
        pr.p.nqtl = 1;
        vsk::sample_qtl(m, 0);
        for (int s = 0; s < 200; ++s) {
            pr.p.cur_sweep = s;
            vsk::sample_qtl(m, 1);
            ASSERT_LT(qtl_test::max_residual_error(pr), 1e-9) << soft << " sweep " << s;
        }
        const int plink = soft >= 0 ? 20 : 8;
        EXPECT_GT(pr.acc_pos[plink], 0) << soft;
    }
}

}  // namespace
