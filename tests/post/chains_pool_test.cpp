// Pooling several chains: joined sample rows, the quantities judged and the
// verdict line.
#include <gtest/gtest.h>

#include <random>

#include "post/chains_pool.h"

namespace {

rvn::PostState chain_state(int rows, double shift, unsigned seed)
{
    rvn::PostState st;
    st.par.n_traits = 1;
    std::mt19937 gen(seed);
    std::normal_distribution<double> z(0.0, 1.0);
    st.s.genpar.assign(rows, 3);
    for (int r = 0; r < rows; ++r) {
        st.s.iteration.push_back(10 * (r + 1));
        st.s.loglik.push_back(-1.0);
        st.s.genpar[r][0] = 10.0 + shift + z(gen);  // mean1
        st.s.genpar[r][1] = 1.0 + 0.1 * z(gen);     // vERR11
        st.s.genpar[r][2] = 0.0;                    // vTIM11: constant
    }
    st.s.thin_step = 10;
    return st;
}

}  // namespace

TEST(ChainsPool, AppendsTheWindowOfEveryTable)
{
    const rvn::PostState a = chain_state(6, 0.0, 1), b = chain_state(8, 0.0, 2);
    rvn::Samples pooled;
    rvn::append_sample_rows(pooled, a.s, 2, 5);
    rvn::append_sample_rows(pooled, b.s, 2, 5);
    ASSERT_EQ(pooled.n(), 6);
    EXPECT_EQ(pooled.V(), 3);
    EXPECT_EQ(pooled.thin_step, 10);
    EXPECT_EQ(pooled.genpar[0][0], a.s.genpar[2][0]);
    EXPECT_EQ(pooled.genpar[3][1], b.s.genpar[2][1]);
    EXPECT_EQ(pooled.iteration, (std::vector<int>{30, 40, 50, 30, 40, 50}));
}

TEST(ChainsPool, JudgesEveryColumnAndNamesWhatHoldsItBack)
{
    std::vector<rvn::PostState> same, shifted;
    for (unsigned k = 0; k < 4; ++k) {
        same.push_back(chain_state(600, 0.0, 10 + k));
        shifted.push_back(chain_state(600, k == 3 ? 2.0 : 0.0, 20 + k));
    }
    const auto ok = rvn::chains_convergence(same, 100, 600);
    ASSERT_EQ(ok.size(), 3u);
    EXPECT_EQ(ok[0].name, "mean1");
    EXPECT_TRUE(ok[2].c.constant);
    EXPECT_EQ(rvn::verdict_line(ok, 4).rfind("CONVERGENCE: converged (4 chains", 0), 0u) << rvn::verdict_line(ok, 4);

    const auto bad = rvn::chains_convergence(shifted, 100, 600);
    EXPECT_GT(bad[0].c.rhat, 1.1);
    EXPECT_LT(bad[1].c.rhat, 1.01);
    EXPECT_EQ(rvn::verdict_line(bad, 4).rfind("CONVERGENCE: not converged (4 chains): 'mean1' holds it back, R-hat", 0),
              0u)
        << rvn::verdict_line(bad, 4);
}
