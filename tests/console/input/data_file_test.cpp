// Data file reader: coding tables, a whole small project read in processing
// order, and the fatal input faults.
#include "console/data_file.h"

#include <cstdio>

#include "console/data_file_text.h"
#include "input_fixture.h"
#include "textfile/fatal.h"
#include "textfile/textfile.h"

using inputtest::index_of;

namespace {

class DataFile : public inputtest::InputTest {
protected:
    // One nuisance column, three analysed traits, missing strings -9 and NA;
    // group 1 (two markers) analysed, group 2 (one marker) not.
    void set_up_project(const std::string& data)
    {
        set_columns({1, 1, 1}, {0});
        set_groups({2, 1}, {1, 0});
        vsk::par.misvalT = " -9 NA";
        vsk::par.datafile = "test.dat";
        vsk::par.n_cohorts = 3;
        vsk::par.n_founder_cohorts = 1;
        write("test.dat", data);
    }

    // One analysed trait, no nuisance column, no markers.
    void set_up_plain(const std::string& data)
    {
        set_columns({1}, {});
        set_groups({}, {});
        vsk::par.datafile = "plain.dat";
        vsk::par.n_cohorts = 1;
        write("plain.dat", data);
    }

    std::string fails_with(const std::string& message)
    {
        EXPECT_THROW(vsk::read_data_file(), vsk::FatalExit);
        std::string out = output();
        EXPECT_NE(out.find(message), std::string::npos) << out;
        return out;
    }
};

const char* kProject =
    "; cohort name p1 p2 nuis t1 t2 t3 | m1 | m2 | m3 (group 2, not analysed)\n"
    "2 DH1 F1 DBHPLD 1 1.0 2.0 3.0   A c  G t  7 7\n"
    "5 GC  F1 SELFED 1 -9  4.0 5.0   - -  1 2  0 0\n"
    "2 F1  P1 P2     0 -9 -9.0 NA    12 - A A  0 0\n"
    "9 P1  0  INBRED 1 10  20  30    a a  12 12  x x\n"
    "9 P2  *  -      - 0   0   0     $ $$ N *  1 1 ; founder, phenotypes 0\n";

}  // namespace

TEST(AlleleWords, CodingTable)
{
    bool letter = false;
    auto code = [&](const char* w) { return vsk::allele_code(w, "$", "$$", letter); };
    EXPECT_EQ(code("a"), 1);
    EXPECT_EQ(code("A"), 1);
    EXPECT_EQ(code("c"), 2);
    EXPECT_EQ(code("G"), 3);
    EXPECT_EQ(code("t"), 4);
    EXPECT_EQ(code("B"), 5);
    EXPECT_TRUE(letter);
    letter = false;
    EXPECT_EQ(code("12"), 12);
    // Words that are no allele (a typing error or a shifted column) are refused.
    for (const char* w : {"x", "4.7", "inf", "-9", "DBHPLD", "\xc3\x84" "5", "+3", "1e2"})
        EXPECT_EQ(code(w), vsk::kInvalidAllele) << w;
    EXPECT_EQ(code("-"), 0);
    EXPECT_EQ(code("*"), 0);
    EXPECT_EQ(code("N"), 0);
    EXPECT_EQ(code("0"), 0);
    EXPECT_EQ(code("$"), -1);
    EXPECT_EQ(code("$$"), -2);
    EXPECT_FALSE(letter);
}

TEST(AlleleWords, TableCodingEqualsWordCoding)
{
    // Null-allele texts of one character take precedence over the table.
    const std::pair<const char*, const char*> nulls[] = {{"$", "$$"}, {"N", "0"}, {"a", "-"}, {"xx", "7"}};
    for (const auto& [putative, confirmed] : nulls) {
        const vsk::AlleleCoder coder(putative, confirmed);
        for (int c = 1; c < 256; ++c) {
            const char ch = static_cast<char>(c);
            const std::string_view word(&ch, 1);
            bool by_table = false, by_word = false;
            ASSERT_EQ(coder.code(word, by_table), vsk::allele_code(word, putative, confirmed, by_word)) << c;
            ASSERT_EQ(by_table, by_word) << c;
        }
        for (const char* word : {"12", "-9", "$$", "xx", "007", "A1", ""}) {
            bool by_table = false, by_word = false;
            EXPECT_EQ(coder.code(word, by_table), vsk::allele_code(word, putative, confirmed, by_word)) << word;
        }
    }
}

