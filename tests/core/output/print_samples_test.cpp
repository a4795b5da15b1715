// PrintSamples as a whole: which files each model writes, the headers and
// "wrtgtp.nms" of the first call, appending afterwards, and the selection of
// individuals by writeGTP.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/output/samples.h"
#include "core/state/console.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

namespace fs = std::filesystem;

class PrintSamples : public ::testing::Test {
protected:
    void SetUp() override
    {
        cwd = std::make_unique<testsupport::ScopedCwd>(dir.path());
        vsk::set_console_stream(out.stream());
        p.n_traits = 1;
        p.n_nuis = 2;
        p.indiN.assign(2, 1, 0);
        p.level_first = {0, 1};
        p.level_last = {0, 2};
        p.n_levels = 3;
        p.nuis_effects.assign(3, 1, 0.5);
        p.res_cov.assign(1, 1, 2.0);
        p.n_individuals = 3;
        p.n_founder_cohorts = 1;
        p.headerOUT = 1;
        p.cur_sweep = 9;
        o.resize(3);
        ph.assign(3, 1);
        const char* names[] = {"alpha", "bravo", "charlie"};
        for (int i = 0; i < 3; ++i) {
            o[i].name = names[i];
            ph.infpoleff[i][0] = 0.1 * (i + 1);
            o[i].cohort = 1;
        }
    }
    void TearDown() override { vsk::set_console_stream(nullptr); }
    void print() { vsk::print_samples(vsk::ChainRecords{p, o, ph, qtl, fpm, markers}, state); }
    std::string file(const char* name) const { return testsupport::read_file(dir / name); }

    testsupport::TempDir dir;
    std::unique_ptr<testsupport::ScopedCwd> cwd;
    testsupport::CapturedStream out;
    vsk::Par p;
    std::vector<vsk::Obs> o;
    vsk::Phe ph;
    std::vector<vsk::Gene> qtl;
    std::vector<vsk::Polygene> fpm;
    std::vector<vsk::Mrkrlcs> markers;
    vsk::SampleWriterState state;
};

TEST_F(PrintSamples, ResidualModelWritesGenparAndHeadersOnlyOnce)
{
    print();
    p.cur_sweep = 19;
    print();
    const std::string genpar = file("genpar.out");
    EXPECT_EQ(genpar.rfind("\n;Comments are preceded by semicolon sign", 0), 0u);
    EXPECT_EQ(genpar.find(";Comments", 2), std::string::npos);
    EXPECT_NE(genpar.find("\n       10        0.000     0.5000    2.0000    0.0000  0    0.0000   0    0.0000"
                          "\n       20 "),
              std::string::npos)
        << genpar;
    EXPECT_EQ(genpar.back(), '0');  // no newline after the last row
    // One description of the nuisance file per variable with few levels.
    EXPECT_NE(file("nui2.out").find("; 01  1st nuisance variable, 1st level"), std::string::npos);
    for (const char* absent : {"iqtl.out", "gqtl.out", "phase.out", "ifpm.out", "tim.out", "wrtgtp.nms", "POA.out"})
        EXPECT_FALSE(fs::exists(dir / absent)) << absent;
}

