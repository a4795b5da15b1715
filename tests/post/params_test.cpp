// GetVoskaraPar and the post-processing map reader.
#include <gtest/gtest.h>

#include "post/console.h"
#include "post/params.h"
#include "post/sample_project.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

struct ParFixture {
    testsupport::TempDir dir;
    testsupport::CapturedStream out;
    rvn::PostState st;
    ParFixture()
    {
        rvn::set_console_stream(out.stream());
        st.project_dir = dir.str();
        posttest::write_project(dir.path(), posttest::ProjectDesign{});
    }
    ~ParFixture() { rvn::set_console_stream(nullptr); }
    void read(const std::string& par_text)
    {
        testsupport::write_file(dir / "voskara.par", par_text);
        rvn::GetVoskaraPar(st, st.path("voskara.par"));
    }
    bool printed(const std::string& s) const { return out.text().find(s) != std::string::npos; }
};

TEST(GetVoskaraPar, ListsAreReadWhateverTheKeywordOrder)
{
    for (bool lists_first : {false, true}) {
        for (bool short_keyword : {false, true}) {
            posttest::ProjectDesign design;
            design.lists_first = lists_first;
            design.short_marker_keyword = short_keyword;
            ParFixture f;
            f.read(posttest::parameter_text(design));
            const rvn::PostParams& p = f.st.par;
            EXPECT_EQ(p.n_traits, 1);
            EXPECT_EQ(p.indiT, (std::vector<int>{1}));
            EXPECT_EQ(p.indiN, (std::vector<int>{1}));
            EXPECT_EQ(p.indiC, (std::vector<int>{1, 1}));
            EXPECT_EQ(p.nmrkrC, (std::vector<int>{3, 3}));
            EXPECT_EQ(p.maximQTL, 2);
            EXPECT_EQ(p.writeGTP, "3");
            EXPECT_DOUBLE_EQ(p.TprobMQTR, 0.05);
            ASSERT_EQ(f.st.groups.size(), 2u) << lists_first << short_keyword;
            EXPECT_TRUE(f.printed("\nngroups           2   3   3"));
        }
    }
}

TEST(GetVoskaraPar, CountWithoutValueReadsAsZeroAsInTheAnalysis)
{
    ParFixture f;
    f.read("indiN\nncolN\nindiT 1\nncolT 1\nnchrom 1\nindiC 1\nmrkrC 3\n");
    EXPECT_EQ(f.st.par.ncolN, 0);
    EXPECT_TRUE(f.st.par.indiN.empty());
    EXPECT_EQ(f.st.par.n_traits, 1);
    EXPECT_EQ(f.st.par.nmrkrC, (std::vector<int>{3}));
    EXPECT_TRUE(f.printed("\nncolN             0\nncolT             1 1"));
}

TEST(GetVoskaraPar, EchoAndValueChecks)
{
    ParFixture f;
    f.read(
        "ncolT 2\nindiT 1 0\nncolN 2\nindiN 0 1\nnchrom 1\nindiC 1\nnmrkrC 3\nmapfile test.map\n"
        "writeGTP NONE\nTprobMQTR 0.1 ## comment\naddGENE 1\nimpGENE 1\n");
    EXPECT_EQ(f.st.par.writeGTP, "none");
    EXPECT_FALSE(f.st.par.writes_genotypes());
    EXPECT_DOUBLE_EQ(f.st.par.TprobMQTR, 0.1);
    EXPECT_EQ(f.st.par.effect_kinds_present(), 2);
    EXPECT_TRUE(f.printed("\nncolN             2 0 1"));
    EXPECT_TRUE(f.printed("\nTprobMQTR         0.100"));
}

// Switches outside their documented values stop the post-processing as they
// stop the analysis (a value 2 would count as two traits).
TEST(GetVoskaraPar, SwitchesOutsideTheirValuesStop)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ncolT 2\nindiT 1 2\nncolN 0\n", "\nerror in 'itraits[2]', see "},
        {"ncolT 1\nindiT 1\nncolN 2\nindiN 0 4\n", "\nerror in 'inuis[2]', see "},
        {"ncolT 1\nindiT 1\nncolN 0\nnchrom 1\nindiC 746598359\nmrkrC 3\n", "\nerror in 'ichrom[1]', see "},
        {"ncolT 1\nindiT 1\nncolN 0\nmaximQTL 20000\n", "value 20000 of maximQTL in file "},
        {"ncolT 1\nindiT 1\nncolN 0\naddGENE NaN\n", "value 'NaN' of addGENE in file "},
    };
    for (const auto& [par, message] : cases) {
        ParFixture f;
        EXPECT_THROW(f.read(par), vsk::FatalExit) << message;
        EXPECT_TRUE(f.printed(message)) << message << f.out.text();
    }
}

// One parameter file gives both programs the same settings: keywords are
// matched as the analysis matches them (the last line whose first word ends
// in the keyword), numbers by the same rule.
TEST(GetVoskaraPar, KeywordsAreMatchedAsTheAnalysisMatchesThem)
{
    ParFixture f;
    f.read("ncolT 1\nindiT 1\nncolN 0\nmaximQTL 3\nold_maximQTL 9\n; maximQTL 4\nlengthUDMax 5\n"
           "priorQTL 2.5x\n");
    EXPECT_EQ(f.st.par.maximQTL, 9);
    EXPECT_DOUBLE_EQ(f.st.par.priorQTL, 2.5);
    EXPECT_TRUE(f.printed("'2.5x' of priorQTL in file "));
}

