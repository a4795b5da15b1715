// Map file reader: header keywords, genome-wide coordinates, exclusion by
// weight 0 and the normalised QTL location prior.
#include "console/map_file.h"

#include "input_fixture.h"
#include "textfile/fatal.h"

namespace {

class MapFile : public inputtest::InputTest {
protected:
    double read_map(const std::vector<int>& mrkrC, const std::vector<int>& indiC, const std::string& text,
                    int indicQTL = 1)
    {
        set_groups(mrkrC, indiC);
        vsk::par.mapfile = "test.map";
        vsk::par.indicQTL = indicQTL;
        write("test.map", text);
        return vsk::read_map_file();
    }
    void fails_with(const std::vector<int>& mrkrC, const std::string& text, const std::string& message)
    {
        std::vector<int> all(mrkrC.size(), 1);
        EXPECT_THROW(read_map(mrkrC, all, text), vsk::FatalExit);
        EXPECT_NE(output().find(message), std::string::npos) << output();
    }
};

}  // namespace

TEST_F(MapFile, CoordinatesLimitsAndLength)
{
    double average = read_map({2, 3}, {1, 1},
                              "Chromosome 1\nm1 0\nm2 50\n"
                              "group A\nk1 0\nk2 10 ; comment\nk3,25\n");
    ASSERT_EQ(vsk::mrkrlcs.size(), 5u);
    EXPECT_DOUBLE_EQ(vsk::mrkrlcs[2].position, 200.00);
    EXPECT_DOUBLE_EQ(vsk::mrkrlcs[3].position, 200.10);
    EXPECT_DOUBLE_EQ(vsk::mrkrlcs[4].position, 200.25);
    EXPECT_EQ(vsk::mrkrlcs[4].chrom, 1);
    EXPECT_EQ(vsk::mrkrlcs[4].name, "k3");
    EXPECT_EQ(vsk::chr[1].name, "A");
    EXPECT_EQ(vsk::chr[1].fMrkr, 2);
    EXPECT_EQ(vsk::chr[1].lMrkr, 4);
    EXPECT_NEAR(vsk::chr[1].chr_length, 0.25, 1e-12);
    EXPECT_DOUBLE_EQ(vsk::chr[0].LowLim, 100.0);
    EXPECT_DOUBLE_EQ(vsk::chr[0].UppLim, 100.5);
    EXPECT_NEAR(average, (0.5 + 0.1 + 0.15) / 3, 1e-12);
    EXPECT_NE(output().find("\n  2   chromosomes, average distance  25.00 cM\n"), std::string::npos) << output();
}

TEST_F(MapFile, PriorMassesFollowLengthsWithEqualWeights)
{
    read_map({2, 2}, {1, 1}, "chrom 1\na 0\nb 50\nchrom 2\nc 0\nd 150\n");
    EXPECT_NEAR(vsk::chr[0].prior_mass, 0.25, 1e-12);
    EXPECT_NEAR(vsk::chr[1].prior_mass, 0.75, 1e-12);
    const std::string out = output();
    EXPECT_NE(out.find("\n\nTotal unnormalized prior mass QTL locations 2.00000"), std::string::npos);
    EXPECT_NE(out.find("chrom 1" + std::string(15, ' ') + "   2 loci,  INcluded   prior mass = 0.250\n"), std::string::npos) << out;
}

TEST_F(MapFile, WeightZeroExcludesInteriorMarkersAndCarriesWeight)
{
    read_map({5}, {1}, "chr 1\nm1 0 1\nm2 10 0\nm3 20 0\nm4 30 2\nm5 40 1\n");
    std::vector<int> excluded;
    std::vector<double> density;
    for (const vsk::Mrkrlcs& m : vsk::mrkrlcs) {
        excluded.push_back(m.excluded);
        density.push_back(m.prior_weight);
    }
    EXPECT_EQ(excluded, (std::vector<int>{0, 1, 1, 0, 0}));
    for (int l = 0; l < 4; ++l) EXPECT_NEAR(density[l], l < 3 ? 2.0 : 4.0, 1e-12) << l;
    EXPECT_NEAR(vsk::chr[0].prior_mass, 1.0, 1e-12);
    const std::string out = output();
    EXPECT_NE(out.find("\n\nTotal unnormalized prior mass QTL locations 0.50000"), std::string::npos);
    EXPECT_NE(out.find("\nExcluded: 2 m2\nExcluded: 3 m3\n NOTE:"), std::string::npos);
}

TEST_F(MapFile, GroupsOutsideTheAnalysisAreReadPast)
{
    double average = read_map({2, 2}, {0, 1}, "group 1\na 0\nb 0 0\ngroup 2\nc 0\nd 20\n");
    ASSERT_EQ(vsk::mrkrlcs.size(), 2u);
    EXPECT_EQ(vsk::mrkrlcs[0].name, "c");
    EXPECT_EQ(vsk::chr[0].fMrkr, -1);
    EXPECT_EQ(vsk::chr[1].fMrkr, 0);
    EXPECT_DOUBLE_EQ(vsk::chr[0].prior_mass, 0.0);
    EXPECT_NEAR(average, 0.2, 1e-12);
    EXPECT_NE(output().find("\n  1   chromosome , average distance  20.00 cM\n"), std::string::npos);
}

