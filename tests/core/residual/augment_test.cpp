// AugmentPhenotypes: the fatal partial-record case and the conditional draw
// of a missing trait.
#include <gtest/gtest.h>

#include "core/residual/residual.h"
#include "core/state/console.h"
#include "residual_fixture.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

using residual_test::make_model;
using residual_test::Model;
using residual_test::RunningStat;

TEST(AugmentPhenotypes, PartialRecordWithThreeTraitsStops)
{
    Model m = make_model(3, {}, {}, 2);
    m.o[1].name = "bravo";
    residual_test::set_row(m.ph.residual, 1, {1.5, 0.0, -2.25});
    residual_test::set_row(m.ph.phenotype, 1, {1, 0, 1});
    testsupport::CapturedStream out;
    vsk::set_console_stream(out.stream());
    vsk::Rng r;
    EXPECT_THROW(vsk::augment_phenotypes(m.p, m.o, m.ph, r), vsk::FatalExit);
    vsk::set_console_stream(nullptr);
    EXPECT_EQ(out.text(),
              "\nStopped in augment_data(): >2 traits && PARTIAL missing"
              "\nIndividual bravo                   1.5000  trait 2   -2.2500");
}

TEST(AugmentPhenotypes, SingleTraitDrawsFromTheResidualVariance)
{
    Model m = make_model(1, {}, {}, 1);
    m.p.res_cov[0][0] = 4.0;
    m.ph.phenotype[0][0] = 0;
    vsk::Rng r;
    r.seed(1);
    RunningStat e;
    for (int k = 0; k < 20000; ++k) {
        vsk::augment_phenotypes(m.p, m.o, m.ph, r);
        e.add(m.ph.residual[0][0]);
    }
    EXPECT_NEAR(e.mean, 0.0, 4 * 2.0 / std::sqrt(e.n));
    EXPECT_NEAR(e.var(), 4.0, 0.2);
}

// Missing trait 2 given an observed residual e1 on trait 1:
// N(S21 / S11 e1, S22 (1 - rho^2)).
TEST(AugmentPhenotypesStat, MissingTraitFollowsItsConditional)
{
    Model m = make_model(2, {}, {}, 1);
    residual_test::set_residual_cov(m.p, {{1.0, -0.6}, {-0.6, 2.0}});
    residual_test::set_row(m.ph.residual, 0, {1.5, 0.0});
    residual_test::set_row(m.ph.phenotype, 0, {1, 0});
    vsk::Rng r;
    r.seed(2);
    RunningStat e;
    for (int k = 0; k < 20000; ++k) {
        vsk::augment_phenotypes(m.p, m.o, m.ph, r);
        e.add(m.ph.residual[0][1]);
        ASSERT_EQ(m.ph.residual[0][0], 1.5);
    }
    const double mean = -0.6 * 1.5, var = 2.0 - 0.36;
    EXPECT_NEAR(e.mean, mean, 4 * std::sqrt(var / e.n));
    EXPECT_NEAR(e.var(), var, 0.05 * var);
}

}  // namespace
