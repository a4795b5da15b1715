// Seeds of the chains of a project. Chain 1 keeps the project's own seed, so
// it is the chain a single run of the project gives; every later chain gets a
// seed derived from the project's seed and its number, whose last digit
// makes the chains alternate between the two starts the analysis knows: no
// QTL (last digit 0 to 4) and the largest number allowed (5 to 9).
#pragma once

#include <string>

namespace vch {

// The seed the analysis would use: the value of the parameter file's last
// "seed" line, or the analysis's default when there is none or it is not a
// whole number.
long project_seed(const std::string& par_path);

// Whether a seed starts the chain without QTL (the analysis's rule on its
// last digit, sign included).
bool starts_without_qtl(long seed);

// Seed of chain k (1-based) of a project whose seed is `seed`: `seed` itself
// for k = 1; otherwise a positive number below 10^9 that depends only on
// `seed` and k and starts like chain 1 for odd k and the other way for even k.
long chain_seed(long seed, int k);

}  // namespace vch
