// Allele coding: code order, null alleles, excluded markers, too many alleles.
#include "core/markers/allele_text.h"
#include "core/markers/marker_checks.h"
#include "marker_fixture.h"
#include "textfile/fatal.h"

namespace {

using markertest::MarkerTest;
using markertest::Project;

using AlleleCoding = MarkerTest;

TEST_F(AlleleCoding, DistinctValuesAscendingBecomeCodes)
{
    Project p(1);
    p.add("a", 0, 0, {{132, 128}});
    p.add("b", 0, 0, {{132, 140}});
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    EXPECT_EQ(p.loci[0].n_alleles, 3);
    EXPECT_EQ(p.loci[0].allele_value, (std::vector<int>{128, 132, 140}));
    EXPECT_EQ(d.a1(0, 1), 2);
    EXPECT_EQ(d.a2(0, 1), 1);
    EXPECT_EQ(d.a1(0, 2), 2);
    EXPECT_EQ(d.a2(0, 2), 3);
    EXPECT_EQ(p.mrk.code2_obs[0][1], 3);
    EXPECT_NE(console_text().find("CODE MARKER ALLELES"), std::string::npos);
}

TEST_F(AlleleCoding, NullAlleleTakesTheLastCodeAndMissingBecomes99)
{
    Project p(1);
    p.add("a", 0, 0, {{5, -1}});
    p.add("b", 0, 0, {{7, 0}});
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    EXPECT_EQ(p.loci[0].n_alleles, 3);
    EXPECT_EQ(p.loci[0].allele_value, (std::vector<int>{5, 7, -1}));
    EXPECT_EQ(p.loci[0].has_putative_null, 1);
    EXPECT_EQ(p.loci[0].has_confirmed_null, 0);
    EXPECT_EQ(d.a2(0, 1), vsk::kPutativeNull);
    EXPECT_EQ(d.a2(0, 2), vsk::kMissingAllele);
    EXPECT_EQ(p.loci[0].freq[0], 1.0 / 3);
}

TEST_F(AlleleCoding, ExcludedMarkerCarriesOneAllele)
{
    Project p(1);
    p.loci[0].excluded = 1;
    p.add("a", 0, 0, {{3, 4}});
    p.add("b", 0, 0, {{0, 0}});
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    EXPECT_EQ(p.loci[0].n_alleles, 1);
    EXPECT_EQ(d.a1(0, 1), 1);
    EXPECT_EQ(d.a2(0, 1), 1);
    EXPECT_EQ(d.a1(0, 2), vsk::kMissingAllele);
    EXPECT_EQ(vsk::allele_text(p.par, p.loci[0], 1), "E");
}

TEST_F(AlleleCoding, NinetyNineAllelesStopTheRun)
{
    Project p(1);
    for (int i = 0; i < 50; ++i) p.add("i" + std::to_string(i), 0, 0, {{100 + 2 * i, 101 + 2 * i}});
    vsk::MarkerData d = p.finish();
    EXPECT_THROW(vsk::code_marker_alleles(d), vsk::FatalExit);
    EXPECT_NE(console_text().find("\n too many alleles (100) for marker locus [1] m1"), std::string::npos);
}

TEST_F(AlleleCoding, LocusWithoutAllelesIsKept)
{
    Project p(1);
    p.add("a", 0, 0, {{0, 0}});
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    EXPECT_EQ(p.loci[0].n_alleles, 0);
    vsk::check_marker_segregation(d, 1);
    EXPECT_NE(console_text().find("\nWARNING: no alleles for marker m1"), std::string::npos);
    EXPECT_EQ(d.status(0, 1), vsk::kIncompleteMissing);
}

// Text of each kind of code (table-driven).
TEST_F(AlleleCoding, AlleleTexts)
{
    vsk::Par par;
    par.nullalleleP = "$";
    par.nullalleleC = "$$";
    vsk::Mrkrlcs letters;
    letters.n_alleles = 2;
    letters.allele_value = {1, 3};
    letters.letter_coded = 1;
    vsk::Mrkrlcs numbers;
    numbers.n_alleles = 3;
    numbers.allele_value = {128, 132, -1};
    numbers.has_confirmed_null = 1;
    struct Case {
        const vsk::Mrkrlcs* locus;
        int code;
        const char* text;
    } cases[] = {{&letters, 1, "A"},   {&letters, 2, "G"},      {&letters, 3, "null"}, {&letters, 99, "-"},
                 {&letters, -1, "$"},  {&letters, -2, "$$"},    {&numbers, 2, "132"},  {&numbers, 3, "null"},
                 {&numbers, 4, "null"}};
    for (const Case& c : cases) EXPECT_EQ(vsk::allele_text(par, *c.locus, c.code), c.text) << c.code;
    EXPECT_THROW(vsk::allele_text(par, numbers, 7), vsk::FatalExit);
    EXPECT_NE(console_text().find("\nERROR in StringMarkerAllele(): locus ,value 7"), std::string::npos);
}

}  // namespace
