// Random numbers of the simulator: a 64-bit Mersenne Twister with hand-written
// distributions, so a seed gives the same project with every standard library.
#pragma once

#include <cstdint>
#include <random>

namespace vsim {

// Independent sub-streams keep one part of a design (say the marker scoring)
// from shifting the draws of another (the pedigree's meioses): changing a
// missing-score rate then leaves every true genotype as it was.
enum class Stream : std::uint64_t {
    Founders = 1,
    Meiosis = 2,
    Pedigree = 3,
    Effects = 4,
    Phenotypes = 5,
    Scoring = 6,
    Markers = 7,
};

class Rng {
public:
    explicit Rng(std::uint64_t seed) : engine_(seed) {}
    Rng(std::uint64_t seed, Stream stream);

    std::uint64_t bits() { return engine_(); }
    // Uniform on [0, 1) with 53 random bits.
    double uniform();
    // Uniform on (0, 1): safe under a logarithm.
    double open_uniform();
    // Uniform integer on 0 .. n-1 (n >= 1), without modulo bias.
    std::uint64_t below(std::uint64_t n);
    bool bernoulli(double p) { return uniform() < p; }
    // Standard normal deviate (Marsaglia's polar method, pairs cached).
    double normal();
    // Exponential deviate of the given mean.
    double exponential(double mean);
    // Index drawn from unnormalised weights (at least one positive).
    template <class Weights>
    std::size_t categorical(const Weights& weights);

private:
    std::mt19937_64 engine_;
    bool has_spare_ = false;
    double spare_ = 0.0;
};

template <class Weights>
std::size_t Rng::categorical(const Weights& weights)
{
    double total = 0.0;
    for (double w : weights) total += w;
    double target = uniform() * total;
    std::size_t last_positive = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        if (weights[i] <= 0.0) continue;
        last_positive = i;
        if (target < weights[i]) return i;
        target -= weights[i];
    }
    return last_positive;  // rounding left a sliver past the end
}

}  // namespace vsim
