// Parameter interpreter and the files it names: the data-file pre-scan, the
// consistent-marker data file, the founder-relationship file, genotype
// writing and the missing parameter file.
#include <filesystem>

#include "core/state/param_test_project.h"
#include "core/state/templates.h"

namespace {

using paramtest::kAborting;
using paramtest::ParamProject;

class ParamFiles : public ParamProject {};

TEST_F(ParamFiles, PrescanCountsIndividualsAllelesFoundersAndCohorts)
{
    ASSERT_TRUE(run()) << output();
    const vsk::Par& p = vsk::par;
    EXPECT_EQ(p.n_individuals, 6);
    // Locus 1: 1, 2 and the putative null "$" (no extra slot); locus 2:
    // A C G T coded 1-4 plus the slot kept for a null allele.
    EXPECT_EQ(p.max_alleles, 5);
    EXPECT_EQ(p.n_founders, 4);         // "0", "0", "*", "-"
    EXPECT_EQ(p.n_founder_cohorts, 1);  // cohorts 0 and -1 are not counted
    EXPECT_EQ(p.n_cohorts, 2);
    EXPECT_NE(output().find("\n6 lines in datafile test.dat\n"), std::string::npos);
}

TEST_F(ParamFiles, NullAllelesAndLetterCodes)
{
    // One locus: a confirmed null, b/B = 5, n = 0 (not an allele), 7 by value.
    set("nmrkrC", "2");
    write_project_file("test.dat",
                       "1 a 0 0 1 1 1  nul b   1 1\n"
                       "1 b 0 0 1 1 1  B 7     1 1\n"
                       "1 c 0 0 1 1 1  n -     1 1\n");
    set("nullalleleC", "nul");
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.max_alleles, 3);  // {-1, 5, 7}

    SetUp();
    write_project_file("test.dat", "1 a 0 0 1 1 1  - -  * *\n");
    set("indicQTL", "0");
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.max_alleles, 1);  // only the null-allele slot

    // A one-character null text takes precedence over its letter code.
    SetUp();
    write_project_file("test.dat", "1 a 0 0 1 1 1  b 3  1 1\n1 b 0 0 1 1 1  9 12  1 1\n");
    set("nullalleleP", "b");
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.max_alleles, 4);  // {-1, 3, 9, 12}
}

TEST_F(ParamFiles, QtlAnalysisNeedsMarkerAlleles)
{
    set("indiC", "0");
    set("nmrkrC", "0");
    write_project_file("test.dat", "1 a 0 0 1 1.0 2.0\n");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: max number of alleles / marker locus =0\nNo QTL or IBD analysis possible" +
                            kAborting),
              std::string::npos);
}

TEST_F(ParamFiles, DataLineWithOneItemTooManyStops)
{
    std::string data = paramtest::kDataFile;
    data.replace(data.find("2  delta"), 8, "2  delta extra");
    write_project_file("test.dat", data);
    EXPECT_FALSE(run());
    // The sixth line of the file, as an editor counts (comment and blank lines included).
    EXPECT_NE(output().find("\nERROR: wrong number of columns in file test.dat, line 6, nstrings(observed) = 12"
                            ", nstrings(expected) = 11" + kAborting),
              std::string::npos)
        << output();
}

TEST_F(ParamFiles, DataLineEndingWithACommaHoldsAnEmptyLastItem)
{
    std::string data = paramtest::kDataFile;
    data.replace(data.find("T T"), 3, "T T,");
    write_project_file("test.dat", data);
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: wrong number of columns in file test.dat, line 8, nstrings(observed) = 12"
                            ", nstrings(expected) = 11" + kAborting),
              std::string::npos)
        << output();
}

TEST_F(ParamFiles, TooManyMarkersForADataLineAreReportedByTheDataScan)
{
    set("nmrkrC", "25001");
    set("indiC", "1");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: too many items at single line in datafile 'test.dat'"
                            "\nncolT = 2, ncolN = 1, 2*ncolM = 50002 | maxitem = 50000"),
              std::string::npos)
        << output();
}

TEST_F(ParamFiles, TooManyItemsPerLineStops)
{
    set("nmrkrC", "25000");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: too many items at single line in datafile 'test.dat'"
                            "\nncolT = 2, ncolN = 1, 2*ncolM = 50000 | maxitem = 50000"),
              std::string::npos);
}

