// The infinitesimal model from the command line on simulated projects
// without QTL: the polygenic variance of an outbred population is recovered,
// and inbred lines run through to their inbreeding coefficients and samples.
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

// Rows of a sample or result file that are not comments, split in numbers
// (names are skipped).
std::vector<std::vector<std::string>> rows_of(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == ';') continue;
        std::istringstream s(line);
        std::vector<std::string> words;
        for (std::string w; s >> w;) words.push_back(w);
        rows.push_back(words);
    }
    return rows;
}

struct Summary {
    double mean = 0.0, sd = 0.0;
};

// Column (1-based) of genpar.out over the samples after the first fifth.
Summary summarise(const std::filesystem::path& genpar, int column)
{
    std::vector<double> v;
    for (const auto& r : rows_of(genpar)) v.push_back(std::stod(r.at(column - 1)));
    Summary s;
    const std::size_t first = v.size() / 5;
    const double n = static_cast<double>(v.size() - first);
    for (std::size_t k = first; k < v.size(); ++k) s.mean += v[k] / n;
    for (std::size_t k = first; k < v.size(); ++k) s.sd += (v[k] - s.mean) * (v[k] - s.mean) / n;
    s.sd = std::sqrt(s.sd);
    return s;
}

double truth_number(const std::string& truth, const std::string& anchor, const std::string& key)
{
    const auto at = truth.find("\"" + key + "\"", truth.find(anchor));
    EXPECT_NE(at, std::string::npos) << key;
    return std::atof(truth.c_str() + truth.find(':', at) + 1);
}

std::string simulate_and_run(const TempDir& dir, const std::string& settings)
{
    const auto project = (dir / "p").string();
    const auto sim = run_command(program("voskara_simulate") + " " + settings +
                                 " --qtl none --param indicQTL=0 --param indicTIM=1 --param TIMnumrm=1 --out " +
                                 project);
    EXPECT_EQ(sim.exit_code, 0) << sim.output;
    const auto run = run_command(program("voskara_console") + " -d " + project);
    EXPECT_EQ(run.exit_code, 0) << run.output;
    return run.output;
}

}  // namespace

TEST(TimAnalysisStat, OutbredPolygenicVarianceRecovered)
{
    TempDir dir;
    simulate_and_run(dir, "--preset outbred-medium --seed 5 --polygenic-share 0.3 --length 3000 --thinning 5"
                          " --param writeGTP=ALL");
    const std::string truth = testsupport::read_file(dir / "p" / "truth.json");
    const double realised = truth_number(truth, "\"realised\"", "polygenic_variance");
    // genpar.out: 04 residual variance, 05 polygenic variance.
    const Summary g = summarise(dir / "p" / "genpar.out", 5);
    EXPECT_NEAR(g.mean, realised, 2 * g.sd) << "polygenic variance";
    EXPECT_LT(g.sd, 0.15);
    // One tim.out row per sample with every individual's effect; one
    // inbrcoef.out row per individual.
    const auto tim = rows_of(dir / "p" / "tim.out");
    const auto inbr = rows_of(dir / "p" / "inbrcoef.out");
    EXPECT_EQ(tim.size(), 600u);
    EXPECT_EQ(tim.front().size(), inbr.size());
    EXPECT_EQ(inbr.size(), 1450u);
}

TEST(TimEndToEnd, InbredLinesRunWithTheirInbreeding)
{
    TempDir dir;
    const std::string out =
        simulate_and_run(dir, "--preset ril --seed 2 --polygenic-share 0.3 --length 200 --thinning 5");
    // F1 of two inbred lines: no Mendelian variance, raised with the message.
    EXPECT_NE(out.find("Now use modified Cholesky (=increase diagonals)"), std::string::npos);
    EXPECT_NE(out.find("TIM: included"), std::string::npos);
    int lines = 0;
    for (const auto& r : rows_of(dir / "p" / "inbrcoef.out")) {
        const double f = std::stod(r.at(3));
        if (r.at(1) == "P1") {
            EXPECT_EQ(f, 1.0);
        }
        if (r.at(1) == "F1_1") {
            EXPECT_EQ(f, 0.0);
        }
        if (r.at(1).rfind("RIL_", 0) == 0 && r.at(1).find("_S") == std::string::npos) {
            EXPECT_NEAR(f, 0.9844, 1e-4);  // six selfings: 1 - 2^-6
            ++lines;
        }
    }
    EXPECT_EQ(lines, 150);
    EXPECT_EQ(rows_of(dir / "p" / "genpar.out").size(), 40u);
}
