// Offspring chains, final-offspring absorption and descendant lists.
#include "console/offspring.h"

#include "input_fixture.h"
#include "textfile/fatal.h"

namespace {

struct Member {
    const char* name;
    int fat, mot;
    bool phenotyped;
    bool genotyped;
};

class Offspring : public inputtest::InputTest {
protected:
    // Individuals in processing order; one trait; one marker locus.
    void set_pedigree(const std::vector<Member>& members)
    {
        vsk::obs.assign(members.size(), vsk::Obs{});
        vsk::mrkrlcs.assign(1, vsk::Mrkrlcs{});
        const int n = static_cast<int>(members.size());
        vsk::mrk.allele1.assign(1, n, 0);
        vsk::mrk.allele2.assign(1, n, 0);
        vsk::phe.assign(n, 1);
        for (std::size_t i = 0; i < members.size(); ++i) {
            vsk::Obs& o = vsk::obs[i];
            o.name = members[i].name;
            o.fat = members[i].fat;
            o.mot = members[i].mot;
            o.mot_gen = o.mot > 0 ? o.mot : o.fat;
            vsk::phe.phenotype[static_cast<int>(i)][0] = members[i].phenotyped ? 1 : vsk::kUnknown;
            if (members[i].genotyped) vsk::mrk.allele2[0][static_cast<int>(i)] = 3;
        }
        vsk::par.n_individuals = static_cast<int>(members.size());
        vsk::par.indicQTL = 1;
    }

    // The descendant list of individual i (1-based) read back from descv.
    static std::vector<int> descendants(int i)
    {
        std::vector<int> list;
        int s = vsk::obs[i - 1].desc_start;
        if (s == 0) return list;
        list.push_back(-vsk::par.descv[s - 1]);
        for (int k = s; vsk::par.descv[k] > 0; ++k) list.push_back(vsk::par.descv[k]);
        return list;
    }
};

// Founders A B C; D, E, F of A x B (E, F final); G of A x C and H of D x C
// (final); I of A x B but genotyped; J a selfing of D.
const std::vector<Member> kFamily = {
    {"A", 0, 0, true, true},  {"B", 0, 0, true, true},  {"C", 0, 0, true, true}, {"D", 1, 2, true, true},
    {"E", 1, 2, true, false}, {"F", 1, 2, false, false}, {"G", 1, 3, true, false}, {"H", 4, 3, true, false},
    {"I", 1, 2, true, true},  {"J", 4, vsk::kSelfed, true, false},
};

}  // namespace

TEST_F(Offspring, SibChainsRunThroughTheOffspringOfAParent)
{
    std::vector<Member> m = {{"P", 0, 0, true, true}, {"Q", 0, 0, true, true}, {"R", 0, 0, true, true},
                             {"S", 0, 0, true, true}};
    for (int i = 5; i <= 12; ++i) {
        bool ours = i == 5 || i == 9 || i == 12;
        m.push_back({"x", ours ? 1 : 3, ours ? 2 : 4, true, true});
    }
    set_pedigree(m);
    vsk::link_offspring(vsk::obs);
    EXPECT_EQ(vsk::obs[0].pfP, 5);
    EXPECT_EQ(vsk::obs[4].pSb, 9);
    EXPECT_EQ(vsk::obs[8].pSb, 12);
    EXPECT_EQ(vsk::obs[11].pSb, 0);
    EXPECT_EQ(vsk::obs[1].mfP, 5);
    EXPECT_EQ(vsk::obs[4].mSb, 9);
    EXPECT_EQ(vsk::obs[2].pfP, 6);
}

TEST_F(Offspring, SelfedOffspringIsInBothChainsOfItsParent)
{
    set_pedigree({{"P", 0, vsk::kInbred, true, true}, {"S", 1, vsk::kSelfed, true, true},
                  {"D", 1, vsk::kDbhpld, true, true}});
    vsk::link_offspring(vsk::obs);
    EXPECT_EQ(vsk::obs[0].pfP, 2);
    EXPECT_EQ(vsk::obs[0].mfP, 2);
    EXPECT_EQ(vsk::obs[1].pSb, 3);
    EXPECT_EQ(vsk::obs[1].mSb, 3);
}

