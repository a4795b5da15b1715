// The Slurm job array of voskara_chains on a single-node Slurm started for
// the test (tools/slurm_single_node.sh): the same chains and pooled result
// as the run on this machine.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/test_support.h"

using testsupport::program;
using testsupport::read_file;
using testsupport::run_command;
using testsupport::TempDir;

namespace fs = std::filesystem;

namespace {

constexpr int kSkipCode = 77;      // the script's "cannot be started here"
constexpr int kTimedOut = 124;     // timeout(1)
constexpr int kJobWaitSeconds = 240;

class SingleNodeSlurm {
public:
    explicit SingleNodeSlurm(fs::path dir) : dir_(std::move(dir))
    {
        result_ = run_command("timeout 900 sh " + script() + " start " + dir_.string());
    }
    ~SingleNodeSlurm() { run_command("timeout 120 sh " + script() + " stop " + dir_.string()); }
    SingleNodeSlurm(const SingleNodeSlurm&) = delete;
    SingleNodeSlurm& operator=(const SingleNodeSlurm&) = delete;
    bool unavailable() const { return result_.exit_code == kSkipCode || result_.exit_code == kTimedOut; }
    const testsupport::RunResult& start() const { return result_; }
    std::string conf() const { return (dir_ / "slurm.conf").string(); }

private:
    static std::string script() { return testsupport::source_path("tools/slurm_single_node.sh").string(); }
    fs::path dir_;
    testsupport::RunResult result_;
};

fs::path simulate(const TempDir& dir, const std::string& name)
{
    const fs::path out = dir / name;
    const auto r = run_command(program("voskara_simulate") + " --preset f2-tiny --seed 8 --length 1000 --thinning 5 --out " +
                               out.string());
    EXPECT_EQ(r.exit_code, 0) << r.output;
    return out;
}

bool merge_finished(const fs::path& root)
{
    const fs::path log = root / "merge.log";
    return fs::exists(log) && read_file(log).find("FINISH") != std::string::npos;
}

}  // namespace

TEST(ChainsSlurmCli, JobArrayGivesTheChainsAndPooledResultOfALocalRun)
{
    TempDir dir;
    SingleNodeSlurm slurm(dir / "cluster");
    if (slurm.unavailable()) GTEST_SKIP() << "no single-node Slurm here: " << slurm.start().output;
    ASSERT_EQ(slurm.start().exit_code, 0) << slurm.start().output;

    const std::string env = "SOURCE_DATE_EPOCH=1700000000 SLURM_CONF=" + slurm.conf() + " ";
    const fs::path here = simulate(dir, "here");
    const fs::path there = simulate(dir, "there");
    const auto local = run_command(env + program("voskara_chains") + " -d " + here.string() + " -n 3");
    ASSERT_EQ(local.exit_code, 0) << local.output;
    const auto submitted = run_command(env + program("voskara_chains") + " -d " + there.string() + " -n 3 --submit");
    ASSERT_EQ(submitted.exit_code, 0) << submitted.output;
    EXPECT_NE(submitted.output.find("merge: job"), std::string::npos) << submitted.output;

    const fs::path root = there / "chains";
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(kJobWaitSeconds);
    while (!merge_finished(root) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(merge_finished(root)) << run_command(env + "squeue; cat " + root.string() + "/*.log").output;

    for (const char* chain : {"chain_01", "chain_02", "chain_03"})
        for (const char* file : {"genpar.out", "iqtl.out", "voskara.par", "NQTL_PostProb.csv"})
            EXPECT_EQ(read_file(root / chain / file), read_file(here / "chains" / chain / file)) << chain << "/" << file;
    for (const char* file : {"NQTL_PostProb.csv", "NQTL_BayesFac.csv", "C1mpd.asc"})
        EXPECT_EQ(read_file(root / file), read_file(here / "chains" / file)) << file;
    const std::string merge = read_file(root / "merge.log");
    EXPECT_NE(merge.find("CONVERGENCE: "), std::string::npos);
}
