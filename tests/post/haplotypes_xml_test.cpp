// QTL haplotypes of phased regions and the XML summary: region checks,
// informative alleles, the cases of flanking-marker evidence, cut and
// inconsistent phase rows, and the sections that follow the files present.
#include <gtest/gtest.h>

#include <filesystem>

#include "post/console.h"
#include "post/haplotypes.h"
#include "post/ruvane.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

struct HapRun {
    testsupport::TempDir dir;
    testsupport::CapturedStream out;
    rvn::PostState st;
    HapRun()
    {
        st.project_dir = dir.str();
        st.names = {"i1", "i2", "i3"};
        st.print_flag = {1, 1, 1};
        rvn::set_console_stream(out.stream());
    }
    ~HapRun() { rvn::set_console_stream(nullptr); }
    bool printed(const std::string& s) const { return out.text().find(s) != std::string::npos; }
    std::string csv() const { return testsupport::read_file(dir / "Qhaplotypes.csv"); }
};

// One phase row: iteration, individual, QTL position, left marker, alleles,
// right marker, alleles.
std::string row(int it, int ind, double q, const char* la, const char* ra)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "\n %8d %6d %10.5lf %10.5lf %3s %3s %10.5lf %3s %3s", it, ind, q, 100.1, la,
                  "x", 100.2, ra, "y");
    return buffer;
}

TEST(Haplotypes, FlankingAllelesByCaseOfEvidence)
{
    HapRun run;
    std::string phase;
    for (int it = 1; it <= 100; ++it) {
        phase += row(it, 1, 100.15, it % 4 == 0 ? "B" : "A", "T");  // both informative: pairs
        phase += row(it, 2, 100.15, "A", "-");                      // left only
        phase += row(it, 3, 100.15, "-1", "-");                     // nothing informative
    }
    testsupport::write_file(run.dir / "phase.out", phase);
    testsupport::write_file(run.dir / "PhQRegions.inp", "100.10 100.20 ; region 1\n");
    EXPECT_EQ(rvn::CalcQtlHaplotype(run.st), 0);
    const std::string csv = run.csv();
    EXPECT_NE(csv.find("\n;,1,100.10000,1,10.000,100.20000,1,20.000,100"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\n1,1,10.000,i1,10.000,20.000,A,T,0.75,75"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\n1,1,10.000,i1,10.000,20.000,B,T,0.25,25"), std::string::npos);
    EXPECT_NE(csv.find("\n1,1,10.000,i2,10.000,-,A,-,1.00,100"), std::string::npos);
    EXPECT_EQ(csv.find(",i3,"), std::string::npos);
    ASSERT_EQ(rvn::nQRegions2XML, 1);
    EXPECT_EQ(rvn::QRegions2XML[0], "1,1,10.000,1,20.000,100");
    EXPECT_EQ(rvn::QRegName2XML[0], "mqhap.1.10.000.csv");
    const std::string tmp = testsupport::read_file(run.dir / "phase.tmp");
    EXPECT_NE(tmp.find("; Sallele:   6     A      175\n"), std::string::npos) << tmp;
}

TEST(Haplotypes, RegionChecksAndMissingInputsEndOnlyThisStep)
{
    {
        HapRun run;
        EXPECT_EQ(rvn::CalcQtlHaplotype(run.st), -1);
        EXPECT_TRUE(run.printed("\n\nEarly return in QTL phases"));
    }
    {
        HapRun run;
        testsupport::write_file(run.dir / "phase.out", row(1, 1, 100.15, "A", "T"));
        EXPECT_EQ(rvn::CalcQtlHaplotype(run.st), -1);
        EXPECT_TRUE(run.printed(" no regions found\n"));
    }
    {
        // A region may start where the previous one ends, not before.
        HapRun run;
        testsupport::write_file(run.dir / "phase.out", row(1, 1, 100.15, "A", "T"));
        testsupport::write_file(run.dir / "PhQRegions.inp", "100.10 100.20\n100.20 100.30\n");
        EXPECT_EQ(rvn::CalcQtlHaplotype(run.st), 0);
        ASSERT_TRUE(std::filesystem::exists(run.dir / "Qhaplotypes.csv"));
        testsupport::write_file(run.dir / "PhQRegions.inp", "100.10 100.20\n100.19 100.30\n");
        EXPECT_EQ(rvn::CalcQtlHaplotype(run.st), -2);
        EXPECT_TRUE(run.printed("\n\n*** ERROR in regions: Overlapping regions! ***\n"));
        // The first run's haplotypes do not pass for this run's.
        EXPECT_FALSE(std::filesystem::exists(run.dir / "Qhaplotypes.csv"));
        EXPECT_TRUE(run.printed("Qhaplotypes.csv of an earlier run removed"));
        testsupport::write_file(run.dir / "PhQRegions.inp", "100.30 100.20\n");
        EXPECT_EQ(rvn::CalcQtlHaplotype(run.st), -2);
        EXPECT_TRUE(run.printed("Negative distance!"));
    }
}

