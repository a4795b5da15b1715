// Parameter interpreter: values, defaults, deferred warnings, list checks,
// effect priors, frequency margin and the seed rules.
#include "core/state/param_test_project.h"

namespace {

using paramtest::kAborting;
using paramtest::ParamProject;

class ParamReader : public ParamProject {};

TEST_F(ParamReader, CompleteFileFillsTheRecordsWithoutWarnings)
{
    ASSERT_TRUE(run()) << output();
    const vsk::Par& p = vsk::par;
    EXPECT_EQ(p.datafile, "test.dat");
    EXPECT_EQ(p.mapfile, "test.map");
    EXPECT_EQ(p.fibdfile, "NA");
    EXPECT_EQ(p.n_traits, 1);
    EXPECT_EQ(p.namesT, (std::vector<std::string>{"yield", "height"}));
    EXPECT_EQ(p.misvalT, " NA .");
    EXPECT_EQ(p.n_nuis, 2);
    ASSERT_EQ(p.namesN.size(), 2u);
    EXPECT_EQ(p.namesN[0], "FACTOR0");
    EXPECT_EQ(p.namesN[1], "field");
    ASSERT_EQ(p.indiN.rows(), 2);
    ASSERT_EQ(p.indiN.cols(), 1);
    EXPECT_EQ(p.level_first, (std::vector<int>{-1, -1}));
    // The template's "nmrkrC" line sets mrkrC.
    ASSERT_EQ(vsk::chr.size(), 1u);
    EXPECT_EQ(vsk::chr[0].mrkrC, 2);
    EXPECT_EQ(vsk::chr[0].indiC, 1);
    EXPECT_EQ(vsk::chr[0].fMrkr, -1);
    EXPECT_EQ(p.n_markers, 2);
    EXPECT_EQ(p.addGENE, 5);
    EXPECT_EQ(p.addFPM, 5);
    EXPECT_EQ(p.length, 1000);
    EXPECT_EQ(p.lengthUDMax, 5000);
    EXPECT_EQ(p.ess, 100);
    EXPECT_EQ(p.markerblock, 3);
    EXPECT_DOUBLE_EQ(p.PrbHtzInb, 0.002);
    EXPECT_EQ(p.fixQTLpos, "2cM");
    EXPECT_EQ(p.writeGTP, "NONE");
    EXPECT_EQ(vsk::REDprint, 1);
    EXPECT_DOUBLE_EQ(vsk::boundary.freq_lower, 0.03);
    EXPECT_DOUBLE_EQ(vsk::boundary.freq_upper, 0.97);
    EXPECT_EQ(vsk::iseed, 12344);
    EXPECT_EQ(p.n_phenotyped, -1);
    EXPECT_EQ(p.n_pos_ibd, -1);
    // Locus-order tables: maximQTL + n_markers rows.
    EXPECT_EQ(p.rfmat[0].rows(), 5);
    EXPECT_EQ(p.rfmat[1].cols(), 5);
    EXPECT_EQ(p.lcs_rows.rows(), 5);
    EXPECT_EQ(p.lcs_rows[4][1], -1);
    EXPECT_EQ(p.qtl_rank.size(), 3u);
    EXPECT_EQ(p.res_cov.rows(), 1);
    EXPECT_EQ(p.nuis_cov.size(), 10u);
    ASSERT_EQ(p.tab_t4.rows(), 1);  // trait by genotype code
    ASSERT_EQ(p.tab_t4.cols(), 4);
    EXPECT_EQ(p.tab_t4[0][3], 0.0);

    std::string out = output();
    EXPECT_NE(out.find("\nEFFECTIVE CONTENT PARAMETER FILE\n"), std::string::npos);
    EXPECT_NE(out.find("datafile   test.dat\n"), std::string::npos);
    EXPECT_EQ(out.find("; parameter file"), std::string::npos) << "comments are not echoed";
    EXPECT_NE(out.find("\nINTERPRETATION PARAMETER VARIABLES\n"), std::string::npos);
    EXPECT_NE(out.find("\nDYNAMIC MEMORY ALLOCATION"), std::string::npos);
    EXPECT_EQ(out.find("WARNING"), std::string::npos) << out;
}

TEST_F(ParamReader, AbsentOptionalKeywordsKeepDefaultsWithOneDeferredBlock)
{
    for (const char* key : {"lengthUDMax", "markerblock", "PrbHtzInb", "fixQTLpos", "writeGTP", "seed", "namesN",
                            "REDprint", "TIMnumrm"})
        remove(key);
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.lengthUDMax, 0);
    EXPECT_EQ(vsk::par.markerblock, 2);
    EXPECT_DOUBLE_EQ(vsk::par.PrbHtzInb, 0.001);
    EXPECT_EQ(vsk::par.fixQTLpos, "100.0");
    EXPECT_EQ(vsk::par.namesN[1], "nuisance1");
    EXPECT_EQ(vsk::iseed, -123);
    EXPECT_EQ(vsk::REDprint, 0);

