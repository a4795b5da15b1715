// IBD positions from the `fixQTLpos` text: grid, every marker, one position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/ibd_positions.h"
#include "console_capture.h"

namespace {

using driver_test::ConsoleCapture;

// Linkage group 1 (analysed) with markers at 0, 0.04, 0.08, 0.12 Morgan;
// group 2 (not analysed) with two markers; group 3 (analysed) with markers
// at 0 and 0.10 Morgan. Map coordinate = 100 x group + Morgan.
class IbdPositions : public ::testing::Test {
protected:
    void SetUp() override
    {
        add_group(1, 1, {0.00, 0.04, 0.08, 0.12});
        add_group(2, 0, {0.00, 0.30});
        add_group(3, 1, {0.00, 0.10});
    }

    int build(const std::string& text)
    {
        ConsoleCapture capture;
        const int count = vsk::ibd_position_list(text, groups_, markers_, positions_);
        printed_ = capture.text();
        return count;
    }

    void only_first_group()
    {
        groups_.resize(1);
        markers_.resize(4);
    }

    std::vector<vsk::Chr> groups_;
    std::vector<vsk::Mrkrlcs> markers_;
    std::vector<double> positions_;
    std::string printed_;

private:
    void add_group(int ordinal, int analysed, const std::vector<double>& morgan)
    {
        vsk::Chr group;
        group.indiC = analysed;
        group.mrkrC = static_cast<int>(morgan.size());
        group.fMrkr = static_cast<int>(markers_.size());
        for (double m : morgan) {
            vsk::Mrkrlcs marker;
            marker.position = 100.0 * ordinal + m;
            markers_.push_back(marker);
        }
        group.lMrkr = static_cast<int>(markers_.size()) - 1;
        groups_.push_back(group);
    }
};

void expect_positions(const std::vector<double>& actual, const std::vector<double>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-9) << i;
}

TEST_F(IbdPositions, GridOnOneGroupEndsAtTheLastMarker)
{
    only_first_group();
    EXPECT_EQ(build("5cM"), 4);
    expect_positions(positions_, {100.00, 100.05, 100.10, 100.12});
    EXPECT_EQ(printed_, "\n\n" + std::string(79, '-') +
                            "\nNUMBER OF POSITIONS FOR IBD PROBABILITIES \n 5cM grid search for IBD probabilities   (N=4)");
}

TEST_F(IbdPositions, GridOverAnalysedGroupsOnly)
{
    // Group 3 ends exactly on a grid point: no duplicate of its last marker.
    EXPECT_EQ(build("5cM"), 7);
    expect_positions(positions_, {100.00, 100.05, 100.10, 100.12, 300.00, 300.05, 300.10});
}

TEST_F(IbdPositions, GridStepMustAdvance)
{
    EXPECT_EQ(build("0cM"), -1);
    EXPECT_EQ(build("-5cM"), -1);
    EXPECT_EQ(build("cM"), -1);
}

TEST_F(IbdPositions, EveryMarkerOfAnalysedGroups)
{
    EXPECT_EQ(build("MARKERS"), 6);
    expect_positions(positions_, {100.00, 100.04, 100.08, 100.12, 300.00, 300.10});
    EXPECT_NE(printed_.find("\nMARKERS loci search for IBD probabilities   (N=6)"), std::string::npos);
    EXPECT_EQ(build("markers"), 6);
    for (vsk::Chr& group : groups_) group.indiC = 0;
    EXPECT_EQ(build("MARKERS"), -1);
}

TEST_F(IbdPositions, OnePositionMustLieOnAnAnalysedGroup)
{
    EXPECT_EQ(build("100.05"), 1);
    expect_positions(positions_, {100.05});
    EXPECT_NE(printed_.find("\nOne position for IBD probabilities : 100.05   (N=1)"), std::string::npos);
    EXPECT_EQ(build("100.12"), 1);  // bounds included
    EXPECT_EQ(build("300"), 1);
    EXPECT_EQ(build("100.13"), -1);
    EXPECT_EQ(build("200.1"), -1);  // group not analysed
    EXPECT_EQ(build("Markers"), -1);
}

TEST_F(IbdPositions, EmptyTextHasNoCount)
{
    EXPECT_EQ(build(""), -1);
    EXPECT_EQ(printed_.find("(N="), std::string::npos);
}

}  // namespace
