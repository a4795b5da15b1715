// The analysis program run on projects without QTL (nuisance effects,
// residual covariance and missing-value imputation only): complete runs,
// repeatability under one seed, and the fatal inputs of the residual model.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunResult;
using testsupport::TempDir;

struct ProjectSettings {
    int traits = 2;
    std::vector<int> codes = {0, 1};   // indiN per nuisance column: a fixed and a random factor
    int individuals = 120;
    int length = 400;
    int thinning = 10;
    double missing_share = 0.15;       // of the last trait
};

std::string repeat(const std::string& word, int n)
{
    std::string s;
    for (int k = 0; k < n; ++k) s += (k ? " " : "") + word;
    return s;
}

std::string parameter_file(const ProjectSettings& s)
{
    std::ostringstream par;
    std::string codes, names;
    for (std::size_t c = 0; c < s.codes.size(); ++c) {
        codes += (c ? " " : "") + std::to_string(s.codes[c]);
        names += (c ? " f" : "f") + std::to_string(c + 1);
    }
    std::string trait_names;
    for (int j = 0; j < s.traits; ++j) trait_names += (j ? " t" : "t") + std::to_string(j + 1);
    par << "datafile data.dat\nmapfile map.map\n"
        << "ncolN " << s.codes.size() << "\nindiN " << codes << "\nnamesN " << names << "\n"
        << "ncolT " << s.traits << "\nindiT " << repeat("1", s.traits) << "\nnamesT " << trait_names << "\n"
        << "misvalT\nscaleT 0\nnchrom 1\nindiC 1\nnmrkrC 2\n"
        << "indicQTL 0\nindicFPM 0\nindicTIM 0\nmaximQTL 0\nmaximFPM 0\npriorQTL 0\npriorFPM 0\n"
        << "addGENE 0\ndomGENE 0\nlength " << s.length << "\nthinning " << s.thinning << "\n"
        << "ess 0\nlengthUDMax 0\nFormatMCMC 0\nwriteGTP NONE\nheaderOUT 1\nREDprint 0\nseed 24680\n";
    return par.str();
}

// Founders only, with two markers; class c of column k is (i / k) % (k + 2) + 1.
std::string data_file(const ProjectSettings& s)
{
    std::mt19937 g(11);
    std::normal_distribution<double> z;
    std::uniform_real_distribution<double> u;
    std::ostringstream data;
    for (int i = 0; i < s.individuals; ++i) {
        data << "1 i" << i + 1 << " 0 0";
        for (std::size_t c = 0; c < s.codes.size(); ++c) data << " " << (i / (c + 1)) % (c + 3) + 1;
        for (int j = 0; j < s.traits; ++j) {
            if (j == s.traits - 1 && u(g) < s.missing_share)
                data << " -";
            else
                data << " " << 10.0 + j + z(g);
        }
        data << " 1 2 1 1\n";
    }
    return data.str();
}

void write_project(const fs::path& dir, const ProjectSettings& s)
{
    testsupport::write_file(dir / "voskara.par", parameter_file(s));
    testsupport::write_file(dir / "map.map", "group 1\nm1 0.0\nm2 10.0\n");
    testsupport::write_file(dir / "data.dat", data_file(s));
}

RunResult run_console(const fs::path& dir)
{
    return testsupport::run_command("'" + testsupport::program("voskara_console") + "' -d '" + dir.string() + "'");
}

// Sample rows: lines that are neither empty nor comments.
int sample_rows(const fs::path& path)
{
    std::istringstream in(testsupport::read_file(path));
    int rows = 0;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != ';') ++rows;
    return rows;
}

TEST(ResidualEndToEnd, OneTraitProjectWritesSamplesPredictionsAndTiming)
{
    TempDir dir;
    ProjectSettings settings;
    settings.traits = 1;
    settings.missing_share = 0.1;
    write_project(dir.path(), settings);
    const RunResult result = run_console(dir.path());
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(sample_rows(dir / "genpar.out"), settings.length / settings.thinning);
    // The nuisance header describes each of the two factors (few levels);
    // with maxnwrtNUI 0 no effect rows follow.
    EXPECT_EQ(sample_rows(dir / "nui2.out"), 0);
    for (const char* absent : {"iqtl.out", "gqtl.out", "ifpm.out", "tim.out", "POA.out", "wrtgtp.nms"})
        EXPECT_FALSE(fs::exists(dir / absent)) << absent;
    const std::string prediction = testsupport::read_file(dir / "prediction.csv");
    EXPECT_NE(prediction.find("\n; spiegelhalter DIC  = "), std::string::npos);
    EXPECT_NE(prediction.find("\n\nID,yObs,yHat\ni1,"), std::string::npos);
    EXPECT_EQ(sample_rows(dir / "prediction.csv"), 1 + settings.individuals);
    EXPECT_NE(result.output.find("\nstarted  "), std::string::npos);
    EXPECT_NE(result.output.find("\ncpu time:"), std::string::npos);
    EXPECT_NE(result.output.find("\ncycle 400 "), std::string::npos);
}

