// The IBD analysis run as a program: the template project writes every IBD
// file, seeded runs repeat byte for byte and append on a rerun, dense
// informative markers pin the probabilities near 0 or 1, the founder IBD
// file is read back as founder relationships, and bad set-ups stop the run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunResult;
using testsupport::TempDir;

RunResult run_console(const fs::path& dir)
{
    return testsupport::run_command("cd '" + dir.string() + "' && SOURCE_DATE_EPOCH=0 TZ=UTC '" +
                                    testsupport::program("voskara_console") + "'");
}

void set_keyword(const fs::path& par_file, const std::string& key, const std::string& value)
{
    std::string par = testsupport::read_file(par_file);
    const std::regex line("(^|\n)" + key + "[ \t][^\n]*");
    if (std::regex_search(par, line)) par = std::regex_replace(par, line, "$1" + key + " " + value);
    else par += "\n" + key + " " + value + "\n";
    testsupport::write_file(par_file, par);
}

int count_of(const std::string& text, const std::string& pattern)
{
    const std::regex re(pattern);
    return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

// The IBD template project with a short chain.
void make_template(const fs::path& dir, int length)
{
    for (const char* name : {"voskara.par", "voskara.map", "voskaraIBD.dat"})
        fs::copy_file(testsupport::source_path(std::string("examples/ibd/") + name), dir / name);
    set_keyword(dir / "voskara.par", "length", std::to_string(length));
    set_keyword(dir / "voskara.par", "thinning", "50");
}

// Probability values of the data rows of an IBD file (comments dropped).
std::vector<double> matrix_values(const std::string& text)
{
    std::vector<double> v;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find(';'));
        std::istringstream words(line);
        double x;
        while (words >> x) v.push_back(x);
    }
    return v;
}

TEST(IbdEndToEnd, TemplateProjectWritesEveryIbdFile)
{
    TempDir dir;
    make_template(dir.path(), 200);
    set_keyword(dir / "voskara.par", "indicTIM", "1");
    const RunResult r = run_console(dir.path());
    ASSERT_EQ(r.exit_code, 0) << r.output;
    for (const char* name : {"fapC1.ibd", "gamC1.ibd", "numC1.ibd", "domC1.ibd", "domINBC1.ibd", "fndrrepT.txt"})
        EXPECT_TRUE(fs::exists(dir / name)) << name;
    // One block per marker position (fixQTLpos MARKERS, six markers).
    EXPECT_EQ(count_of(testsupport::read_file(dir / "numC1.ibd"), "NUMERIC relationship matrix"), 6);
    EXPECT_EQ(count_of(testsupport::read_file(dir / "fapC1.ibd"), "Founder Allele IBD"), 6);
    EXPECT_EQ(count_of(testsupport::read_file(dir / "trellan.ped"), "\nIBDPOSITION +[0-9]"), 6);
    EXPECT_FALSE(fs::exists(dir / "genomeFIBD.flx"));
    // Every numerator value is a relationship: 0 to 2, diagonal at least 1.
    for (double x : matrix_values(testsupport::read_file(dir / "numC1.ibd"))) {
        EXPECT_GE(x, 0.0);
        EXPECT_LE(x, 2.0);
    }
    EXPECT_NE(testsupport::read_file(dir / "fndrrepT.txt").find("; FOUNDER REPRESENTATION - TOTAL POPULATION"),
              std::string::npos);
}

TEST(IbdEndToEnd, SameSeedGivesIdenticalFilesAndRerunAppends)
{
    TempDir a, b;
    make_template(a.path(), 100);
    make_template(b.path(), 100);
    ASSERT_EQ(run_console(a.path()).exit_code, 0);
    ASSERT_EQ(run_console(b.path()).exit_code, 0);
    for (const char* name : {"fapC1.ibd", "gamC1.ibd", "numC1.ibd", "domC1.ibd", "domINBC1.ibd", "trellan.ped"})
        EXPECT_EQ(testsupport::read_file(a / name), testsupport::read_file(b / name)) << name;
    ASSERT_EQ(run_console(a.path()).exit_code, 0);
    EXPECT_EQ(count_of(testsupport::read_file(a / "gamC1.ibd"), "gametic relationship matrix"), 12);
    EXPECT_EQ(count_of(testsupport::read_file(a / "domC1.ibd"), "DOMINANCE relationship matrix\n"), 12);
}

