// Debug logs of the moves with effects integrated out: with RJSdebug set a
// seeded chain appends one block per attempt to "RJSbirth.log",
// "RJSdeath.log" and "RJSupdate.log" whose ratio terms add up to the logged
// log(A), and the chain itself is the one it is without the logs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "core/state/console.h"
#include "core/voskara.h"
#include "qtl_fixture.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

struct DebugFlag {
    explicit DebugFlag(int on) { vsk::RJSdebug = on; }
    ~DebugFlag() { vsk::RJSdebug = 0; }
};

// A seeded chain of 120 sweeps; returns the state as text.
std::string run_chain(int debug)
{
    DebugFlag flag(debug);
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    auto pr = qtl_test::make_project(6, qtl_test::founder_pairs(6, 30));
    vsk::Rng data;
    data.seed(4);
    for (int c = 6; c < pr->p.n_individuals; ++c) {
        pr->phe.phenotype[c][0] = 1;
        pr->phe.Y[c][0] = pr->phe.residual[c][0] = data.normal();
    }
    pr->p.n_phenotyped = pr->p.n_individuals - 6;
    pr->p.addGENE = 5;
    pr->p.domGENE = 5;
    pr->p.nqtl = 2;  // a start with QTL draws their means and effects jointly
    pr->rng.seed(21);
    vsk::sample_qtl(pr->model(), 0);
    std::ostringstream state;
    for (int s = 0; s < 120; ++s) {
        pr->p.cur_sweep = s;
        vsk::sample_qtl(pr->model(), 1);
        state << pr->p.nqtl << ' ' << pr->p.nuis_effects[0][0] << '\n';
    }
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    return state.str();
}

int count_of(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Every "sum" line: new - old equals the next log(A) unless that is capped at 0.
void expect_consistent_sums(const std::string& text)
{
    std::istringstream in(text);
    double diff = 0.0;
    bool have = false;
    int checked = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find("sum") != std::string::npos && line.find("b'") == std::string::npos) {
            std::istringstream f(line);
            double a = 0, b = 0;
            f >> a >> b;
            diff = b - a;
            have = true;
        } else if (have && line.rfind("log(A)", 0) == 0) {
            const double log_a = std::stod(line.substr(6));
            EXPECT_NEAR(log_a, std::min(0.0, diff), 1e-4) << line;
            have = false;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST(QtlRjsDebug, LogsEveryAttemptWithoutChangingTheChain)
{
    testsupport::TempDir dir;
    testsupport::ScopedCwd cwd(dir.path());
    const std::string quiet = run_chain(0);
    for (const char* name : {"RJSbirth.log", "RJSdeath.log", "RJSupdate.log", "GtpParMV.log"})
        EXPECT_FALSE(fs::exists(name)) << name;
    EXPECT_EQ(run_chain(1), quiet);
    const std::string birth = testsupport::read_file("RJSbirth.log");
    const std::string death = testsupport::read_file("RJSdeath.log");
    const std::string update = testsupport::read_file("RJSupdate.log");
    EXPECT_GT(count_of(birth, "----- mcmcI "), 0);
    EXPECT_EQ(count_of(birth, "----- mcmcI "), count_of(birth, "detV0Ao detV0A "));
    EXPECT_EQ(count_of(death, "----- mcmcI "), count_of(death, "detV0A  detV0An"));
    EXPECT_EQ(count_of(update, "----- mcmcI "), count_of(update, "XRXn\n"));
    for (const char* header : {"XX\n", "XRX\n", "XRX_G\n", "XRy\n", "chol(inv(XRX_G))\n", "CPM\n", "det(G) '20060508'"})
        EXPECT_NE(birth.find(header), std::string::npos) << header;
    EXPECT_NE(birth.find("XRX_Go ["), std::string::npos);
    EXPECT_NE(death.find("XRX_Gn ["), std::string::npos);
    EXPECT_NE(update.find("chol(inv(XRX_Gn)) ["), std::string::npos);
    expect_consistent_sums(birth);
    expect_consistent_sums(death);
    expect_consistent_sums(update);
    // The joint draw of the means and effects of the starting QTL, with its
    // matrices (later draws belong to the moves and their logs).
    const std::string joint = testsupport::read_file("GtpParMV.log");
    EXPECT_EQ(count_of(joint, "\n___________\nmcmcI -1, nqtl 2\n"), 1) << joint;
    EXPECT_EQ(count_of(joint, "CPM\n"), 1);
    for (const char* header : {"XX\n", "XRX\n", "XRX_G\n", "XRy\n", "CPD\n"})
        EXPECT_NE(joint.find(header), std::string::npos) << header;
}

}  // namespace
