// Start-up step of the residual model: class checks and renumbering, trait
// statistics, scaling, initial variances and bounds, and its fatal inputs.
#include <gtest/gtest.h>

#include "console/nuisance_classes.h"
#include "core/residual/residual.h"
#include "core/residual/residual_check.h"
#include "core/residual/residual_fixture.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

using residual_test::make_model;

// Installs a small raw data set (classes as in the data file, phenotypes not
// yet centred) into the shared records.
class NuisanceClasses : public ::testing::Test {
protected:
    void SetUp() override
    {
        vsk::set_console_stream(out.stream());
        cwd = std::make_unique<testsupport::ScopedCwd>(dir.path());
    }
    void TearDown() override
    {
        vsk::set_console_stream(nullptr);
        reset_records();
    }
    static void reset_records()
    {
        vsk::par = vsk::Par{};
        vsk::obs.clear();
        vsk::boundary = vsk::Boundary{};
    }
    void install(int t, const std::vector<int>& codes_per_column, int n)
    {
        std::vector<std::vector<int>> codes;
        std::vector<int> levels;
        for (int code : codes_per_column) {
            codes.push_back(std::vector<int>(t, code));
            levels.push_back(1);
        }
        residual_test::Model m = make_model(t, levels, codes, n);
        vsk::par = m.p;
        vsk::par.nuis_effects.clear();
        vsk::par.n_levels = 0;
        vsk::obs = m.o;
        vsk::phe = m.ph;
        std::mt19937 g(8);
        std::normal_distribution<double> z(20.0, 3.0);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < t; ++j) vsk::phe.Y[i][j] = vsk::phe.residual[i][j] = z(g);
    }
    testsupport::CapturedStream out;
    testsupport::TempDir dir;
    std::unique_ptr<testsupport::ScopedCwd> cwd;
};

TEST_F(NuisanceClasses, ClassesBecomeRanksAndUnphenotypedIndividualsLoseTheirClass)
{
    install(1, {0, 0}, 5);
    const int classes[] = {10, 30, 20, 30, 77};
    for (int i = 0; i < 5; ++i) vsk::obs[i].X_nuis[1] = classes[i];
    vsk::phe.phenotype[4][0] = vsk::kUnknown;
    for (int i = 0; i < 5; ++i) vsk::obs[i].X_nuis[2] = 5;
    std::vector<int> table;
    const int levels = vsk::renumber_nuisance_classes(vsk::par, vsk::obs, vsk::phe, table);
    EXPECT_EQ(vsk::obs[0].X_nuis[1], 1);
    EXPECT_EQ(vsk::obs[1].X_nuis[1], 3);
    EXPECT_EQ(vsk::obs[2].X_nuis[1], 2);
    EXPECT_EQ(vsk::obs[4].X_nuis[1], 0);
    EXPECT_EQ(vsk::par.level_first[1], 1);
    EXPECT_EQ(vsk::par.level_last[1], 3);
    EXPECT_EQ(vsk::par.level_first[2], 4);
    EXPECT_EQ(vsk::par.level_last[2], 4);
    EXPECT_EQ(levels, 5);
    EXPECT_EQ(table, (std::vector<int>{1, 10, 20, 30, 5}));
}

TEST_F(NuisanceClasses, ExcludedFactorIsNotRangeCheckedAndItsZeroKeepsTheTableAligned)
{
    install(2, {0}, 4);
    vsk::par.indiN[1][1] = -1;  // trait 2 excludes the factor
    const int classes[] = {0, 4, 9, 4};
    for (int i = 0; i < 4; ++i) vsk::obs[i].X_nuis[1] = classes[i];
    vsk::check_nuisance_classes(vsk::par, vsk::obs, vsk::phe);
    std::vector<int> table;
    vsk::renumber_nuisance_classes(vsk::par, vsk::obs, vsk::phe, table);
    EXPECT_EQ(vsk::obs[0].X_nuis[1], 0);
    EXPECT_EQ(vsk::obs[1].X_nuis[1], 2);
    EXPECT_EQ(vsk::obs[2].X_nuis[1], 3);
    // Level k of the factor shows its own class: 0 takes rank 1.
    EXPECT_EQ(table[vsk::par.level_first[1] + 1], 4);
    EXPECT_EQ(table[vsk::par.level_first[1] + 2], 9);
}

