// CalcLikelihood, PredictionPhenotype and WritePredictions: the formulas, the
// running means and the file layout.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/residual/residual.h"
#include "core/state/console.h"
#include "textfile/fatal.h"
#include "residual_fixture.h"
#include "support/test_support.h"

namespace {

using residual_test::make_model;
using residual_test::Model;

TEST(CalcLikelihood, MatchesTheNormalDensityAndAveragesOverCalls)
{
    Model m = make_model(2, {}, {}, 3);
    residual_test::set_residual_cov(m.p, {{2.0, 0.3}, {0.3, 1.0}});
    residual_test::set_row(m.ph.residual, 0, {0.5, -0.2});
    residual_test::set_row(m.ph.residual, 1, {-1.0, 0.4});
    residual_test::set_row(m.ph.residual, 2, {3.0, 3.0});
    residual_test::set_row(m.ph.phenotype, 2, {vsk::kUnknown, vsk::kUnknown});
    double expected = 0.0;
    for (int i = 0; i < 2; ++i)
        expected += vsk::mvn_logdensity(2, m.p.res_logdet, m.ph.residual[i], m.p.res_prec);
    double calls = 0;
    vsk::calc_likelihood(m.p, m.ph, calls);
    EXPECT_NEAR(m.p.loglik, expected, 1e-9);
    EXPECT_DOUBLE_EQ(m.p.loglik_mean, m.p.loglik);
    EXPECT_DOUBLE_EQ(m.p.deviance, -2 * m.p.loglik);
    EXPECT_DOUBLE_EQ(m.p.res_cov_mean[0][1], 0.3);
    const double first = m.p.loglik;
    residual_test::set_row(m.ph.residual, 0, {0.0, 0.0});
    residual_test::set_residual_cov(m.p, {{1.0, 0.0}, {0.0, 1.0}});
    vsk::calc_likelihood(m.p, m.ph, calls);
    EXPECT_NEAR(m.p.loglik_mean, 0.5 * (first + m.p.loglik), 1e-12);
    EXPECT_NEAR(m.p.deviance_mean, -(first + m.p.loglik), 1e-12);
    EXPECT_NEAR(m.p.res_cov_mean[0][0], 1.5, 1e-12);
    EXPECT_EQ(calls, 2.0);
}

TEST(PredictionPhenotype, RunningMeanOfOverallMeanAndPolygenicEffect)
{
    Model m = make_model(1, {2}, {{0}}, 2);
    m.p.indicTIM = 1;
    m.p.nuis_effects[0][0] = 10.0;
    m.p.nuis_effects[m.p.level_first[1] + 1][0] = 99.0;  // other nuisance effects stay out
    m.ph.infpoleff[0][0] = 1.0;
    m.ph.phenotype[1][0] = vsk::kUnknown;  // predicted all the same
    double calls = 0;
    vsk::prediction_phenotype(m.p, {}, {}, m.ph, calls);
    EXPECT_DOUBLE_EQ(m.ph.prediction[0][0], 11.0);
    EXPECT_DOUBLE_EQ(m.ph.prediction[1][0], 10.0);
    m.p.nuis_effects[0][0] = 12.0;
    vsk::prediction_phenotype(m.p, {}, {}, m.ph, calls);
    EXPECT_DOUBLE_EQ(m.ph.prediction[0][0], 12.0);
    EXPECT_DOUBLE_EQ(m.ph.prediction[1][0], 11.0);
}

TEST(PredictionPhenotype, AddsTheGenotypicValuesOfActiveQtlAndFpmGenes)
{
    Model m = make_model(2, {}, {}, 2);
    m.p.indicQTL = 1;
    m.p.indicFPM = 1;
    m.p.maximQTL = 2;
    m.p.maximFPM = 1;
    m.p.nuis_effects[0][0] = 1.0;
    std::vector<vsk::Gene> qtl(2);
    std::vector<vsk::Polygene> fpm(1);
    for (vsk::Gene& g : qtl) {
        g.gval.assign(4, 2, 0.0);
        g.gtp = {0, 3};
    }
    qtl[0].status = 1;
    qtl[0].gval[0][0] = 0.5;   // individual 1, trait 1
    qtl[0].gval[3][1] = -2.0;  // individual 2, trait 2
    qtl[1].gval[0][0] = 100.0; // free slot: not counted
    fpm[0].status = 1;
    fpm[0].gval.assign(4, 2, 0.0);
    fpm[0].gval[1][0] = 0.25;
    fpm[0].gtp = {1, 2};
    double calls = 0;
    vsk::prediction_phenotype(m.p, qtl, fpm, m.ph, calls);
    EXPECT_DOUBLE_EQ(m.ph.prediction[0][0], 1.75);
    EXPECT_DOUBLE_EQ(m.ph.prediction[1][0], 1.0);
    EXPECT_DOUBLE_EQ(m.ph.prediction[1][1], -2.0);
    m.p.indicQTL = 0;  // a model that is off contributes nothing
    vsk::prediction_phenotype(m.p, qtl, fpm, m.ph, calls);
    EXPECT_DOUBLE_EQ(m.ph.prediction[0][0], (1.75 + 1.25) / 2);
}

TEST(WritePredictions, WritesFitStatisticsAndOneLinePerIndividual)
{
    setenv("SOURCE_DATE_EPOCH", "0", 1);
    Model m = make_model(1, {}, {}, 3);
    m.ph.Y[0][0] = 2.0, m.ph.prediction[0][0] = 1.0;
    m.ph.Y[1][0] = 4.0, m.ph.prediction[1][0] = 2.0;
    m.ph.Y[2][0] = 0.0, m.ph.prediction[2][0] = 1.5, m.ph.phenotype[2][0] = vsk::kUnknown;
    m.p.res_cov_mean[0][0] = 2.0;
    m.p.loglik_mean = -5.0;
    m.p.deviance_mean = 10.0;
    testsupport::TempDir dir;
    const std::string path = (dir / "prediction.csv").string();
    ASSERT_EQ(vsk::write_predictions(m.p, m.o, m.ph, path), 0);
    const std::string text = testsupport::read_file(path);
    // SS = 1 + 4 = 5 over N = 2; L = -0.5*2*(ln 2 + 1.837877) - 5/4.
    const double L = -(std::log(2.0) + 1.837877) - 1.25;
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  "\n; phenotype MSE      = %10.2lf\n; postMean VarE      = %10.2lf"
                  "\n; postMean LogLik    = %10.2lf\n; postMean Deviance  = %10.2lf"
                  "\n; LogLik   @PostMean = %10.2lf\n; Deviance @PostMean = %10.2lf"
                  "\n; spiegelhalter pD   = %10.2lf\n; spiegelhalter DIC  = %10.2lf"
                  "\n\nID,yObs,yHat\nind1,2.00,1.00\nind2,4.00,2.00\nind3,NA,1.50",
                  2.5, 2.0, -5.0, 10.0, L, -2 * L, 10.0 + 2 * L, 20.0 + 2 * L);
    ASSERT_EQ(text.rfind("\n; ", 0), 0u);
    EXPECT_EQ(text.substr(text.find("\n; phenotype")), expected);
    unsetenv("SOURCE_DATE_EPOCH");
}

TEST(WritePredictions, UnwritableFileStopsTheRunNamingIt)
{
    Model m = make_model(1, {}, {}, 1);
    m.p.res_cov_mean[0][0] = 1.0;
    testsupport::CapturedStream out;
    vsk::set_console_stream(out.stream());
    EXPECT_THROW(vsk::write_predictions(m.p, m.o, m.ph, "/nonexistent-dir/prediction.csv"), vsk::FatalExit);
    vsk::set_console_stream(nullptr);
    EXPECT_NE(out.text().find("unable to open file '/nonexistent-dir/prediction.csv' for writing"),
              std::string::npos);
}

}  // namespace
