// The analysis' single source of randomness: a 32-bit Mersenne Twister
// (MT19937) with the uniform and standard-normal draws every other variate
// is built on. The process owns one instance (rng()); samplers take an Rng&
// so tests can run them on generators of their own.
#pragma once

#include <cstdint>

namespace vsk {

// Set-up constants of Cheng's beta algorithms, kept between calls so that a
// repeated pair of shapes skips the set-up (the draw sequence is unaffected).
struct BetaSetup {
    float olda = -1.0f;  // shapes of the previous call (-1: none yet)
    float oldb = -1.0f;
    float a = 0.0f, b = 0.0f;            // min and max shape
    float alpha = 0.0f, beta = 0.0f;
    float gamma = 0.0f, delta = 0.0f;
    float k1 = 0.0f, k2 = 0.0f;
};

class Rng {
public:
    static constexpr int kStateWords = 624;
    static constexpr std::uint32_t kDefaultSeed = 5489u;

    // Unseeded: the first draw initialises with kDefaultSeed, so an unseeded
    // generator produces the same stream as std::mt19937{}.
    Rng() = default;

    // Standard MT19937 initialisation from one word (init_genrand).
    void seed(std::uint32_t s);
    // Standard MT19937 array seeding (init_by_array): fill from 19650218,
    // then the key-mixing passes. A length below 1 is treated as the one-word
    // key {0} rather than reading outside the key.
    void seed_by_array(const std::uint32_t* key, int length);

    // Next tempered 32-bit output.
    std::uint32_t next32()
    {
        if (index_ >= kStateWords) refill();
        std::uint32_t y = state_[index_++];
        y ^= (y >> 11);
        y ^= (y << 7) & 0x9d2c5680u;
        y ^= (y << 15) & 0xefc60000u;
        y ^= (y >> 18);
        return y;
    }

    // Uniform in the open interval (0, 1): (w + 0.5) * 2^-32.
    double uniform() { return (static_cast<double>(next32()) + 0.5) * 2.3283064365386963e-10; }

    // Standard normal deviate by the polar method in single precision; the
    // second deviate of each pair is cached and returned by the next call
    // without consuming uniforms.
    float normal();

    // State of the beta sampler's set-up cache (see variates.h).
    BetaSetup& beta_setup() { return beta_; }

private:
    // Regenerates the 624 words (initialising with the default seed first
    // when the generator was never seeded).
    void refill();

    std::uint32_t state_[kStateWords] = {};
    int index_ = kStateWords + 1;  // 625: not yet seeded
    bool have_cached_normal_ = false;
    float cached_normal_ = 0.0f;
    BetaSetup beta_;
};

// The process-wide generator used by every analysis step.
Rng& rng();

}  // namespace vsk
