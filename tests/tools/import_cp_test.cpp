// Outbred full-sib (CP) locus files: parents from the segregation types,
// offspring codes over several lines, names and phenotypes, and malformed
// files.
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

const char* kLoc =
    "; a small family\n"
    "name = fam\npopt = CP\nnloc = 3\nnind = 3\n"
    "mA <abxcd> {01} ac bd\n   --\n"
    "mB <hkxhk> (LmHk) hh h- k-\n"
    "mC <lmxll> ll lm lm   ; codes may be followed by a comment\n"
    "individual names:\no1\no2\no3\n";

const char* kMap = "group LG1\nmB 20.5\nmA 3\n; the last group\ngroup LG2\nmC 0\nmX 9\n";

const char* kPhe = "id,height,site\no2,5.5,north\no1,NA,south\nzz,1,north\n";

std::vector<std::string> args(const TempDir& dir, const std::string& out)
{
    return {"cp", "--loc", (dir / "f.loc").string(), "--map", (dir / "f.map").string(), "--phenotypes",
            (dir / "f.csv").string(), "--nuisance", "site:random", "--parents", "Mum,Dad", "--out", (dir / out).string()};
}

}  // namespace

TEST(ImportCp, FamilyWithParentsOffspringAndPhenotypes)
{
    TempDir dir;
    write_file(dir / "f.loc", kLoc);
    write_file(dir / "f.map", kMap);
    write_file(dir / "f.csv", kPhe);
    const auto r = run_import(args(dir, "p"));
    ASSERT_EQ(r.code, 0) << r.err;
    const auto pc = simtest::check_project(dir / "p");
    // A one-marker group is written but not analysed.
    EXPECT_EQ(pc.problems, std::vector<std::string>{"a linkage group with fewer than 2 markers"}) << pc.report();
    EXPECT_EQ(pc.parameters.at("mrkrC"), "2 1");
    EXPECT_EQ(pc.parameters.at("indiC"), "1 0");
    EXPECT_EQ(pc.parameters.at("indiN"), "1");
    EXPECT_EQ(pc.map_positions, (std::vector<std::vector<double>>{{3, 20.5}, {0}}));
    const auto d = data_by_name(dir / "p");
    ASSERT_EQ(d.size(), 5u);
    // Map order: mA, mB | mC; classes numbered in the locus file's order.
    EXPECT_EQ(d.at("Mum"), (Words{"1", "Mum", "0", "0", "-", "-", "11", "12", "11", "12", "11", "12"}));
    EXPECT_EQ(d.at("Dad"), (Words{"1", "Dad", "0", "0", "-", "-", "13", "14", "11", "12", "11", "11"}));
    EXPECT_EQ(d.at("o1"), (Words{"2", "o1", "Mum", "Dad", "1", "-", "11", "13", "11", "11", "11", "11"}));
    EXPECT_EQ(d.at("o2"), (Words{"2", "o2", "Mum", "Dad", "2", "5.5", "12", "14", "11", "-", "11", "12"}));
    EXPECT_EQ(d.at("o3"), (Words{"2", "o3", "Mum", "Dad", "-", "-", "-", "-", "12", "-", "11", "12"}));
    for (const char* text : {"6 converted, 2 partial kept with one allele, 0 partial lost, 1 missing",
                             "1 markers of the map are not in the locus file", "1 offspring without phenotypes",
                             "1 phenotype rows of unknown individuals", "site numbered: south=1, north=2",
                             "group LG2 has one marker"})
        EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
}

TEST(ImportCp, WithoutNamesThePhenotypeRowsNameTheOffspring)
{
    TempDir dir;
    std::string loc = kLoc;
    loc.resize(loc.find("individual names"));
    write_file(dir / "f.loc", loc);
    write_file(dir / "f.map", kMap);
    write_file(dir / "f.csv", kPhe);
    ASSERT_EQ(run_import(args(dir, "p")).code, 0);
    const auto d = data_by_name(dir / "p");
    EXPECT_EQ(d.at("zz"), (Words{"2", "zz", "Mum", "Dad", "1", "1", "-", "-", "12", "-", "11", "12"}));
    EXPECT_EQ(d.at("o2")[6], "11");  // first offspring of the locus file
}

TEST(ImportCp, MalformedFilesNameFileLineAndItemAndWriteNothing)
{
    struct Case {
        std::string from, to;  // replacement in the locus file
        std::string map;       // map file text when not empty
        std::string message;
    };
    const std::vector<Case> cases{
        {"hh h- k-", "hh h- kh", "", "f.loc, line 8, item 'kh': code not allowed for locus mB of type <hkxhk>"},
        {"<lmxll>", "<lmxlm>", "", "f.loc, line 9, item '<lmxlm>': unknown segregation type of locus mC"},
        {"   --\n", "", "", "f.loc, line 6, item 'mA': 2 genotype codes where nind is 3"},
        {"nloc = 3", "nloc = 4", "", "nloc is 4 but the file holds 3 loci"},
        {"popt = CP", "popt = F2", "", "f.loc, line 3, item 'F2': population type must be CP"},
        {"nind = 3", "nind = x", "", "f.loc, line 5, item 'x': needs a positive whole number"},
        {"", "", "group 1\nmA 0\nmB 5\n", "f.loc, line 9, item 'mC': marker missing from the map"},
        {"", "", "group 1\nmA 0\nmB x\nmC 3\n", "f.map, line 3, item 'x': needs a marker name and a position"},
        {"", "", "mA 0\n", "f.map, line 1, item 'mA': marker before the first 'group' line"},
        {"", "", "group 1\nmA 0\nmB 1\nmC 3\nmA 4\n", "f.map, line 5, item 'mA': marker stands twice"},
        {"o3\n", "o3\no4\n", "", "4 individual names where nind is 3"},
        {"o3\n", "INBRED\n", "", "f.loc, line 13, item 'INBRED': individual name: the data file reads"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::string loc = kLoc;
        if (!c.from.empty()) loc.replace(loc.find(c.from), c.from.size(), c.to);
        write_file(dir / "f.loc", loc);
        write_file(dir / "f.map", c.map.empty() ? kMap : c.map);
        write_file(dir / "f.csv", kPhe);
        const auto r = run_import(args(dir, "never"));
        EXPECT_EQ(r.code, 1) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "never")) << c.message;
    }
}
