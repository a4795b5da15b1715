// Command line of the analysis program: option pairs, defaults, usage errors
// and the move into the project directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "console/command_line.h"
#include "console_capture.h"
#include "textfile/fatal.h"

namespace {

using driver_test::ConsoleCapture;

vsk::CommandLine parse(std::vector<const char*> words)
{
    vsk::CommandLine line;
    line.project_dir = "start";
    words.insert(words.begin(), "voskara_console");
    vsk::parse_command_line(static_cast<int>(words.size()), words.data(), line);
    return line;
}

// Runs a parse that must fail and returns what it printed.
std::string usage_error(std::vector<const char*> words)
{
    ConsoleCapture capture;
    EXPECT_THROW(parse(std::move(words)), vsk::FatalExit);
    return capture.text();
}

TEST(CommandLine, NoArgumentsKeepTheDefaults)
{
    vsk::CommandLine line = parse({});
    EXPECT_EQ(line.project_dir, "start");
    EXPECT_EQ(line.par_file, "voskara.par");
}

TEST(CommandLine, PairOrderDoesNotMatter)
{
    vsk::CommandLine a = parse({"-p", "other.par", "-d", "somewhere"});
    vsk::CommandLine b = parse({"-d", "somewhere", "-p", "other.par"});
    EXPECT_EQ(a.project_dir, "somewhere");
    EXPECT_EQ(a.par_file, "other.par");
    EXPECT_EQ(b.project_dir, a.project_dir);
    EXPECT_EQ(b.par_file, a.par_file);
}

TEST(CommandLine, CapitalLettersLongWordsAndLaterPairs)
{
    vsk::CommandLine line = parse({"-D", "first", "-P", "x.par", "-dir", "second"});
    EXPECT_EQ(line.project_dir, "second");
    EXPECT_EQ(line.par_file, "x.par");
}

TEST(CommandLine, UnknownOptionPrintsUsageWithInvocationName)
{
    std::string text = usage_error({"-x", "value"});
    EXPECT_EQ(text, "\nUsage: voskara_console [-d working_directory] [-p parameter_file]\n");
}

TEST(CommandLine, MalformedWordsAreUsageErrors)
{
    EXPECT_NE(usage_error({"d", "somewhere"}).find("Usage:"), std::string::npos);   // no dash
    EXPECT_NE(usage_error({"-", "somewhere"}).find("Usage:"), std::string::npos);   // no letter
    EXPECT_NE(usage_error({"-d"}).find("Usage:"), std::string::npos);               // dangling option
    EXPECT_NE(usage_error({"-d", "a", "-p"}).find("Usage:"), std::string::npos);    // dangling after a pair
}

TEST(CommandLine, OverlongNamesAreRefused)
{
    const std::string at_limit(vsk::kMaxNameLength, 'a');
    EXPECT_EQ(parse({"-d", at_limit.c_str()}).project_dir, at_limit);
    const std::string too_long(vsk::kMaxNameLength + 1, 'a');
    std::string text = usage_error({"-p", too_long.c_str()});
    EXPECT_NE(text.find("name too long (260 characters, at most 259"), std::string::npos) << text;
    EXPECT_NE(usage_error({"-d", too_long.c_str()}).find("directory name too long"), std::string::npos);
}

TEST(CommandLine, EnteringAMissingDirectoryFails)
{
    testsupport::TempDir dir;
    testsupport::ScopedCwd keep(dir.path());
    ConsoleCapture capture;
    const std::string missing = (dir / "missing").string();
    EXPECT_THROW(vsk::enter_project_directory(missing), vsk::FatalExit);
    EXPECT_EQ(capture.text(), "Unable to locate the directory: " + missing + "\n");
}

TEST(CommandLine, RelativeDirectoryBecomesAbsolute)
{
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir / "project");
    testsupport::ScopedCwd keep(dir.path());
    const std::string entered = vsk::enter_project_directory("project/");
    EXPECT_EQ(std::filesystem::path(entered), std::filesystem::absolute(dir / "project"));
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), dir / "project"));
}

TEST(CommandLine, DotDotAfterALinkNamesTheDirectoryEntered)
{
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir / "real" / "project");
    std::filesystem::create_directory_symlink(dir / "real" / "project", dir / "link");
    testsupport::ScopedCwd keep(dir.path());
    // Lexically "link/.." is the temporary directory itself; chdir follows
    // the link and lands in "real".
    const std::string entered = vsk::enter_project_directory("link/..");
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), dir / "real"));
    EXPECT_TRUE(std::filesystem::equivalent(entered, dir / "real")) << entered;
    EXPECT_TRUE(std::filesystem::path(entered).is_absolute()) << entered;
}

}  // namespace