TEST_F(NuisanceClasses, ClassZeroOfACheckedFactorStopsTheRun)
{
    install(1, {0}, 3);
    vsk::obs[1].name = "bravo";
    vsk::obs[1].X_nuis[1] = 0;
    EXPECT_THROW(vsk::check_nuisance_classes(vsk::par, vsk::obs, vsk::phe), vsk::FatalExit);
    EXPECT_EQ(out.text(),
              "\nERROR: misspecification class level\n ind: bravo [2]\n nui: 1\n val: 0"
              "\nNow exiting Voskara 0.99130\n\n");
}

TEST_F(NuisanceClasses, ScaledTraitsHaveMeanZeroVarianceOneAndBoundsTwo)
{
    install(2, {}, 30);
    vsk::par.scaleT = 1;
    vsk::prepare_nuisance_classes();
    for (int j = 0; j < 2; ++j) {
        residual_test::RunningStat s;
        for (int i = 0; i < vsk::phe.residual.rows(); ++i) s.add(vsk::phe.residual[i][j]);
        EXPECT_NEAR(s.mean, 0.0, 1e-12);
        EXPECT_NEAR(s.var(), 1.0, 1e-12);
        EXPECT_EQ(vsk::par.nuis_effects[0][j], 0.0);
        EXPECT_DOUBLE_EQ(vsk::boundary.mean_upper[j], 2.0);
        EXPECT_DOUBLE_EQ(vsk::boundary.nuis_lower[j], -2.0);
    }
    EXPECT_NE(out.text().find("PHENOTYPIC COVARIANCE MATRIX [-SCALED-]"), std::string::npos);
}

// The residuals left by the start-up step are the phenotypes, on the scale
// the model is fitted to, minus the fitted terms; and predictions go back to
// the data's units: a scaled run's "prediction.csv" must compare like with
// like.
TEST_F(NuisanceClasses, ResidualsAndPredictionsFollowTheFittedScale)
{
    struct Case {
        const char* name;
        int scale;
        bool overall_mean;
    };
    for (const Case c : {Case{"plain", 0, true}, Case{"scaled", 1, true}, Case{"no overall mean", 0, false},
                         Case{"scaled, no overall mean", 1, false}}) {
        SCOPED_TRACE(c.name);
        install(1, {}, 30);
        vsk::par.scaleT = c.scale;
        if (!c.overall_mean) vsk::par.indiN[0][0] = -1;
        vsk::prepare_nuisance_classes();
        EXPECT_LT(vsk::check_residuals(vsk::par, vsk::obs, vsk::phe, {}, {}).max_difference, 1e-12);

        // A prediction equal to the fitted overall mean plus each residual
        // reproduces every phenotype in the data's units.
        for (int i = 0; i < 30; ++i)
            vsk::phe.prediction[i][0] = vsk::par.nuis_effects[0][0] + vsk::phe.residual[i][0];
        vsk::par.res_cov_mean[0][0] = 1.0;
        ASSERT_EQ(vsk::write_predictions(vsk::par, vsk::obs, vsk::phe, "prediction.csv"), 0);
        const std::string text = testsupport::read_file("prediction.csv");
        EXPECT_NE(text.find("; phenotype MSE      =       0.00"), std::string::npos) << text;
        char row[64];
        std::snprintf(row, sizeof row, ",%.2lf,%.2lf", vsk::phe.Y[7][0], vsk::phe.Y[7][0]);
        EXPECT_NE(text.find(row), std::string::npos) << text;
        reset_records();
    }
}

