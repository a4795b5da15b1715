// QTL sample extraction, summary statistics and the convergence rate of the
// number of QTL on states built in the test.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "post/console.h"
#include "post/ess.h"
#include "post/summary.h"
#include "support/test_support.h"

namespace {

struct Captured {
    testsupport::CapturedStream out;
    Captured() { rvn::set_console_stream(out.stream()); }
    ~Captured() { rvn::set_console_stream(nullptr); }
    bool printed(const std::string& s) const { return out.text().find(s) != std::string::npos; }
};

// Q = 2 slots of S = 3 values (two variables and the position) over 4 rows,
// with genotype blocks of 2 individuals and 1 cohort per slot.
rvn::PostState small_qtl_state()
{
    rvn::PostState st;
    st.par.maximQTL = 2;
    st.par.n_traits = 1;
    st.s.S = 3;
    const double qtl[4][6] = {
        {1.0, 1.1, 201.20, 0.0, 0.0, 0.0},
        {2.0, 2.1, 100.50, 3.0, 3.1, 100.10},
        {0.0, 0.0, 0.0, 4.0, 4.1, 200.05},
        {5.0, 5.1, 100.30, 0.0, 0.0, 0.5},  // 0.5: not in use
    };
    st.s.qtl.assign(4, 6);
    st.s.qtl_geno.assign(4, 4);
    st.s.qtl_coh.assign(4, 2);
    st.s.iteration = {10, 20, 30, 40};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) st.s.qtl[r][c] = qtl[r][c];
    for (int r = 0; r < 4; ++r)
        for (int q = 0; q < 2; ++q) {
            st.s.qtl_geno[r][2 * q] = static_cast<rvn::GenoCode>(r);
            st.s.qtl_geno[r][2 * q + 1] = static_cast<rvn::GenoCode>(q);
            st.s.qtl_coh[r][q] = 10.0 * r + q;
        }
    st.s.has_qtl_geno = st.s.has_qtl_coh = true;
    st.s.geno_per_slot = 2;
    st.s.coh_per_slot = 1;
    st.s.genpar.assign(4, 1);
    st.burnin = 1;
    st.n_post = 3;
    return st;
}

TEST(ExtractQtlSamples, RowsInUseSortedByPositionWithTheirBlocks)
{
    Captured c;
    rvn::PostState st = small_qtl_state();
    rvn::extract_qtl_samples(st);
    const rvn::QtlSamples& q = st.qtl_samples;
    // Pairs after burn-in, slot-major: (1,0) 100.50, (3,0) 100.30, (1,1) 100.10, (2,1) 200.05.
    ASSERT_EQ(q.count(), 4);
    const double positions[4] = {100.10, 100.30, 100.50, 200.05};
    const double ordinals[4] = {3, 2, 1, 4};
    const double iterations[4] = {20, 40, 20, 30};
    const int rows[4] = {1, 3, 1, 2};
    const int slots[4] = {1, 0, 0, 1};
    for (int k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(q.rows[k][2], positions[k]) << k;
        EXPECT_DOUBLE_EQ(q.rows[k][3], iterations[k]) << k;
        EXPECT_DOUBLE_EQ(q.rows[k][4], ordinals[k]) << k;
        EXPECT_EQ(q.genotypes[k][0], rows[k]) << k;
        EXPECT_EQ(q.genotypes[k][1], slots[k]) << k;
        EXPECT_DOUBLE_EQ(q.cohorts[k][0], 10.0 * rows[k] + slots[k]) << k;
    }
    EXPECT_TRUE(c.printed("\n       3 MCMC iterations\n       4 QTL samples"));
}

TEST(ExtractQtlSamples, NoQtlInUseWarns)
{
    Captured c;
    rvn::PostState st = small_qtl_state();
    st.s.qtl.fill(0.0);
    rvn::extract_qtl_samples(st);
    EXPECT_EQ(st.qtl_samples.count(), 0);
    EXPECT_TRUE(c.printed("\nWARNING no samples available for inferences on QTL positions"));
}

TEST(SummaryStatistics, MeanStdvMinMaxAfterBurnin)
{
    vsk::Table<double> t(5, 1);
    const double values[5] = {100.0, 4.0, 2.0, 6.0, 8.0};
    for (int r = 0; r < 5; ++r) t[r][0] = values[r];
    const rvn::ColumnSummary s = rvn::summarise_column(t, 0, 1);
    EXPECT_DOUBLE_EQ(s.mean, 5.0);
    EXPECT_NEAR(s.stdv, std::sqrt(20.0 / 3.0), 1e-12);
    EXPECT_DOUBLE_EQ(s.min, 2.0);
    EXPECT_DOUBLE_EQ(s.max, 8.0);
}

TEST(ConvergenceRateStat, TwoStateQtlCountGivesItsSecondEigenvalue)
{
    // One slot switching on with probability 0.1 and off with 0.2: the count
    // chain has second eigenvalue 0.7, so lambda^t = 0.01 at t = 12.9.
    Captured c;
    rvn::PostState st;
    st.par.maximQTL = 1;
    st.s.S = 1;
    const int n = 40000;
    st.s.qtl.assign(n, 1);
    st.s.genpar.assign(n, 1);
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    bool on = false;
    for (int r = 0; r < n; ++r) {
        on = on ? u(gen) >= 0.2 : u(gen) < 0.1;
        st.s.qtl[r][0] = on ? 100.05 : 0.0;
    }
    rvn::ChromGroup g;
    g.name = "1";
    g.included = 1;
    g.lower = 100.0;
    g.upper = 100.5;
    st.groups = {g};
    st.burnin = 0;
    st.n_post = n;
    rvn::calc_convergence_rate(st);
    const std::string text = c.out.text();
    EXPECT_NE(text.find("\nChromosome-wide\nmodel_Q0 "), std::string::npos) << text;
    // One group: no genome row.
    EXPECT_EQ(text.find("genome"), std::string::npos);
    const std::size_t row = text.find("\n[ 1] 1         ");
    ASSERT_NE(row, std::string::npos) << text;
    // Row: label, lambda, [iterations], thinning, ECS.
    std::istringstream fields(text.substr(row + 16));
    double lambda = 0.0;
    std::string iterations;
    int thinning = 0, ecs = 0;
    fields >> lambda >> iterations;
    if (iterations.size() < 3) fields >> iterations;  // "[" and "nn]" split by the padding
    fields >> thinning >> ecs;
    EXPECT_NEAR(lambda, 0.7, 0.02);
    EXPECT_TRUE(thinning == 12 || thinning == 13) << thinning;
    // lambda is printed to 3 decimals: compare the ECS to 1 %.
    EXPECT_NEAR(ecs, n / (std::log(0.01) / std::log(lambda)) + 1, 0.01 * ecs) << text.substr(row);
}

}  // namespace