// Two outbred founders with four distinct alleles at every marker, so every
// offspring allele is traced: 21 markers 1 cM apart, offspring inheriting
// whole parental homologues.
void write_informative_family(const fs::path& dir)
{
    std::string map = "group 1\n";
    const int markers = 21;
    for (int k = 0; k < markers; ++k) map += "m" + std::to_string(k) + " " + std::to_string(k) + ".0\n";
    testsupport::write_file(dir / "voskara.map", map);
    std::mt19937 gen(7);
    std::string dat;
    auto founder = [&](const char* name, int a, int b) {
        dat += std::string("1 ") + name + " 0 0 1 - -";
        for (int k = 0; k < markers; ++k) dat += " " + std::to_string(a) + " " + std::to_string(b);
        dat += "\n";
    };
    founder("sire", 11, 12);
    founder("dam", 13, 14);
    for (int o = 1; o <= 8; ++o) {
        const int p = 11 + static_cast<int>(gen() % 2), m = 13 + static_cast<int>(gen() % 2);
        dat += "2 kid" + std::to_string(o) + " sire dam 1 1.0 1.0";
        for (int k = 0; k < markers; ++k) dat += " " + std::to_string(p) + " " + std::to_string(m);
        dat += "\n";
    }
    testsupport::write_file(dir / "voskaraIBD.dat", dat);
    set_keyword(dir / "voskara.par", "nmrkrC", std::to_string(markers));
    set_keyword(dir / "voskara.par", "fixQTLpos", "100.105");
}

TEST(IbdEndToEnd, DenseInformativeMarkersGiveProbabilitiesNearZeroOrOne)
{
    TempDir dir;
    make_template(dir.path(), 300);
    write_informative_family(dir.path());
    const RunResult r = run_console(dir.path());
    ASSERT_EQ(r.exit_code, 0) << r.output;
    const std::vector<double> fap = matrix_values(testsupport::read_file(dir / "fapC1.ibd"));
    ASSERT_EQ(fap.size(), 8u * 2u * 4u);  // 8 offspring x 2 alleles x 4 founder alleles
    for (double x : fap) EXPECT_TRUE(x < 0.02 || x > 0.98) << x;
    const std::vector<double> gam = matrix_values(testsupport::read_file(dir / "gamC1.ibd"));
    for (double x : gam) EXPECT_TRUE(x < 0.02 || x > 0.98) << x;
}

// Two inbred parents, their F1, four selfed lines marked for export and
// two crosses of the lines.
void write_inbred_lines(const fs::path& dir)
{
    testsupport::write_file(dir / "voskara.map", "group 1\nm1 0.0\nm2 10.0\nm3 20.0\n");
    testsupport::write_file(dir / "voskaraIBD.dat",
                            "1 P1 0 INBRED 0 - - 1 1 1 1 1 1\n"
                            "1 P2 0 INBRED 0 - - 2 2 2 2 2 2\n"
                            "2 F1 P1 P2 0 - - 1 2 1 2 1 2\n"
                            "3 L1 F1 SELFED 1 - - 1 1 1 1 2 2\n"
                            "3 L2 F1 SELFED 1 - - 1 2 2 2 2 2\n"
                            "3 L3 F1 SELFED 1 - - 2 2 1 1 1 1\n"
                            "3 L4 F1 SELFED 1 - - 1 2 1 2 1 1\n"
                            "4 H1 L1 L3 0 - - 1 2 1 1 1 2\n"
                            "4 H2 L2 L4 0 - - 1 2 1 2 1 2\n");
    const fs::path par = dir / "voskara.par";
    set_keyword(par, "nmrkrC", "3");
    set_keyword(par, "indiN", "3");
    set_keyword(par, "writeGTP", "nuisance");
    set_keyword(par, "fixQTLpos", "5cM");
    set_keyword(par, "trellanV", "0");
}

