// voskara_chains and ruvane_console --chains run as programs on small
// simulated projects.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "post/chain_diagnostics.h"
#include "support/test_support.h"

using testsupport::program;
using testsupport::read_file;
using testsupport::run_command;
using testsupport::TempDir;

namespace fs = std::filesystem;

namespace {

const std::string kFixedDate = "SOURCE_DATE_EPOCH=1700000000 ";

// A tiny F2 project (200 samples with QTL unless `extra` says otherwise).
fs::path simulate(const TempDir& dir, const std::string& name, const std::string& extra = "")
{
    const fs::path out = dir / name;
    const auto r = run_command(program("voskara_simulate") + " --preset f2-tiny --seed 3 --length 1000 --thinning 5 " +
                               extra + " --out " + out.string());
    EXPECT_EQ(r.exit_code, 0) << r.output;
    return out;
}

testsupport::RunResult chains(const fs::path& project, const std::string& args)
{
    return run_command(kFixedDate + program("voskara_chains") + " -d " + project.string() + " " + args);
}

// Every file under `dir`, relative name -> contents.
std::map<std::string, std::string> tree(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) files[fs::relative(e.path(), dir).string()] = read_file(e.path());
    return files;
}

// Column c (0-based among the values after iteration and log-likelihood) of
// genpar.out, rows from `skip` on.
std::vector<double> genpar_column(const fs::path& file, int c, std::size_t skip)
{
    std::ifstream in(file);
    std::string line;
    std::vector<double> x;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';') continue;
        std::istringstream words(line);
        double v = 0;
        for (int k = 0; k < c + 3 && (words >> v); ++k) {
        }
        x.push_back(v);
    }
    if (skip < x.size()) x.erase(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(skip));
    return x;
}

