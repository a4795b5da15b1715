// The analysis run as a process on the bundled QTL example with a target
// effective chain size: the chain grows until the target is met (or the user
// maximum stops it), and the finished project post-processes on its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "console/convergence.h"
#include "core/voskara.h"
#include "post/console.h"
#include "post/ruvane.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunResult;

using testsupport::shell_quoted;

// The example project in `dir` with the given keyword values.
void make_project(const fs::path& dir, const std::vector<std::pair<std::string, std::string>>& values)
{
    for (const auto& entry : fs::directory_iterator(testsupport::source_path("examples/qtl")))
        fs::copy_file(entry.path(), dir / entry.path().filename());
    std::string par = testsupport::read_file(dir / "voskara.par");
    for (const auto& [key, value] : values) {
        const std::regex line("(^|\n)" + key + "([ \t]+)[^\n;]*");
        ASSERT_TRUE(std::regex_search(par, line)) << key;
        // Two-digit group numbers: the value may start with a digit.
        par = std::regex_replace(par, line, "$01" + key + "$02" + value + " ");
    }
    testsupport::write_file(dir / "voskara.par", par);
}

RunResult run_program(const std::string& name, const fs::path& dir)
{
    return testsupport::run_command(shell_quoted(testsupport::program(name)) + " -d " + shell_quoted(dir.string()));
}

int count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Iteration number of the last row of genpar.out.
int last_iteration(const fs::path& dir)
{
    const std::string text = testsupport::read_file(dir / "genpar.out");
    return std::stoi(text.substr(text.rfind('\n') + 1));
}

// Lengths announced by the convergence checks, in order.
std::vector<int> announced_lengths(const std::string& output)
{
    std::vector<int> lengths;
    const std::regex increased("No convergence        : Length increased up to ([0-9]+)\n");
    for (std::sregex_iterator it(output.begin(), output.end(), increased), end; it != end; ++it)
        lengths.push_back(std::stoi((*it)[1]));
    return lengths;
}

TEST(ConvergenceRun, ChainGrowsUntilTheTargetIsMet)
{
    testsupport::TempDir dir;
    make_project(dir.path(), {{"length", "2000"}, {"ess", "300"}, {"thinning", "20"}});
    const RunResult run = run_program("voskara_console", dir.path());
    ASSERT_EQ(run.exit_code, 0) << run.output;

    // The first check finds 99 samples: too few to tell, so the chain doubles.
    EXPECT_NE(run.output.find("\n\nCheck MCMC convergence: Target-ESS = 300"), std::string::npos);
    EXPECT_NE(run.output.find("Effective chain size not available: 99 samples"), std::string::npos);
    const std::vector<int> lengths = announced_lengths(run.output);
    ASSERT_GE(lengths.size(), 1u) << run.output;
    EXPECT_EQ(lengths.front(), 4000);
    for (std::size_t k = 1; k < lengths.size(); ++k) EXPECT_GT(lengths[k], lengths[k - 1]);
    EXPECT_EQ(count(run.output, "Check MCMC convergence: Target-ESS = 300"), static_cast<int>(lengths.size()) + 1);
    EXPECT_EQ(count(run.output, "\nConvergence reached   : Stopping MCMC simulation\n"), 1);

    // The chain ran to the last announced length and no further.
    EXPECT_EQ(last_iteration(dir.path()), lengths.back() / 20 * 20);

    // What the final check saw, read again from the finished project.
    testsupport::CapturedStream quiet;
    rvn::set_console_stream(quiet.stream());
    const int ecs = rvn::VoskaraECS(1, dir.str());
    rvn::set_console_stream(nullptr);
    EXPECT_GE(ecs, 270);

    // The end of the QTL analysis post-processes the project.
    EXPECT_NE(run.output.find("CONVERGENCE ISSUES"), std::string::npos);
    EXPECT_NE(run.output.find("POSTERIOR INFERENCE  GENERAL VARIABLES"), std::string::npos);

    // And so does the post-processing program on the finished run.
    const RunResult post = run_program("ruvane_console", dir.path());
    EXPECT_EQ(post.exit_code, 0) << post.output;
    for (const char* part : {"CONVERGENCE ISSUES", "SIMPLE ESTIMATE OF BURN-IN", "EFFECTIVE SAMPLE SIZE (ESS)",
                             "\nmean1       ", "SUMMARY STATISTICS  GENPAR VARIABLES ", "FINISH: "})
        EXPECT_NE(post.output.find(part), std::string::npos) << part;
    EXPECT_NE(post.output.find("\n" + std::string(80, '-') + "\n"), std::string::npos);
}

