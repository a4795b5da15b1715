// The fast routines of the QTL sweep against their slow versions: the
// design columns of one slot recomputed after its genotypes changed equal a
// full rebuild of the design, and the founder and origin steps on one shared
// phenotype table equal the two steps run apart (same draws, same state),
// and the transmission terms from the QTL row's logs equal prob_trans.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/state/console.h"
#include "qtl_fixture.h"

namespace {

using qtl_test::make_project;
using qtl_test::Project;

struct Quiet {
    std::FILE* sink = std::tmpfile();
    Quiet() { vsk::set_console_stream(sink); }
    ~Quiet()
    {
        vsk::set_console_stream(nullptr);
        std::fclose(sink);
    }
};

// Three QTL at the start, then a short chain, on 6 founders and 60 phenotyped offspring
// with random marker indicators.
std::unique_ptr<Project> running_project(int domGENE, unsigned seed, int sweeps)
{
    auto pr = make_project(6, qtl_test::founder_pairs(6, 60));
    pr->p.domGENE = domGENE;
    pr->p.nqtl = 3;
    vsk::Rng r;
    r.seed(seed);
    int phenotyped = 0;
    for (int c = 0; c < pr->p.n_individuals; ++c) {
        if (pr->o[static_cast<std::size_t>(c)].fat == 0) continue;
        pr->phe.phenotype[c][0] = 1;
        pr->phe.Y[c][0] = pr->phe.residual[c][0] = r.normal();
        ++phenotyped;
        for (int k = 0; k < pr->p.n_markers; ++k) {
            pr->gpo0[k][c] = r.uniform() < 0.5 ? 0 : 1;
            pr->gpo1[k][c] = r.uniform() < 0.5 ? 0 : 1;
        }
    }
    pr->p.n_phenotyped = phenotyped;
    pr->rng.seed(seed);
    vsk::sample_qtl(pr->model(), 0);
    for (int s = 0; s < sweeps; ++s) vsk::sample_qtl(pr->model(), 1);
    return pr;
}

TEST(QtlFastPaths, SlotColumnsOfTheDesignEqualAFullRebuild)
{
    Quiet q;
    for (int dom : {0, 5}) {
        auto pr = running_project(dom, 21, 0);
        vsk::QtlModel& m = pr->model();
        ASSERT_GT(vsk::active_count(m), 0);
        for (int mode : {1, 0}) {
            const int s = vsk::pick_active_slot(m, 0.7);
            vsk::apply_all_values(m, -1);
            vsk::build_design(m, -1);
            vsk::new_qtl_proposal(m, s, mode);
            vsk::update_design_slot(m, s);
            const vsk::Table<double> fast_xx = pr->w.XX, fast_xy = pr->w.X;
            vsk::build_design(m, -1);
            const int nc = 1 + vsk::effect_columns_per_slot(m) * vsk::active_count(m);
            for (int i = 0; i < nc; ++i) {
                EXPECT_EQ(fast_xy[i][0], pr->w.X[i][0]) << "row " << i;
                for (int j = 0; j < nc; ++j) EXPECT_EQ(fast_xx[i][j], pr->w.XX[i][j]) << i << ", " << j;
            }
            vsk::apply_all_values(m, +1);
        }
    }
}

TEST(QtlFastPaths, SharedPhenotypeTableEqualsTheStepsApart)
{
    Quiet q;
    auto fast = running_project(5, 22, 20);
    auto slow = running_project(5, 22, 20);
    for (int s = 0; s < fast->p.maximQTL; ++s) {
        if (fast->gene[static_cast<std::size_t>(s)].status != 1) continue;
        vsk::sample_slot_genotypes(fast->model(), s);
        vsk::sample_founder_genotypes(slow->model(), s);
        vsk::sample_allele_origin(slow->model(), s, true);
        const vsk::Gene &a = fast->gene[static_cast<std::size_t>(s)], &b = slow->gene[static_cast<std::size_t>(s)];
        EXPECT_EQ(a.gtp, b.gtp);
        EXPECT_EQ(a.alstate, b.alstate);
        for (int side = 0; side < 2; ++side)
            for (int c = 0; c < fast->p.n_individuals; ++c) EXPECT_EQ(a.gpori[side][c], b.gpori[side][c]);
    }
    for (int c = 0; c < fast->p.n_individuals; ++c)
        EXPECT_NEAR(fast->phe.residual[c][0], slow->phe.residual[c][0], 1e-12);
    EXPECT_LT(qtl_test::max_residual_error(*fast), 1e-9);
    EXPECT_EQ(fast->rng.uniform(), slow->rng.uniform());  // the same number of draws
}

TEST(QtlFastPaths, TransmissionLogsOfTheQtlRowEqualProbTrans)
{
    Quiet q;
    auto pr = running_project(5, 23, 5);
    vsk::QtlModel& m = pr->model();
    pr->o[10].mot = vsk::kSelfed;  // one individual on the selfing-adjusted fractions
    int checked = 0;
    for (int s = 0; s < pr->p.maximQTL; ++s) {
        const vsk::Gene& g = pr->gene[static_cast<std::size_t>(s)];
        if (g.status != 1) continue;
        vsk::fill_qtl_row_logs(m, g);
        for (int c = 0; c < pr->p.n_individuals; ++c) {
            if (pr->o[static_cast<std::size_t>(c)].fat == 0) continue;
            for (int side = 0; side < 2; ++side) {
                int l = 0, r = 0;
                vsk::window(m, g.lcsrow, c, side, l, r);
                EXPECT_EQ(vsk::prob_trans_at_qtl(m, g, c, side, l, r), vsk::prob_trans(m, g, c, side, l, r, false));
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
