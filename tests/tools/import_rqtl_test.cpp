// R/qtl crosses: layouts, the pedigree each design implies, and the messages
// for malformed files (exit 1, nothing written).
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "tools/import_run.h"
#include "tools/project_check.h"

using imptest::data_by_name;
using imptest::run_import;
using testsupport::TempDir;
using testsupport::write_file;

namespace {

using Words = std::vector<std::string>;

// Two groups given out of map order; a sex column that is not numeric.
const char* kCsv =
    "id,sex,weight,m2,m1,m3,m4\n"
    ",,,1,1,2,2\n"
    ",,,12.5,0,5,0\n"
    "a1,f,10.5,A,H,B,D\n"
    "a2,m,NA,C,-,H,A\n";

const char* kCsvr =
    "id,,,a1,a2\n"
    "sex,,,f,m\n"
    "weight,,,10.5,NA\n"
    "m2,1,12.5,A,C\n"
    "m1,1,0,H,-\n"
    "m3,2,5,B,H\n"
    "m4,2,0,D,A\n";

Words tail(const Words& w, std::size_t from) { return Words(w.begin() + static_cast<long>(from), w.end()); }

}  // namespace

TEST(ImportRqtl, CsvGivesPedigreeMapAndGenotypes)
{
    TempDir dir;
    write_file(dir / "cross.csv", kCsv);
    const auto r = run_import({"rqtl", "--cross", "f2", (dir / "cross.csv").string(), "--out", (dir / "p").string()});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto pc = simtest::check_project(dir / "p");
    ASSERT_TRUE(pc.ok()) << pc.report();
    EXPECT_EQ(pc.parameters.at("namesT"), "weight");
    EXPECT_EQ(pc.parameters.at("mrkrC"), "2 2");
    EXPECT_EQ(pc.parameters.at("domGENE"), "5");
    // Markers in map order: m1 (0), m2 (12.5) | m4 (0), m3 (5).
    EXPECT_EQ(pc.map_positions, (std::vector<std::vector<double>>{{0, 12.5}, {0, 5}}));
    const auto d = data_by_name(dir / "p");
    EXPECT_EQ(d.at("P1"), (Words{"1", "P1", "0", "INBRED", "-", "A", "A", "A", "A", "A", "A", "A", "A"}));
    EXPECT_EQ(tail(d.at("P2"), 4), (Words{"-", "B", "B", "B", "B", "B", "B", "B", "B"}));
    EXPECT_EQ(d.at("F1"), (Words{"2", "F1", "P1", "P2", "-", "A", "B", "A", "B", "A", "B", "A", "B"}));
    EXPECT_EQ(d.at("a1"), (Words{"3", "a1", "F1", "SELFED", "10.5", "A", "B", "A", "A", "A", "-", "B", "B"}));
    EXPECT_EQ(d.at("a2"), (Words{"3", "a2", "F1", "SELFED", "-", "-", "-", "B", "-", "A", "A", "A", "B"}));
    EXPECT_NE(r.out.find("column sex left out"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("5 converted, 2 partial kept with one allele, 0 partial lost, 1 missing"), std::string::npos)
        << r.out;
}

TEST(ImportRqtl, RotatedAndSplitLayoutsGiveTheSameProject)
{
    TempDir dir;
    write_file(dir / "cross.csv", kCsv);
    write_file(dir / "cross_r.csv", kCsvr);
    write_file(dir / "gen.csv", "id,m2,m1,m3,m4\n,1,1,2,2\n,12.5,0,5,0\na1,A,H,B,D\na2,C,-,H,A\n");
    write_file(dir / "phe.csv", "weight,sex,id\nNA,m,a2\n10.5,f,a1\n7,f,a3\n");
    auto args = [&](const std::string& file, const std::string& out) {
        return std::vector<std::string>{"rqtl", "--cross", "f2", (dir / file).string(), "--out", (dir / out).string(),
                                        "--nuisance", "sex"};
    };
    ASSERT_EQ(run_import(args("cross.csv", "csv")).code, 0);
    ASSERT_EQ(run_import(args("cross_r.csv", "csvr")).code, 0);
    auto split = args("gen.csv", "csvs");
    split.insert(split.end(), {"--phenotypes", (dir / "phe.csv").string()});
    const auto r = run_import(split);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("1 phenotype rows without genotypes left out"), std::string::npos) << r.out;
    const auto csv = data_by_name(dir / "csv");
    EXPECT_EQ(csv, data_by_name(dir / "csvr"));
    EXPECT_EQ(csv, data_by_name(dir / "csvs"));
    // Class words are numbered in order of appearance: f=1, m=2.
    EXPECT_EQ(csv.at("a2")[4], "2");
    EXPECT_EQ(csv.at("P1")[4], "-");
}