// Running processes whose command line contains `text`.
int processes_mentioning(const std::string& text)
{
    int count = 0;
    for (const auto& e : fs::directory_iterator("/proc")) {
        const std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(e.path() / "cmdline", std::ios::binary);
        std::string cmd((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (char& c : cmd)
            if (c == '\0') c = ' ';
        count += cmd.find(text) != std::string::npos;
    }
    return count;
}

}  // namespace

TEST(ChainsCli, FourChainsAreReproducibleAndTheFirstIsTheSingleRun)
{
    TempDir dir;
    const fs::path a = simulate(dir, "a");
    const fs::path single = simulate(dir, "single");
    const auto ra = chains(a, "-n 4 -j 2");
    ASSERT_EQ(ra.exit_code, 0) << ra.output;
    EXPECT_NE(ra.output.find("chain 4: finished"), std::string::npos) << ra.output;
    EXPECT_NE(ra.output.find("CONVERGENCE: "), std::string::npos) << ra.output;
    const char* const names[] = {"chain_01", "chain_02", "chain_03", "chain_04"};
    std::vector<std::map<std::string, std::string>> first;
    for (const char* chain : names) first.push_back(tree(a / "chains" / chain));

    // Chains of an earlier run are kept unless replaced on purpose; the same
    // project and number of chains then give the same chain directories.
    const auto refused = chains(a, "-n 4");
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_NE(refused.output.find("--overwrite"), std::string::npos);
    ASSERT_EQ(chains(a, "-n 4 --overwrite --no-merge").exit_code, 0);
    for (int k = 0; k < 4; ++k) {
        const auto again = tree(a / "chains" / names[k]);
        ASSERT_GT(first[k].size(), 10u);
        ASSERT_EQ(first[k].size(), again.size()) << names[k];
        for (const auto& [name, text] : first[k]) EXPECT_TRUE(text == again.at(name)) << names[k] << "/" << name;
    }
    // Chain 1 is what the analysis of the project alone gives.
    const auto rs = run_command(kFixedDate + program("voskara_console") + " -d " + single.string());
    ASSERT_EQ(rs.exit_code, 0) << rs.output;
    for (const char* f : {"genpar.out", "iqtl.out"})
        EXPECT_EQ(read_file(a / "chains/chain_01" / f), read_file(single / f)) << f;
    EXPECT_NE(read_file(a / "chains/chain_01/genpar.out"), read_file(a / "chains/chain_02/genpar.out"));
    // Dispersed starts: chain 1 (seed ending in 4) starts without QTL, chain 2 with the most allowed.
    EXPECT_EQ(read_file(a / "chains/chain_01.log").find("(initial)# QTLs"), std::string::npos);
    EXPECT_NE(read_file(a / "chains/chain_02.log").find("(initial)# QTLs :         3"), std::string::npos);

    // The pooled post-processing: its table, verdict and outputs in PROJECT/chains.
    const std::string merge = read_file(a / "chains/merge.log");
    EXPECT_NE(merge.find("CONVERGENCE ACROSS CHAINS"), std::string::npos);
    EXPECT_NE(merge.find("nQTL group 1"), std::string::npos);
    EXPECT_NE(read_file(a / "chains/report.html").find("<section id=\"chains\">"), std::string::npos);
    EXPECT_TRUE(fs::exists(a / "chains/NQTL_PostProb.csv"));

}

TEST(ChainsCli, AFailedChainStopsTheRunWithItsMessage)
{
    TempDir dir;
    const fs::path p = simulate(dir, "p", "--param mapfile=missing.map");
    const auto r = chains(p, "-n 3 -j 1");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.output.find("chain 1 failed with exit code 1"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("mapfile missing.map"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("chain 3: stopped"), std::string::npos) << r.output;
}

TEST(ChainsCli, InterruptStopsEveryChain)
{
    TempDir dir;
    const fs::path p = simulate(dir, "p", "--length 100000000");
    // The run is interrupted after two seconds; `timeout` bounds the test.
    const auto r = run_command("cd " + dir.str() + " && (timeout 60 " + program("voskara_chains") + " -d " +
                               p.string() + " -n 2 --no-merge & pid=$!; sleep 2; kill -INT $pid; wait $pid; echo rc=$?)");
    EXPECT_NE(r.output.find("interrupted; every chain was stopped"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("rc=1"), std::string::npos) << r.output;
    // No analysis of these chains is left running.
    EXPECT_EQ(processes_mentioning((p / "chains").string()), 0);
}

TEST(ChainsCli, PooledPostProcessingNeedsChains)
{
    TempDir dir;
    const fs::path p = simulate(dir, "p");
    const auto r = run_command(program("ruvane_console") + " -d " + p.string() + " --chains");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.output.find("no chain directories"), std::string::npos) << r.output;
}

// Four chains of the residual-only model pooled against one chain four times
// as long: the posterior means of the overall mean and the residual variance
// agree within their Monte Carlo errors.
TEST(ChainsStat, PooledChainsMatchOneLongChain)
{
    TempDir dir;
    const std::string model = "--param indicQTL=0 --thinning 2";
    const fs::path pooled = simulate(dir, "pooled", model + " --length 4000");
    const fs::path longer = simulate(dir, "long", model + " --length 16000");
    ASSERT_EQ(chains(pooled, "-n 4 --no-merge").exit_code, 0);
    ASSERT_EQ(run_command(program("voskara_console") + " -d " + longer.string()).exit_code, 0);
    for (int c : {0, 1}) {  // mean1, vERR11
        rvn::ChainDraws four;
        for (const char* chain : {"chain_01", "chain_02", "chain_03", "chain_04"})
            four.push_back(genpar_column(pooled / "chains" / chain / "genpar.out", c, 200));
        const rvn::ChainDraws one{genpar_column(longer / "genpar.out", c, 200)};
        auto mean_and_se2 = [](const rvn::ChainDraws& d) {
            double s = 0, s2 = 0, n = 0;
            for (const auto& x : d)
                for (double v : x) s += v, s2 += v * v, ++n;
            const double m = s / n;
            return std::pair<double, double>{m, (s2 / n - m * m) / rvn::ess_basic(d)};
        };
        const auto [m4, se4] = mean_and_se2(four);
        const auto [m1, se1] = mean_and_se2(one);
        EXPECT_LT(std::fabs(m4 - m1), 4.0 * std::sqrt(se4 + se1)) << "column " << c << ": " << m4 << " vs " << m1;
        EXPECT_LT(rvn::chain_convergence(four).rhat, 1.01);
    }
}

TEST(ChainsCli, IbdProjectRunsOneTaskPerPosition)
{
    TempDir dir;
    const fs::path p = dir / "ibd";
    fs::copy(testsupport::source_path("examples/ibd"), p, fs::copy_options::recursive);
    const auto r = chains(p, "-n 1 -j 2");
    ASSERT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find("IBD mode: 6 tasks"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("IBD files of 6 positions joined"), std::string::npos) << r.output;
    for (int k = 1; k <= 6; ++k) {
        const std::string log = read_file(p / "chains" / ("chain_0" + std::to_string(k) + ".log"));
        EXPECT_NE(log.find("One position for IBD probabilities"), std::string::npos) << k;
        EXPECT_NE(log.find("(N=1)"), std::string::npos) << k;
    }
}
