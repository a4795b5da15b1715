// Eight byte-sized table entries of consecutive individuals in one 64-bit
// word, for the loops over the children of a family: a lane is one byte,
// and a condition holding in a lane sets that lane's high bit, so the number
// of lanes where it holds is a popcount.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace vsk::byte_lanes {

static_assert(std::endian::native == std::endian::little, "lane t is the byte at address t");

inline constexpr int kLanes = 8;
inline constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
inline constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fULL;
inline constexpr std::uint64_t kOnes = 0x0101010101010101ULL;

// Entries p[0 .. n) with n <= 8; lanes past n are 0.
inline std::uint64_t load(const void* p, int n)
{
    std::uint64_t v = 0;
    if (n == kLanes) std::memcpy(&v, p, kLanes);
    else std::memcpy(&v, p, static_cast<std::size_t>(n));
    return v;
}

// High bit of the lanes equal to byte c (exact: no carry between lanes).
inline std::uint64_t equal(std::uint64_t v, int c)
{
    const std::uint64_t x = v ^ (kOnes * static_cast<std::uint8_t>(c));
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// High bit of the lanes where u > v, for bytes below 128 (no lane borrows:
// each lane of v | kHigh is at least 128).
inline std::uint64_t greater(std::uint64_t u, std::uint64_t v) { return ~((v | kHigh) - u) & kHigh; }

// High bit of the lanes whose lowest bit is set.
inline std::uint64_t low_bit(std::uint64_t v) { return (v & kOnes) << 7; }

// Number of lanes with their high bit set (and no other bit): the sum of
// the eight bytes 0 or 1 lands in the top byte of the product.
inline int count(std::uint64_t lanes) { return static_cast<int>(((lanes >> 7) * kOnes) >> 56); }

// Index of the lowest lane with its high bit set (lanes != 0).
inline int first(std::uint64_t lanes) { return std::countr_zero(lanes) / 8; }

}  // namespace vsk::byte_lanes