TEST_F(ParamFiles, ConsistentMarkerDataFileRule)
{
    write_project_file("CMtest.dat", "1 a 0 0 1 1 1 1 2 1 2\n");
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.datafile, "CMtest.dat");
    EXPECT_EQ(vsk::par.cm_datafile_used, 1);
    EXPECT_EQ(vsk::par.n_individuals, 1);
    EXPECT_NE(output().find("\nFile CMtest.dat also found: overrules initial file test.dat!"), std::string::npos);

    SetUp();
    std::filesystem::remove(dir() / "test.dat");
    ASSERT_TRUE(run()) << output();
    EXPECT_NE(output().find("\nWARNING: datafile 'test.dat' not found!"
                            "\nFile CMtest.dat found INSTEAD of initial file test.dat!"),
              std::string::npos);

    SetUp();
    std::filesystem::remove(dir() / "test.dat");
    std::filesystem::remove(dir() / "CMtest.dat");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: data files not found (test.dat or CMtest.dat)" + kAborting),
              std::string::npos);
}

TEST_F(ParamFiles, DataFileNameLengthLimit)
{
    set("datafile", std::string(30, 'd'));
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR\nlength of string too big \n '" + std::string(30, 'd') +
                            "' (=30)\ndecrease length down to less than 28\n\n\naborting Voskara\n"),
              std::string::npos);
}

class ParamFibd : public ParamProject {
protected:
    void with_fibd(const std::string& threshold, const std::string& content)
    {
        set("fibdfile", "founders.fibd");
        set("FIBDthreshold", threshold);
        write_project_file("founders.fibd", content);
    }
};

TEST_F(ParamFibd, ThresholdDecidesWhereAncestorCountComesFrom)
{
    with_fibd("2.0", "npos 3\nnind 4\nnanc 6\ninbred 1\n");
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.npos, 3);
    EXPECT_EQ(vsk::par.nind, 4);
    EXPECT_EQ(vsk::par.nanc, 6);
    EXPECT_EQ(vsk::par.inbred, 1);
    EXPECT_NE(output().find("\nREMARK : pattern FIBDthreshold        indicates use of P-matrices (=2)"),
              std::string::npos);

    SetUp();
    with_fibd("1.5", "npos 3\nnind 4\n");
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.nanc, 4);
    EXPECT_NE(output().find("\nWARNING: inbred not found in file founders.fibd (default taken: 0)"),
              std::string::npos);

    SetUp();
    with_fibd("2", "npos 3\nnind 4\n");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: nanc not found in file founders.fibd" + kAborting), std::string::npos);

    SetUp();
    with_fibd("2", "npos 3\nnind 4\nnanc -2\n");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: nanc -2 in file founders.fibd" + kAborting), std::string::npos);
}

TEST_F(ParamFibd, ImproperThresholdsStop)
{
    for (const char* threshold : {"0", "2.5", "-1"}) {
        SCOPED_TRACE(threshold);
        SetUp();
        with_fibd(threshold, "npos 3\nnind 4\nnanc 6\n");
        EXPECT_FALSE(run());
        EXPECT_NE(output().find(std::string("\nERROR: pattern FIBDthreshold has improper value ") + threshold +
                                "!\naborting Voskara" + kAborting),
                  std::string::npos);
    }

    SetUp();
    with_fibd("0.5", "npos 3\nnind 4\n");
    set("PLinkSoft", "-0.5");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: pattern PLinkSoft has improper value -0.5!"), std::string::npos);
}

TEST_F(ParamFibd, FileNamedNaMeansNoFile)
{
    set("fibdfile", "NA");
    set("FIBDthreshold", "7");  // not read without a file
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.fibdfile, "NA");
    EXPECT_EQ(vsk::par.npos, 0);
    EXPECT_EQ(vsk::par.nanc, 0);
    EXPECT_EQ(output().find("fibdfile"), output().find("fibdfile   NA"));  // only in the echo
    EXPECT_EQ(output().find("ERROR"), std::string::npos);

    SetUp();
    set("fibdfile", "absent.fibd");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: fibdfile absent.fibd  not found!" + kAborting), std::string::npos);
}

