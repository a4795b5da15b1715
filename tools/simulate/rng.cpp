// Hand-written distributions over std::mt19937_64, whose raw output the
// language standard fixes; the library's own distributions are not fixed.
#include "tools/simulate/rng.h"

#include <cmath>

namespace vsim {

namespace {

// SplitMix64 finaliser: spreads (seed, stream) pairs over unrelated states.
std::uint64_t mix(std::uint64_t z)
{
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

constexpr double kTwoToMinus53 = 1.0 / 9007199254740992.0;

}  // namespace

Rng::Rng(std::uint64_t seed, Stream stream)
    : engine_(mix(mix(seed) ^ static_cast<std::uint64_t>(stream)))
{
}

double Rng::uniform() { return static_cast<double>(engine_() >> 11) * kTwoToMinus53; }

double Rng::open_uniform()
{
    return (static_cast<double>(engine_() >> 11) + 0.5) * kTwoToMinus53;
}

std::uint64_t Rng::below(std::uint64_t n)
{
    if (n <= 1) return 0;
    // Reject the top partial block of the 64-bit range.
    const std::uint64_t limit = ~std::uint64_t{0} - (~std::uint64_t{0} % n);
    std::uint64_t x;
    do {
        x = engine_();
    } while (x >= limit);
    return x % n;
}

double Rng::normal()
{
    if (has_spare_) {
        has_spare_ = false;
        return spare_;
    }
    double x, y, r;
    do {
        x = 2.0 * uniform() - 1.0;
        y = 2.0 * uniform() - 1.0;
        r = x * x + y * y;
    } while (r <= 0.0 || r >= 1.0);
    const double f = std::sqrt(-2.0 * std::log(r) / r);
    spare_ = f * x;
    has_spare_ = true;
    return f * y;
}

double Rng::exponential(double mean) { return -mean * std::log(open_uniform()); }

}  // namespace vsim