int occurrences(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(PrintSamples, NuisanceFileDescribesEachSmallVariableAndWritesQualifyingLevels)
{
    // Column 1: two levels, in the model; column 2: two levels, excluded;
    // column 3: fifteen levels.
    p.n_nuis = 4;
    p.indiN.assign(4, 1, 0);
    p.indiN[2][0] = -1;
    p.level_first = {0, 1, 3, 5};
    p.level_last = {0, 2, 4, 19};
    p.n_levels = 20;
    p.nuis_effects.assign(20, 1, 0.0);
    p.nuis_effects[1][0] = 1.5;
    p.nuis_effects[2][0] = -1.5;
    p.maxnwrtNUI = 5;
    print();
    const std::string nui2 = file("nui2.out");
    EXPECT_EQ(occurrences(nui2, "; NOTE 2  Only nuisance variables with less than 12 levels are included!"), 2);
    EXPECT_EQ(nui2.substr(nui2.rfind('\n')), "\n    1.5000   -1.5000");
}

TEST_F(PrintSamples, QtlModelWithoutSelectedIndividualsWritesNoGenotypes)
{
    p.indicQTL = 1;
    p.maximQTL = 2;
    qtl.resize(2);
    print();
    const std::string iqtl = file("iqtl.out");
    EXPECT_EQ(iqtl.rfind("\n; Comments are preceded by semicolon sign\n;\n; ----------------------", 0), 0u);
    EXPECT_NE(iqtl.find("\n;         equal to zero\n  2  1      0"), std::string::npos) << iqtl;
    EXPECT_FALSE(fs::exists(dir / "gqtl.out"));
    EXPECT_FALSE(fs::exists(dir / "phase.out"));
    EXPECT_FALSE(fs::exists(dir / "cohqtl.out"));
    EXPECT_FALSE(fs::exists(dir / "wrtgtp.nms"));
}

TEST_F(PrintSamples, SelectedIndividualsGetGenotypesNamesAndPhaseFile)
{
    p.indicQTL = 1;
    p.maximQTL = 1;
    p.writeGTP = "2";
    qtl.resize(1);
    print();
    EXPECT_EQ(file("wrtgtp.nms"),
              "\n; Names of individuals on which either/and/or\n;   - genotypes in QTL model, see file 'gqtl.out'"
              "\n;   - genotypes in FPM model, see file 'gfpm.out'"
              "\n;   - polygenic effects in TIM model, see file 'tim.out'\n; were written to file\nalpha\nbravo");
    const std::string gqtl = file("gqtl.out");
    EXPECT_NE(gqtl.find("\n; \t\t\t   iQTL.out \n   9 9"), std::string::npos) << gqtl;
    EXPECT_TRUE(fs::exists(dir / "phase.out"));  // opened, no slot in use
    EXPECT_EQ(file("phase.out"), "");
}

TEST_F(PrintSamples, InbredPopulationHasNoPhaseFile)
{
    p.indicQTL = 1;
    p.maximQTL = 1;
    p.writeGTP = "ALL";
    p.inbred_pop = 1;
    qtl.resize(1);
    print();
    EXPECT_TRUE(fs::exists(dir / "gqtl.out"));
    EXPECT_FALSE(fs::exists(dir / "phase.out"));
}

TEST_F(PrintSamples, FirstCallOfARunRestartsFilesWithoutHeader)
{
    p.indicTIM = 1;
    p.writeGTP = "ALL";
    testsupport::write_file(dir / "tim.out", "\n 1 2 3 from an earlier run");
    print();
    EXPECT_EQ(file("tim.out"), "\n    0.1000    0.2000    0.3000");
}

TEST_F(PrintSamples, LevelRowsOfALargeVariableStartAfreshWithoutDescription)
{
    // Fifteen levels: too many for the description, few enough for the rows.
    p.level_last = {0, 15};
    p.n_levels = 16;
    p.nuis_effects.assign(16, 1, 0.25);
    p.maxnwrtNUI = 20;
    testsupport::write_file(dir / "nui2.out", "\n 9.0 from an earlier run");
    print();
    const std::string nui2 = file("nui2.out");
    EXPECT_EQ(nui2.find("earlier"), std::string::npos) << nui2;
    EXPECT_EQ(occurrences(nui2, "    0.2500"), 15);
}

TEST_F(PrintSamples, WithoutHeaderOutputRowsAreAppendedToEarlierRuns)
{
    p.headerOUT = 0;
    testsupport::write_file(dir / "genpar.out", "\n earlier");
    print();
    EXPECT_EQ(file("genpar.out").rfind("\n earlier\n       10 ", 0), 0u);
}

TEST_F(PrintSamples, FpmModelWritesGeneFilesAndCohortVariances)
{
    p.indicFPM = 1;
    p.maximFPM = 1;
    p.n_cohorts = 1;
    p.writeGTP = "FOUNDERS";
    p.founders = {3};
    p.n_founders = 1;
    fpm.resize(1);
    vsk::VARgroup = 1;
    print();
    vsk::VARgroup = 0;
    EXPECT_NE(file("ifpm.out").find("; - FPG = Finite PolyGene"), std::string::npos);
    EXPECT_NE(file("ifpm.out").find("\n  1  1      0         0         0         0"), std::string::npos);
    EXPECT_NE(file("gfpm.out").find("\n; \t\t\t   iFPG.out \n   9"), std::string::npos);
    EXPECT_NE(file("cohfpm.out").find("; -1  Not Available \n\n    0.000"), std::string::npos) << file("cohfpm.out");
    EXPECT_NE(file("wrtgtp.nms").find("\ncharlie"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "cumgtp.out"));
}

TEST_F(PrintSamples, GenotypeCountersEveryTenThousandSweepsOfAFixedGeneSet)
{
    p.indicFPM = 2;
    p.maximFPM = 1;
    fpm.resize(1);
    fpm[0].tally.assign(3, 3, 1);
    print();
    EXPECT_EQ(file("cumgtp.out"), "");
    p.cur_sweep = 9999;
    print();
    EXPECT_EQ(file("cumgtp.out").rfind("\n       alpha          1      1      1", 0), 0u) << file("cumgtp.out");
}

TEST_F(PrintSamples, SelectionCountOutsideTheIndividualsEndsTheRun)
{
    p.writeGTP = "4";
    EXPECT_THROW(print(), vsk::FatalExit);
    EXPECT_EQ(out.text(), "\nError wrtGTP 4");
    std::vector<int> selected;
    p.writeGTP = "-1";
    EXPECT_EQ(vsk::genotype_selection(p, selected), -1);
    EXPECT_TRUE(selected.empty());
}

}  // namespace
