// Exact console rows of the convergence diagnostics: the burn-in table, the
// effective-size table and the convergence-rate table, on chains whose
// numbers are known by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "post/console.h"
#include "post/ess.h"
#include "post/sample_project.h"
#include "support/test_support.h"

namespace {

using posttest::state_with_chains;

struct Captured {
    testsupport::CapturedStream out;
    Captured() { rvn::set_console_stream(out.stream()); }
    ~Captured() { rvn::set_console_stream(nullptr); }
    std::string text() const { return out.text(); }
};

TEST(DiagnosticsFormat, BurninRowsShowSamplesIterationsAndPercentage)
{
    // Climbs to a level alternating 4/6 (final mean 5.00): the second row on
    // the far side of that mean is row 6, iteration 70, 6 % of 100 rows.
    std::vector<double> chain = {0, 1, 2, 3, 6, 4, 7, 5, 5, 5};
    chain.resize(100);
    for (int i = 10; i < 100; ++i) chain[i] = (i % 2) ? 4.0 : 6.0;
    rvn::PostState st = state_with_chains({chain, std::vector<double>(100, 1.0)});
    Captured c;
    rvn::calc_burnin(st, false);
    const std::string text = c.text();
    EXPECT_NE(text.find("\nVariable       mean   BI(s)     BI(i)     BI(p)"
                        "\nmean1           5.00      6        70         6     "
                        "\nburninEST = 6"
                        "\nburninDEF = 10 (=10percent)"),
              std::string::npos)
        << text;
    // The constant chain has no row.
    EXPECT_EQ(text.find("vERR11"), std::string::npos);
}

TEST(DiagnosticsFormat, EssRowsSizesShortChainsAndNoRowForConstantChains)
{
    rvn::PostState st = state_with_chains({{0.0, 1.0}});
    std::vector<rvn::ChainEss> chains(3);
    chains[0].column = 0;
    chains[0].code = 340;
    chains[0].result.delta = 2;
    chains[0].result.var0 = 0.00582;
    chains[0].result.var = 0.00002;
    chains[0].result.ECS = 340;
    chains[1].column = 1;
    chains[1].code = rvn::kEssZeroVariance;
    chains[2].column = 2;
    chains[2].code = rvn::kEssTooShort;
    Captured c;
    rvn::print_ess_table(st, chains);
    const std::string text = c.text();
    EXPECT_EQ(text.rfind("\n\n------------------------------------------------------------------------------\n"
                         "EFFECTIVE SAMPLE SIZE (ESS)",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("\nVariable       delta     var0        var         ECS"
                        "\nmean1              2     0.00582     0.00002     340"
                        "\nvTIM11           insufficient length------------------"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("vERR11"), std::string::npos);
}

// One slot that is in use on every second sample of the first of two
// included groups: the count alternates 0, 1, 0, 1, ...
rvn::PostState alternating_qtl_state()
{
    rvn::PostState st;
    const int n = 101;
    st.par.maximQTL = 1;
    st.s.S = 1;
    st.s.qtl.assign(n, 1);
    st.s.genpar.assign(n, 1);
    for (int r = 0; r < n; ++r) st.s.qtl[r][0] = (r % 2) ? 100.05 : 0.0;
    rvn::ChromGroup first, second;
    first.name = "chr1";
    first.included = 1;
    first.lower = 100.0;
    first.upper = 100.5;
    second.name = "chr2";
    second.included = 1;
    second.lower = 200.0;
    second.upper = 200.5;
    st.groups = {first, second};
    st.burnin = 0;
    st.n_post = n;
    return st;
}

TEST(DiagnosticsFormat, ConvergenceRateRowsForAlternatingAndConstantCounts)
{
    rvn::PostState st = alternating_qtl_state();
    Captured c;
    rvn::calc_convergence_rate(st);
    const std::string text = c.text();
    // Two included groups: genome-wide matrix; the transitions 0 -> 1 and
    // 1 -> 0 each make half of the 100 steps, the largest entry off the
    // diagonal.
    EXPECT_NE(text.find("\nGenome-wide"
                        "\nmodel_Q0    0.000  0.500"
                        "\nmodel_Q1    0.500  0.000"
                        "\noff-diagonal 0 1 highest transition value 0.500000"),
              std::string::npos)
        << text;
    // A blank line, then the header.
    EXPECT_NE(text.find("0.500000\n\nGroup            2nd DomEigVal  [iter]    thinning         ECS"), std::string::npos)
        << text;
    // A strictly alternating chain has eigenvalue -1: no thinning to suggest.
    EXPECT_NE(text.find("\n[ 1] chr1               -1.000  [   2]          No Suggestion thinning factor"),
              std::string::npos)
        << text;
    // The second group never holds a QTL: one state only, eigenvalue 1.
    EXPECT_NE(text.find("\n[ 2] chr2                1.000  [  -1]\nNo Suggestion thinning factor"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\n     genome             -1.000  [   2]          No Suggestion thinning factor"),
              std::string::npos)
        << text;
}

TEST(DiagnosticsFormat, OneIncludedGroupIsChromosomeWideWithoutGenomeRowWhenAlone)
{
    rvn::PostState st = alternating_qtl_state();
    st.groups.resize(1);
    Captured c;
    rvn::calc_convergence_rate(st);
    const std::string text = c.text();
    EXPECT_NE(text.find("\nChromosome-wide\nmodel_Q0 "), std::string::npos) << text;
    EXPECT_EQ(text.find("genome"), std::string::npos) << text;

    // Two groups, one excluded: still chromosome-wide, but the genome row is
    // printed (it is left out only for a single group).
    rvn::PostState two = alternating_qtl_state();
    two.groups[1].included = 0;
    Captured c2;
    rvn::calc_convergence_rate(two);
    const std::string text2 = c2.text();
    EXPECT_NE(text2.find("\nChromosome-wide\nmodel_Q0 "), std::string::npos) << text2;
    EXPECT_EQ(text2.find("chr2"), std::string::npos) << text2;
    EXPECT_NE(text2.find("\n     genome    "), std::string::npos) << text2;
}

}  // namespace