TEST_F(ParamFiles, GenotypeWritingSelectorMatchesNuisanceColumn)
{
    set("writeGTP", "NUISANCE");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: Variable 'writeGTP' equal to NUISANCE with no column specified"
                            "\nCheck variable 'indiN' in parameter file voskara.par" + kAborting),
              std::string::npos);

    SetUp();
    set("indiN", "3");
    set("writeGTP", "all");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nWARNING: Variable 'writeGTP' equal to ALL with nuisance column specified as indicator"
                            "\nCheck variable 'indiN' in parameter file voskara.par"),
              std::string::npos);

    SetUp();
    set("indiN", "3");
    set("writeGTP", "nuisance");
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.writeGTP, "NUISANCE");
    EXPECT_NE(output().find("\n\nNOTE: Nuisance column 1 used for assignment individuals"
                            "\n      whose genotypes will be printed to file\n"),
              std::string::npos);

    SetUp();
    set("writeGTP", "0");
    ASSERT_TRUE(run());
    EXPECT_EQ(vsk::par.writeGTP, "NONE");

    // Without a writeGTP line the selector is not checked.
    SetUp();
    set("indiN", "3");
    remove("writeGTP");
    EXPECT_TRUE(run());
}

TEST_F(ParamFiles, MissingParameterFileWritesTemplatesAndStops)
{
    vsk::project_parF = "absent.par";
    try {
        vsk::init_par(vsk::par);
        FAIL() << "accepted a missing parameter file";
    } catch (const vsk::FatalExit& e) {
        EXPECT_EQ(e.code(), 1);
    }
    std::string out = output();
    EXPECT_NE(out.find("\nERROR! Cannot find parameter file!\n  dir: " + dir().str() + "\n file: absent.par\n\n"),
              std::string::npos);
    std::string padded = "Now creating:";
    padded.resize(73, ' ');
    EXPECT_NE(out.find("\n" + padded + "\n"), std::string::npos);
    EXPECT_NE(out.find("\n  2.h: Adjust variables in parameter file, similar to '1.c'/'1.d'"), std::string::npos);
    EXPECT_NE(out.find("\n\nNow exiting Voskara (0.99130)\n"), std::string::npos);
    for (const char* file : {"voskara_templateIBD.par", "voskara_templateQTL.par", "voskara_templateIBD.dat",
                             "voskara_templateQTL.dat", "voskara_template.map", "voskara.xml"})
        EXPECT_TRUE(std::filesystem::exists(dir() / file)) << file;
}

}  // namespace

namespace {

// The template project written for a new user must be accepted as it is,
// once its files carry the names its parameter file gives them.
class ParamTemplates : public paramtest::ParamProject {
protected:
    void use_template(const std::string& kind, const std::string& datafile)
    {
        vsk::write_templates(dir().path());
        std::filesystem::copy_file(dir() / ("voskara_template" + kind + ".par"), dir() / "voskara.par",
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(dir() / ("voskara_template" + kind + ".dat"), dir() / datafile,
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(dir() / "voskara_template.map", dir() / "voskara.map",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    bool run_as_is()
    {
        try {
            vsk::init_par(vsk::par);
            return true;
        } catch (const vsk::FatalExit&) {
            return false;
        }
    }
};

TEST_F(ParamTemplates, QtlTemplateIsAccepted)
{
    use_template("QTL", "voskaraQTL.dat");
    ASSERT_TRUE(run_as_is()) << output();
    const vsk::Par& p = vsk::par;
    EXPECT_EQ(p.indicQTL, 1);
    EXPECT_EQ(p.n_markers, 6);
    EXPECT_EQ(p.writeGTP, "NUISANCE");
    EXPECT_EQ(p.n_individuals, 11 + 5 * 40);
    EXPECT_EQ(p.n_founders, 5);
    EXPECT_EQ(p.nqtl, p.maximQTL);  // seed 5610315 ends in 5
    EXPECT_DOUBLE_EQ(vsk::boundary.freq_lower, 0.03);
}

TEST_F(ParamTemplates, IbdTemplateIsAccepted)
{
    use_template("IBD", "voskaraIBD.dat");
    ASSERT_TRUE(run_as_is()) << output();
    EXPECT_EQ(vsk::par.indicQTL, 2);
    EXPECT_EQ(vsk::par.fixQTLpos, "MARKERS");
    EXPECT_EQ(vsk::par.n_individuals, 11);
}

}  // namespace