TEST_F(NuisanceClasses, StatisticsCentreThePhenotypesAndSetTheMeanAndBounds)
{
    install(1, {}, 4);
    vsk::par.res_cov.fill(0.0);  // as allocated at start-up
    const double y[] = {1.0, 2.0, 3.0, 6.0};
    for (int i = 0; i < 4; ++i) vsk::phe.residual[i][0] = vsk::phe.Y[i][0] = y[i];
    vsk::prepare_nuisance_classes();
    EXPECT_DOUBLE_EQ(vsk::par.nuis_effects[0][0], 3.0);
    EXPECT_DOUBLE_EQ(vsk::par.pheno_var[0], 14.0 / 3.0);
    EXPECT_DOUBLE_EQ(vsk::phe.residual[3][0], 3.0);
    EXPECT_DOUBLE_EQ(vsk::phe.Y[3][0], 6.0);
    EXPECT_DOUBLE_EQ(vsk::boundary.mean_upper[0], 3.0 + 2 * std::sqrt(14.0 / 3.0));
    const std::string text = out.text();
    EXPECT_NE(text.find("\nTrait 1\n records           4\n    mean            3.000\nvariance            4.667"
                        "\n minimum            1.000\n maximum            6.000"),
              std::string::npos);
    // Four individuals: the first residual draw is skipped, the phenotypic
    // variance is the start value.
    EXPECT_NE(text.find("SAMPLE RESIDUAL VARIANCE(S)\n1      4.667"), std::string::npos) << text;
    EXPECT_NE(text.find("\nparam\tM_indic\tEF_n\tLF_n\n    0\t    0\t    0\t    0"), std::string::npos);
}

TEST_F(NuisanceClasses, PolygenicModelTakesAQuarterOfTheResidualVariance)
{
    install(1, {}, 40);
    vsk::par.indicTIM = 1;
    vsk::prepare_nuisance_classes();
    const double tim = vsk::par.tim_cov[0][0];
    EXPECT_GT(tim, 0.0);
    EXPECT_NEAR(vsk::par.res_cov[0][0], 3.0 * tim, 1e-12);
    EXPECT_NEAR(vsk::par.res_cov[0][0] * vsk::par.res_prec[0][0], 1.0, 1e-12);
    EXPECT_NE(out.text().find("INITIAL VALUE(S) TIM VARIANCE(S)\n'0.25*residual variance(s)'"), std::string::npos);
}

TEST_F(NuisanceClasses, TenRandomFactorsAreAcceptedAnEleventhStopsTheRun)
{
    install(1, std::vector<int>(10, 1), 30);
    for (vsk::Obs& ind : vsk::obs)
        for (int c = 1; c <= 10; ++c) ind.X_nuis[c] = 1 + ind.name.size() % 2;
    vsk::prepare_nuisance_classes();
    EXPECT_NEAR(vsk::par.nuis_cov[9][0][0], 0.05 * vsk::par.res_cov[0][0], 1e-12);
    reset_records();
    install(1, std::vector<int>(11, 1), 30);
    EXPECT_THROW(vsk::prepare_nuisance_classes(), vsk::FatalExit);
    const std::string text = out.text();
    EXPECT_EQ(text.substr(text.rfind("\nERROR")),
              "\nERROR\nToo many NORMALLY DISTRIBUTED nuisance variables"
              "\nA maximum of 10 Variance Components can be included\nNow exiting Voskara 0.99130");
}

TEST_F(NuisanceClasses, TraitWithoutTwoRecordsStopsTheRun)
{
    install(2, {}, 10);
    for (int i = 0; i < 10; ++i) vsk::phe.phenotype[i][1] = 0;
    vsk::phe.phenotype[0][1] = 1;
    EXPECT_THROW(vsk::prepare_nuisance_classes(), vsk::FatalExit);
    EXPECT_NE(out.text().find("\nERROR: trait 2 has 1 observed record(s), at least 2 are needed"), std::string::npos);
}

TEST_F(NuisanceClasses, IbdModeKeepsOneLevelAndNoNuisanceEffects)
{
    install(1, {0, 1}, 5);
    vsk::par.indicQTL = 2;
    vsk::prepare_nuisance_classes();
    EXPECT_EQ(vsk::par.n_levels, 1);
    EXPECT_EQ(vsk::par.indiN[1][0], -1);
    EXPECT_EQ(vsk::par.indiN[2][0], -1);
    EXPECT_EQ(vsk::par.res_cov[0][0], 1.0);
    EXPECT_EQ(out.text(), "");
}

}  // namespace
