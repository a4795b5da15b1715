// Whole post-processing runs through the library entry: a chain that never
// held a QTL, and the short chain of an analysis that must not be ended by
// its own post-processing.
#include <gtest/gtest.h>

#include "post/console.h"
#include "post/ruvane.h"
#include "post/sample_project.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

using posttest::ProjectDesign;

struct RunFixture {
    testsupport::TempDir dir;
    testsupport::CapturedStream out;
    explicit RunFixture(const ProjectDesign& design)
    {
        posttest::write_project(dir.path(), design);
        rvn::set_console_stream(out.stream());
    }
    ~RunFixture() { rvn::set_console_stream(nullptr); }
    bool printed(const std::string& s) const { return out.text().find(s) != std::string::npos; }
};

TEST(RuvaneRun, ChainWithoutQtlInEitherLayout)
{
    for (bool concise : {false, true}) {
        ProjectDesign design;
        design.no_qtl = true;
        design.concise = concise;
        RunFixture f(design);
        EXPECT_EQ(rvn::Ruvane(f.dir.str(), "voskara.par"), 0) << "concise " << concise;
        EXPECT_TRUE(f.printed("READ SAMPLES ON QTL VARIABLES"));
        if (concise) {
            EXPECT_TRUE(f.printed("200 rows and * 8 columns\n")) << f.out.text();
        }
        EXPECT_TRUE(f.printed("CONVERGENCE ISSUES"));
        EXPECT_TRUE(f.printed("DIRECT CONVERGENCE RATE ESTIMATION (#QTL)"));
        EXPECT_TRUE(f.printed("\nmodel_Q0    1.000"));
        EXPECT_TRUE(f.printed("SUMMARY STATISTICS  GENPAR VARIABLES "));
        // nQTL never moves: no line in the ESS table nor in the summary.
        EXPECT_FALSE(f.printed("\nnQTL  "));
        EXPECT_TRUE(f.printed("\n       0 QTL samples"));
        EXPECT_TRUE(f.printed("\nWARNING no samples available for inferences on QTL positions"));
        EXPECT_TRUE(f.printed("FINISH: "));
    }
}

TEST(RuvaneRun, ShortChainEndsOnlyTheStandAloneRun)
{
    ProjectDesign design;
    design.samples = 60;
    {
        RunFixture f(design);
        EXPECT_EQ(rvn::Ruvane(f.dir.str(), "voskara.par", true), -1);
        EXPECT_TRUE(f.printed("Effective chain size not available: 60 samples"));
        EXPECT_TRUE(f.printed("Post-processing skipped"));
        EXPECT_FALSE(f.printed("CONVERGENCE ISSUES"));
        EXPECT_TRUE(f.printed("FINISH: "));
    }
    {
        RunFixture f(design);
        EXPECT_THROW(rvn::Ruvane(f.dir.str(), "voskara.par"), vsk::FatalExit);
        EXPECT_TRUE(f.printed("\nInsufficient number of samples to allow statistical inferences"
                              "\nEarly termination of program"));
    }
}

TEST(RuvaneRun, MissingGenparEndsOnlyTheStandAloneRun)
{
    // An analysis without sweeps (pedigree-viewer export only) writes no
    // samples at all.
    ProjectDesign design;
    {
        RunFixture f(design);
        std::filesystem::remove(f.dir / "genpar.out");
        EXPECT_THROW(rvn::Ruvane(f.dir.str(), "voskara.par"), vsk::FatalExit);
        EXPECT_TRUE(f.printed("\n\nERROR:\nFile '" + (f.dir / "genpar.out").string() +
                              "' not available\nNow exiting Ruvane(0.99130)"));
    }
    {
        RunFixture f(design);
        std::filesystem::remove(f.dir / "genpar.out");
        EXPECT_EQ(rvn::Ruvane(f.dir.str(), "voskara.par", true), -1);
        EXPECT_TRUE(f.printed("Effective chain size not available: 0 samples"));
    }
}

}  // namespace
