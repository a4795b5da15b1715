// Reproducible seeds of several chains from one project seed.
#include "tools/chains/seeds.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "textfile/textfile.h"

namespace vch {

namespace {

constexpr long kDefaultSeed = -123;  // the analysis's seed without a seed line
constexpr std::uint64_t kSeedRange = 100000000;  // 10^8 bases, times ten plus the start digit

// SplitMix64 finaliser: a bijective mix of the 64 bits.
std::uint64_t mix(std::uint64_t z)
{
    z += 0x9e3779b97f4a7c15ull;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

}  // namespace

long project_seed(const std::string& par_path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(par_path, ec)) return kDefaultSeed;
    std::string value;
    if (vsk::getpatternvalue("seed", par_path, value) < 1) return kDefaultSeed;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(value.c_str(), &end, 10);
    if (errno != 0 || end == value.c_str()) return kDefaultSeed;
    return v;
}

bool starts_without_qtl(long seed)
{
    const long d = seed % 10;
    return d >= -4 && d <= 4;
}

long chain_seed(long seed, int k)
{
    if (k <= 1) return seed;
    const bool first_start = starts_without_qtl(seed);
    const bool zero = (k % 2 == 1) ? first_start : !first_start;
    const std::uint64_t h = mix(mix(static_cast<std::uint64_t>(seed)) ^ static_cast<std::uint64_t>(k));
    return static_cast<long>(h % kSeedRange) * 10 + (zero ? 4 : 9);
}

}  // namespace vch
