// Screening: spurious genotypes, reordering, putative nulls to missing,
// deletion of partially known genotypes.
#include "core/markers/marker_checks.h"
#include "marker_fixture.h"

namespace {

using markertest::MarkerTest;
using markertest::Project;

using Screening = MarkerTest;

TEST_F(Screening, HalfKnownGenotypeIsReorderedThenDeleted)
{
    Project p(1);
    p.add("a", 0, 0, {{0, 134}});
    p.add("b", 0, 0, {{130, 134}});
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    vsk::screen_suspicious_alleles(d);
    EXPECT_EQ(d.a1(0, 1), 2);
    EXPECT_EQ(d.a2(0, 1), vsk::kMissingAllele);
    EXPECT_NE(log_text().find("\n1 Partially observed genotypes for marker m1"), std::string::npos);
    EXPECT_NE(log_text().find("\n1 Reordered observed genotypes for marker m1"), std::string::npos);
    EXPECT_NE(console_text().find("\nIncompletions!\nReorderings!\n(see file 'marker.log' for details)"),
              std::string::npos);
    vsk::delete_partial_genotypes(d);
    EXPECT_EQ(d.a1(0, 1), vsk::kMissingAllele);
    EXPECT_EQ(d.status(0, 1), vsk::kIncompleteMissing);
    EXPECT_NE(log_text().find("\nDeletion: a m1   134,-     "), std::string::npos);
    EXPECT_NE(console_text().find("\nDeletion of partially known genotypes (n=1)"), std::string::npos);
}

TEST_F(Screening, SpuriousGenotypesBecomeMissing)
{
    Project p(1);
    p.add("a", 0, 0, {{-1, -1}});
    p.add("b", 0, 0, {{-2, 0}});
    p.add("c", 0, 0, {{-1, 7}});
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    vsk::screen_suspicious_alleles(d);
    for (int i : {1, 2}) {
        EXPECT_EQ(d.a1(0, i), vsk::kMissingAllele);
        EXPECT_EQ(d.a2(0, i), vsk::kMissingAllele);
    }
    EXPECT_EQ(d.a1(0, 3), 1);
    EXPECT_EQ(d.a2(0, 3), vsk::kPutativeNull);
    EXPECT_NE(log_text().find("\nDeletion a, m1,   -1,-1"), std::string::npos);
    EXPECT_NE(log_text().find("\n2 Deletion  spurious genotypes for marker m1"), std::string::npos);
    EXPECT_NE(console_text().find("\nDeletions!\nReorderings!"), std::string::npos);
}

TEST_F(Screening, CleanDataIsOk)
{
    Project p(1);
    p.add("a", 0, 0, {{1, 2}});
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    vsk::screen_suspicious_alleles(d);
    EXPECT_NE(console_text().find("SCREEN SUSPICIOUS MARKER ALLELES\nOK"), std::string::npos);
}

TEST_F(Screening, PutativeNullsBecomeMissingWithStatus4)
{
    Project p(2);
    p.add("a", 0, 0, {{5, -1}, {1, 2}});
    p.add("b", 0, 0, {{5, 7}, {1, 1}});
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    EXPECT_EQ(vsk::putative_nulls_to_missing(d), 1);
    EXPECT_EQ(d.a1(0, 1), vsk::kMissingAllele);
    EXPECT_EQ(d.status(0, 1), vsk::kPutNullMissing);
    EXPECT_EQ(d.a1(0, 2), 1);
    EXPECT_NE(log_text().find("\nMarker m1 : 1 putative null-alleles to missing(20061221)"), std::string::npos);
    EXPECT_NE(console_text().find("\nPutative alleles found!"), std::string::npos);
}

TEST_F(Screening, NothingWrittenToTheLogWithReducedPrinting)
{
    Project p(1);
    p.add("a", 0, 0, {{0, 134}});
    vsk::MarkerData d = p.finish();
    vsk::REDprint = 1;
    vsk::code_marker_alleles(d);
    vsk::screen_suspicious_alleles(d);
    vsk::delete_partial_genotypes(d);
    vsk::REDprint = 0;
    EXPECT_FALSE(std::filesystem::exists(dir_ / "marker.log"));
    EXPECT_EQ(console_text().find("locus....."), std::string::npos);
}

}  // namespace
