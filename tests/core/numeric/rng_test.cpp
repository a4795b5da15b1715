// Mersenne Twister stream against published reference outputs and the
// standard library, the uniform mapping, and the paired normal draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "core/numeric/rng.h"
#include "numeric_test_support.h"

namespace {

using vsk::Rng;

TEST(RngStream, ArraySeedMatchesPublishedReferenceOutputs)
{
    const std::uint32_t key[] = {0x123, 0x234, 0x345, 0x456};
    Rng r;
    r.seed_by_array(key, 4);
    const std::uint32_t expected[] = {1067595299u, 955945823u,  477289528u, 4107218783u,
                                      4228976476u, 3344332714u, 3355579695u, 227628506u,
                                      810200273u,  2591290167u};
    for (std::uint32_t e : expected) EXPECT_EQ(r.next32(), e);
}

TEST(RngStream, UnseededEqualsDefaultSeededStandardGenerator)
{
    Rng r;
    std::mt19937 ref;  // default seed 5489
    for (int i = 0; i < 3000; ++i) ASSERT_EQ(r.next32(), ref()) << "draw " << i;
}

TEST(RngStream, SeedEqualsStandardGeneratorSeed)
{
    for (std::uint32_t s : {0u, 1u, 123u, 4294967295u}) {
        Rng r;
        r.seed(s);
        std::mt19937 ref(s);
        for (int i = 0; i < 1500; ++i) ASSERT_EQ(r.next32(), ref()) << "seed " << s << " draw " << i;
    }
}

TEST(RngStream, SameArraySeedSameStreamAndReseedRestarts)
{
    const std::uint32_t key = 1234u;
    Rng a;
    Rng b;
    a.seed_by_array(&key, 1);
    b.seed_by_array(&key, 1);
    std::vector<std::uint32_t> first;
    for (int i = 0; i < 2000; ++i) {
        first.push_back(a.next32());
        ASSERT_EQ(first.back(), b.next32());
    }
    a.seed_by_array(&key, 1);
    for (int i = 0; i < 2000; ++i) ASSERT_EQ(a.next32(), first[static_cast<std::size_t>(i)]);

    const std::uint32_t other = 1235u;
    b.seed_by_array(&other, 1);
    int equal = 0;
    for (int i = 0; i < 100; ++i) equal += b.next32() == first[static_cast<std::size_t>(i)];
    EXPECT_LT(equal, 3);
}

TEST(RngStream, EmptyKeyIsSeededAsZeroKey)
{
    const std::uint32_t zero = 0u;
    Rng a;
    Rng b;
    a.seed_by_array(nullptr, 0);
    b.seed_by_array(&zero, 1);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(a.next32(), b.next32());
}

TEST(RngUniform, IsWordPlusHalfTimesTwoToMinus32)
{
    Rng a;
    Rng b;
    for (int i = 0; i < 1000; ++i) {
        const double expected = (static_cast<double>(b.next32()) + 0.5) / 4294967296.0;
        ASSERT_EQ(a.uniform(), expected);
    }
    // The extreme words map strictly inside (0, 1).
    EXPECT_GT((0.0 + 0.5) * 2.3283064365386963e-10, 0.0);
    EXPECT_LT((4294967295.0 + 0.5) * 2.3283064365386963e-10, 1.0);
}

TEST(RngNormal, SecondOfPairIsCachedWithoutConsumingUniforms)
{
    Rng r;
    r.seed(77u);
    for (int pair = 0; pair < 200; ++pair) {
        // Replay the polar draw on a copy to know the pair in advance.
        Rng replay = r;
        float x;
        float y;
        float rr;
        do {
            x = static_cast<float>(2.0 * replay.uniform() - 1.0);
            y = static_cast<float>(2.0 * replay.uniform() - 1.0);
            rr = x * x + y * y;
        } while (rr >= 1.0f || rr == 0.0f);
        const float f = static_cast<float>(std::sqrt(-2.0 * std::log(static_cast<double>(rr)) / rr));

        ASSERT_EQ(r.normal(), f * y);
        Rng after_first = r;
        ASSERT_EQ(r.normal(), f * x);
        // The cached value consumed nothing.
        ASSERT_EQ(r.next32(), after_first.next32());
    }
}

TEST(RngStatNormal, FollowsStandardNormal)
{
    Rng r;
    r.seed(2024u);
    const std::size_t n = 20000;
    std::vector<double> sample(n);
    double sum = 0.0;
    for (double& v : sample) {
        v = r.normal();
        sum += v;
    }
    const double d = numtest::ks_distance(sample, [](double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); });
    EXPECT_LT(d, numtest::ks_critical(n));
    EXPECT_NEAR(sum / static_cast<double>(n), 0.0, 5.0 / std::sqrt(static_cast<double>(n)));
}

TEST(RngProcess, SingleInstance)
{
    EXPECT_EQ(&vsk::rng(), &vsk::rng());
}

}  // namespace