TEST_F(MapFile, NoAnalysedGroupWithoutQtlGoesOn)
{
    EXPECT_NO_THROW(read_map({1}, {0}, "chrom x\na 0\n", 0));
    EXPECT_THROW(read_map({1}, {0}, "chrom x\na 0\n", 1), vsk::FatalExit);
    EXPECT_NE(output().find("\n\nABORTION: No chromosomes available for QTL analysis"), std::string::npos);
}

TEST_F(MapFile, HeaderKeywordRejected)
{
    fails_with({1}, "linkage 1\na 0\n", "\nincorrect name in mapfile: linkage(0)");
}

TEST_F(MapFile, HeaderKeywordCaseCount)
{
    fails_with({1}, "CHRX 1\na 0\n", "\nincorrect name in mapfile: CHRX(4)");
}

TEST_F(MapFile, HeaderWithThreeWords)
{
    fails_with({1}, "chrom 1 extra\na 0\n", "\nL1 chrom 1 extra[0]chrom[1]1[2]extra\nerror number of columns in test.map: 3 vs. 2");
}

TEST_F(MapFile, MarkerLineWithFourWords)
{
    fails_with({1}, "chrom 1\na 0 1 7\n", "\nerror number of columns in test.map: 4\na 0 1 7\n line 2, marker 1 of linkage group 1 aborting\n");
}

TEST_F(MapFile, WeightZeroOnLastMarker)
{
    fails_with({3}, "chrom 1\na 0\nb 5\nc 10 0\n", "\n Last marker on chromosome = 1");
}

TEST_F(MapFile, WeightZeroOnFirstMarker)
{
    fails_with({2, 2}, "chrom 1\na 0\nb 5\nchrom 2\nc 0 0\nd 10\n", "\n First marker on chromosome = 2");
}

TEST_F(MapFile, NegativePosition)
{
    fails_with({2}, "chrom 1\na 0\nb -5\n",
               "\nError: negative map position NOT allowed\n check file test.map, line 3\n linkage group 1\n marker locus 2"
               "\n map position -5 aborting\n");
}

TEST_F(MapFile, NegativeWeight)
{
    fails_with({3}, "chrom 1\na 0\nb 5 -1\nc 9\n", "\nError: negative weight NOT allowed");
}

TEST_F(MapFile, NameLongerThanItsField)
{
    fails_with({1}, "chrom 1\n" + std::string(32, 'm') + " 0\n", "\nERROR: name too long in map file test.map, line 2");
}

TEST_F(MapFile, FileEndsEarly)
{
    fails_with({3}, "chrom 1\na 0\nb 5\n", "\nerror: map file test.map ends after 3 lines");
}

// Positions are whole decimal numbers from 0 up to below 9800 cM, in map
// order within a group; messages give the file line (comments counted).
TEST_F(MapFile, MalformedPositionsAndCounts)
{
    struct Case {
        std::vector<int> mrkrC;
        std::string map, message;
    };
    const std::vector<Case> cases = {
        {{2}, "chrom 1\na 0\nb NaN\n", "\nError: map position 'NaN' of marker b is not a number of cM from 0 up to below "
                                      "9800\n check file test.map, line 3, linkage group 1"},
        {{2}, "; map\nchrom 1\na 0x1F\nb 10\n", "map position '0x1F' of marker a is not a number of cM"},
        {{2}, "chrom 1\na 0\nb fifty\n", "map position 'fifty' of marker b"},
        {{2}, "chrom 1\na 0\nb 1e300\n", "map position '1e300' of marker b"},
        {{2}, "chrom 1\na 0\nb inf\n", "map position 'inf' of marker b"},
        {{2}, "chrom 1\na -1e309\nb 5\n", "map position '-1e309' of marker a"},
        {{3}, "chrom 1\na 0\nb 20\n\nc 10\n",
         "\nError: marker c at 10 cM lies before the previous marker of linkage group 1 (20 cM)\n check file test.map, "
         "line 5"},
        {{2}, "chrom 1\na 0\nb 5 heavy\n", "weight 'heavy' of marker b is not a number"},
        {{2, 2}, "chrom 1\na 0\nb 5\nm3 9\nchrom 2\nd 0\ne 1\n",
         "\nincorrect name in mapfile: m3(0)\n line 4 of map file test.map: the header of linkage group 2 (group or "
         "chrom and its name) was expected\n after the 2 markers of linkage group 1 (1) that mrkrC announces"},
        {{2}, "chrom 1\na 0\nb 5\nc 9\n",
         "holds more lines than the 1 linkage groups of the parameter file announce\n line 4: c 9\n linkage group 1 (1) "
         "should hold 2 markers (mrkrC)"},
    };
    for (const Case& c : cases) fails_with(c.mrkrC, c.map, c.message);
}

TEST_F(MapFile, EqualPositionsAreInMapOrder)
{
    EXPECT_NO_THROW(read_map({3}, {1}, "chrom 1\na 0\nb 5\nc 5\n"));
}