TEST(ImportRqtl, EachDesignImpliesItsPedigree)
{
    TempDir dir;
    write_file(dir / "bc.csv", "y,m1,m2\n,1,1\n,0,10\n1,A,H\n");
    write_file(dir / "fw.csv", "y,m1,m2\n,1,1\n,0,10\n1,1,14\n");
    struct Case {
        std::string cross, file, extra;
        std::string name;  // offspring
        Words parents;     // first, second parent of the offspring
        std::string cohort;
        std::size_t lines;
        std::string dom;
    };
    const std::vector<Case> cases{
        {"bc", "bc.csv", "", "ID1", {"F1", "P1"}, "3", 4, "0"},
        {"dh", "bc.csv", "", "ID1", {"F1", "DBHPLD"}, "3", 4, "0"},
        {"riself", "bc.csv", "3", "ID1", {"ID1_S2", "SELFED"}, "5", 6, "0"},
        {"4way", "fw.csv", "", "ID1", {"F1_AB", "F1_CD"}, "3", 7, "5"},
    };
    for (const Case& c : cases) {
        const auto out = (dir / c.cross).string();
        std::vector<std::string> args{"rqtl", "--cross", c.cross, (dir / c.file).string(), "--out", out};
        if (!c.extra.empty()) args.insert(args.end(), {"--ril-generations", c.extra});
        const auto r = run_import(args);
        ASSERT_EQ(r.code, 0) << c.cross << r.err;
        const auto pc = simtest::check_project(out);
        EXPECT_TRUE(pc.ok()) << c.cross << pc.report();
        EXPECT_EQ(pc.parameters.at("domGENE"), c.dom) << c.cross;
        const auto d = data_by_name(out);
        EXPECT_EQ(d.size(), c.lines) << c.cross;
        const Words& w = d.at(c.name);
        EXPECT_EQ(Words(w.begin() + 2, w.begin() + 4), c.parents) << c.cross;
        EXPECT_EQ(w[0], c.cohort) << c.cross;
    }
    const auto ril = data_by_name(dir / "riself");
    EXPECT_EQ(Words(ril.at("ID1_S1").begin(), ril.at("ID1_S1").begin() + 5), (Words{"3", "ID1_S1", "F1", "SELFED", "-"}));
    const auto fw = data_by_name(dir / "4way");
    EXPECT_EQ(tail(fw.at("ID1"), 5), (Words{"11", "13", "-", "-"}));
    EXPECT_EQ(tail(fw.at("F1_CD"), 4), (Words{"-", "13", "14", "13", "14"}));
    EXPECT_EQ(fw.at("P3")[3], "INBRED");
}

TEST(ImportRqtl, MalformedFilesNameFileLineAndItemAndWriteNothing)
{
    TempDir dir;
    struct Case {
        std::string text, message;
    };
    const std::vector<Case> cases{
        {"y,m1,m2\n,1,1\n,0,10\n1,A,Q\n", "line 4, item 'Q': unknown genotype code of marker m2"},
        {"y,m1,m2\n,1,1\n,0,10\n1,A\n", "line 4: 2 columns where the header has 3"},
        {"y,m1,m2\n,1,1\n,0,-5\n1,A,B\n", "line 3, item '-5': negative position of marker m2"},
        {"y,m1,m2\n,1,1\n,0,x\n1,A,B\n", "line 3, item 'x': position of marker m2 is not a number"},
        {"y,m1,m2\n,1,1\n1,A,B\n2,B,B\n", "line 3, item '1': the third row must hold the marker positions"},
        {"y,m1,m2\n,1,\n,0,5\n1,A,B\n", "line 2, item 'm2': marker without a chromosome"},
        {"y,m1,m1\n,1,1\n,0,5\n1,A,B\n", "marker 'm1' stands twice on the map"},
        {"y,m1,m2\n,1,1\n,0,5\nabc,A,B\n", "line 4, item 'abc': trait y needs a number or NA"},
        {"id,y,m1,m2\n,,1,1\n,,0,5\nx,1,A,B\nx,2,A,B\n", "individual 'x' stands twice"},
        {"y,m1,m2\n,1,1\n,0,5\n1,\"A,B\n", "line 4: a double quote is not closed"},
        {"id,y,m1,m2\n,,1,1\n,,0,5\nSELFED,1,A,B\n",
         "line 4, item 'SELFED': individual name: the data file reads this name as a parent code"},
        {"id,y,m1,m2\n,,1,1\n,,0,5\n0,1,A,B\n", "line 4, item '0': individual name: the data file reads"},
        {"id,y,m1,m2\n,,1,1\n,,0,5\nname with blank,1,A,B\n", "line 4, item 'name with blank': individual name: holds a blank"},
        {"y,m1,m 2\n,1,1\n,0,5\n1,A,B\n", "line 1, item 'm 2': marker name: holds a blank"},
    };
    for (const Case& c : cases) {
        write_file(dir / "bad.csv", c.text);
        const auto out = dir / "never";
        const auto r = run_import({"rqtl", "--cross", "f2", (dir / "bad.csv").string(), "--out", out.string(),
                                   "--traits", "y"});
        EXPECT_EQ(r.code, 1) << c.text;
        EXPECT_NE(r.err.find("voskara_import: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.text;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"rqtl", (dir / "bad.csv").string()}, {"rqtl", "--cross", "f9", "x.csv"},
          {"cp", "--loc", "a"}, {"nope"}, {"rqtl", "--cross", "f2", "--bogus", "1", "x.csv"},
          {"rqtl", "--cross", "f2", (dir / "missing.csv").string()}})
        EXPECT_EQ(run_import(args).code, 1) << args[0];
}
