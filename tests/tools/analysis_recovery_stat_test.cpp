// The analysis finds what the simulator put in: posterior means of the
// residual-model chain on simulated projects land near the simulated truth.
// Simulator and analysis share no sampling code, so agreement here checks
// both.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

using testsupport::program;
using testsupport::run_command;
using testsupport::TempDir;

namespace {

struct ColumnSummary {
    double mean = 0.0;
    double sd = 0.0;
};

// Mean and standard deviation of one column of genpar.out (1-based, as its
// header counts them) over the samples after the first fifth.
ColumnSummary summarise_column(const std::filesystem::path& genpar, int column)
{
    std::ifstream in(genpar);
    std::vector<double> values;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';') continue;
        std::istringstream row(line);
        double v = 0.0;
        for (int c = 1; c <= column && (row >> v); ++c) {
        }
        if (row) values.push_back(v);
    }
    const std::size_t first = values.size() / 5;
    ColumnSummary s;
    const double n = static_cast<double>(values.size() - first);
    for (std::size_t k = first; k < values.size(); ++k) s.mean += values[k] / n;
    for (std::size_t k = first; k < values.size(); ++k) s.sd += (values[k] - s.mean) * (values[k] - s.mean) / n;
    s.sd = std::sqrt(s.sd);
    return s;
}

// One number of the truth file that follows `key` after `anchor`.
double truth_number(const std::string& truth, const std::string& anchor, const std::string& key)
{
    const auto at = truth.find("\"" + key + "\"", truth.find(anchor));
    EXPECT_NE(at, std::string::npos) << key;
    return std::atof(truth.c_str() + truth.find(':', at) + 1);
}

}  // namespace

TEST(SimAnalysisStat, ResidualChainRecoversTheSimulatedVariances)
{
    TempDir dir;
    const auto project = (dir / "p").string();
    const auto sim = run_command(program("voskara_simulate") +
                                 " --preset f2-small --seed 5 --qtl none --polygenic-share 0 --offspring 600"
                                 " --random 8:0.6 --fixed none --param indicQTL=0 --length 3000 --thinning 5 --out " +
                                 project);
    ASSERT_EQ(sim.exit_code, 0) << sim.output;
    const auto run = run_command(program("voskara_console") + " -d " + project);
    ASSERT_EQ(run.exit_code, 0) << run.output;

    const std::string truth = testsupport::read_file(dir / "p" / "truth.json");
    const double mean = truth_number(truth, "\"traits\"", "mean");
    const double residual = truth_number(truth, "\"realised\"", "residual_variance");
    // genpar.out: 03 overall mean, 04 residual variance, last the variance of
    // the random factor.
    const ColumnSummary mu = summarise_column(dir / "p" / "genpar.out", 3);
    const ColumnSummary ve = summarise_column(dir / "p" / "genpar.out", 4);
    const ColumnSummary vr = summarise_column(dir / "p" / "genpar.out", 10);
    EXPECT_NEAR(ve.mean, residual, 3 * ve.sd) << "residual variance";
    EXPECT_LT(ve.sd, 0.15);
    // Eight levels tell little about their variance: only its scale is checked.
    EXPECT_NEAR(vr.mean, 0.6, 3 * vr.sd) << "random-effect variance";
    // The overall mean absorbs the mean of the eight sampled level effects.
    EXPECT_NEAR(mu.mean, mean, 3 * mu.sd + 0.1) << "overall mean";
}