    std::string out = output();
    // Warnings in reading order, printed together before the allocation heading.
    std::size_t names = out.find("\nWARNING: pattern namesN               not in file voskara.par");
    std::size_t udmax = out.find("\nWARNING: pattern lengthUDMax          not in file voskara.par");
    std::size_t seed = out.find("\nWARNING: pattern seed                 not in file voskara.par");
    std::size_t alloc = out.find("DYNAMIC MEMORY ALLOCATION");
    ASSERT_NE(names, std::string::npos) << out;
    EXPECT_LT(names, udmax);
    EXPECT_LT(udmax, seed);
    EXPECT_LT(seed, alloc);
    EXPECT_GT(names, out.find("lines in datafile"));
    // Keywords that are silent when absent.
    EXPECT_EQ(out.find("pattern REDprint"), std::string::npos);
    EXPECT_EQ(out.find("pattern TIMnumrm"), std::string::npos);
}

TEST_F(ParamReader, MissingMandatoryKeywordStops)
{
    remove("thinning");
    EXPECT_FALSE(run());
    EXPECT_EQ(exit_code(), 1);
    std::string out = output();
    EXPECT_NE(out.find("\nERROR: pattern thinning             not in file voskara.par" + kAborting), std::string::npos)
        << out;
}

TEST_F(ParamReader, MissingDatafileKeywordHasItsOwnMessage)
{
    remove("datafile");
    EXPECT_FALSE(run());
    std::string out = output();
    EXPECT_NE(out.find("\nERROR: pattern datafile             not in file voskara.par\n\naborting Voskara"),
              std::string::npos);
    EXPECT_EQ(out.find("Aborting Voskara"), std::string::npos);
}

struct ListCase {
    const char* key;
    const char* value;
    const char* message;
};

TEST_F(ParamReader, ListLengthMismatchesStop)
{
    const ListCase cases[] = {
        {"indiT", "1 0 1", "\nERROR: indiT # traits (2 vs 3) in voskara.par"},
        {"indiN", "0 0", "\nERROR: indiN # nuisances (1 vs 2) in voskara.par"},
        {"namesN", "field block", "\nERROR: namesN # nuisances (1 vs 2) in voskara.par"},
        {"indiC", "1,1", "ERROR: indiC # chromosomes (1 vs 2) in voskara.par"},
        {"nmrkrC", "2 2", "\nERROR: mrkrC # chromosomes (1 vs 2) in voskara.par"},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.key);
        SetUp();
        set(c.key, c.value);
        EXPECT_FALSE(run());
        std::string out = output();
        EXPECT_NE(out.find(std::string(c.message) + kAborting), std::string::npos) << out;
    }
}

TEST_F(ParamReader, TraitAndLinkageGroupChecks)
{
    set("indiT", "0 0");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: At least 1 trait should be included!, see file voskara.par"
                            "\n       Check variable 'indiT'" + kAborting),
              std::string::npos);

    SetUp();
    set("nchrom", "2");
    set("indiC", "1 1");
    set("nmrkrC", "2 1");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR\nincorrect specification of linkage groups in 'voskara.par'"
                            "\nLinkage groups require at least 2 marker loci, check group 2"),
              std::string::npos);

    // A group that is not analysed may hold a single marker.
    SetUp();
    set("nchrom", "2");
    set("indiC", "1 0");
    set("nmrkrC", "2 1");
    write_project_file("test.dat", "1 a 0 0 1 1.0 2.0 1 2 1 1 3 4\n");
    EXPECT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.n_markers, 2);
}

TEST_F(ParamReader, TraitNamesTooLongOrMiscounted)
{
    set("namesT", "yield " + std::string(80, 'x'));
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: name of trait variable too long: \nyield xxx"), std::string::npos);
    EXPECT_NE(output().find("\nMaximum character length of name = 80\n\nAborting Voskara (0.99130,16.FEB.2016)\n"),
              std::string::npos);

    SetUp();
    set("namesT", "only_one");
    ASSERT_TRUE(run());
    EXPECT_EQ(vsk::par.namesT, (std::vector<std::string>{"trait1", "trait2"}));
}

