// Run reports: MCMC parameters, model setting checks, the pedigree
// table of "check.log", the progress line and "extremeP.log".
#include <gtest/gtest.h>

#include "console/reports.h"
#include "core/residual/residual_fixture.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

class Reports : public ::testing::Test {
protected:
    void SetUp() override { vsk::set_console_stream(out.stream()); }
    void TearDown() override
    {
        vsk::set_console_stream(nullptr);
        vsk::skipP = 1000;
        vsk::REDprint = 0;
    }
    testsupport::CapturedStream out;
};

TEST_F(Reports, McmcParametersSetSkipPForShortChains)
{
    vsk::Par p;
    p.length = 5000;
    p.thinning = 10;
    vsk::skipP = 7;
    vsk::print_mcmc_parameters(p);
    EXPECT_EQ(vsk::skipP, 1000);
    p.length = 20000;
    vsk::skipP = 7;
    vsk::print_mcmc_parameters(p);
    EXPECT_EQ(vsk::skipP, 7);
    EXPECT_NE(out.text().find("MCMC PARAMETERS\nMCMC sweeps  :      5000\nMCMC thinning:        10"
                              "\nThin screen  :       200\nSkip markers :         0\t\t (updating every MCMC sweep"),
              std::string::npos);
}

TEST_F(Reports, IllDefinedAdditivePriorStopsTheRun)
{
    vsk::Par p;
    p.n_traits = 1;
    p.indicQTL = 1;
    p.addGENE = 7;
    EXPECT_THROW(vsk::print_model_specification(p), vsk::FatalExit);
    const std::string text = out.text();
    EXPECT_TRUE(text.ends_with("\nP(add)\nIll-defined prior")) << text;
}

TEST_F(Reports, NoGeneEffectsStopTheRun)
{
    vsk::Par p;
    p.indicFPM = 1;
    EXPECT_THROW(vsk::print_model_specification(p), vsk::FatalExit);
    EXPECT_NE(out.text().find("\n ERROR: no effects (add/dom/imp) defined"), std::string::npos);
}

TEST_F(Reports, IbdModeWithSeveralQtlIsShownCorrected)
{
    vsk::Par p;
    p.indicQTL = 2;
    p.maximQTL = 3;
    vsk::print_model_specification(p);
    EXPECT_NE(out.text().find("\nQTL: included for IBD probability estimation, MAX=1Corrected(!)"), std::string::npos);
}

TEST_F(Reports, PriorMatricesShowTheirLowerTriangle)
{
    vsk::Par p;
    p.n_traits = 2;
    p.indicQTL = 1;
    p.maximQTL = 4;
    p.priorQTL = 2;
    p.addGENE = 3;
    p.varPOA.assign(2, 2, 0.5);
    vsk::print_model_specification(p);
    EXPECT_NE(out.text().find("\nQTL: included\tMAX=4  \tE(prior)=2   "), std::string::npos);
    EXPECT_NE(out.text().find("\nP(add)= N(known),user-defined     0.50000\n     0.50000     0.50000 (fixed values)"
                              "\nP(dom) excluded"),
              std::string::npos);
}

TEST_F(Reports, PedigreeTableNamesParentsAndCodes)
{
    residual_test::Model m = residual_test::make_model(1, {2}, {{0}}, 3);
    m.o[0].name = "alpha";
    m.o[1].name = "bravo";
    m.o[1].fat = 1;
    m.o[1].mot = vsk::kSelfed;
    m.o[2].mot = vsk::kInbred;
    m.o[2].X_nuis[1] = 2;
    m.p.level_flag = {1, 17, 42};
    testsupport::CapturedStream log;
    vsk::write_chain_start_sections(log.stream(), m.p, m.o, m.ph);
    const std::string text = log.text();
    EXPECT_NE(text.find("INDIVIDUAL's INFO ON ITS PEDIGREE & PHENOTYPES"), std::string::npos);
    EXPECT_NE(text.find("\n     2       bravo       alpha      SELFED"), std::string::npos);
    EXPECT_NE(text.find("\n     3        ind3           0      INBRED"), std::string::npos);
    EXPECT_NE(text.find("     2 [42] "), std::string::npos);
    EXPECT_EQ(text.find("GENE CODING SYSTEM"), std::string::npos);
}

TEST_F(Reports, ExtremeResidualsLogHeaderOnceAndRowsBeyondThreeSds)
{
    residual_test::Model m = residual_test::make_model(2, {}, {}, 3);
    m.p.pheno_var = {4.0, 1.0};
    m.p.cur_sweep = 99;
    residual_test::set_row(m.ph.residual, 0, {6.5, 0.0});
    residual_test::set_row(m.ph.residual, 1, {0.0, -3.5});
    residual_test::set_row(m.ph.residual, 2, {100.0, 100.0});
    residual_test::set_row(m.ph.phenotype, 2, {vsk::kUnknown, vsk::kUnknown});
    testsupport::CapturedStream log;
    bool header = false;
    vsk::write_extreme_residuals(log.stream(), m.p, m.o, m.ph, header);
    vsk::write_extreme_residuals(log.stream(), m.p, m.o, m.ph, header);
    const std::string text = log.text();
    EXPECT_EQ(text.rfind("; Comments are preceded by semicolon sign\n; Thresholds for Residual Effects ( 3.00*std.phenot)"
                         "\n;   Trait 1:        6.000 \n;   Trait 2:        3.000 ",
                         0),
              0u);
    const std::string row1 = "\n     100        1  ind1                                    1            6.500";
    const std::string row2 = "\n     100        2  ind2                                    2           -3.500";
    EXPECT_EQ(text.substr(text.size() - 2 * (row1.size() + row2.size())), row1 + row2 + row1 + row2);
}

TEST_F(Reports, ProgressLineShowsCycleAndLogLikelihood)
{
    setenv("SOURCE_DATE_EPOCH", "0", 1);
    vsk::Par p;
    p.loglik = -123.456;
    vsk::print_progress_report(p, 99);
    EXPECT_EQ(out.text().rfind("\ncycle 100     LogL -123.5     ", 0), 0u);
    unsetenv("SOURCE_DATE_EPOCH");
}

}  // namespace
