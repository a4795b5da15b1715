// Infinitesimal dominance effects of one trait in pedigrees of inbred lines
// (docs/polygenic.md): each individual's genotype at a locus is a pair of
// founder genes, and every heterozygous pair of distinct founder genes has
// its own dominance deviation. D_ij is the probability that i and j carry
// the same heterozygous pair, estimated by dropping genes through the
// pedigree; the effects d ~ N(0, sigma_d^2 (D + ridge I)).
#pragma once

#include <vector>

#include "core/numeric/rng.h"
#include "core/polygenic/tim.h"
#include "core/state/records.h"
#include "textfile/table.h"

namespace vsk {

// Gene-dropping replicates (unlinked loci): the Monte Carlo SD of an entry
// of D is at most sqrt(0.25 / 2500) = 0.01.
inline constexpr int kDominanceReplicates = 2500;
// Added to the diagonal of D so that identical individuals (F1 sibs of two
// lines) do not make it singular: each effect may deviate from the one of
// its pair by a tenth of a dominance standard deviation.
inline constexpr double kDominanceRidge = 0.01;

// Whether the run models dominance: one trait, TIMnumrm 3, inbred founders
// without a founder-relationship block, and not the IBD analysis.
bool tim_dominance_applies(const Par& p, const TimPedigree& ped);

// The individuals that can be heterozygous (1 - F_i above a rounding
// tolerance), ascending.
std::vector<int> dominance_carriers(const TimPedigree& ped);

// Monte Carlo dominance relationships among the carriers (carriers x
// carriers, symmetric): the share of `replicates` gene drops in which the
// two carry the same heterozygous pair of founder genes. `progress` prints a
// line every fifth of the replicates.
void drop_genes(const TimPedigree& ped, const std::vector<int>& carriers, int replicates, Rng& r,
                Table<double>& D, bool progress);

// sum of x[k] y[k] for k in [from, to) (four partial sums, for speed).
double dense_dot(const double* x, const double* y, int from, int to);

// Replaces the leading n x n part of a symmetric positive definite A by its
// inverse (Cholesky). Returns 0, or 1 when A cannot be factored.
int invert_spd(Table<double>& A, int n);

// Groups of two or more carriers with equal rows of D (and D_ii > 0) into
// dom.group_start / dom.group_slots.
void find_identical_groups(const Table<double>& D, TimDominance& dom);

// Set-up: carriers, D by gene dropping, the groups, the ridge and the
// precision. Prints
// progress when the work is large (unless `quiet`).
void build_tim_dominance(const TimPedigree& ped, Rng& r, TimDominance& dom, bool quiet);

// Full conditional of the effect of carrier slot s given the others: normal
// with this precision and mean. `e` is its residual with its effect added
// back (ignored unless phenotyped).
struct DominanceConditional {
    double mean = 0.0;
    double precision = 0.0;
};
DominanceConditional dominance_conditional(const TimDominance& dom, int s, double e, bool phenotyped,
                                           double var_d, double prec_e);

// One Gibbs sweep over the carriers' effects (last to first), then the
// shifts of the identical groups; residuals follow each draw. Nothing when
// the dominance variance is not positive.
void sample_tim_dominance(const Par& p, TimDominance& dom, Phe& ph, Rng& r);

// For every group of identical carriers, one Gibbs draw of a common shift t
// of their effects (d + t v, v = 1 on the group) from its full conditional;
// residuals follow. Exact for any fixed direction; it moves the effects that
// D* ties together, which single-site draws move only slowly.
void shift_identical_groups(const Par& p, TimDominance& dom, Phe& ph, Rng& r);

// d' (D + ridge I)^-1 d over the carriers (gathered into dom.value).
double dominance_quadratic(TimDominance& dom, const Phe& ph);

// Draws sigma_d^2 from its full conditional (scaled inverse chi-square
// with as many degrees of freedom as carriers less two), bounded by twice
// the phenotypic variance; nothing for fewer than 20 carriers.
void sample_tim_dominance_variance(Par& p, TimDominance& dom, const Phe& ph, Rng& r);

}  // namespace vsk
