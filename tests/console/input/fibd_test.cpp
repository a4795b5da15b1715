// Founder relationship file: matching by name, Q- and P-matrices, IBD
// clusters, the founder relationship matrix and its inverse.
#include "console/fibd.h"

#include "input_fixture.h"
#include "textfile/fatal.h"

namespace {

class Fibd : public inputtest::InputTest {
protected:
    void set_founders(const std::vector<std::string>& names)
    {
        vsk::obs.assign(names.size(), vsk::Obs{});
        vsk::par.founders.clear();
        for (std::size_t f = 0; f < names.size(); ++f) {
            vsk::obs[f].name = names[f];
            vsk::par.founders.push_back(static_cast<int>(f) + 1);
        }
        vsk::par.n_founders = static_cast<int>(names.size());
    }
    void set_file(const std::string& text, int nind, int npos, double threshold = 0.9, int nanc = 0)
    {
        write("test.fibd", text);
        set_groups({2, 2}, {1, 1});   // positions lie on analysed groups
        vsk::par.fibdfile = "test.fibd";
        vsk::par.nind = nind;
        vsk::par.npos = npos;
        vsk::par.nanc = nanc ? nanc : nind;
        vsk::par.inbred = 1;
        vsk::par.FIBDthreshold = threshold;
    }
};

const char* kQFile =
    "nind 3\nnr name\n1 F2\n2 F1\n3 X\n"
    "npos 2\npos chr map\n1 1 100.0\n2 1 100.5\n"
    "inbred 1\n"
    "1.0 0.95 0.1\n0.95 1.0 0.2\n0.1 0.2 1.0\n"
    "1.0 0.3 0\n0.3 1.0 0\n0 0 1.0\n";

}  // namespace

TEST_F(Fibd, QMatricesPlacedByNameWithWarnings)
{
    set_founders({"F1", "F2", "F3"});
    set_file(kQFile, 3, 2);
    vsk::read_fibd_file();
    const std::string out = output();
    EXPECT_NE(out.find("\nWARNING - FIBD file: founder F3 (3) not in FIBD file"), std::string::npos);
    EXPECT_NE(out.find("\nWARNING - FIBD file: FIBD ind X (3) not in pedigree"), std::string::npos);
    EXPECT_NE(out.find("\nWARNING - FIBD file: Different orders FIBD file <> pedigree! ind F1 (2)"), std::string::npos);
    EXPECT_NE(out.find("\nINDEPENDENT founder NRM"), std::string::npos);

    ASSERT_EQ(vsk::FIBD.size(), 2u);
    const vsk::FibdPosition& p = vsk::FIBD[0];
    EXPECT_EQ(p.chrom, 0);
    EXPECT_DOUBLE_EQ(p.position, 100.0);
    EXPECT_DOUBLE_EQ(p.prob[0][2], 0.95);   // F1 x F2, all four allele pairs
    EXPECT_DOUBLE_EQ(p.prob[1][3], 0.95);
    EXPECT_DOUBLE_EQ(p.prob[2][0], 0.95);
    EXPECT_DOUBLE_EQ(p.prob[0][0], 1.0);
    for (int a = 0; a < 6; ++a) EXPECT_DOUBLE_EQ(p.prob[4][a], 0.0) << a;   // F3 is not in the file
    EXPECT_EQ(p.cluster, (std::vector<int>{1, 1, 1, 1, 2, 2}));
    EXPECT_EQ(p.n_clusters, 2);
    EXPECT_NEAR(p.summary, 1.8, 1e-12);
    EXPECT_EQ(vsk::FIBD[1].cluster, (std::vector<int>{1, 1, 2, 2, 3, 3}));
    EXPECT_DOUBLE_EQ(vsk::FIBD[1].position, 100.5);

    EXPECT_DOUBLE_EQ(vsk::FIBDNRM[1][1], 2.0);
    EXPECT_DOUBLE_EQ(vsk::FIBDNRM[0][1], 0.0);
    EXPECT_DOUBLE_EQ(vsk::FIBDNRMi[2][2], 0.5);
    EXPECT_NE(out.find("\nfounder NRM\n  2.00  0.00  0.00  ; F1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nfounder NRM - INVERSE\n  0.50  0.00  0.00  ; F1\n"), std::string::npos);
}

