// Prior-only chains of the finite polygenic model: with no phenotyped
// individual the number of genes must follow its truncated Poisson prior, on
// the marginal-likelihood and on the prior-draw path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/state/console.h"
#include "fpm_fixture.h"

namespace {

std::vector<double> truncated_poisson(double lambda, int max)
{
    std::vector<double> p(static_cast<std::size_t>(max) + 1);
    double total = 0.0, term = 1.0;
    for (int k = 0; k <= max; ++k) {
        if (k > 0) term *= lambda / k;
        p[static_cast<std::size_t>(k)] = term;
        total += term;
    }
    for (double& v : p) v /= total;
    return p;
}

void check_prior(int add, unsigned seed)
{
    auto pr = fpm_test::make_project(8, 24, 4, add);
    pr->rng.seed(seed);
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    const int sweeps = 30000, burn = 500;
    std::vector<double> counts(5, 0.0);
    double n = 0;
    vsk::sample_fpm(pr->model(), 0);
    for (int s = 0; s < sweeps; ++s) {
        pr->p.cur_sweep = s;
        vsk::sample_fpm(pr->model(), 1);
        if (s < burn) continue;
        ASSERT_EQ(pr->p.nfpm, vsk::active_count(pr->model()));
        counts[static_cast<std::size_t>(pr->p.nfpm)] += 1;
        n += 1;
    }
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    const std::vector<double> prob = truncated_poisson(1.5, 4);
    // Five standard errors with an effective size of n / 10 (autocorrelation).
    for (std::size_t k = 0; k < prob.size(); ++k) {
        const double se = std::sqrt(prob[k] * (1 - prob[k]) / (n / 10.0));
        EXPECT_NEAR(counts[k] / n, prob[k], 5 * se + 1e-3) << "genes " << k << " setting " << add;
    }
}

}  // namespace

TEST(FpmPriorStat, NumberOfGenesFollowsTruncatedPoissonMarginalPath) { check_prior(5, 11u); }

TEST(FpmPriorStat, NumberOfGenesFollowsTruncatedPoissonPriorDrawPath) { check_prior(1, 12u); }
