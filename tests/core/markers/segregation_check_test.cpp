// Segregation check: the inconsistent trio, completions, null alleles,
// stage 0, segregation distortion, and the incremental passes against
// evaluating everyone in every pass.
#include <random>

#include "core/markers/marker_checks.h"
#include "core/markers/segregation.h"
#include "marker_fixture.h"
#include "textfile/file.h"

namespace {

using markertest::MarkerTest;
using markertest::Project;

using SegregationCheck = MarkerTest;

vsk::MarkerData coded(Project& p)
{
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    vsk::screen_suspicious_alleles(d);
    return d;
}

// Without non-Mendelian transmissions the child and both parents are
// equally impossible: the first of them in order is deleted, and the locus
// is checked again until it is consistent.
TEST_F(SegregationCheck, InconsistentTrioIsDeletedUntilConsistent)
{
    Project p(1);
    const int f = p.add("f", 0, 0, {{2, 2}});
    const int m = p.add("m", 0, 0, {{2, 2}});
    const int bad = p.add("c", f, m, {{1, 1}});
    vsk::MarkerData d = coded(p);
    vsk::check_marker_segregation(d, 0);
    EXPECT_NE(log_text().find("\nc                   m1                       1,1          1,1      (MENU=0300)"),
              std::string::npos);
    vsk::check_marker_segregation(d, 1);
    for (int parent : {f, m}) {
        EXPECT_EQ(d.status(0, parent), vsk::kObservedError);
        EXPECT_EQ(d.a1(0, parent), vsk::kMissingAllele);
    }
    EXPECT_EQ(d.a1(0, bad), 1);
    EXPECT_EQ(d.status(0, bad), vsk::kObservedPutError);  // marked in the report-only stage
    EXPECT_NE(log_text().find("Realised deletion:\n                   f           m1"), std::string::npos);
    EXPECT_NE(log_text().find("Realised deletion:\n                   m           m1"), std::string::npos);
    EXPECT_NE(log_text().find("\nDetected segregation errors: 0"), std::string::npos);
}

// With a small rate of non-Mendelian transmission and consistent sibs, the
// child is the least probable genotype: deleted (status 7), then completed
// from its parents (observed, error, augmented).
TEST_F(SegregationCheck, ErroneousChildIsDeleted)
{
    Project p(1);
    p.par.MSegAlpha = 0.01;
    const int f = p.add("f", 0, 0, {{2, 2}});
    const int m = p.add("m", 0, 0, {{2, 2}});
    for (int i = 0; i < 3; ++i) p.add("s" + std::to_string(i), f, m, {{2, 2}});
    const int bad = p.add("c", f, m, {{1, 1}});
    vsk::MarkerData d = coded(p);
    vsk::check_marker_segregation(d, 1);
    EXPECT_EQ(d.a1(0, bad), 2);
    EXPECT_EQ(d.a2(0, bad), 2);
    EXPECT_EQ(d.status(0, bad), vsk::kObservedErrorAugmented);
    for (int i = 1; i < bad; ++i) EXPECT_EQ(d.status(0, i), vsk::kObservedConsistent) << i;
    EXPECT_NE(log_text().find("Realised deletion:\n                   c           m1"), std::string::npos);
    EXPECT_NE(console_text().find("\nDeletion of erroneous marker genotypes"), std::string::npos);
}

TEST_F(SegregationCheck, StageZeroOnlyMarks)
{
    Project p(1);
    const int f = p.add("f", 0, 0, {{2, 2}});
    const int m = p.add("m", 0, 0, {{2, 2}});
    const int bad = p.add("c", f, m, {{1, 1}});
    const int gap = p.add("g", f, m, {{0, 0}});
    vsk::MarkerData d = coded(p);
    vsk::check_marker_segregation(d, 0);
    EXPECT_EQ(d.status(0, bad), vsk::kObservedPutError);
    EXPECT_EQ(d.a1(0, bad), 1);
    EXPECT_EQ(d.a1(0, gap), vsk::kMissingAllele);
    EXPECT_NE(log_text().find("(MENU=0300)"), std::string::npos);
    EXPECT_NE(console_text().find("  (0) no modifications, except Confirmed null-alleles"), std::string::npos);
}

TEST_F(SegregationCheck, MissingChildOfTwoHomozygotesIsCompleted)
{
    Project p(1);
    const int f = p.add("f", 0, 0, {{1, 1}});
    const int m = p.add("m", 0, 0, {{2, 2}});
    const int c = p.add("c", f, m, {{0, 0}});
    vsk::MarkerData d = coded(p);
    vsk::check_marker_segregation(d, 1);
    EXPECT_EQ(d.a1(0, c), 2);  // the later of (1,2) and (2,1) in row order
    EXPECT_EQ(d.a2(0, c), 1);
    EXPECT_EQ(d.status(0, c), vsk::kMissingAugmented);
    EXPECT_NE(log_text().find("(MENU=3002)"), std::string::npos);
    EXPECT_NE(console_text().find("\nAugmentation of incomplete marker genotypes (n=1)"), std::string::npos);
}

// An inbred founder whose one offspring, with a non-Mendelian rate of 0.4,
// makes (1,1) 0.6 and (2,2) 0.4 likely: completed as a homozygote (U = 4).
TEST_F(SegregationCheck, InbredCompletionAboveHalf)
{
    Project p(1);
    p.par.MSegAlpha = 0.4;
    const int f = p.add("f", 0, vsk::kInbred, {{0, 0}});
    const int m = p.add("m", 0, vsk::kInbred, {{1, 2}});
    p.add("c", f, m, {{1, 1}});
    p.obs[0].fat = p.obs[1].fat = 0;
    vsk::MarkerData d = coded(p);
    const vsk::Kin kin = vsk::build_kin(p.obs, p.par.n_individuals);
    std::vector<double> P;
    vsk::genotype_probability(d, kin, 0, f, vsk::locus_model(p.par, p.loci[0]), P, nullptr);
    EXPECT_NEAR(P[0], 0.6, 1e-4);
    EXPECT_NEAR(P[3], 0.4, 1e-4);
    vsk::check_marker_segregation(d, 1);
    EXPECT_EQ(d.a1(0, f), 1);
    EXPECT_EQ(d.a2(0, f), 1);
    EXPECT_EQ(d.status(0, f), vsk::kMissingAugmented);
}

TEST_F(SegregationCheck, HeterozygousSelfingsAreConsistent)
{
    Project p(1);
    const int a = p.add("a", 0, vsk::kInbred, {{1, 1}});
    const int b = p.add("b", 0, vsk::kInbred, {{2, 2}});
    const int f1 = p.add("f1", a, b, {{1, 2}});
    for (int i = 0; i < 8; ++i) p.add("f2_" + std::to_string(i), f1, vsk::kSelfed, {{1 + i % 2, 1 + (i / 2) % 2}});
    vsk::MarkerData d = coded(p);
    vsk::check_marker_segregation(d, 1);
    for (int i = 1; i <= p.par.n_individuals; ++i) EXPECT_EQ(d.status(0, i), vsk::kObservedConsistent) << i;
}

// A putative null (x, $) whose family needs the null is confirmed (x, n).
TEST_F(SegregationCheck, PutativeNullConfirmed)
{
    Project p(1);
    const int f = p.add("f", 0, 0, {{5, -1}});
    const int m = p.add("m", 0, 0, {{7, 7}});
    p.add("c1", f, m, {{7, -1}});
    p.add("c2", f, m, {{5, 7}});
    vsk::MarkerData d = coded(p);
    vsk::check_marker_segregation(d, 1);
    EXPECT_EQ(d.a2(0, f), 3);  // the null code
    EXPECT_EQ(d.status(0, f), vsk::kPutNullAugmented);
    EXPECT_EQ(p.loci[0].has_confirmed_null, 1);
}

TEST_F(SegregationCheck, DistortedParentIsLoggedAndNeutralised)
{
    Project p(1);
    p.par.MSegDelta = 1;
    const int f = p.add("f", 0, 0, {{1, 2}});
    const int m = p.add("m", 0, 0, {{1, 1}});
    for (int i = 0; i < 12; ++i) p.add("c" + std::to_string(i), f, m, {{1, 1}});
    vsk::MarkerData d = coded(p);
    const vsk::Kin kin = vsk::build_kin(p.obs, p.par.n_individuals);
    std::vector<double> P;
    {
        vsk::File log = vsk::open_file("marker.log", "a");
        vsk::genotype_probability(d, kin, 0, f, vsk::locus_model(p.par, p.loci[0]), P, log.get());
    }
    EXPECT_NEAR(P[1], P[0], 1e-12);  // the heterozygote raised to the homozygote
    EXPECT_NE(log_text().find("\nSeg_Distortion\t"), std::string::npos);
    EXPECT_NE(log_text().find(",  12\t"), std::string::npos);
    vsk::check_marker_segregation(d, 1);
    EXPECT_EQ(d.status(0, f), vsk::kObservedConsistent);
}

// Random families with scoring errors and missing genotypes: the passes that
// re-evaluate only changed neighbourhoods give the alleles, statuses and log
// of evaluating every individual in every pass.
TEST_F(SegregationCheck, IncrementalPassesEqualFullPasses)
{
    for (int seed = 1; seed <= 6; ++seed) {
        std::mt19937 gen(static_cast<unsigned>(seed));
        Project p(3);
        p.par.MSegAlpha = seed % 2 ? 0.0 : 0.01;
        auto random_genotype = [&](int n) {
            std::vector<std::pair<int, int>> g;
            for (int k = 0; k < 3; ++k) {
                if (gen() % 8 == 0) g.push_back({0, 0});
                else g.push_back({1 + static_cast<int>(gen() % static_cast<unsigned>(n)),
                                  1 + static_cast<int>(gen() % static_cast<unsigned>(n))});
            }
            return g;
        };
        for (int i = 0; i < 6; ++i) p.add("F" + std::to_string(i), 0, 0, random_genotype(4));
        for (int i = 0; i < 40; ++i) {
            const int fa = 1 + static_cast<int>(gen() % static_cast<unsigned>(p.par.n_individuals));
            int mo = 1 + static_cast<int>(gen() % static_cast<unsigned>(p.par.n_individuals));
            if (mo == fa) mo = fa % p.par.n_individuals + 1;
            p.add("C" + std::to_string(i), fa, mo, random_genotype(4));
        }
        Project q = p;
        vsk::MarkerData d1 = coded(p);
        vsk::MarkerData d2 = coded(q);
        std::filesystem::remove(dir_ / "marker.log");
        vsk::check_marker_segregation(d1, 1, false);
        const std::string log1 = log_text();
        std::filesystem::remove(dir_ / "marker.log");
        vsk::check_marker_segregation(d2, 1, true);
        EXPECT_EQ(log1, log_text()) << seed;
        for (int k = 0; k < 3; ++k)
            for (int i = 1; i <= p.par.n_individuals; ++i) {
                EXPECT_EQ(d1.a1(k, i), d2.a1(k, i)) << seed;
                EXPECT_EQ(d1.a2(k, i), d2.a2(k, i)) << seed;
                EXPECT_EQ(d1.status(k, i), d2.status(k, i)) << seed;
            }
    }
}

}  // namespace
