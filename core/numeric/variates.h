// Random variates built on the uniform draw (gamma of integer order,
// chi-square, beta) and discrete draws from weight vectors. Invalid shape
// arguments print their message and end the process through fatal_exit(1).
#pragma once

#include "core/numeric/rng.h"

namespace vsk {

// Gamma(a, 1) deviate of integer order a (a >= 1; a < 1 is fatal with
// "Error in routine gamdev" on the console stream).
float gamma_int(Rng& r, int a);

// Chi-square deviate: 2 * gamma_int(floor(d / 2)). d <= 0 is fatal (message
// on standard error); 0 < d < 2 is fatal through the gamma check.
float chi_square(Rng& r, float d);

// Beta(a, b) deviate, Cheng's BB (both shapes above 1) or BC algorithm in
// single precision. The set-up constants of the last shapes are kept in the
// generator's BetaSetup. A shape below 1e-37 is fatal (message on standard
// error).
float beta(Rng& r, float a, float b);

// Index drawn with probability proportional to w[0..n-1] given the uniform u;
// w is normalised in place. Returns -1 when the total weight is not positive.
int sample_discrete(double* w, int n, double u);

// Index drawn with probability proportional to exp(l[i]) given the uniform u;
// l is replaced by the normalised probabilities. Returns 0 when all weights
// vanish.
int sample_discrete_log(double* l, int n, double u);

}  // namespace vsk