TEST(DataFileWords, SplitCountsLikeTheItemSplitter)
{
    for (const char* text : {"a,b c", "a b,", "", ",", "a", " a  b\t,c ", "x,,y,", "1 A 0 0 5"}) {
        std::vector<std::string> items;
        std::vector<std::string_view> words;
        int expected = vsk::splititems(text, items, 1000, 1000);
        ASSERT_EQ(vsk::split_words(text, words), expected) << text;
        for (int k = 0; k < expected; ++k) EXPECT_EQ(std::string(words[k]), items[k]) << text;
    }
}

TEST_F(DataFile, MissingStringsMatchNumbersByValueAndTextsByText)
{
    vsk::MissingValues missing = vsk::missing_values(" -9 NA");
    double v = 0.0;
    bool number = false;
    EXPECT_TRUE(vsk::phenotype_missing("-9", missing, v, number));
    EXPECT_TRUE(vsk::phenotype_missing("-9.0", missing, v, number));
    EXPECT_TRUE(vsk::phenotype_missing("NA", missing, v, number));
    EXPECT_TRUE(vsk::phenotype_missing("-", missing, v, number));
    // A genuine 0 stays observed although NA is a missing-value string.
    EXPECT_FALSE(vsk::phenotype_missing("0", missing, v, number));
    EXPECT_TRUE(number);
    EXPECT_FALSE(vsk::phenotype_missing("-8.5", missing, v, number));
    EXPECT_DOUBLE_EQ(v, -8.5);
    EXPECT_FALSE(vsk::phenotype_missing("abc", missing, v, number));
    EXPECT_FALSE(number);
    EXPECT_THROW(vsk::missing_values("1 2 3 4 5 6 7 8 9 10"), vsk::FatalExit);
    EXPECT_EQ(vsk::missing_values("1 2 3 4 5 6 7 8 9").words.size(), 9u);
}