TEST(Haplotypes, CutLastRowIsLeftOutAndInconsistentRowsEndTheRun)
{
    HapRun run;
    testsupport::write_file(run.dir / "PhQRegions.inp", "100.10 100.20\n");
    const std::string good = row(1, 1, 100.15, "A", "T") + row(2, 1, 100.15, "A", "T");
    testsupport::write_file(run.dir / "phase.out", good + "\n        3      1  100.15000");
    EXPECT_EQ(rvn::CalcQtlHaplotype(run.st), 0);
    EXPECT_TRUE(run.printed("is incomplete and is left out"));
    testsupport::write_file(run.dir / "phase.out", row(1, 1, 100.15, "A", "T") + "\n 2 1 100.15" + good);
    EXPECT_THROW(rvn::CalcQtlHaplotype(run.st), vsk::FatalExit);
    EXPECT_TRUE(run.printed("\ninconsistent no. of columns (3)at row 1\nexpected no. of columns = 9\n\nAborting Voskara"));
}

TEST(RuvaneXml, SectionsFollowTheResultsAndFiles)
{
    testsupport::TempDir dir;
    rvn::postprob = {{0.1, 0.6, 0.3, 1e-6}, {0.0, 0.0, 0.0, 0.0}};
    rvn::bayesfac = {{6.0, 0.25, 1e-5}, {0.0, 0.0, 0.0}};
    rvn::nQRegions2XML = 0;
    rvn::XmlSummarizeRuvaneOutput(dir.str(), "Mon,  7 Dec 2026, 10:00:00");
    const std::string xml = testsupport::read_file(dir / "ruvane.xml");
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Report name=\"Ruvane Output Summary\"", 0), 0u);
    // One group: the genome row, labelled 0, up to the last k above 0.001.
    EXPECT_NE(xml.find("chrom,1/0,2/1\n0,3.6,-2.8\n"), std::string::npos) << xml;
    EXPECT_EQ(testsupport::read_file(dir / "NQTL_BayesFac.csv"), "chrom,1_0,2_1\n0,3.6,-2.8\n");
    EXPECT_EQ(testsupport::read_file(dir / "NQTL_PostProb.csv"), "chrom,0,1,2\n0,0.100,0.600,0.300\n");
    EXPECT_EQ(xml.find("Select subset of individuals"), std::string::npos);
    EXPECT_EQ(xml.find("(as defined by user) , MQTRegions.inp"), std::string::npos);
    EXPECT_TRUE(xml.ends_with("</Section>\n</Report>\n"));

    testsupport::write_file(dir / "wrtgtp.nms", "a\n");
    testsupport::write_file(dir / "MQTRegions.inp", "100.1 100.2\n");
    rvn::XmlSummarizeRuvaneOutput(dir.str(), "start");
    const std::string again = testsupport::read_file(dir / "ruvane.xml");
    EXPECT_NE(again.find("<Section Title=\"Select subset of individuals\" HelpTag=\"HELP_SelectIndividuals\">"),
              std::string::npos);
    EXPECT_NE(again.find("Marked QTL Regions (as defined by user) , MQTRegions.inp\n"), std::string::npos);
    rvn::postprob.clear();
    rvn::bayesfac.clear();
}

}  // namespace
