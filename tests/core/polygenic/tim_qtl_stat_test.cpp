// With the infinitesimal model on, a QTL analysis of a project whose genetic
// variance is all polygenic (no QTL) must not explain it by ghost QTL: the
// posterior probability of no QTL in the genome exceeds its prior.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::run_program_in;

// First value of the row `label` of the genome table of the number of QTL.
double genome_row_first(const std::string& out, const std::string& label)
{
    const std::size_t table = out.find("GENOME : PRIOR & POSTERIOR & BAYES FACTOR (nQTL)");
    if (table == std::string::npos) return -1.0;
    std::istringstream in(out.substr(table));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::string word;
        double v = -1.0;
        if (f >> word && word == label && f >> v) return v;
    }
    return -1.0;
}

TEST(TimQtlStat, PolygenicBackgroundWithoutQtlKeepsMassAtNoQtl)
{
    TempDir dir;
    const auto sim = run_program_in(dir.path(), "voskara_simulate",
                            "--preset fruit-tree --out proj --seed 2 --qtl none --polygenic-share 0.5 "
                            "--param indicQTL=1 --param indicTIM=1 --param TIMnumrm=1 --param maximQTL=5 "
                            "--param priorQTL=1 --param length=600 --param thinning=5");
    ASSERT_EQ(sim.exit_code, 0) << sim.output;
    const auto run = run_program_in(dir.path(), "voskara_console", "-d proj");
    ASSERT_EQ(run.exit_code, 0) << run.output;
    const double prior = genome_row_first(run.output, "prior");
    const double posterior = genome_row_first(run.output, "posterior");
    ASSERT_GT(prior, 0.0) << run.output;
    // Prior P(0) = e^-1 / (truncation) = 0.368; 120 samples give a Monte
    // Carlo error of a few hundredths, autocorrelation included.
    EXPECT_GT(posterior, prior + 0.15) << "posterior P(0 QTL) " << posterior << ", prior " << prior;
}

}  // namespace