TEST_F(DataFile, ReadsProjectInParentFirstOrder)
{
    set_up_project(kProject);
    vsk::read_data_file();
    ASSERT_EQ(vsk::obs.size(), 5u);
    const char* names[] = {"P1", "P2", "F1", "DH1", "GC"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(vsk::obs[i].name, names[i]);

    const vsk::Obs &p1 = vsk::obs[0], &p2 = vsk::obs[1], &f1 = vsk::obs[2], &dh = vsk::obs[3], &gc = vsk::obs[4];
    EXPECT_EQ(p1.fat, 0);
    EXPECT_EQ(p1.mot, vsk::kInbred);
    EXPECT_EQ(p2.mot, 0);
    EXPECT_EQ(f1.fat, 1);
    EXPECT_EQ(f1.mot, 2);
    EXPECT_EQ(f1.mot_gen, 2);
    EXPECT_EQ(dh.fat, 3);
    EXPECT_EQ(dh.mot, vsk::kDbhpld);
    EXPECT_EQ(dh.mot_gen, 3);
    EXPECT_EQ(gc.mot, vsk::kSelfed);
    EXPECT_EQ(gc.mot_gen, 3);
    EXPECT_EQ(vsk::par.inbred_pop, 1);
    EXPECT_DOUBLE_EQ(f1.gen_coeff, 1.0);
    EXPECT_DOUBLE_EQ(dh.gen_coeff, 2.0);
    EXPECT_DOUBLE_EQ(vsk::par.max_gen_coeff, 2.0);
    EXPECT_EQ(vsk::par.n_founders, 2);
    EXPECT_EQ(vsk::par.founders, (std::vector<int>{1, 2}));

    // Cohorts 2, 5, 9 with founders only in 9: list 9, 2, 5.
    EXPECT_EQ(vsk::par.lcohort, (std::vector<int>{9, 2, 5}));
    EXPECT_EQ(vsk::par.lcohort_count, (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(p1.cohort, 1);
    EXPECT_EQ(f1.cohort, 2);
    EXPECT_EQ(gc.cohort, 3);

    // Phenotypes: all missing -> 9; three traits with one missing -> deleted.
    using testsupport::row_of;
    EXPECT_EQ(row_of<int>(vsk::phe.phenotype, 2), (std::vector<int>{9, 9, 9}));
    EXPECT_EQ(row_of<int>(vsk::phe.phenotype, 4), (std::vector<int>{9, 9, 9}));
    EXPECT_EQ(row_of<double>(vsk::phe.residual, 4), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(row_of<int>(vsk::phe.phenotype, 1), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(row_of<double>(vsk::phe.Y, 0), (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(row_of<double>(vsk::phe.residual, 3), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(p2.X_nuis, (std::vector<int>{1, 0}));
    EXPECT_EQ(p2.first_nuisance, 0);

    // Alleles of the analysed group only, by processing order.
    ASSERT_GE(vsk::mrkrlcs.size(), 2u);
    EXPECT_EQ(row_of<int>(vsk::mrk.allele1, 0), (std::vector<int>{1, -1, 12, 1, 0}));
    EXPECT_EQ(row_of<int>(vsk::mrk.allele2, 0), (std::vector<int>{1, -2, 0, 2, 0}));
    EXPECT_EQ(row_of<int>(vsk::mrk.allele1, 1), (std::vector<int>{12, 0, 1, 3, 1}));
    EXPECT_EQ(row_of<int>(vsk::mrk.allele2, 1), (std::vector<int>{12, 0, 1, 4, 2}));
    EXPECT_EQ(vsk::mrkrlcs[0].letter_coded, 1);

    const std::string out = output();
    EXPECT_NE(out.find("\nWARNING: deleting PARTIAL phenotypes: GC     0.0000     4.0000     5.0000"), std::string::npos);
    char incidence[80];
    std::snprintf(incidence, sizeof incidence, "\n %32s Incidence nuisance %d", "P2", 1);
    EXPECT_NE(out.find(incidence), std::string::npos);
    EXPECT_NE(out.find("\n\nINBRED population\nNumber of individuals          5 "
                       "\nNumber of founders             2 \nNumber of base families        1 "
                       "\nMax generation coeff.       2.00"),
              std::string::npos);
    EXPECT_NE(out.find("2.00\nNumber of cohorts               3      \nNumber of cohorts with founders 1      "
                       "\n  id.coh   w.fndr    n.coh   n.fndr\n       9        1        2        2"),
              std::string::npos);

    // Phenotype text: first eight columns, right-aligned per column.
    EXPECT_EQ(vsk::PNTheld, 1);
    const std::string pnt = vsk::PNTstring.c_str();
    EXPECT_EQ(pnt.substr(0, pnt.find('\n') + 1), "9 \t P1 \t 0 \tINBRED \t1 \t 10 \t  20 \t 30 \n");
}

TEST_F(DataFile, TwoTraitsKeepPartialPhenotypes)
{
    set_columns({1, 0, 1}, {});
    set_groups({}, {});
    vsk::par.datafile = "two.dat";
    vsk::par.n_cohorts = 1;
    write("two.dat", "1 A 0 0 - 7 2.5\n1 B 0 0 3 x -\n");
    vsk::read_data_file();
    EXPECT_EQ(testsupport::row_of<int>(vsk::phe.phenotype, 0), (std::vector<int>{0, 1}));
    EXPECT_EQ(testsupport::row_of<double>(vsk::phe.residual, 0), (std::vector<double>{0.0, 2.5}));
    // The unused middle column may hold anything.
    EXPECT_EQ(testsupport::row_of<int>(vsk::phe.phenotype, 1), (std::vector<int>{1, 0}));
}

TEST_F(DataFile, CohortZeroMeansNoCohort)
{
    set_up_plain("0 A 0 0 1\n-1 B 0 0 2\n4 C A B 3\n");
    vsk::read_data_file();
    EXPECT_EQ(vsk::par.lcohort, (std::vector<int>{4}));
    EXPECT_EQ(vsk::obs[0].cohort, -1);
    EXPECT_EQ(vsk::obs[1].cohort, -1);
    EXPECT_EQ(vsk::obs[2].cohort, 1);
    EXPECT_NE(output().find("\nNumber of cohorts               3      "), std::string::npos);
}

TEST_F(DataFile, CohortCountMismatchStops)
{
    set_up_plain("1 A 0 0 1\n2 B 0 0 2\n");
    fails_with("\nERROR in function Setlcohort() \nnow exiting Voskara\n");
}

TEST_F(DataFile, GenotypeWritingSelectedByNuisanceColumn)
{
    set_columns({1}, {3});
    set_groups({}, {});
    vsk::par.datafile = "w.dat";
    vsk::par.n_cohorts = 1;
    vsk::par.writeGTP = "NUISANCE";
    write("w.dat", "1 A 0 0 1 5\n1 B 0 0 0 6\n1 C A B 1 7\n");
    vsk::read_data_file();
    EXPECT_EQ(vsk::par.lwrtgtp, (std::vector<int>{1, 3}));
    EXPECT_EQ(vsk::obs[1].write_gtp, 0);
    EXPECT_EQ(vsk::par.indiN[1][0], -1);
    // The genotype-writing column raises no incidence message.
    EXPECT_EQ(output().find("Incidence nuisance"), std::string::npos);
}

TEST_F(DataFile, InbredSecondParentWithKnownFirstParentIsSelfed)
{
    set_up_plain("1 A 0 -1000 1\n1 B A INBRED 2\n");
    vsk::read_data_file();
    EXPECT_EQ(vsk::obs[0].mot, vsk::kInbred);
    EXPECT_EQ(vsk::obs[1].mot, vsk::kSelfed);
    EXPECT_EQ(vsk::obs[1].mot_gen, 1);
    EXPECT_EQ(vsk::par.n_founders, 1);
}

TEST_F(DataFile, FatalFaults)
{
    set_up_plain("1 A 0 0 1 9\n");
    fails_with("\nerror number of columns in plain.dat: 5, line 1 contains 6 columns aborting\n");
}

TEST_F(DataFile, DuplicateName)
{
    set_up_plain("1 A 0 0 1\n1 B 0 0 1\n1 A 0 0 2\n");
    fails_with("\nERROR: duplication of individual found!\nName: A\nLine 1    \nLine 3     1  A  0  0  2 "
               "\nNow exiting Voskara");
}

TEST_F(DataFile, ParentCodeAsFirstParent)
{
    set_up_plain("1 A 0 0 1\n1 B SELFED A 1\n");
    // The ordering looks the word up as a name first.
    fails_with("\nERROR: 1st parent SELFED (2) not in pedigree!");
}

TEST_F(DataFile, PhenotypeThatIsNotANumber)
{
    set_up_plain("1 A 0 0 1.5\n1 B 0 0 n/a\n");
    fails_with("\nERROR: phenotype 'n/a' of individual B (trait column 1) is not a number");
}

TEST_F(DataFile, NegativeAlleleWord)
{
    set_columns({1}, {});
    set_groups({1}, {1});
    vsk::par.datafile = "m.dat";
    vsk::par.n_cohorts = 1;
    write("m.dat", "1 A 0 0 1 2 -9\n");
    fails_with("\nERROR: allele '-9' of individual A at marker  (data file line 1) is not a valid allele");
}

// Messages give the data file's own line numbers (comment and blank lines
// counted), whatever order the pedigree is read in.
TEST_F(DataFile, MessagesGiveFileLines)
{
    set_up_plain("; individuals\n1 C A B 1\n\n1 A 0 0 1\n1 B 0 0 1\n1 A 0 0 2\n");
    fails_with("\nERROR: duplication of individual found!\nName: A\nLine 4    \nLine 6    ");
    set_up_plain("; individuals\n1 A 0 0 1\n\n1 B 0 0 1 7\n");
    fails_with(", line 4 contains 6 columns aborting\n");
}

TEST_F(DataFile, AlleleWordsOtherThanTheDocumentedFormsStop)
{
    set_columns({1}, {});
    set_groups({2}, {1});
    vsk::par.datafile = "m.dat";
    vsk::par.n_cohorts = 1;
    for (const char* word : {"x", "4.7", "inf", "DBHPLD"}) {
        write("m.dat", std::string("; header\n1 A 0 0 1 A C 1 ") + word + "\n");
        fails_with(std::string("\nERROR: allele '") + word + "' of individual A at marker  (data file line 2)");
    }
}

TEST_F(DataFile, PhenotypesMustBeFiniteAndModerate)
{
    for (const char* word : {"1e308", "inf", "nan", "0x1F", "-1e100"}) {
        set_up_plain(std::string("1 A 0 0 ") + word + "\n");
        fails_with(std::string("\nERROR: phenotype '") + word + "' of individual A (trait column 1) is not a number");
    }
}

TEST_F(DataFile, NameOf32CharactersStops)
{
    set_up_plain("1 " + std::string(32, 'n') + " 0 0 1\n");
    fails_with("\nERROR: too long names of individual and/or parents");
}

TEST_F(DataFile, MarkerCountMismatchNamesTheParameterFileCountAndGoesOn)
{
    // indiC 2 makes the parameter file count the group's two markers twice.
    set_columns({1}, {});
    set_groups({2}, {2});
    vsk::par.n_markers = 4;
    vsk::par.datafile = "m.dat";
    vsk::par.n_cohorts = 1;
    write("m.dat", "1 A 0 0 1 a a c c\n");
    vsk::read_data_file();
    EXPECT_NE(output().find("\nError number of markers (4)"), std::string::npos) << output();
    EXPECT_EQ(vsk::mrk.allele1[1][0], 2);
}
