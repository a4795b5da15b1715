// The QTL phase samples from the analysis to the post-processing: an outbred
// run writes "phase.out" rows that ruvane_console reads back into
// "Qhaplotypes.csv" for a phased region.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::run_program_in;

std::vector<std::string> words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}

TEST(QtlPhaseCli, PhaseSamplesOfAnOutbredRunBecomeQtlHaplotypes)
{
    TempDir dir;
    const auto sim = run_program_in(dir.path(), "voskara_simulate",
                            "--design outbred --out proj --seed 3 --founders 4 --generations 2 --offspring 8 "
                            "--intermediate-offspring 4 --parents-kept 2 --families 2 --chromosomes 60 --markers 6 "
                            "--qtl none --qtl chr=1,pos=25,share=0.5,freq=0.5 --length 1000 --thinning 5 "
                            "--param ess=0 --param writeGTP=12 --param FormatMCMC=1 --param maximQTL=2 --param seed=37");
    ASSERT_EQ(sim.exit_code, 0) << sim.output;
    const fs::path proj = dir / "proj";
    const auto run = run_program_in(proj, "voskara_console", "");
    ASSERT_EQ(run.exit_code, 0) << run.output;

    // Every row: iteration, individual ordinal among the 12 written, QTL
    // position on group 1, then position and two allele texts per flank.
    std::istringstream phase(testsupport::read_file(proj / "phase.out"));
    int rows = 0;
    for (std::string line; std::getline(phase, line);) {
        if (line.empty()) continue;
        const std::vector<std::string> w = words(line);
        ASSERT_EQ(w.size(), 9u) << line;
        EXPECT_EQ(std::stoi(w[0]) % 5, 0) << line;
        EXPECT_GE(std::stoi(w[1]), 1);
        EXPECT_LE(std::stoi(w[1]), 12);
        EXPECT_GE(std::stod(w[2]), 100.0);
        EXPECT_LE(std::stod(w[2]), 100.6);
        EXPECT_TRUE(std::stod(w[3]) > 0.0 || std::stod(w[6]) > 0.0) << "a row without a flanking marker: " << line;
        ++rows;
    }
    ASSERT_GT(rows, 0);

    testsupport::write_file(proj / "PhQRegions.inp", "100.0 100.6\n");
    const auto post = run_program_in(proj, "ruvane_console", "--no-report");
    ASSERT_EQ(post.exit_code, 0) << post.output;
    EXPECT_NE(post.output.find("CALCULATION OF QTL HAPLOTYPES"), std::string::npos);
    std::istringstream csv(testsupport::read_file(proj / "Qhaplotypes.csv"));
    std::map<std::string, double> share;  // per individual, the shares of its rows
    bool header = false;
    for (std::string line; std::getline(csv, line);) {
        if (line.rfind("region,", 0) == 0) {
            header = true;
            continue;
        }
        if (!header || line.empty()) continue;
        std::vector<std::string> f;
        std::istringstream in(line);
        for (std::string cell; std::getline(in, cell, ',');) f.push_back(cell);
        ASSERT_EQ(f.size(), 10u) << line;
        EXPECT_EQ(f[0], "1");
        EXPECT_NE(f[6], "-1");
        share[f[3]] += std::stod(f[8]);
    }
    ASSERT_TRUE(header);
    ASSERT_FALSE(share.empty());
    // The shares of one individual's rows sum to 1 up to their rounding.
    for (const auto& [name, total] : share) EXPECT_NEAR(total, 1.0, 0.03) << name;
}

}  // namespace
