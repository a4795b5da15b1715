// MT19937 seeding and refill, and the polar-method normal draw.
#include "core/numeric/rng.h"

#include <cmath>

namespace vsk {

namespace {

constexpr int kShift = 397;  // middle word offset of the recurrence
constexpr std::uint32_t kMatrixA = 0x9908b0dfu;
constexpr std::uint32_t kUpperMask = 0x80000000u;
constexpr std::uint32_t kLowerMask = 0x7fffffffu;
constexpr std::uint32_t kArraySeed = 19650218u;

std::uint32_t twist(std::uint32_t upper, std::uint32_t lower, std::uint32_t middle)
{
    const std::uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
    return middle ^ (y >> 1) ^ ((y & 1u) ? kMatrixA : 0u);
}

}  // namespace

void Rng::seed(std::uint32_t s)
{
    state_[0] = s;
    for (int i = 1; i < kStateWords; ++i) {
        state_[i] = 1812433253u * (state_[i - 1] ^ (state_[i - 1] >> 30)) + static_cast<std::uint32_t>(i);
    }
    index_ = kStateWords;
}

void Rng::seed_by_array(const std::uint32_t* key, int length)
{
    const std::uint32_t zero_key = 0u;
    if (key == nullptr || length < 1) {
        key = &zero_key;
        length = 1;
    }
    seed(kArraySeed);
    int i = 1;
    int j = 0;
    for (int k = (kStateWords > length ? kStateWords : length); k > 0; --k) {
        state_[i] = (state_[i] ^ ((state_[i - 1] ^ (state_[i - 1] >> 30)) * 1664525u)) + key[j] +
                    static_cast<std::uint32_t>(j);
        ++i;
        ++j;
        if (i >= kStateWords) {
            state_[0] = state_[kStateWords - 1];
            i = 1;
        }
        if (j >= length) j = 0;
    }
    for (int k = kStateWords - 1; k > 0; --k) {
        state_[i] = (state_[i] ^ ((state_[i - 1] ^ (state_[i - 1] >> 30)) * 1566083941u)) -
                    static_cast<std::uint32_t>(i);
        ++i;
        if (i >= kStateWords) {
            state_[0] = state_[kStateWords - 1];
            i = 1;
        }
    }
    state_[0] = 0x80000000u;  // non-zero initial state guaranteed
    index_ = kStateWords;
}

void Rng::refill()
{
    if (index_ == kStateWords + 1) seed(kDefaultSeed);
    int k = 0;
    for (; k < kStateWords - kShift; ++k) {
        state_[k] = twist(state_[k], state_[k + 1], state_[k + kShift]);
    }
    for (; k < kStateWords - 1; ++k) {
        state_[k] = twist(state_[k], state_[k + 1], state_[k + kShift - kStateWords]);
    }
    state_[kStateWords - 1] = twist(state_[kStateWords - 1], state_[0], state_[kShift - 1]);
    index_ = 0;
}

float Rng::normal()
{
    if (have_cached_normal_) {
        have_cached_normal_ = false;
        return cached_normal_;
    }
    float x;
    float y;
    float r;
    do {
        x = static_cast<float>(2.0 * uniform() - 1.0);
        y = static_cast<float>(2.0 * uniform() - 1.0);
        r = x * x + y * y;
    } while (r >= 1.0f || r == 0.0f);
    const float f = static_cast<float>(std::sqrt(-2.0 * std::log(static_cast<double>(r)) / r));
    cached_normal_ = f * x;
    have_cached_normal_ = true;
    return f * y;
}

Rng& rng()
{
    static Rng instance;
    return instance;
}

}  // namespace vsk