TEST(GetVoskaraPar, WriteGtpNoneSpellings)
{
    rvn::PostParams p;
    for (const char* none : {"none", "0", "-1"}) {
        p.writeGTP = none;
        EXPECT_FALSE(p.writes_genotypes()) << none;
    }
    for (const char* some : {"all", "founders", "nuisance", "25"}) {
        p.writeGTP = some;
        EXPECT_TRUE(p.writes_genotypes()) << some;
    }
}

TEST(GetVoskaraPar, FatalErrors)
{
    struct Case {
        std::string par, message;
    };
    const std::vector<Case> cases = {
        {"ncolT 0\nindiT 1\nncolN 0\n", "\nERROR ncolT equals 0\naborting Ruvane 0.99130"},
        {"ncolT 1\nindiT 1\nncolN 0\nnchrom 0\nindiC 1\n", "\nERROR nchrom equals 0"},
        {"ncolT 1\nindiT 1\n", "\nerror in reading "},
        {"; nothing but a comment\n", "\nERROR: parameter file "},
        {"ncolT 3\nindiT 1 1\nncolN 0\n", "\nERROR indiT: 3 values expected, 2 found"},
    };
    for (const Case& c : cases) {
        ParFixture f;
        EXPECT_THROW(f.read(c.par), vsk::FatalExit) << c.message;
        EXPECT_TRUE(f.printed(c.message)) << c.message;
    }
    ParFixture f;
    EXPECT_THROW(rvn::GetVoskaraPar(f.st, f.st.path("other.par")), vsk::FatalExit);
    EXPECT_TRUE(f.printed("\n\nERROR:\nFile '" + (f.dir / "other.par").string() + "' not available"));
}

TEST(PostMap, GroupsPositionsAndPriorMass)
{
    ParFixture f;
    testsupport::write_file(f.dir / "test.map",
                            "Chromosome 1\nm1 0\nm2 10\nm3 50\ngroup B\nm4 0\nm5 37 2\nm6 150\n");
    f.read("ncolT 1\nindiT 1\nncolN 0\nnchrom 2\nindiC 1 1\nnmrkrC 3 3\nmapfile test.map\nindicQTL 1\n");
    const auto& g = f.st.groups;
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[1].name, "B");
    EXPECT_DOUBLE_EQ(g[0].lower, 100.0);
    EXPECT_NEAR(g[0].upper, 100.5, 1e-12);
    EXPECT_NEAR(g[1].upper, 201.5, 1e-12);
    EXPECT_EQ(g[0].first_marker, 0);
    EXPECT_EQ(g[1].last_marker, 5);
    EXPECT_EQ(g[0].n_bins, 51);
    EXPECT_EQ(g[1].n_bins, 151);
    // Masses: 50 cM x 1, then 37 x 1 + 113 x 2 = 263; total 313.
    EXPECT_TRUE(f.printed("Total unnormalized prior mass QTL locations 313.00000"));
    EXPECT_NEAR(g[0].prior_prob, 50.0 / 313.0, 1e-12);
    EXPECT_NEAR(g[0].prior_prob + g[1].prior_prob, 1.0, 1e-12);
}

TEST(PostMap, MalformedMapsAreFatal)
{
    struct Case {
        std::string map, message;
    };
    const std::vector<Case> cases = {
        {"linkage 1\nm1 0\nm2 10\n", "\nincorrect name in mapfile: linkage(0)"},
        {"chrom 1\nm1 0 1 extra\nm2 10\n", "\nerror number of columns in test.map: 4"},
        {"chrom 1 x\nm1 0\nm2 10\n", "\nerror number of columns in test.map: 3 vs. 2"},
        {"chrom 1\nm1 0\n", "ends before linkage group 1 is complete"},
        {"chrom 1\nm1 NaN\nm2 10\n", "ERROR in map file test.map, line 2, linkage group 1, marker m1: position"},
        {"; map\nchrom 1\nm1 0\nm2 -1e309\n", "line 4, linkage group 1, marker m2: position"},
        {"chrom 1\nm1 0\nm2 1e300\n", "marker m2: position (cM from 0 up to below 9800) is '1e300'"},
        {"chrom 1\nm1 20\nm2 10\n", "marker m2: out of map order at '10'"},
        {"chrom 1\nm1 0 x\nm2 10\n", "marker m1: prior weight is not a number of 0 or more: 'x'"},
    };
    for (const Case& c : cases) {
        ParFixture f;
        testsupport::write_file(f.dir / "test.map", c.map);
        EXPECT_THROW(f.read("ncolT 1\nindiT 1\nncolN 0\nnchrom 1\nindiC 1\nnmrkrC 2\nmapfile test.map\nindicQTL 1\n"),
                     vsk::FatalExit)
            << c.message;
        EXPECT_TRUE(f.printed(c.message)) << c.message;
    }
}

}  // namespace
