// Samples drawn from the prior itself (number of QTL from the chain's prior,
// positions from the prior on the map) must give posterior = prior: Bayes
// factors near 1 for the genome and each group, and per-bin Bayes factors
// near 1 along the map.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "post/console.h"
#include "post/intensity.h"
#include "post/qtl_number.h"
#include "post/qtl_state.h"
#include "post/summary.h"
#include "support/test_support.h"

namespace {

// Samples drawn from the chain's prior: posterior = prior for the genome
// and each group, whatever the number of groups, also when the truncation
// at maximQTL bites (priorQTL 3, maximQTL 3: a group's prior is then the
// genome's thinned by the group's share, not a Poisson truncated on its
// own, which put 0.134 on three QTL of a half-genome group against 0.043)
// and with the uniform prior of priorQTL 0.
TEST(QtlNumberStat, PriorOnlySamplesGivePosteriorEqualToPrior)
{
    for (const auto& [prior_qtl, Q] : {std::pair{2.0, 6}, std::pair{3.0, 3}, std::pair{0.0, 4}}) {
        SCOPED_TRACE(testing::Message() << "priorQTL " << prior_qtl << ", maximQTL " << Q);
        testsupport::TempDir dir;
        posttest::QtlStateDesign d;
        d.n = 20000;
        d.B = 0;
        d.Q = Q;
        d.W = 0;
        d.use = 0.0;
        d.priorQTL = prior_qtl;
        rvn::PostState st = posttest::qtl_state(d, dir);
        const std::vector<double> prior = rvn::count_prior(d.priorQTL, d.Q, "genome");
        std::discrete_distribution<int> number(prior.begin(), prior.end());
        std::mt19937 gen(11);
        std::uniform_real_distribution<double> u(0.0, 1.0);
        const int S = st.s.S;
        for (int r = 0; r < d.n; ++r) {
            const int k = number(gen);
            for (int q = 0; q < k; ++q) {
                // 25 of the 65 cM of map lie on group 1.
                const double cM = u(gen) * 65.0;
                const double coded = cM < 25.0 ? 100.0 + cM / 100.0 : 200.0 + (cM - 25.0) / 100.0;
                st.s.qtl[r][q * S + S - 1] = std::round(coded * 1e4) / 1e4 + 1e-12;
            }
        }
        testsupport::CapturedStream quiet;
        rvn::set_console_stream(quiet.stream());
        rvn::number_of_qtl(st);
        rvn::extract_qtl_samples(st);
        rvn::count_qtl_per_bin(st);
        rvn::set_console_stream(nullptr);

        for (int row = 0; row <= 2; ++row)
            for (int k = 0; k <= d.Q; ++k) {
                const double p = st.nqtl.prior[row][k];
                const double se = std::sqrt(std::max(p * (1 - p), 1e-4) / d.n);
                EXPECT_NEAR(st.nqtl.posterior[row][k], p, 4.5 * se + 1e-3) << "row " << row << " k " << k;
            }
        // Interior bins: the density matches the prior intensity, so 2 ln BF
        // stays near 0 on both groups (counting the group's share of the
        // prior twice would put group 1 near 2).
        for (int g = 0; g < 2; ++g) {
            double sum = 0.0;
            int bins = 0;
            for (int b = 2; b + 3 < st.groups[g].n_bins; ++b, ++bins)
                sum += rvn::bin_bayes_factor(st.groups[g].density[b], rvn::prior_intensity(st, g, b));
            EXPECT_LT(sum / bins, 0.3) << "group " << g;
        }
    }
}

}  // namespace
