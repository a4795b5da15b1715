// Seeding from the parameter file's seed and the next run's seed appended
// to the parameter file.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/numeric/rng.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "support/test_support.h"

namespace {

// Runs NewSeed on a parameter file in a scratch directory, restoring the
// exported names afterwards.
class NewSeedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_dir_ = vsk::project_dirF;
        saved_par_ = vsk::project_parF;
        saved_seed_ = vsk::iseed;
        vsk::project_dirF = dir.str();
        vsk::project_parF = "test.par";
    }
    void TearDown() override
    {
        vsk::project_dirF = saved_dir_;
        vsk::project_parF = saved_par_;
        vsk::iseed = saved_seed_;
        vsk::set_console_stream(nullptr);
    }
    // Runs NewSeed with `seed`; returns the console text.
    std::string run(int seed)
    {
        vsk::iseed = seed;
        testsupport::CapturedStream out;
        vsk::set_console_stream(out.stream());
        vsk::NewSeed();
        vsk::set_console_stream(nullptr);
        return out.text();
    }
    std::string parfile() const { return testsupport::read_file(dir / "test.par"); }

    testsupport::TempDir dir;

private:
    std::string saved_dir_;
    std::string saved_par_;
    int saved_seed_ = 0;
};

// The next seed as derived from an independent generator seeded with {s}.
int expected_next_seed(std::uint32_t s, vsk::Rng& r)
{
    r.seed_by_array(&s, 1);
    const double u1 = r.uniform();
    const double u2 = r.uniform();
    return static_cast<int>(u2 * (u1 * 1e6));
}

TEST_F(NewSeedTest, AppendsNextSeedAndContinuesTheChain)
{
    testsupport::write_file(dir / "test.par", "maximQTL 3\n");
    const std::string console = run(1234);

    vsk::Rng own;
    const int next = expected_next_seed(1234u, own);
    EXPECT_EQ(vsk::iseed, next);
    EXPECT_GE(next, 0);
    EXPECT_LT(next, 1000000);
    // The chain continues from the state after the two draws.
    EXPECT_EQ(vsk::rng().next32(), own.next32());

    char line[64];
    std::snprintf(line, sizeof line, "seed                %-12d  ; generated: ", next);
    const std::string text = parfile();
    EXPECT_EQ(text.rfind(std::string("maximQTL 3\n") + line, 0), 0u) << text;
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\n', 11), text.size() - 1);  // exactly one line appended

    EXPECT_EQ(console.rfind("\n\n" + std::string(79, '-') + "\nSEED PARAMETERS", 0), 0u) << console;
    char written[96];
    std::snprintf(written, sizeof written, "\nseed written to 'test.par' (use next run)  :%20d", next);
    EXPECT_NE(console.find(written), std::string::npos) << console;
    EXPECT_NE(console.find("\nMersenne Twister Random Number Generator"), std::string::npos);
}

TEST_F(NewSeedTest, NegativeSeedUsesItsAbsoluteValue)
{
    testsupport::write_file(dir / "test.par", "");
    run(-123);
    vsk::Rng own;
    EXPECT_EQ(vsk::iseed, expected_next_seed(123u, own));

    run(-2147483647 - 1);  // no positive int counterpart: seeded with 2^31
    EXPECT_EQ(vsk::iseed, expected_next_seed(2147483648u, own));
}

TEST_F(NewSeedTest, SameSeedSameNextSeedAndChain)
{
    testsupport::write_file(dir / "test.par", "");
    run(99);
    const int first = vsk::iseed;
    const std::uint32_t first_draw = vsk::rng().next32();
    run(99);
    EXPECT_EQ(vsk::iseed, first);
    EXPECT_EQ(vsk::rng().next32(), first_draw);
    // Two identical seed lines (the time text is the same with a fixed clock or
    // differs only after "generated:").
    const std::string text = parfile();
    const std::size_t second = text.find("seed", 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(text.substr(0, 34), text.substr(second, 34));
}

TEST_F(NewSeedTest, LastLineWithoutNewlineIsNotJoined)
{
    testsupport::write_file(dir / "test.par", "seed 5");
    run(5);
    const std::string text = parfile();
    EXPECT_EQ(text.rfind("seed 5\nseed                ", 0), 0u) << text;
}

TEST_F(NewSeedTest, UnwritableParameterFileWarnsAndContinues)
{
    vsk::project_dirF = (dir / "missing").string();
    std::string console;
    EXPECT_NO_THROW(console = run(7));
    vsk::Rng own;
    EXPECT_EQ(vsk::iseed, expected_next_seed(7u, own));
    EXPECT_NE(console.find("\nWARNING: unable to append the new seed to 'test.par'"), std::string::npos)
        << console;
    EXPECT_EQ(console.find("seed written to"), std::string::npos);
}

}  // namespace
