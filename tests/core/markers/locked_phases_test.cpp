// Locked phases: the file's alleles replace the codes; every bad file stops
// the run with its message.
#include "core/markers/marker_checks.h"
#include "marker_fixture.h"
#include "textfile/fatal.h"

namespace {

using markertest::MarkerTest;
using markertest::Project;

using LockedPhases = MarkerTest;

vsk::MarkerData two_loci(Project& p)
{
    p.add("a", 0, 0, {{128, 132}, {1, 3}});
    p.add("b", 0, 0, {{140, 132}, {3, 3}});
    p.loci[1].letter_coded = 1;
    vsk::MarkerData d = p.finish();
    vsk::code_marker_alleles(d);
    return d;
}

TEST_F(LockedPhases, AllelesAndLocksAreSet)
{
    Project p(2);
    vsk::MarkerData d = two_loci(p);
    testsupport::write_file(dir_ / "lockedphases.dat", "; locked\nb 132 140 G -\n");
    vsk::read_locked_phases(d, dir_.str());
    EXPECT_EQ(d.a1(0, 2), 2);
    EXPECT_EQ(d.a2(0, 2), 3);
    EXPECT_EQ(d.a1(1, 2), 2);
    EXPECT_EQ(d.a2(1, 2), vsk::kMissingAllele);
    EXPECT_EQ(p.mrk.phase_lock[0][1], vsk::kLockedPhase);
    EXPECT_EQ(p.mrk.phase_lock[0][0], 0);
    EXPECT_NE(console_text().find("FirstLine:b 132 140 G -\n"), std::string::npos);
    EXPECT_NE(console_text().find("\nFinished reading locked phases on 1 individuals & 2 loci"), std::string::npos);
}

struct BadFile {
    const char* text;
    const char* message;
};

TEST_F(LockedPhases, BadFilesStopTheRun)
{
    const BadFile cases[] = {
        {"a 128 132 A\n", "\nerror number of columns in 'lockedphases.dat': 5, line 0 contains 4 columns"},
        {"a 128 132 A G\nzz 128 132 A G\n", "\n individual zz not found in pedigree"},
        {"a 128 130 A G\n", "\n individual [1] a, locus [1] m1\n allele 130 not found"},
    };
    for (const BadFile& c : cases) {
        Project p(2);
        vsk::MarkerData d = two_loci(p);
        testsupport::write_file(dir_ / "lockedphases.dat", c.text);
        EXPECT_THROW(vsk::read_locked_phases(d, dir_.str()), vsk::FatalExit) << c.text;
        EXPECT_NE(console_text().find(c.message), std::string::npos) << c.message;
    }
}

TEST_F(LockedPhases, MissingFileStopsTheRun)
{
    Project p(2);
    vsk::MarkerData d = two_loci(p);
    EXPECT_THROW(vsk::read_locked_phases(d, dir_.str()), vsk::FatalExit);
    EXPECT_NE(console_text().find("\n file " + (dir_ / "lockedphases.dat").string() + " was not found"),
              std::string::npos);
}

}  // namespace