TEST_F(ParamReader, NuisanceKindsAreChecked)
{
    set("indiN", "4");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR in value (=4) for nuisance variable 1\nCheck parameter file voskara.par"),
              std::string::npos);
}

TEST_F(ParamReader, EffectPriorsAreReconciled)
{
    set("addGENE", "2");
    set("domGENE", "1");
    ASSERT_TRUE(run());
    EXPECT_EQ(vsk::par.addGENE, 2);
    EXPECT_EQ(vsk::par.domGENE, 2);
    EXPECT_NE(output().find("\nWARNING: Input variables 'addGENE' and 'domGENE' must have"
                            "\n         similar values in case both not equal to ZERO"
                            "\n         Value of addGENE changed into '2'"),
              std::string::npos);

    SetUp();
    set("addGENE", "0");
    set("domGENE", "3");
    set("varPOD", "0.25");
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.addGENE, 0);
    EXPECT_EQ(vsk::par.domGENE, 3);
    EXPECT_EQ(output().find("must have"), std::string::npos);
    EXPECT_DOUBLE_EQ(vsk::par.varPOD[0][0], 0.25);
    EXPECT_DOUBLE_EQ(vsk::par.varPOA[0][0], 0.0);

    SetUp();
    set("addGENE", "7");
    ASSERT_TRUE(run());
    EXPECT_EQ(vsk::par.addGENE, 0);
    EXPECT_NE(output().find("\nWARNING: Input variable has improper value!\npattern addGENE              in file "
                            "voskara.par \nvalue reset to '0'"),
              std::string::npos);
}

TEST_F(ParamReader, PriorMatrixCountAndHeritability)
{
    set("addGENE", "3");
    set("varPOA", "1.0 2.0");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\n\nERROR!\nFile:     voskara.par\nVariable: varPOA"
                            "\nExpected number of input values: 1\nObserved number of input values: 2"),
              std::string::npos);

    // A keyword line without a value reads 0, which is outside (0, 1).
    SetUp();
    set("addGENE", "4");
    set("priorh2QTL", "");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: Value incorrect! (=0.00)\nFile 'voskara.par'\nVar  'priorh2QTL'"
                            ": allowed values between <0.0 - 1.0>, excluding boundaries!"),
              std::string::npos);

    SetUp();
    set("addGENE", "4");
    ASSERT_TRUE(run());
    EXPECT_DOUBLE_EQ(vsk::par.priorh2QTL, 0.3);
    EXPECT_NE(output().find("\nWARNING:\npattern priorh2QTL           not in file voskara.par"
                            "\nA pre-set value (=0.30) will be used!"),
              std::string::npos);
}

TEST_F(ParamReader, KeywordWithoutValueReadsZero)
{
    set("ncolN", "");
    set("indiN", "");
    set("namesN", "");
    set("misvalT", "");
    set("fixQTLpos", "");
    write_project_file("test.dat", "1 a 0 0 1.0 2.0 1 2 1 1\n");
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.n_nuis, 1);
    EXPECT_EQ(vsk::par.namesN, (std::vector<std::string>{"FACTOR0"}));
    EXPECT_EQ(vsk::par.misvalT, "");
    EXPECT_EQ(vsk::par.fixQTLpos, "");
    EXPECT_EQ(output().find("WARNING"), std::string::npos);
}

TEST_F(ParamReader, FrequencyMarginIsCheckedLast)
{
    set("freqmargin", "0.5");
    ASSERT_TRUE(run());
    EXPECT_DOUBLE_EQ(vsk::boundary.freq_lower, 0.5);
    EXPECT_DOUBLE_EQ(vsk::boundary.freq_upper, 0.5);

    SetUp();
    set("freqmargin", "0.6");
    remove("lengthUDMax");
    EXPECT_FALSE(run());
    std::string out = output();
    std::size_t warning = out.find("pattern lengthUDMax");
    std::size_t alloc = out.find("DYNAMIC MEMORY ALLOCATION");
    std::size_t error = out.find("\nerror: allele freq. boundary: freqmargin = 0.600000"
                                 "\nmargin needs to be between 0.0 and 0.5, now exiting program");
    ASSERT_NE(error, std::string::npos) << out;
    EXPECT_LT(warning, alloc);
    EXPECT_LT(alloc, error);
    EXPECT_EQ(out.find("Aborting"), std::string::npos);
}

