// Effective chain size of the genetic-parameter chains (initial positive
// sequence of paired autocovariances), the burn-in estimate, and the direct
// convergence rate of the number of QTL.
#pragma once

#include <string>
#include <vector>

#include "post/state.h"

namespace rvn {

// calc_ess results besides an effective size >= 0.
inline constexpr int kEssTooShort = -1;     // or no negative pair sum found
inline constexpr int kEssZeroVariance = -2;

// What calc_ess found for one chain.
struct EssResult {
    double delta = 0.0;  // number of positive autocovariance pairs
    double var0 = 0.0;   // lag-0 autocovariance
    double var = 0.0;    // Monte Carlo variance of the mean
    double ECS = 0.0;    // effective chain size
};

// Effective size of x[B..n-1]. Returns the ECS (>= 0), kEssTooShort or
// kEssZeroVariance; `result` is written for an ECS >= 0 and for a chain
// whose pair sums end in an exact 0 (ECS -1, var = the sample variance). A
// Monte Carlo variance that comes out not positive (strongly alternating
// chains) cannot give a size: it also yields kEssTooShort.
int calc_ess(const double* x, int n, int B, EssResult& result);
// The same with the burn-in of the post-processing state.
int calc_ess(const PostState& st, const double* x, int n, EssResult& result);

// Names of the genpar.out value columns for T traits:
// T + 2 + 9 T(T+1)/2 names in column order.
std::vector<std::string> chain_names(int n_traits);
// Name of value column c: its chain name, or "col" + the file column number
// for columns beyond the names.
std::string chain_name(const PostState& st, int c);

// Sets the burn-in B (and N = n - B): the time each chain has twice been seen
// on the far side of the mean of its last tenth, the largest over the chains,
// at most half the rows. With no varying chain B is 0 (all rows kept).
void calc_burnin(PostState& st, bool quiet);

// calc_ess over every value column of genpar.out.
struct ChainEss {
    int column = 0;
    int code = 0;  // calc_ess result
    EssResult result;
};
std::vector<ChainEss> chains_ess(const PostState& st);
// The ESS table on the console.
void print_ess_table(const PostState& st, const std::vector<ChainEss>& chains);
// Smallest ECS over the chains: -1 when any chain was too short, 1000000
// when no chain varies.
int smallest_ecs(const std::vector<ChainEss>& chains);

// Second-largest eigenvalue of the row-stochastic m x m matrix (power
// iteration with the mean removed, the iteration matrix squared at every
// iteration). Sets `lambda`; returns the iterations used, or -1 when m < 2
// (lambda 1.0). 1.0 with a message after 100 iterations without convergence.
int subdomeigval(const std::vector<std::vector<double>>& P, int m, double& lambda);

// Transition matrix of the QTL counts and its subdominant eigenvalue, per
// included chromosome group and for the genome, with a suggested thinning.
void calc_convergence_rate(const PostState& st);

}  // namespace rvn