TEST_F(Offspring, WithoutAbsorptionNothingIsFinal)
{
    set_pedigree(kFamily);
    vsk::data_modi();
    for (const vsk::Obs& o : vsk::obs) EXPECT_EQ(o.FP, 0);
    EXPECT_TRUE(vsk::FinalProg.empty());
    vsk::find_desc();
    EXPECT_EQ(descendants(1), (std::vector<int>{4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(descendants(3), (std::vector<int>{7, 8}));
    EXPECT_EQ(descendants(5), std::vector<int>{});
    EXPECT_EQ(vsk::obs[4].desc_start, 0);
    EXPECT_EQ(vsk::obs[0].desc_start, 11);
    EXPECT_FALSE(exists("descFP.log"));
}

TEST_F(Offspring, FinalOffspringAbsorbedIntoMatingRecords)
{
    set_pedigree(kFamily);
    vsk::par.absorbFP = 1;
    vsk::data_modi();
    std::vector<int> fp;
    for (const vsk::Obs& o : vsk::obs) fp.push_back(o.FP);
    EXPECT_EQ(fp, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1, 0, 0}));

    ASSERT_EQ(vsk::FinalProg.size(), 3u);
    const vsk::FinalProgRec &r0 = vsk::FinalProg[0], &r1 = vsk::FinalProg[1], &r2 = vsk::FinalProg[2];
    EXPECT_EQ(r0.lead, -1);
    EXPECT_EQ(r0.other, 2);
    EXPECT_EQ(r1.lead, 1);
    EXPECT_EQ(r1.other, 3);
    EXPECT_EQ(r2.lead, -3);
    EXPECT_EQ(r2.other, 4);
    EXPECT_EQ(r0.count0, 2);
    EXPECT_EQ(r0.count1, 1);
    EXPECT_EQ(r0.members[0], 5);
    EXPECT_EQ(r0.members[1], 6);
    EXPECT_EQ(r0.members[2], 0);
    EXPECT_EQ(r2.members[0], 8);
    // Chains of records per parent: A in 1 -> 2, C in 2 -> 3.
    EXPECT_EQ(r0.next_lead, 2);
    EXPECT_EQ(r1.next_lead, 0);
    EXPECT_EQ(r1.next_other, 3);
    EXPECT_EQ(vsk::obs[2].fp_mating, 2);
    EXPECT_EQ(vsk::obs[0].fpM, -1);
    EXPECT_EQ(vsk::obs[1].fpM, 1);
    EXPECT_EQ(vsk::obs[2].fpM, -3);
    EXPECT_EQ(vsk::obs[3].fpM, 3);

    const std::string out = output();
    EXPECT_NE(out.find("\n #Leading Parents    2\n #UniqueMatings      3\n Max #FO /parent     2\n"), std::string::npos);
    EXPECT_NE(out.find("\nFP w/MISVAL        F    1"), std::string::npos);
    EXPECT_NE(out.find("\n #  absorbed  FP     4\n Max #FO /mating     2\n # FP w/out obsv     1\n # empty matings     0"),
              std::string::npos);
    EXPECT_NE(out.find("\nFINAL CHECK 'data_modi' \n       2 Leading  Parents\n       2 'other'  Parents"
                       "\n       6 Final  Offspring\n       0 Parents w_out FP"),
              std::string::npos);

    vsk::find_desc();
    EXPECT_EQ(descendants(1), (std::vector<int>{4, 9, 10}));
    EXPECT_EQ(descendants(2), (std::vector<int>{4, 9, 10}));
    EXPECT_EQ(descendants(3), std::vector<int>{});
    EXPECT_EQ(vsk::par.descv, (std::vector<int>{-10, -4, 9, 10, -4, 9, 10, -1}));
    EXPECT_EQ(vsk::obs[3].desc_start, 1);

    // The mating listing written first survives the descendant listing.
    const std::string log = read("check.log");
    EXPECT_EQ(log.find("\nlist FPmat   lp   sp   LPnextFP SPnextFP\t Finals\n   0    1    -1     2       2       0\t    5    6"),
              0u);
    EXPECT_NE(log.find("INDIVIDUAL WITH ITS DESCENDANTS"), std::string::npos);
    EXPECT_NE(log.find("\n*\tCorrection for absorption of Final Offspring"), std::string::npos);
    EXPECT_NE(log.find("\n\nArray descv[] contains      7 elements\nArray descv[] contains      7 non-FinalOffspring"),
              std::string::npos);
    const std::string fplog = read("descFP.log");
    EXPECT_NE(fplog.find("\n                        A,   4:                        E                        F"),
              std::string::npos);
    EXPECT_NE(fplog.find("\n\n 10 elements filled in descFP[]"), std::string::npos) << fplog;
}

TEST_F(Offspring, DescendantListingInCheckLog)
{
    set_pedigree(kFamily);
    vsk::data_modi();
    vsk::find_desc();
    const std::string log = read("check.log");
    // Starts the file; individuals from the last to the first; five names a line.
    EXPECT_EQ(log.find("\n\n-------"), 0u);
    char expected[400];
    std::snprintf(expected, sizeof expected, " \n%25s  (%6d)%25s%25s%25s%25s%25s\n%35s%25s%25s", "A", 10, "D", "E", "F",
                  "G", "H", "", "I", "J");
    EXPECT_NE(log.find(expected), std::string::npos) << log;
    EXPECT_LT(log.find(" \n                        D"), log.find(" \n                        A"));
    EXPECT_NE(output().find("\n      17 descendants identified"), std::string::npos);
}

TEST_F(Offspring, ThousandsOfDescendantsOfOneIndividual)
{
    std::vector<Member> m = {{"F", 0, 0, true, true}, {"G", 0, 0, true, true}};
    const int children = 4000;
    for (int i = 0; i < children; ++i) m.push_back({"c", 1, 2, true, true});
    for (int i = 0; i < children; ++i) m.push_back({"g", 3 + i, vsk::kSelfed, true, true});
    set_pedigree(m);
    vsk::REDprint = 1;
    vsk::data_modi();
    vsk::find_desc();
    EXPECT_EQ(descendants(1).size(), static_cast<std::size_t>(2 * children));
    EXPECT_EQ(descendants(3), (std::vector<int>{3 + children}));
    EXPECT_FALSE(exists("check.log"));
}

TEST_F(Offspring, TwentyFiveFinalOffspringFitOneMatingAndMoreStop)
{
    std::vector<Member> m = {{"A", 0, 0, true, true}, {"B", 0, 0, true, true}};
    for (int i = 0; i < 25; ++i) m.push_back({"f", 1, 2, true, false});
    set_pedigree(m);
    vsk::par.absorbFP = 1;
    vsk::data_modi();
    ASSERT_EQ(vsk::FinalProg.size(), 1u);
    EXPECT_EQ(vsk::FinalProg[0].count0, 25);
    EXPECT_EQ(vsk::FinalProg[0].members[25], 0);

    m.push_back({"f", 2, 1, true, false});   // the same mating, parents swapped
    set_pedigree(m);
    EXPECT_THROW(vsk::data_modi(), vsk::FatalExit);
    EXPECT_NE(output().find("\nToo many FP/mating(>25) 2 1"), std::string::npos);
}

TEST_F(Offspring, MatingOfAParentWithItselfIsOneRecord)
{
    set_pedigree({{"A", 0, 0, true, true}, {"S", 1, 1, true, false}, {"T", 1, 1, true, false}});
    vsk::par.absorbFP = 1;
    vsk::data_modi();
    ASSERT_EQ(vsk::FinalProg.size(), 1u);
    EXPECT_EQ(vsk::FinalProg[0].lead, -1);
    EXPECT_EQ(vsk::FinalProg[0].other, 1);
    EXPECT_EQ(vsk::FinalProg[0].count0, 2);
}
