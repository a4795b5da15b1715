// The cleaned data file end to end: a run on a simulated project with
// scoring errors and null alleles writes it, and a second run of the same
// parameter file reads it and analyses the same genotypes.
#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "core/markers/cleaned_data.h"
#include "support/test_support.h"

namespace {

using testsupport::program;
using testsupport::read_file;
using testsupport::run_command;

struct Shown {
    std::string a1, a2;
    int status = 0;
};

// Alleles and status of every individual at every locus in "trellan.ped".
std::map<std::pair<std::string, std::string>, Shown> viewer_alleles(const std::filesystem::path& file)
{
    std::map<std::pair<std::string, std::string>, Shown> out;
    std::istringstream in(read_file(file));
    std::string line, locus;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string x; words >> x;) w.push_back(x);
        if (!w.empty() && w[0] == "ALLELES") {
            locus = w.size() > 1 ? w[1] : "";
            continue;
        }
        if (locus.empty() || w.size() != 5) continue;
        Shown s{w[1], w[3], std::stoi(w[2])};
        if (s.a2 < s.a1) std::swap(s.a1, s.a2);  // genotypes are unordered before phasing
        out[{locus, w[0]}] = s;
    }
    return out;
}

// Current alleles of the first run as the cleaned file holds them (the
// marker columns close each line, in map order).
std::map<std::pair<std::string, std::string>, Shown> cleaned_alleles(const std::filesystem::path& dir)
{
    std::vector<std::string> markers;
    std::istringstream map(read_file(dir / "voskara.map"));
    std::string line;
    while (std::getline(map, line)) {
        std::istringstream words(line);
        std::string name, pos;
        if (!(words >> name >> pos) || name[0] == ';' || name == "chromosome" || name == "group") continue;
        markers.push_back(name);
    }
    std::map<std::pair<std::string, std::string>, Shown> out;
    std::istringstream in(read_file(dir / vsk::cleaned_data_file_name("voskara.dat")));
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string x; words >> x;) w.push_back(x);
        if (w.size() < 2 * markers.size() + 2) continue;
        const std::size_t first = w.size() - 2 * markers.size();
        for (std::size_t k = 0; k < markers.size(); ++k) {
            Shown s{w[first + 2 * k], w[first + 2 * k + 1], 0};
            for (std::string* a : {&s.a1, &s.a2})
                if (*a == "$$") *a = "null";
            if (s.a2 < s.a1) std::swap(s.a1, s.a2);
            out[{markers[k], w[1]}] = s;
        }
    }
    return out;
}

TEST(CleanedDataEndToEnd, SecondRunReadsTheSameGenotypes)
{
    if (!std::filesystem::exists(program("voskara_simulate")) || !std::filesystem::exists(program("voskara_console")))
        GTEST_SKIP() << "programs not built";
    testsupport::TempDir dir;
    const std::string project = (dir / "p").string();
    auto sim = run_command("\"" + program("voskara_simulate") + "\" --preset fruit-tree --seed 4 --out \"" + project +
                           "\" --genotype-errors 0.02 --null-alleles 0.3 --param nullalleleHidden=3 --param length=40"
                           " --param trellanV=1");
    ASSERT_EQ(sim.exit_code, 0) << sim.output;
    const std::string run = "cd \"" + project + "\" && \"" + program("voskara_console") + "\"";
    auto first = run_command(run);
    ASSERT_EQ(first.exit_code, 0) << first.output;
    EXPECT_NE(first.output.find("Cleaned Marker data written to file"), std::string::npos);
    ASSERT_TRUE(std::filesystem::exists(dir / "p" / vsk::cleaned_data_file_name("voskara.dat")));
    for (const char* f : {"marker.log", "mconsistency.csv", "hiddenNullAlleles.csv", "trellan.ped"})
        EXPECT_TRUE(std::filesystem::exists(dir / "p" / f)) << f;
    const auto cleaned = cleaned_alleles(dir / "p");
    auto second = run_command(run);
    ASSERT_EQ(second.exit_code, 0) << second.output;
    EXPECT_NE(second.output.find("File CMvoskara.dat also found: overrules initial file voskara.dat!"),
              std::string::npos);
    EXPECT_EQ(second.output.find("Cleaned Marker data written"), std::string::npos);
    const auto after = viewer_alleles(dir / "p" / "trellan.ped");
    ASSERT_EQ(cleaned.size(), after.size());
    ASSERT_GT(cleaned.size(), 1000u);
    int missing = 0;
    for (const auto& [key, c] : cleaned) {
        const Shown& a = after.at(key);
        EXPECT_EQ(a.status, 0);
        EXPECT_EQ(a.a1, c.a1) << key.first << " " << key.second;
        EXPECT_EQ(a.a2, c.a2) << key.first << " " << key.second;
        missing += c.a1 == "-";
    }
    EXPECT_GT(missing, 0);
}

}  // namespace
