// Breeding and genomic values against the simulator's truth: after a short
// QTL analysis of a simulated F2, the estimated genetic values of the
// written individuals correlate highly with their true genetic values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

using testsupport::program;
using testsupport::read_file;
using testsupport::run_command;
using testsupport::TempDir;

namespace {

// True genetic value (trait 1) per individual name from truth.json.
std::map<std::string, double> true_values(const std::string& truth)
{
    std::map<std::string, double> out;
    std::size_t at = truth.find("\"individuals\": [");
    while ((at = truth.find("\"name\": \"", at)) != std::string::npos) {
        at += 9;
        const std::string name = truth.substr(at, truth.find('"', at) - at);
        const std::size_t value = truth.find("\"genetic_value\": [", at);
        if (value == std::string::npos) break;
        out[name] = std::atof(truth.c_str() + value + 18);
    }
    return out;
}

// (name, total) of the rows of "individualsT1.brv" and of "Gbv_Sum_gp.csv".
std::vector<std::pair<std::string, double>> brv_totals(const std::string& text)
{
    std::vector<std::pair<std::string, double>> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream items(line);
        std::vector<std::string> w;
        for (std::string s; items >> s;) w.push_back(s);
        // name, region columns, FPM, TIM, SUMQTR, std_sum, mce_sum
        if (w.size() < 6 || w[0][0] == ';') continue;
        out.emplace_back(w[0], std::atof(w[w.size() - 3].c_str()));
    }
    return out;
}

std::vector<std::pair<std::string, double>> gbv_totals(const std::string& text)
{
    std::vector<std::pair<std::string, double>> out;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);  // header Individual,Trait,Gbv,SD,MCE
    while (std::getline(in, line)) {
        std::stringstream cells(line);
        std::vector<std::string> c;
        for (std::string s; std::getline(cells, s, ',');) c.push_back(s);
        if (c.size() == 5) out.emplace_back(c[0], std::atof(c[2].c_str()));
    }
    return out;
}

double correlation_with_truth(const std::vector<std::pair<std::string, double>>& estimates,
                              const std::map<std::string, double>& truth, int& matched)
{
    std::vector<double> x, y;
    for (const auto& [name, value] : estimates)
        if (auto it = truth.find(name); it != truth.end()) {
            x.push_back(value);
            y.push_back(it->second);
        }
    matched = static_cast<int>(x.size());
    const double n = static_cast<double>(x.size());
    double mx = 0, my = 0, sxy = 0, sxx = 0, syy = 0;
    for (std::size_t k = 0; k < x.size(); ++k) {
        mx += x[k] / n;
        my += y[k] / n;
    }
    for (std::size_t k = 0; k < x.size(); ++k) {
        sxy += (x[k] - mx) * (y[k] - my);
        sxx += (x[k] - mx) * (x[k] - mx);
        syy += (y[k] - my) * (y[k] - my);
    }
    return sxx > 0 && syy > 0 ? sxy / std::sqrt(sxx * syy) : 0.0;
}

}  // namespace

// f2-tiny: 60 F2 plants (and their parents and F1), one QTL explaining 30 %
// of the phenotypic variance; 1,500 sweeps, 150 samples (about 2 s). Over
// seeds 1-6 the correlations run from 0.86 to 0.96.
TEST(BreedingValueRecoveryStat, EstimatedGeneticValuesFollowTheTruth)
{
    for (const char* seed : {"3", "5"}) {
        TempDir dir;
        const auto project = (dir / "p").string();
        const auto sim = run_command(program("voskara_simulate") + " --preset f2-tiny --seed " + seed +
                                     " --param writeGTP=ALL --length 1500 --thinning 10 --out " + project);
        ASSERT_EQ(sim.exit_code, 0) << sim.output;
        const auto run = run_command(program("voskara_console") + " -d " + project);
        ASSERT_EQ(run.exit_code, 0) << run.output;

        const std::map<std::string, double> truth = true_values(read_file(dir / "p" / "truth.json"));
        ASSERT_GE(truth.size(), 60u);
        int matched = 0;
        const double r_brv = correlation_with_truth(brv_totals(read_file(dir / "p" / "individualsT1.brv")), truth,
                                                    matched);
        EXPECT_EQ(matched, static_cast<int>(truth.size())) << "every individual is written";
        const double r_gbv = correlation_with_truth(gbv_totals(read_file(dir / "p" / "Gbv_Sum_gp.csv")), truth,
                                                    matched);
        EXPECT_EQ(matched, static_cast<int>(truth.size()));
        EXPECT_GT(r_brv, 0.8) << "seed " << seed;
        EXPECT_GT(r_gbv, 0.8) << "seed " << seed;
        std::printf("seed %s: r(breeding values, truth) = %.3f, r(genomic values, truth) = %.3f\n", seed, r_brv,
                    r_gbv);
    }
}