TEST_F(Fibd, TwelveFoundersPrintTenRows)
{
    std::vector<std::string> names;
    std::string text = "nind 12\nnr name\n";
    for (int f = 1; f <= 12; ++f) {
        names.push_back("F" + std::to_string(f));
        text += std::to_string(f) + " F" + std::to_string(f) + "\n";
    }
    text += "npos 1\npos chr map\n1 1 100\n";
    for (int r = 0; r < 12; ++r) {
        for (int c = 0; c < 12; ++c) text += r == c ? "1 " : "0 ";
        text += "\n";
    }
    set_founders(names);
    set_file(text, 12, 1);
    vsk::read_fibd_file();
    const std::string out = output();
    EXPECT_NE(out.find("\nfounder NRM\n- truncated printing!\n  2.00  0.00"), std::string::npos);
    EXPECT_NE(out.find("  ; F10\n\nfounder NRM - INVERSE"), std::string::npos);
    EXPECT_EQ(out.find("; F11"), std::string::npos);
    EXPECT_EQ(vsk::FIBD[0].n_clusters, 12);
}

TEST_F(Fibd, PMatricesTakeClustersFromAncestorReferences)
{
    set_founders({"F1", "F2", "F3"});
    set_file("nanc 2\nnind 3\nh h\n1 F1\n2 F2\n3 F3\nnpos 1\na b c\n1 1 100.0\n"
             "1 0.9 0.1\n1 0.8 0.0\n2 0.0 0.0\n",
             3, 1, 2.0, 2);
    vsk::read_fibd_file();
    const vsk::FibdPosition& p = vsk::FIBD[0];
    EXPECT_EQ(p.prob.cols(), 2);
    EXPECT_DOUBLE_EQ(p.prob[3][0], 0.8);
    EXPECT_EQ(p.cluster, (std::vector<int>{1, 1, 1, 1, 2, 2}));
    EXPECT_EQ(p.n_active, 2);
    EXPECT_NEAR(p.summary, 1.8 * 1.8 / (1.7 * 1.7 + 0.01), 1e-12);
    EXPECT_NE(output().find("\nWARNING: wrong.ref cIBD, Pmat 1   :cI   3, rI   2, oI   1"), std::string::npos);
}

