// Hidden null alleles: the locus threshold, the changes made and the table.
#include "core/markers/marker_checks.h"
#include "marker_fixture.h"

namespace {

using markertest::MarkerTest;
using markertest::Project;

using HiddenNulls = MarkerTest;

// Parents (1,1) x (2,2) with `odd` offspring scored (2,2) (each hiding a
// null from the first parent) and three ordinary (1,2) offspring.
Project family(int odd)
{
    Project p(1);
    const int f = p.add("f", 0, 0, {{101, 101}});
    const int m = p.add("m", 0, 0, {{102, 102}});
    for (int i = 0; i < 3; ++i) p.add("h" + std::to_string(i), f, m, {{101, 102}});
    for (int i = 0; i < odd; ++i) p.add("o" + std::to_string(i), f, m, {{102, 102}});
    return p;
}

TEST_F(HiddenNulls, FourOffspringBelowThresholdChangeNothing)
{
    Project p = family(4);
    p.par.nullalleleHidden = 5;
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    vsk::screen_hidden_nulls(d);
    EXPECT_EQ(p.loci[0].n_alleles, 2);
    EXPECT_EQ(d.a2(0, 6), 2);
    EXPECT_EQ(console_text().find("hidden NULL alleles"), std::string::npos);
    const std::string csv = testsupport::read_file(dir_ / "hiddenNullAlleles.csv");
    EXPECT_EQ(csv.rfind("SNPname,IDname,a1.old,a2.old,a1.new,a2.new,nP,nPerr,nPerrMateOK,nPmiss,nPmissMatehNA", 0), 0u);
    EXPECT_NE(csv.find("\nm1,f,101,101,101,101,7,4,4,0,0"), std::string::npos);
}

TEST_F(HiddenNulls, FiveOffspringGiveTheLocusANull)
{
    Project p = family(5);
    p.par.nullalleleHidden = 5;
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    vsk::screen_hidden_nulls(d);
    EXPECT_EQ(p.loci[0].n_alleles, 3);
    EXPECT_EQ(p.loci[0].allele_value.back(), -1);
    EXPECT_EQ(p.loci[0].has_confirmed_null, 1);
    EXPECT_EQ(d.a2(0, 1), vsk::kConfirmedNull);  // the parent carries the null
    EXPECT_EQ(d.a2(0, 6), vsk::kConfirmedNull);  // and passed it on
    EXPECT_EQ(d.a1(0, 6), 2);
    EXPECT_NE(console_text().find("\nLCS 1,m1 hidden NULL alleles: 1 parents!"), std::string::npos);
    const std::string csv = testsupport::read_file(dir_ / "hiddenNullAlleles.csv");
    EXPECT_NE(csv.find("\nm1,f,101,101,101,$$,8,5,5,0,0"), std::string::npos);
    // The check then accepts the family.
    vsk::screen_suspicious_alleles(d);
    vsk::check_marker_segregation(d, 1);
    for (int i = 1; i <= p.par.n_individuals; ++i) EXPECT_NE(d.status(0, i), vsk::kObservedError) << i;
}

TEST_F(HiddenNulls, NegativeSettingTurnsSuspectsMissing)
{
    Project p = family(5);
    p.par.nullalleleHidden = -5;
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    vsk::screen_hidden_nulls(d);
    EXPECT_EQ(d.a1(0, 1), vsk::kMissingAllele);
    EXPECT_EQ(d.a1(0, 6), vsk::kMissingAllele);
    EXPECT_EQ(d.a1(0, 3), 1);  // heterozygous offspring stay
}

}  // namespace
