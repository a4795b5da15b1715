// Inbred-line pedigrees read end to end: a recombinant inbred line by
// repeated selfing and a doubled haploid of the same F1, listed youngest
// first, through the data reader, the offspring chains and the descendants.
#include "console/data_file.h"
#include "console/offspring.h"
#include "input_fixture.h"

using inputtest::index_of;

namespace {

class InbredLines : public inputtest::InputTest {};

// Youngest first: every parent is listed after its offspring.
const char* kLines =
    "3 S3  S2 SELFED  1.5\n"
    "3 DH  F1 DBHPLD  2.5\n"
    "3 S2  S1 -777    -\n"
    "2 S1  F1 SELFED  1.0\n"
    "2 F1  P1 P2      0.5\n"
    "1 P2  -  INBRED  0.0\n"
    "1 P1  0  -1000   0.2\n";

}  // namespace

TEST_F(InbredLines, SelfedLineAndDoubledHaploidOfOneF1)
{
    set_columns({1}, {});
    set_groups({}, {});
    vsk::par.datafile = "ril.dat";
    vsk::par.n_cohorts = 3;
    vsk::par.n_founder_cohorts = 1;
    write("ril.dat", kLines);
    vsk::read_data_file();
    vsk::data_modi();
    vsk::find_desc();

    // Ancestors first, the first parent's side before the second's.
    std::vector<std::string> names;
    for (const vsk::Obs& o : vsk::obs) names.push_back(o.name);
    EXPECT_EQ(names, (std::vector<std::string>{"P1", "P2", "F1", "S1", "S2", "S3", "DH"}));
    EXPECT_TRUE(exists("voskara.sort"));

    const int f1 = index_of("F1") + 1, s1 = index_of("S1") + 1, s2 = index_of("S2") + 1;
    const vsk::Obs &p1 = vsk::obs[0], &p2 = vsk::obs[1];
    const vsk::Obs &o_s1 = vsk::obs[s1 - 1], &o_s2 = vsk::obs[s2 - 1], &o_s3 = vsk::obs[index_of("S3")];
    const vsk::Obs& dh = vsk::obs[index_of("DH")];
    EXPECT_EQ(p1.mot, vsk::kInbred);
    EXPECT_EQ(p2.mot, vsk::kInbred);
    EXPECT_EQ(o_s1.mot, vsk::kSelfed);
    EXPECT_EQ(o_s2.mot, vsk::kSelfed);   // written as -777
    EXPECT_EQ(o_s2.mot_gen, s1);
    EXPECT_EQ(dh.mot, vsk::kDbhpld);
    EXPECT_EQ(dh.mot_gen, f1);
    EXPECT_EQ(vsk::par.n_founders, 2);
    EXPECT_EQ(vsk::par.inbred_pop, 1);

    // Generation coefficients: F1 1, each selfing one more, the DH one more.
    EXPECT_DOUBLE_EQ(vsk::obs[f1 - 1].gen_coeff, 1.0);
    EXPECT_DOUBLE_EQ(o_s1.gen_coeff, 2.0);
    EXPECT_DOUBLE_EQ(o_s3.gen_coeff, 4.0);
    EXPECT_DOUBLE_EQ(dh.gen_coeff, 2.0);
    EXPECT_DOUBLE_EQ(vsk::par.max_gen_coeff, 4.0);

    // The F1's selfed and doubled-haploid offspring are in both of its chains.
    const vsk::Obs& o_f1 = vsk::obs[f1 - 1];
    EXPECT_EQ(o_f1.pfP, s1);
    EXPECT_EQ(o_f1.mfP, s1);
    EXPECT_EQ(o_s1.pSb, index_of("DH") + 1);
    EXPECT_EQ(o_s1.mSb, index_of("DH") + 1);
    EXPECT_EQ(o_s2.pfP, index_of("S3") + 1);

    // P1's descendants: the whole line and the DH, ascending.
    const int start = p1.desc_start;
    ASSERT_GT(start, 0);
    std::vector<int> desc = {-vsk::par.descv[start - 1]};
    for (int k = start; k < static_cast<int>(vsk::par.descv.size()) && vsk::par.descv[k] > 0; ++k)
        desc.push_back(vsk::par.descv[k]);
    EXPECT_EQ(desc, (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_EQ(vsk::obs[index_of("S3")].desc_start, 0);
    EXPECT_EQ(vsk::obs[index_of("DH")].desc_start, 0);
}
