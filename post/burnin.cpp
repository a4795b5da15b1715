// Simple burn-in estimate: per chain, the time of the second crossing of the
// mean of its last tenth of samples; the largest over the chains.
#include <algorithm>
#include <vector>

#include "post/console.h"
#include "post/ess.h"

namespace rvn {

namespace {

struct ChainBurnin {
    double mean = 0.0;
    double var = 0.0;
    int bi = 0;
};

// Mean and variance of rows s..n-1, then the second crossing of that mean.
ChainBurnin chain_burnin(const PostState& st, int c)
{
    const vsk::Table<double>& x = st.s.genpar;
    const int n = st.s.n();
    const int s = static_cast<int>(0.9 * n);
    const int count = n - s;
    ChainBurnin b;
    for (int r = s; r < n; ++r) b.mean += x[r][c];
    b.mean /= count;
    for (int r = s; r < n; ++r) b.var += (x[r][c] - b.mean) * (x[r][c] - b.mean);
    b.var = count > 1 ? b.var / (count - 1) : 0.0;
    if (b.var == 0.0) return b;

    const bool below = b.mean > x[0][c];
    int crossings = 0;
    for (int r = 1; r < n; ++r) {
        const double v = x[r][c];
        if (below ? v > b.mean : v < b.mean) ++crossings;
        if (crossings == 2) {
            b.bi = r;
            return b;
        }
    }
    rprint("\nstrange behaviour in 'calc_burnin()',");
    rprint("%s", chain_name(st, c).c_str());
    return b;
}

void print_burnin_table(const PostState& st, const std::vector<ChainBurnin>& chains)
{
    const int n = st.s.n();
    rprint("\nBI : Burn In period");
    rprint("\n(s): in number of samples");
    rprint("\n(i): in number of Markov iterations");
    rprint("\n(p): in percentage");
    rprint("\n%-12s   mean   BI(s)     BI(i)     BI(p)", "Variable");
    for (int c = 0; c < static_cast<int>(chains.size()); ++c) {
        const ChainBurnin& b = chains[c];
        if (!(b.var > 0.0)) continue;
        rprint("\n%-12s%8.2lf  %5d     ", chain_name(st, c).c_str(), b.mean, b.bi);
        rprint("%5d     ", b.bi < 1 ? 0 : st.s.iteration[b.bi]);
        rprint("%5.0lf     ", b.bi * 100.0 / n);
    }
}

}  // namespace

void calc_burnin(PostState& st, bool quiet)
{
    const int n = st.s.n();
    if (!quiet) {
        separator();
        rprint("SIMPLE ESTIMATE OF BURN-IN");
        rprint("\n=Time of 2nd crossing the mean of last 10 percent of samples");
    }
    std::vector<ChainBurnin> chains;
    int estimate = -1;
    if (n > 0) {
        for (int c = 0; c < st.s.V(); ++c) {
            chains.push_back(chain_burnin(st, c));
            if (chains.back().var > 0.0) estimate = std::max(estimate, chains.back().bi);
        }
    }
    const int by_default = static_cast<int>(0.1 * n);
    if (estimate > 0.5 * n) {
        estimate = static_cast<int>(0.5 * n);
        if (!quiet) rprint("\nWARNING burn in period very long, reduced to %d", estimate);
    }
    if (!quiet) {
        print_burnin_table(st, chains);
        rprint("\nburninEST = %d", estimate);
        rprint("\nburninDEF = %d (=10percent)", by_default);
    }
    // No chain varies over its last tenth: keep every row.
    st.burnin = estimate < 0 ? 0 : estimate;
    st.n_post = n - st.burnin;
}

}  // namespace rvn
