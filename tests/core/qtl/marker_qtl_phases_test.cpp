// Flanking marker phases of a QTL (the rows of "phase.out"): nearest
// heterozygous phased marker on each side within the QTL's linkage group, the
// homologue carrying QTL allele 0 first, no allele for individuals without it.
#include <gtest/gtest.h>

#include "core/markers/marker_data.h"
#include "core/output/samples.h"
#include "qtl_fixture.h"

namespace {

constexpr int kMissing = vsk::kMissingAllele;

// Founders 1 and 2, offspring 3 of (1, 2). Group 1 holds markers 0..3 at
// 0, 0.2, 0.5, 0.6 Morgan; the QTL sits at 0.3 (interval closed by marker 2).
std::unique_ptr<qtl_test::Project> project_with_qtl()
{
    auto pr = qtl_test::make_project(2, {{1, 2}});
    vsk::QtlModel& m = pr->model();
    vsk::init_qtl_slots(m);
    vsk::Gene& g = pr->gene[0];
    g.status = 1;
    g.chrom = 0;
    g.pos = 100.3;
    g.interval = 2;
    const int n = pr->p.n_individuals;
    pr->mph.pat_allele.assign(pr->p.n_markers, n, kMissing);
    pr->mph.mat_allele.assign(pr->p.n_markers, n, kMissing);
    return pr;
}

void set_marker(qtl_test::Project& pr, int k, int c, int pat, int mat)
{
    pr.mph.pat_allele[k][c] = static_cast<signed char>(pat);
    pr.mph.mat_allele[k][c] = static_cast<signed char>(mat);
}

TEST(QtlMarkerPhases, NearestHeterozygousFlanksWithTheAlleleZeroHomologueFirst)
{
    auto pr = project_with_qtl();
    vsk::Gene& g = pr->gene[0];
    // Offspring 3 (c = 2): paternal label 0 (state 1), maternal label 2 (state 0).
    g.fal[0][2] = 0;
    g.fal[1][2] = 2;
    g.alstate = {1, 1, 0, 0};
    set_marker(*pr, 1, 2, 1, 1);  // homozygous: skipped
    set_marker(*pr, 0, 2, 1, 2);  // left flank: paternal 1, maternal 2
    set_marker(*pr, 2, 2, 3, kMissing);  // one allele unknown: skipped
    set_marker(*pr, 3, 2, 2, 1);  // right flank
    set_marker(*pr, 4, 2, 1, 2);  // next linkage group: never a flank
    std::vector<vsk::FlankPhase> table(3);
    vsk::marker_qtl_phases(pr->model(), 0, table);
    const vsk::FlankPhase& f = table[2];
    EXPECT_EQ(f.left, 1);
    EXPECT_EQ(f.left_allele[0], 2);  // maternal homologue carries allele 0
    EXPECT_EQ(f.left_allele[1], 1);
    EXPECT_EQ(f.right, 4);
    EXPECT_EQ(f.right_allele[0], 1);
    EXPECT_EQ(f.right_allele[1], 2);
    // Founders without heterozygous markers have no flank on either side.
    EXPECT_LT(table[0].left + table[0].right, -1);
}

TEST(QtlMarkerPhases, IndividualWithoutAlleleZeroHasNoQtlHaplotype)
{
    auto pr = project_with_qtl();
    vsk::Gene& g = pr->gene[0];
    g.alstate = {1, 1, 1, 1};
    set_marker(*pr, 1, 0, 1, 2);
    std::vector<vsk::FlankPhase> table(3);
    vsk::marker_qtl_phases(pr->model(), 0, table);
    EXPECT_EQ(table[0].left, 2);
    EXPECT_EQ(table[0].left_allele[0], 0);  // written as "-1": not informative
    EXPECT_EQ(table[0].left_allele[1], 2);
    EXPECT_EQ(table[0].right, -1);
    // Both homologues carry allele 0: the paternal one comes first.
    g.alstate = {0, 0, 0, 0};
    vsk::marker_qtl_phases(pr->model(), 0, table);
    EXPECT_EQ(table[0].left_allele[0], 1);
    EXPECT_EQ(table[0].left_allele[1], 2);
}

}  // namespace
