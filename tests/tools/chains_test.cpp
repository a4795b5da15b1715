// voskara_chains in pieces: chain seeds, the options, the copies of a
// project and the Slurm files.
#include <gtest/gtest.h>

#include <set>

#include "post/chain_dirs.h"
#include "support/test_support.h"
#include "tools/chains/cli.h"
#include "tools/chains/ibd_positions.h"
#include "tools/chains/project_copy.h"
#include "tools/chains/seeds.h"
#include "tools/chains/slurm.h"

using testsupport::TempDir;
using testsupport::write_file;
using testsupport::read_file;

TEST(ChainSeeds, FirstChainKeepsTheProjectSeedOthersAlternateTheStart)
{
    for (long project : {34L, -123L, 7L, 1999999999L}) {
        EXPECT_EQ(vch::chain_seed(project, 1), project);
        std::set<long> seen{project};
        for (int k = 2; k <= 40; ++k) {
            const long s = vch::chain_seed(project, k);
            EXPECT_EQ(s, vch::chain_seed(project, k));  // reproducible
            EXPECT_GT(s, 0);
            EXPECT_LT(s, 1000000000L);
            EXPECT_TRUE(seen.insert(s).second) << "repeated seed for chain " << k;
            // Odd chains start as chain 1, even chains the other way.
            EXPECT_EQ(vch::starts_without_qtl(s) == vch::starts_without_qtl(project), k % 2 == 1) << k;
        }
    }
    EXPECT_NE(vch::chain_seed(34, 2), vch::chain_seed(35, 2));
    EXPECT_TRUE(vch::starts_without_qtl(-123));
    EXPECT_FALSE(vch::starts_without_qtl(-127));
    EXPECT_FALSE(vch::starts_without_qtl(19));
}

TEST(ChainSeeds, ProjectSeedIsTheLastSeedLine)
{
    TempDir dir;
    write_file(dir / "a.par", "length 10\nseed 12 ; first\nseed   4711  ; generated\n");
    write_file(dir / "b.par", "length 10\n");
    EXPECT_EQ(vch::project_seed((dir / "a.par").string()), 4711);
    EXPECT_EQ(vch::project_seed((dir / "b.par").string()), -123);
    EXPECT_EQ(vch::project_seed((dir / "none.par").string()), -123);
}

TEST(ChainOptions, ReadsAndRefuses)
{
    struct Case {
        std::vector<std::string> args;
        bool ok;
    };
    const Case cases[] = {
        {{"-d", "p", "-n", "4", "-j", "2"}, true},
        {{"-n", "3", "--slurm", "--sbatch-option", "--time=1:00:00"}, true},
        {{"-d", "p"}, false},
        {{"-n", "0"}, false},
        {{"-n", "x"}, false},
        {{"-n", "2", "-j"}, false},
        {{"-n", "2", "--bogus"}, false},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv{const_cast<char*>("voskara_chains")};
        for (const std::string& a : c.args) argv.push_back(const_cast<char*>(a.c_str()));
        vch::Options o;
        bool help = false;
        testsupport::CapturedStream out, err;
        EXPECT_EQ(vch::parse_options(static_cast<int>(argv.size()), argv.data(), o, help, out.stream(), err.stream()),
                  c.ok)
            << c.args.size() << " " << err.text();
        if (!c.ok) {
            EXPECT_NE(err.text().find("voskara_chains: "), std::string::npos);
        }
    }
}

TEST(ChainDirs, NamesAndListing)
{
    EXPECT_EQ(rvn::chain_number_width(4), 2);
    EXPECT_EQ(rvn::chain_number_width(100), 3);
    EXPECT_EQ(rvn::chain_dir_name(3, 2), "chain_03");
    EXPECT_EQ(rvn::chain_dir_name(12, 3), "chain_012");
    TempDir dir;
    for (const char* d : {"chain_10", "chain_02", "chain_x", "chains_1", "chain_01"})
        std::filesystem::create_directories(dir / d);
    write_file(dir / "chain_03", "a file, not a chain");
    const auto dirs = rvn::list_chain_dirs(dir.path());
    ASSERT_EQ(dirs.size(), 3u);
    EXPECT_EQ(dirs[0].filename(), "chain_01");
    EXPECT_EQ(dirs[1].filename(), "chain_02");
    EXPECT_EQ(dirs[2].filename(), "chain_10");
}

TEST(ChainCopies, EveryChainGetsTheInputsAndItsSeed)
{
    TempDir dir;
    const auto project = dir / "proj";
    std::filesystem::create_directories(project / "maps");
    write_file(project / "voskara.par", "datafile d.dat\nmapfile maps/m.map\nfibdfile NA\nseed 34");
    write_file(project / "d.dat", "data\n");
    write_file(project / "CMd.dat", "cleaned\n");
    write_file(project / "maps/m.map", "group 1\n");
    write_file(project / "MQTRegions.inp", "regions\n");
    write_file(project / "unrelated.txt", "not copied\n");
    vch::Options o;
    o.project_dir = project.string();
    o.chains = 3;
    vch::ChainPlan plan;
    testsupport::CapturedStream err;
    ASSERT_TRUE(vch::prepare_chains(o, plan, err.stream())) << err.text();
    ASSERT_EQ(plan.dirs.size(), 3u);
    // The pooled post-processing reads the map, and the pedigree from the
    // data file.
    EXPECT_EQ(read_file(plan.root / "maps/m.map"), "group 1\n");
    EXPECT_EQ(read_file(plan.root / "d.dat"), "data\n");
    EXPECT_EQ(read_file(plan.root / "MQTRegions.inp"), "regions\n");
    for (int k = 0; k < 3; ++k) {
        for (const char* f : {"d.dat", "CMd.dat", "maps/m.map", "MQTRegions.inp"})
            EXPECT_EQ(read_file(plan.dirs[k] / f), read_file(project / f)) << f;
        EXPECT_FALSE(std::filesystem::exists(plan.dirs[k] / "unrelated.txt"));
        EXPECT_EQ(vch::project_seed((plan.dirs[k] / "voskara.par").string()), vch::chain_seed(34, k + 1));
    }
    // Chain 1 is the project as it is.
    EXPECT_EQ(read_file(plan.dirs[0] / "voskara.par"), read_file(project / "voskara.par"));
    // A second run refuses to replace them unless told to.
    vch::ChainPlan again;
    EXPECT_FALSE(vch::prepare_chains(o, again, err.stream()));
    EXPECT_NE(err.text().find("--overwrite"), std::string::npos);
    o.overwrite = true;
    vch::ChainPlan replaced;
    EXPECT_TRUE(vch::prepare_chains(o, replaced, err.stream()));
}

