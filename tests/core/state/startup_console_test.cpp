// Redirection of the library's console stream by a host.
#include <gtest/gtest.h>

#include <string>

#include "core/state/console.h"
#include "core/voskara.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

class ConsoleFileTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        vsk::close_console_file();
        vsk::set_console_stream(nullptr);
    }
    testsupport::TempDir dir;
};

TEST_F(ConsoleFileTest, MissingDirectoryLeavesTheConsoleOnStandardOutput)
{
    const std::string path = (dir / "no-such-dir" / "console.log").string();
    testing::internal::CaptureStdout();
    vsk::set_voskaradll_console_fp(path);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "unable to open: " + path + " as console output.\n");
    EXPECT_EQ(vsk::console(), stdout);
}

TEST_F(ConsoleFileTest, ConsoleFileIsAppendedWithAHeading)
{
    const auto path = dir / "console.log";
    testsupport::write_file(path, "earlier run\n");
    vsk::set_voskaradll_console_fp(path.string());
    vsk::cprint("\nmessage %d", 1);
    EXPECT_NE(vsk::console(), stdout);
    vsk::close_console_file();
    EXPECT_EQ(vsk::console(), stdout);

    EXPECT_EQ(testsupport::read_file(path),
              "earlier run\n"
              "\n---------------------------------------------\n"
              "appending to voskara_dll console output file:\n"
              "---------------------------------------------\n\n"
              "\nmessage 1");
}

TEST_F(ConsoleFileTest, SetConsoleFileReportsWhetherItOpened)
{
    const auto path = dir / "host.log";
    EXPECT_EQ(vsk::set_console_file(path.string()), 0);
    vsk::cprint("first");
    // A second file replaces (and closes) the first.
    const auto other = dir / "other.log";
    EXPECT_EQ(vsk::set_console_file(other.string()), 0);
    vsk::cprint("second");
    EXPECT_EQ(testsupport::read_file(path), "first");
    EXPECT_EQ(testsupport::read_file(other), "second");

    // An unopenable path keeps the current console stream.
    std::FILE* current = vsk::console();
    EXPECT_EQ(vsk::set_console_file((dir / "missing" / "x.log").string()), -1);
    EXPECT_EQ(vsk::console(), current);

    vsk::close_console_file();
    EXPECT_EQ(vsk::console(), stdout);
    vsk::close_console_file();  // nothing left to close
    EXPECT_EQ(vsk::console(), stdout);
}

}  // namespace

namespace {

// Start-up chooses standard output as the console before it reads the
// parameter file, so even the missing-file report reaches the user.
TEST(StartupConsole, StandardOutputBecomesTheConsoleBeforeTheParameterFileIsRead)
{
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.path());
    vsk::set_console_stream(nullptr);
    ASSERT_FALSE(vsk::console_chosen());
    vsk::project_dirF = dir.str();
    testing::internal::CaptureStdout();
    EXPECT_THROW(vsk::InitGlobalVariables(), vsk::FatalExit);
    std::string out = testing::internal::GetCapturedStdout();
    vsk::project_dirF.clear();
    EXPECT_TRUE(vsk::console_chosen());
    EXPECT_EQ(vsk::console(), stdout);
    EXPECT_EQ(out.rfind("\nERROR! Cannot find parameter file!", 0), 0u) << out;
    vsk::FreeGlobalVariables();
    vsk::par = vsk::Par{};
    vsk::set_console_stream(nullptr);
}

}  // namespace