TEST(IbdEndToEnd, FounderIbdFileIsReadBackAsFounderRelationships)
{
    TempDir ibd, later;
    make_template(ibd.path(), 200);
    write_inbred_lines(ibd.path());
    set_keyword(ibd / "voskara.par", "indicTIM", "1");
    const RunResult first = run_console(ibd.path());
    ASSERT_EQ(first.exit_code, 0) << first.output;
    EXPECT_NE(testsupport::read_file(ibd / "fndrrepS.txt").find("SUBSET POPULATION"), std::string::npos);
    const std::string genome = testsupport::read_file(ibd / "genomeFIBD.flx");
    EXPECT_EQ(count_of(genome, "; posnr chr posmap:"), 5);   // 0, 5, 10, 15, 20 cM
    EXPECT_FALSE(fs::exists(ibd / "numC1.ibd"));              // an export list writes no matrices

    // The lines become the inbred founders of a cross analysed later.
    make_template(later.path(), 100);
    fs::copy_file(ibd / "genomeFIBD.flx", later / "genomeFIBD.flx");
    testsupport::write_file(later / "voskara.map", "group 1\nm1 0.0\nm2 10.0\nm3 20.0\n");
    testsupport::write_file(later / "voskaraIBD.dat",
                            "1 L1 0 INBRED 0 - - 1 1 1 1 2 2\n"
                            "1 L2 0 INBRED 0 - - 2 2 2 2 2 2\n"
                            "1 L3 0 INBRED 0 - - 2 2 1 1 1 1\n"
                            "1 L4 0 INBRED 0 - - 1 1 1 1 1 1\n"
                            "2 X1 L1 L2 0 1.5 - 1 2 1 2 2 2\n"
                            "2 X2 L3 L4 0 0.5 - 1 2 1 1 1 1\n"
                            "2 X3 L2 L3 0 1.1 - 2 2 1 2 1 2\n");
    const fs::path par = later / "voskara.par";
    set_keyword(par, "nmrkrC", "3");
    set_keyword(par, "indicQTL", "1");   // QTL mapping with the IBD positions (P-Link)
    set_keyword(par, "addGENE", "1");
    set_keyword(par, "thinning", "5");   // an acceptance report within the chain
    set_keyword(par, "indicTIM", "1");
    set_keyword(par, "fibdfile", "genomeFIBD.flx");
    const RunResult second = run_console(later.path());
    ASSERT_EQ(second.exit_code, 0) << second.output;
    EXPECT_NE(second.output.find("READING FIBD"), std::string::npos);
    EXPECT_NE(second.output.find("founder NRM"), std::string::npos);
    EXPECT_NE(second.output.find("[6] P-Link"), std::string::npos);
}

TEST(IbdEndToEnd, InbredLinesGetLineRowsAndTheTrueHybridMatrix)
{
    TempDir dir;
    make_template(dir.path(), 100);
    write_inbred_lines(dir.path());
    set_keyword(dir / "voskara.par", "writeGTP", "none");
    set_keyword(dir / "voskara.par", "indiN", "-1");
    const RunResult r = run_console(dir.path());
    ASSERT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(testsupport::read_file(dir / "fapC1.ibd").find("INBRED LINE format"), std::string::npos);
    // The true hybrids are the crosses of lines: the parents are inbred, the
    // lines selfed, and the F1 stands for its selfed lines.
    const std::string th = testsupport::read_file(dir / "THaddC1.ibd");
    EXPECT_EQ(count_of(th, "TRUE HYBRIDS"), 5);
    EXPECT_EQ(count_of(th, "; H1"), 5);
    EXPECT_EQ(count_of(th, "; H2"), 5);
    EXPECT_EQ(count_of(th, "; F1"), 0);
    EXPECT_EQ(count_of(th, "; L1"), 0);
    // A selfed line shares with itself: its four alleles by founder, 2 on the diagonal at most.
    for (double x : matrix_values(testsupport::read_file(dir / "numC1.ibd"))) EXPECT_LE(x, 2.0);
}

struct BadSetUp {
    const char* name;
    const char* map;
    const char* fixQTLpos;
    const char* fibd;      // founder relationship file, or nullptr
    const char* message;
};

TEST(IbdCli, BadSetUpStopsWithItsMessage)
{
    const BadSetUp cases[] = {
        {"position on no linkage group (a group shorter than the shift off its first marker)",
         "group 1\nm1 0.0\nm2 0.00001\nm3 0.00002\n", "MARKERS",
         nullptr, "no assignment of 'known' QTL to chromosome"},
        {"no diversity among the founders at the IBD position", "group 1\nm1 0.0\nm2 20.0\nm3 40.0\n", "100.1",
         "nind 2\nindnr indname\n1 P1\n2 P2\nnpos 1\nposnr chr posmap\n0 1 10.0\ninbred 1\n1 1\n1 1\n",
         "ERROR: NO-diversity or NO-information at flanking markers"},
    };
    for (const BadSetUp& c : cases) {
        TempDir dir;
        make_template(dir.path(), 50);
        write_inbred_lines(dir.path());
        testsupport::write_file(dir / "voskara.map", c.map);
        set_keyword(dir / "voskara.par", "writeGTP", "none");
        set_keyword(dir / "voskara.par", "indiN", "-1");
        set_keyword(dir / "voskara.par", "fixQTLpos", c.fixQTLpos);
        if (c.fibd) {
            testsupport::write_file(dir / "founders.fibd", c.fibd);
            set_keyword(dir / "voskara.par", "fibdfile", "founders.fibd");
        }
        const RunResult r = run_console(dir.path());
        EXPECT_EQ(r.exit_code, 1) << c.name << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.name << "\n" << r.output;
    }
}

}  // namespace