TEST_F(Fibd, PedFileGivesFounderRelationships)
{
    set_founders({"F1", "F2", "F3"});
    set_file(kQFile, 3, 2);
    write("PEDtest.fibd", "nind 2\nh h\n1 F1\n2 F2\nnpos 1\na b c\n1 1 100\n1.0 0.5\n0.5 1.0\n");
    vsk::read_fibd_file();
    EXPECT_NE(output().find("\nPRIOR info on founder NRM, file: '"), std::string::npos);
    EXPECT_NE(output().find("READING FIBD_PED\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(vsk::FIBDNRM[0][1], 1.0);
    EXPECT_DOUBLE_EQ(vsk::FIBDNRM[2][2], 2.0);
    EXPECT_NEAR(vsk::FIBDNRMi[0][0], 2.0 / 3.0, 1e-12);
    EXPECT_NEAR(vsk::FIBDNRMi[0][1], -1.0 / 3.0, 1e-12);
    EXPECT_NEAR(vsk::FIBDNRMi[2][2], 0.5, 1e-12);
}

TEST_F(Fibd, InterpretationErrors)
{
    struct Case {
        std::string text;
        int inbred;
        const char* message;
    };
    const Case cases[] = {
        {"nind 3\nnr name\n1 F1\n2 F2\n3 F3\nnpos 1\nh h h\n1 1 100\ninbred 1\n", 0,
         "\nvalue of \xc3\xadnbred' not consistent: 1 0\nNow exiting Voskara"},
        {"nindx 3\n", 1, "\nLocation of keyword 'nind' improper\n\tInstead keyword was: nindx"},
        {"nind 3 4\n", 1, "\nline 1:nind 3 4\nOnly 2 strings were expected! (nind & its value)"},
        {"nind 2\n", 1, "\nvalue of 'nind' not consistent: 2 3"},
        {"nind 3\nnr name\n1 F1\n2 F2 x\n", 1, "\nline 4:2 F2 x\nTwo strings were expected! (indnr\tindname)"},
        {"nind 3\nnr name\n1 F1\n2 F2\n3 F3\nnpos 1\nh h h\n1 1\n", 1,
         "\nThree strings were expected! (posnr\tchr\tposmap)"},
        {"nind 3\nnr name\n1 F1\n2 F2\n3 F3\nnpos 1\nh h h\n1 1 100\n1 0\n", 1,
         "\nnumber of strings not consistent on row 1 (line 9)\nObserved no. 2\nExpected no. 3\n\n k,buffer[k]: 0,nind 3"},
        // Values must be probabilities, matrices symmetric, positions on an analysed group.
        {"nind 3\nnr name\n1 F1\n2 F2\n3 F3\nnpos 1\nh h h\n1 1 100\n1 0.2 abc\n", 1,
         "\nline 9:1 0.2 abc\nitem 3 ('abc') is not a probability (a number from 0 to 1)"},
        {"nind 3\nnr name\n1 F1\n2 F2\n3 F3\nnpos 1\nh h h\n1 1 100\n; row\n1 nan 0\n", 1,
         "\nline 10:1 nan 0\nitem 2 ('nan') is not a probability"},
        {"nind 3\nnr name\n1 F1\n2 F2\n3 F3\nnpos 1\nh h h\n1 1 100\n1 -7 0\n", 1, "item 2 ('-7') is not a probability"},
        {"nind 3\nnr name\n1 F1\n2 F2\n3 F3\nnpos 1\nh h h\n1 1 100\n1 0.2 0\n0.3 1 0\n0 0 1\n", 1,
         "\nthe IBD matrix of position 1 is not symmetric: row 1, column 2 holds 0.2, row 2, column 1 holds 0.3"},
        {"nind 3\nnr name\n1 F1\n2 F2\n3 F3\nnpos 1\nh h h\n1 3 100\n", 1,
         "item 2 ('3') is not the number of an analysed linkage group of the map (indiC 1)"},
        {"nind 3\nnr name\n1 F1\n2 F2\n3 F3\nnpos 1\nh h h\n1 -2147483648 100\n", 1,
         "item 2 ('-2147483648') is not the number of an analysed linkage group"},
        {"nind 3\nnr name\n1 F1\n2 F2\n3 F3\nnpos 1\nh h h\n1 1 -0.5\n", 1,
         "item 3 ('-0.5') is not a map position (a number of 0 or more)"},
    };
    for (const Case& c : cases) {
        set_founders({"F1", "F2", "F3"});
        set_file(c.text, 3, 1);
        vsk::par.inbred = c.inbred;
        std::string before = output();
        EXPECT_THROW(vsk::read_fibd_file(), vsk::FatalExit);
        std::string out = output().substr(before.size());
        EXPECT_NE(out.find("\nERROR in interpretation of file "), std::string::npos) << c.message;
        EXPECT_NE(out.find(c.message), std::string::npos) << out;
    }
}

TEST(FibdClusters, SingleLinkageAtTheThreshold)
{
    vsk::Table<double> q(4, 4, 0.0);
    q[0][1] = 0.95;   // 0-1 linked
    q[2][1] = 0.92;   // 1-2 linked (from the other triangle)
    q[0][2] = 0.5;    // 0-2 only through 1
    EXPECT_EQ(vsk::founder_clusters(q, 0.9), (std::vector<int>{1, 1, 1, 2}));
    EXPECT_EQ(vsk::founder_clusters(q, 0.93), (std::vector<int>{1, 1, 2, 3}));
    EXPECT_DOUBLE_EQ(vsk::effective_number({2, 2, 2}), 3.0);
    EXPECT_DOUBLE_EQ(vsk::effective_number({}), 0.0);
}

TEST(FibdMatrix, InverseTimesMatrixIsIdentity)
{
    vsk::Table<double> m(3, 3, 0.0);
    const double v[3][3] = {{0.0, 2.0, 1.0}, {1.0, 1.0, 0.0}, {3.0, 0.0, 4.0}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r][c] = v[r][c];
    vsk::Table<double> inv = m;
    ASSERT_TRUE(vsk::invert_matrix(inv));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            double s = 0.0;
            for (int k = 0; k < 3; ++k) s += m[r][k] * inv[k][c];
            EXPECT_NEAR(s, r == c ? 1.0 : 0.0, 1e-12);
        }
    vsk::Table<double> singular(2, 2, 1.0);
    EXPECT_FALSE(vsk::invert_matrix(singular));
}
