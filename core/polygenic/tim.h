// Internal interface of the infinitesimal model: every individual carries a
// polygenic effect vector u_i over the traits with prior G (x) A, A the
// relationship matrix of the pedigree (outbred individuals, inbred founders,
// selfings and doubled haploids alike; docs/polygenic.md derives the model).
//
// The prior is written as a pedigree recursion
//     u_i = sum_j P_ij u_j + m_i,   m_i ~ N(0, d_i G) independent,
// so that A = L D L' with L = (I - P)^-1 and A^-1 = (I - P)' D^-1 (I - P) is
// sparse. Every step below works on that one recursion.
#pragma once

#include <string>
#include <vector>

#include "core/numeric/linalg.h"
#include "core/numeric/rng.h"
#include "core/state/records.h"
#include "textfile/table.h"

namespace vsk {

// Mendelian sampling variances below this share of G are raised to it, so
// that A stays positive definite (a selfed or doubled offspring of a fully
// inbred line would otherwise copy its parent exactly).
inline constexpr double kMinMendelianVariance = 0.01;

// The pedigree recursion of the infinitesimal model. Individuals are 0-based
// here (individual i of the records is index i - 1).
// How an individual's effect descends from its parents.
enum class TimKind : signed char { Founder, InbredFounder, OneParent, TwoParents, Selfed, DoubledHaploid };

struct TimPedigree {
    int n = 0;
    std::vector<TimKind> kind;
    // Up to two transmitting parents per individual with their path
    // coefficients P_ij: 0.5 per distinct known parent; a selfing or doubled
    // haploid has its one parent with coefficient 1; -1 = none.
    std::vector<int> parent0, parent1;
    std::vector<double> coef0, coef1;
    std::vector<double> inbreeding;   // F_i (exact, used for the Mendelian variances)
    std::vector<double> mendelian;    // d_i, exact
    std::vector<double> precision;    // delta_i = 1 / max(d_i, kMinMendelianVariance)
    std::vector<double> diagonal;     // delta_i + sum over offspring o of delta_o P_oi^2
    std::vector<int> offspring_start; // [n + 1] offspring lists (CSR over offspring)
    std::vector<int> offspring;
    int raised = 0;                   // individuals whose d_i was raised to the floor
    // Related founders (from the founder-relationship file): their effects
    // are jointly N(0, A_FF (x) G) instead of independent. block[s] is the
    // individual of slot s, founder_slot[i] its slot or -1, block_precision
    // = A_FF^-1.
    std::vector<int> block;
    std::vector<int> founder_slot;
    Table<double> block_cov;          // A_FF
    Table<double> block_precision;    // A_FF^-1
    bool use_inbreeding = true;
};

// Builds the recursion from the ordered pedigree (parents precede offspring):
// kinds, parents, inbreeding, Mendelian variances, precisions and offspring
// lists. An INBRED founder is a fully inbred line (F = 1). With
// use_inbreeding false every F is taken as 0 in the Mendelian variances.
void build_tim_pedigree(const std::vector<Obs>& o, bool use_inbreeding, TimPedigree& ped);

// Inbreeding coefficients and Mendelian sampling variances in pedigree
// order (d_i needs the parents' F): the coancestry of two distinct parents by
// the method of Meuwissen and Luo, F_i = sum_j L_ij^2 d_j - 1 over the
// ancestors j of i; the other kinds follow from their parent directly
// (selfing (1 + F_p) / 2, doubled haploid and inbred founder 1, one known
// parent or a founder 0). With use_inbreeding false every F is taken as 0.
void compute_inbreeding(TimPedigree& ped, bool use_inbreeding);

// Makes the founders related: founders[s] (1-based individuals, in the
// order of the relationship matrices) get the relationships A_FF[s][g] and
// the prior precisions Ainv_FF[s][g] (s, g below their size); inbreeding,
// Mendelian variances and precisions are computed again. Founders that are
// not all founders leave the pedigree as it was.
void relate_founders(TimPedigree& ped, const std::vector<int>& founders, const Table<double>& A_FF,
                     const Table<double>& Ainv_FF);

// Precisions delta_i and the diagonal coefficients of A^-1 from the
// Mendelian variances; counts the raised ones.
void compute_precisions(TimPedigree& ped);

// Self-coancestry (1 + F_i) / 2 of individual i from the coefficients; the
// coancestry of two different individuals is not available here and ends the
// run.
double self_coancestry(const TimPedigree& ped, int i, int j);

// "inbrcoef.out": number, name, generation coefficient and F per individual.
void write_inbreeding_file(const std::vector<Obs>& o, const TimPedigree& ped, const std::string& path);

// "NRMai.txt" (A^-1) and "NRMaic.txt" (T with A^-1 = T'T) of the recursion,
// full (mode 1) or as 1-based sparse triplets (mode 2).
void write_relationship_files(const TimPedigree& ped, int mode);

// Working space of the effect sweep, sized once.
struct TimWork {
    Table<double> Rinv, Ginv, C;
    std::vector<double> rhs, w, z, e;
    LinalgWork lin;
};

// Full conditional of u_i given every other effect, the residuals and the
// covariances: precision C (t x t) and right-hand side rhs with mean
// C^-1 rhs. `e` is i's residual with u_i added back.
void tim_conditional(const TimPedigree& ped, const Phe& ph, int i, const double* e, bool phenotyped,
                     const Table<double>& Rinv, const Table<double>& Ginv, int t, Table<double>& C,
                     std::vector<double>& rhs, std::vector<double>& w);

// One Gibbs sweep over every individual's effect (last to first); the
// residuals follow each draw. `routine` names the sampler in the Cholesky
// warning.
void sample_tim_effects(const Par& p, const TimPedigree& ped, const std::vector<Obs>& o, Phe& ph, Rng& r,
                        TimWork& work, const char* routine);

// Sum over individuals of delta_i m_i m_i' with m_i = u_i - sum_j P_ij u_j.
void tim_mendelian_products(const TimPedigree& ped, const Phe& ph, int t, Table<double>& S);

// Draws G from its full conditional (inverse Wishart, diagonals bounded by
// twice the phenotypic variances); nothing for fewer than 20 individuals.
void sample_tim_variance(Par& p, const TimPedigree& ped, const Phe& ph, Rng& r);

// The one place where the infinitesimal effect enters an individual's fit:
// what the residual of trait j of individual row i excludes.
inline double tim_fitted(const Phe& ph, int i, int j) { return ph.infpoleff[i][j]; }

// Infinitesimal dominance effects of one trait in a pedigree of inbred
// lines (tim_dominance*.cpp): the individuals that carry one and the prior
// precision D*^-1 among them.
struct TimDominance {
    bool active = false;
    std::vector<int> carriers;        // 0-based individuals with 1 - F_i > 0, ascending
    Table<double> precision;          // (D + ridge I)^-1 over the carriers, full symmetric
    std::vector<double> value;        // the carriers' effects, gathered for the sweep
    // Carriers identical for dominance (equal rows of D, e.g. sib F1s of two
    // lines), as slot lists: group g is group_slots[group_start[g] ..
    // group_start[g + 1]). Their effects also move together.
    std::vector<int> group_start;
    std::vector<int> group_slots;
};

// The model state of a run and the two modes of the exported step.
struct TimState {
    TimPedigree ped;
    TimWork work;
    TimDominance dom;
    bool ready = false;
};
TimState& tim_state();
void sample_tim(Par& p, const std::vector<Obs>& o, Phe& ph, Rng& r, TimState& s, int mode);

}  // namespace vsk