TEST(ChainSlurm, ArrayMergeAndSubmitScripts)
{
    vch::ChainPlan plan;
    plan.project = "/data/my proj";
    plan.root = "/data/my proj/chains";
    plan.par_file = "voskara.par";
    plan.dirs.assign(12, {});
    const vch::SlurmPrograms programs{"/opt/bin/voskara_console", "/opt/bin/ruvane_console"};
    const std::string array = vch::array_script(plan, programs, {"--time=2:00:00"});
    EXPECT_NE(array.find("#SBATCH --array=1-12\n"), std::string::npos);
    EXPECT_NE(array.find("#SBATCH --time=2:00:00\n"), std::string::npos);
    EXPECT_NE(array.find("chain_%2a.log"), std::string::npos);
    EXPECT_NE(array.find("printf '%02d' \"$SLURM_ARRAY_TASK_ID\""), std::string::npos);
    EXPECT_NE(array.find("'/data/my proj/chains'/chain_\"$task\""), std::string::npos);
    const std::string merge = vch::merge_script(plan, programs, {});
    EXPECT_NE(merge.find("'/opt/bin/ruvane_console' -d '/data/my proj' -p 'voskara.par' --chains"), std::string::npos);
    EXPECT_NE(vch::submit_script().find("--dependency=afterok:\"$array\" merge.sbatch"), std::string::npos);
    EXPECT_EQ(vch::shell_quote("it's"), "'it'\\''s'");
}

TEST(ChainIbd, PositionsAsTheAnalysisDerivesThem)
{
    TempDir dir;
    const std::string map = "; map\ngroup A\nm1 0\nm2 10.0\nm3 25\n\nchrom B\nb1 5\nb2 7\ngroup C\nc1 0\nc2 30 1\n";
    write_file(dir / "voskara.map", map);
    struct Case {
        std::string fix;
        std::string indiC;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"MARKERS", "1 0 1", {100.0, 100.1, 100.25, 300.0, 300.3}},
        {"10 cM", "1 1 0", {100.0, 100.1, 100.2, 100.25, 200.05, 200.07}},
        {"10cM", "0 0 1", {300.0, 300.1, 300.2, 300.3}},
        {"200.06", "1 1 1", {200.06}},
        {"250", "1 1 1", {}},
        {"0cM", "1 1 1", {}},
    };
    for (const Case& c : cases) {
        write_file(dir / "voskara.par", "indicQTL 2\nmapfile voskara.map\nnchrom 3\nindiC " + c.indiC +
                                            "\nnmrkrC 3 2 2\nfixQTLpos " + c.fix + "\n");
        const std::vector<double> got = vch::ibd_positions(dir.str(), "voskara.par");
        ASSERT_EQ(got.size(), c.expected.size()) << c.fix;
        for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.expected[i], 1e-12) << c.fix;
    }
    write_file(dir / "voskara.par", "indicQTL 1\nmapfile voskara.map\nnchrom 3\nindiC 1 1 1\nnmrkrC 3 2 2\n");
    EXPECT_TRUE(vch::ibd_positions(dir.str(), "voskara.par").empty());
    for (double x : {100.1, 100.59999999999999, 200.07})
        EXPECT_EQ(std::strtod(vch::position_text(x).c_str(), nullptr), x);
}

TEST(ChainIbd, MergeScriptJoinsTheIbdFilesInPositionOrder)
{
    TempDir dir;
    vch::ChainPlan plan;
    plan.root = dir.path();
    testsupport::CapturedStream err;
    ASSERT_TRUE(vch::write_ibd_merge_script(plan, err.stream()));
    std::filesystem::create_directories(dir / "chain_01");
    std::filesystem::create_directories(dir / "chain_02");
    std::filesystem::create_directories(dir / "chain_10");
    write_file(dir / "chain_01/fapC1.ibd", "position 1\n");
    write_file(dir / "chain_02/fapC1.ibd", "position 2\n");
    write_file(dir / "chain_10/fapC1.ibd", "position 10\n");
    write_file(dir / "chain_02/gamC1.ibd", "gametes 2\n");
    write_file(dir / "fapC1.ibd", "left from an earlier merge\n");
    const auto r = testsupport::run_command("sh " + (dir / "merge_ibd.sh").string());
    ASSERT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(r.output, "IBD files of 3 positions joined\n");
    EXPECT_EQ(read_file(dir / "fapC1.ibd"), "position 1\nposition 2\nposition 10\n");
    EXPECT_EQ(read_file(dir / "gamC1.ibd"), "gametes 2\n");
}