TEST(ConvergenceRun, UserMaximumEndsAChainThatNeverConverges)
{
    testsupport::TempDir dir;
    make_project(dir.path(), {{"length", "2000"}, {"ess", "1000000"}, {"lengthUDMax", "3000"}, {"thinning", "20"}});
    const RunResult run = run_program("voskara_console", dir.path());
    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_NE(run.output.find("\nNo convergence        : Length increased up to 4000\n"
                              "\nUser-defined maximum chain length (3000) reached!"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(count(run.output, "Convergence reached"), 0);
    EXPECT_EQ(last_iteration(dir.path()), 3000);
}

TEST(ConvergenceRun, ShortChainEndsWithoutPostProcessingAndExitsZero)
{
    // 40 samples: the run summary gets no effective sizes and the
    // post-processing steps aside instead of ending the run.
    testsupport::TempDir dir;
    make_project(dir.path(), {{"length", "800"}, {"ess", "0"}, {"thinning", "20"}});
    const RunResult run = run_program("voskara_console", dir.path());
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(count(run.output, "Check MCMC convergence"), 0);
    EXPECT_NE(run.output.find("Effective chain size not available: 40 samples"), std::string::npos);
    EXPECT_NE(run.output.find("Post-processing skipped"), std::string::npos);
    EXPECT_EQ(run.output.find("CONVERGENCE ISSUES"), std::string::npos);
}

// genpar.out of one trait with `rows` samples: the mean and the residual
// variance vary, every other column is constant.
void write_genpar(const fs::path& dir, int rows)
{
    std::mt19937 gen(3);
    std::normal_distribution<double> z(0.0, 1.0);
    std::string text = "\n;Comments are preceded by semicolon sign";
    char row[160];
    for (int r = 0; r < rows; ++r) {
        std::snprintf(row, sizeof row, "\n %8d %12.3lf  %9.4lf %9.4lf %9.4lf %2d %9.4lf %3d %9.4lf", 10 * (r + 1),
                      -50.0 + z(gen), 10.0 + 0.1 * z(gen), 1.0 + 0.1 * z(gen), 0.0, 0, 0.0, 0, 0.0);
        text += row;
    }
    testsupport::write_file(dir / "genpar.out", text);
}

TEST(ConvergenceTables, RunSummaryGetsTheSizesOfTheVaryingChains)
{
    testsupport::TempDir dir;
    testsupport::CapturedStream quiet;
    rvn::set_console_stream(quiet.stream());
    const std::string saved_dir = vsk::project_dirF;
    const int saved_traits = vsk::par.n_traits;
    vsk::project_dirF = dir.str();
    vsk::par.n_traits = 1;

    write_genpar(dir.path(), 400);
    vsk::fill_effective_chain_sizes();
    EXPECT_EQ(vsk::ECCount, 2);
    ASSERT_GE(vsk::ECNames.size(), 12u);
    ASSERT_GE(vsk::ECSizes.size(), 12u);
    EXPECT_EQ(vsk::ECNames[0], "mean1");
    EXPECT_EQ(vsk::ECNames[1], "vERR11");
    // White noise: sizes near the 400 samples.
    EXPECT_GT(vsk::ECSizes[0], 250);
    EXPECT_GT(vsk::ECSizes[1], 250);
    vsk::free_effective_chain_sizes();
    EXPECT_TRUE(vsk::ECNames.empty());
    EXPECT_TRUE(vsk::ECSizes.empty());

    // Too short a run: no sizes, and the run goes on.
    write_genpar(dir.path(), 30);
    vsk::fill_effective_chain_sizes();
    EXPECT_EQ(vsk::ECCount, 0);
    vsk::free_effective_chain_sizes();

    vsk::project_dirF = saved_dir;
    vsk::par.n_traits = saved_traits;
    rvn::set_console_stream(nullptr);
}

}  // namespace
