// Convergence across several chains of one quantity: the rank-normalised
// split-R-hat and the bulk and tail effective sample sizes of Vehtari,
// Gelman, Simpson, Carpenter and Buerkner (2021, Bayesian Analysis 16(2)).
#pragma once

#include <string>
#include <vector>

namespace rvn {

// Draws of one quantity: one vector per chain, all of the same length.
using ChainDraws = std::vector<std::vector<double>>;

// The half chains: every chain cut into its first and second half (the
// middle draw of an odd length is left out).
ChainDraws split_chains(const ChainDraws& chains);

// Normal scores of the pooled ranks: Phi^-1((r - 3/8) / (S + 1/4)) with the
// average rank r of ties and S draws in all; same shape as the input.
ChainDraws rank_normalise(const ChainDraws& chains);

// |x - median of all draws|, same shape.
ChainDraws fold_draws(const ChainDraws& chains);

// 1 where a draw is at most `threshold`, else 0.
ChainDraws indicator_draws(const ChainDraws& chains, double threshold);

// Quantile of all draws pooled (linear interpolation between order
// statistics, as R's default type 7).
double pooled_quantile(const ChainDraws& chains, double prob);

// Potential scale reduction sqrt(((n-1)/n W + B/n) / W) of the chains as
// given (no splitting). NaN for fewer than two chains or two draws, or when
// no chain varies within.
double rhat_basic(const ChainDraws& chains);

// Effective size of the chains as given: autocorrelations combined over the
// chains, Geyer's initial positive then monotone sequence, the truncated sum
// with the next even lag and the floor 1/log10(draws) of the integrated
// autocorrelation time. NaN for fewer than 3 draws per chain or no variation.
double ess_basic(const ChainDraws& chains);

// The three diagnostics of one quantity.
struct Convergence {
    double rhat = 0.0;      // max over the rank-normalised bulk and folded split chains
    double ess_bulk = 0.0;  // of the rank-normalised split chains
    double ess_tail = 0.0;  // smaller of the 5 % and 95 % quantile indicators
    bool constant = false;  // every draw equal: nothing to judge
};
Convergence chain_convergence(const ChainDraws& chains);

// Thresholds of the verdict: R-hat below 1.01 and both effective sizes at
// least 400 (100 per chain for four chains).
inline constexpr double kRhatLimit = 1.01;
inline constexpr double kEssLimit = 400.0;

// One row of the convergence table.
struct QuantityConvergence {
    std::string name;
    Convergence c;
};

// "" when every quantity meets the thresholds, else the name of the one that
// holds the verdict back (the largest R-hat above the limit, otherwise the
// smallest effective size below it) and `why` the figure.
std::string holding_back(const std::vector<QuantityConvergence>& rows, std::string& why);

}  // namespace rvn