TEST(ResidualEndToEnd, TwoTraitProjectRunsWithoutPredictionFile)
{
    TempDir dir;
    ProjectSettings settings;
    write_project(dir.path(), settings);
    const RunResult result = run_console(dir.path());
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(sample_rows(dir / "genpar.out"), settings.length / settings.thinning);
    EXPECT_FALSE(fs::exists(dir / "prediction.csv"));
    EXPECT_NE(result.output.find("PHENOTYPIC COVARIANCE MATRIX"), std::string::npos);
    EXPECT_NE(result.output.find("\ncpu time:"), std::string::npos);
}

TEST(ResidualEndToEnd, SameSeedGivesByteIdenticalSampleFiles)
{
    TempDir first, second;
    ProjectSettings settings;
    settings.codes = {0, 1, 1};
    write_project(first.path(), settings);
    write_project(second.path(), settings);
    ASSERT_EQ(run_console(first.path()).exit_code, 0);
    ASSERT_EQ(run_console(second.path()).exit_code, 0);
    int compared = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(first.path())) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() != ".out") continue;
        ASSERT_TRUE(fs::exists(second / name)) << name;
        EXPECT_EQ(testsupport::read_file(e.path()), testsupport::read_file(second / name)) << name;
        ++compared;
    }
    EXPECT_GE(compared, 2);
    EXPECT_GT(testsupport::read_file(first / "genpar.out").size(), 1000u);
}

TEST(ResidualEndToEnd, ClassZeroOfAFixedFactorEndsTheRun)
{
    TempDir dir;
    ProjectSettings settings;
    write_project(dir.path(), settings);
    std::string data = testsupport::read_file(dir / "data.dat");
    const std::string line5 = "1 i5 0 0 ";
    const std::size_t at = data.find(line5) + line5.size();
    data[at] = '0';  // first nuisance column of i5
    testsupport::write_file(dir / "data.dat", data);
    const RunResult result = run_console(dir.path());
    EXPECT_EQ(result.exit_code, 1) << result.output;
    EXPECT_NE(result.output.find("\nERROR: misspecification class level\n ind: i5 [5]\n nui: 1\n val: 0"
                                 "\nNow exiting Voskara 0.99130\n"),
              std::string::npos)
        << result.output;
    EXPECT_FALSE(fs::exists(dir / "genpar.out"));
}

TEST(ResidualEndToEnd, EleventhRandomFactorEndsTheRun)
{
    TempDir dir;
    ProjectSettings settings;
    settings.codes.assign(11, 1);
    write_project(dir.path(), settings);
    const RunResult result = run_console(dir.path());
    EXPECT_EQ(result.exit_code, 1) << result.output;
    EXPECT_NE(result.output.find("\nERROR\nToo many NORMALLY DISTRIBUTED nuisance variables"
                                 "\nA maximum of 10 Variance Components can be included\nNow exiting Voskara 0.99130"),
              std::string::npos)
        << result.output;
    EXPECT_FALSE(fs::exists(dir / "genpar.out"));
}

// With three traits the data reader drops partly missing records (their
// imputation is not defined), so the chain never meets one.
TEST(ResidualEndToEnd, PartialRecordsOfThreeTraitsAreDroppedBeforeTheChain)
{
    TempDir dir;
    ProjectSettings settings;
    settings.traits = 3;
    write_project(dir.path(), settings);
    const RunResult result = run_console(dir.path());
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_NE(result.output.find("\nWARNING: deleting PARTIAL phenotypes: "), std::string::npos);
    EXPECT_EQ(result.output.find("Stopped in augment_data()"), std::string::npos);
}

}  // namespace