TEST_F(ParamReader, LaterSeedLineWins)
{
    append_raw("seed   987654   ; generated later");
    ASSERT_TRUE(run());
    EXPECT_EQ(vsk::iseed, 987654);
}

TEST_F(ParamReader, SeedOverflowStops)
{
    set("seed", "2147483647");
    ASSERT_TRUE(run());
    EXPECT_EQ(vsk::iseed, 2147483647);

    SetUp();
    set("seed", "12345678901");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: Overflow condition occurred on seed.\n\n Decrease value in file voskara.par"
                            "\n - Suggestion: Value must have less than 10 digits. -" + kAborting),
              std::string::npos);

    SetUp();
    set("seed", "-99999999999999999999");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("Overflow condition occurred on seed."), std::string::npos);
}

TEST_F(ParamReader, SeedLastDigitDecidesInitialQtl)
{
    const std::pair<const char*, int> cases[] = {{"1235", 3}, {"-5", 3}, {"19", 3}, {"12344", 0}, {"-4", 0}, {"0", 0}};
    for (const auto& [seed, nqtl] : cases) {
        SCOPED_TRACE(seed);
        SetUp();
        set("seed", seed);
        ASSERT_TRUE(run());
        EXPECT_EQ(vsk::par.nqtl, nqtl);
    }
}

TEST_F(ParamReader, KeywordMatchesOnlyTheFirstWordOfALine)
{
    set("length", "500");
    set("ess", "7");
    set("namesT", "bodylength firmness");
    append_raw("lengthUDMax 9000");
    ASSERT_TRUE(run()) << output();
    EXPECT_EQ(vsk::par.length, 500);
    EXPECT_EQ(vsk::par.ess, 7);
    EXPECT_EQ(vsk::par.lengthUDMax, 9000);
    EXPECT_EQ(vsk::par.namesT, (std::vector<std::string>{"bodylength", "firmness"}));
}

TEST_F(ParamReader, FlagsOutOfRangeBecomeZero)
{
    set("REDprint", "2");
    set("MRKdebug", "3");
    set("RJSdebug", "5");
    set("TIMnumrm", "4");
    set("scaleT", "2");
    set("writeNRM", "3");
    ASSERT_TRUE(run());
    EXPECT_EQ(vsk::REDprint, 0);
    EXPECT_EQ(vsk::MRKdebug, 3);
    EXPECT_EQ(vsk::RJSdebug, 0);
    EXPECT_EQ(vsk::TIMnumrm, 0);
    EXPECT_EQ(vsk::par.scaleT, 0);
    EXPECT_EQ(vsk::par.writeNRM, 0);
    std::string out = output();
    EXPECT_NE(out.find("\nWARNING: pattern 'scaleT' incorrect value 2 (default taken 0)"), std::string::npos);
    EXPECT_NE(out.find("\nWARNING: value for writeNRM             invalid in file voskara.par"
                       " (default value 0 imposed)"),
              std::string::npos);
}

TEST_F(ParamReader, TooLongTextValuesAreRejected)
{
    const std::pair<const char*, std::string> cases[] = {
        {"writeGTP", std::string(32, 'w')},
        {"nullalleleP", std::string(32, 'n')},
        {"fixQTLpos", std::string(20, '1') + " " + std::string(12, '2')},
        {"mapfile", std::string(64, 'm')},
    };
    for (const auto& [key, value] : cases) {
        SCOPED_TRACE(key);
        SetUp();
        set(key, value);
        if (std::string(key) == "mapfile") write_project_file(value, "group 1\n");
        EXPECT_FALSE(run());
        EXPECT_NE(output().find(std::string("\nERROR: value of '") + key + "' in file voskara.par is too long"),
                  std::string::npos)
            << output();
    }

    // A map file name of 63 characters is accepted.
    SetUp();
    std::string map(63, 'm');
    set("mapfile", map);
    write_project_file(map, "group 1\n");
    EXPECT_TRUE(run()) << output();

    SetUp();
    set("misvalT", "abcdefghij klmnopqrst uvwxyz12");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("too many strings for missing values" + kAborting), std::string::npos);
}

TEST_F(ParamReader, MissingMapFileStops)
{
    set("mapfile", "absent.map");
    EXPECT_FALSE(run());
    EXPECT_NE(output().find("\nERROR: mapfile absent.map  not found!\naborting Voskara"
                            "\n tip : in case of analysis w/out markers also specify a mapfile" + kAborting),
              std::string::npos);
}

}  // namespace
