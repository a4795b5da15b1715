// Segregation check internals: transmission and genotype probabilities of one
// individual at one locus given its parents, offspring and mates, and the
// evaluation of one genotype (MENU codes, completion, status).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/markers/marker_data.h"

namespace vsk {

inline constexpr double kAcceptProb = 0.001;      // a genotype above it is plausible
inline constexpr double kImputeProb = 0.975;      // a completion above it is taken
inline constexpr double kInbredHomProb = 0.51;    // completion with a second-parent code
inline constexpr double kProbFloor = 1e-240;      // before taking logarithms
inline constexpr double kDistortionRatio = 100.0;
inline constexpr int kDistortionMinOffspring = 11;
inline constexpr double kDistortionMinHet = 1e-100;

// What the probabilities of one locus depend on.
struct LocusModel {
    int n = 0;               // allele codes; the null allele, if any, is code n
    bool has_null = false;   // putative or confirmed null at the locus
    double eps = 0.0;        // MSegAlpha: probability of a non-Mendelian transmission
};

LocusModel locus_model(const Par& p, const Mrkrlcs& m);

// Probability that a parent with current codes (x, y) passes code c (1..n),
// averaged over its missing alleles and the readings of its null alleles.
double transmit_half(const LocusModel& m, int x, int y, int c);
// T(c1, c2 | (x1, y1), (x2, y2)) computed directly from its definition: the
// mean over every reading of the product form (the test oracle).
double transmission_slow(const LocusModel& m, int c1, int c2, int x1, int y1, int x2, int y2);

// Calls f(o) for every offspring of individual i (1-based), each once.
template <class F>
void for_each_offspring(const std::vector<Obs>& obs, int i, F f)
{
    for (int o = obs[static_cast<std::size_t>(i - 1)].pfP; o > 0; o = obs[static_cast<std::size_t>(o - 1)].pSb) f(o);
    for (int o = obs[static_cast<std::size_t>(i - 1)].mfP; o > 0; o = obs[static_cast<std::size_t>(o - 1)].mSb)
        if (obs[static_cast<std::size_t>(o - 1)].fat != i) f(o);
}

// The pedigree as the check walks it, compact and built once: parents,
// offspring (each once) with their other parent, in individual order.
struct Kin {
    std::vector<int> fat, mot, mot_gen;   // [n + 1], as in obs
    std::vector<int> first;               // [n + 2] start of each individual's offspring in `child`
    std::vector<int> child;               // offspring
    std::vector<int> mate;                // other parent of that offspring; kSelfMate for a selfing
    std::vector<char> checked;            // [n + 1] has a known first parent or offspring
};
inline constexpr int kSelfMate = -1;

Kin build_kin(const std::vector<Obs>& obs, int n);

// Genotype probabilities P[(a-1)*n + (b-1)] of individual i at locus k for
// a received from the first parent and b from the second. Returns the number
// of informative offspring. Distortion lines go to `log` when not null.
int genotype_probability(MarkerData& d, const Kin& kin, int k, int i, const LocusModel& m, std::vector<double>& P,
                         std::FILE* log);

// Outcome of checking one genotype in one pass.
struct Evaluation {
    int M = 0, E = 0, N = 0, U = 0;
    double p = 1.0;          // probability behind a putative deletion (M < 3, E != 0)
    bool modified = false;   // the genotype was replaced by its completion
    std::string text;        // its lines in marker.log for this pass (may be empty)
};

// Checks genotype of individual i at locus k in a pass of stage `stage`:
// computes P and the MENU codes, applies completion and status rules.
Evaluation evaluate_genotype(MarkerData& d, const Kin& kin, int k, int i, int stage, const LocusModel& m,
                             std::vector<double>& P, std::FILE* log);

// The check with every individual evaluated in every pass (true), the slow
// form that the incremental one must reproduce exactly.
void check_marker_segregation(MarkerData& d, int stage, bool every_pass_in_full);

// Log sections of the check.
void log_check_legend(std::FILE* f, const Par& p, int stage);
void log_locus_header(std::FILE* f, const Mrkrlcs& m, int k);

}  // namespace vsk
