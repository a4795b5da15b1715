// Marked regions, region genotypes and breeding values against plain-loop
// oracles over the sample rows, and the regions file's fatal cases.
#include <gtest/gtest.h>

#include <cmath>

#include "post/breeding_values.h"
#include "post/console.h"
#include "post/ess.h"
#include "post/intensity.h"
#include "post/qtl_state.h"
#include "post/regions.h"
#include "post/summary.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

using posttest::QtlStateDesign;

struct Quiet {
    testsupport::CapturedStream out;
    Quiet() { rvn::set_console_stream(out.stream()); }
    ~Quiet() { rvn::set_console_stream(nullptr); }
    bool printed(const std::string& s) const { return out.text().find(s) != std::string::npos; }
};

struct RegionRun {
    testsupport::TempDir dir;
    rvn::PostState st;
    Quiet quiet;
    explicit RegionRun(QtlStateDesign d, const std::string& inp = "")
    {
        st = posttest::qtl_state(d, dir);
        rvn::set_console_stream(quiet.out.stream());
        if (!inp.empty()) testsupport::write_file(dir / "MQTRegions.inp", inp);
        st.names = {"a", "b", "c", "d"};
        st.print_flag = {1, 1, 0, 1};
        rvn::count_qtl_per_bin(st);
        rvn::hpi_thresholds(st);
        rvn::SummarizeHPDRegionsQTLpositions(st);
        rvn::read_regions(st);
    }
};

QtlStateDesign hotspot_design(unsigned seed)
{
    QtlStateDesign d;
    d.seed = seed;
    d.hotspots = {100.12, 200.30};
    return d;
}

// (row, slot) pairs of post-burn-in rows whose QTL lies in [start, end].
template <class F>
void for_each_in_region(const rvn::PostState& st, const rvn::Region& r, F&& f)
{
    for (int row = st.burnin; row < st.s.n(); ++row)
        for (int q = 0; q < st.par.maximQTL; ++q) {
            const double pos = st.s.qtl_position(row, q);
            if (pos > 1.0 && pos >= r.start - 1e-9 && pos <= r.end + 1e-9) f(row, q);
        }
}

TEST(MarkedRegions, DerivedRegionsHoldTheirSamplesAndStatistics)
{
    for (unsigned seed = 1; seed <= 3; ++seed) {
        RegionRun run(hotspot_design(seed));
        const rvn::PostState& st = run.st;
        ASSERT_EQ(st.regions.size(), 2u) << run.quiet.out.text();
        EXPECT_EQ(st.regions[0].group, 0);
        EXPECT_EQ(st.regions[1].group, 1);
        for (const rvn::Region& r : st.regions) {
            int count = 0;
            double p = 0.0, a = 0.0, d = 0.0;
            for_each_in_region(st, r, [&](int row, int q) {
                const double* slot = st.s.qtl[row] + q * st.s.S;
                ++count;
                p += slot[0];
                a += slot[1];
                d += slot[2];
            });
            ASSERT_EQ(r.samples(), count);
            EXPECT_NEAR(r.prob, static_cast<double>(count) / st.n_post, 1e-12);
            const rvn::RegionStats rs = rvn::region_stats(st, r.k0, r.k1);
            p /= count, a /= count, d /= count;
            EXPECT_NEAR(rs.AE[0], a, 1e-12);
            const double q = 1.0 - p;
            EXPECT_NEAR(rs.AV[0], 2 * p * q * std::pow(a + d * (q - p), 2), 1e-12);
            EXPECT_NEAR(rs.DV[0], std::pow(2 * p * q * d, 2), 1e-12);
        }
        EXPECT_TRUE(run.quiet.printed("\n\nSUM( Prob ) = "));
        EXPECT_TRUE(run.quiet.printed("\n BC, SUM( AVt1 ) = "));
        const std::string info = testsupport::read_file(run.dir / "MQTRRegions.info");
        EXPECT_NE(info.find("Read from file:  " + (run.dir / "MQTRegions.new").string()), std::string::npos);
    }
}

TEST(MarkedRegions, RegionRunningToTheGroupsLastBinIsReported)
{
    QtlStateDesign d = hotspot_design(2);
    d.hotspots = {100.25};
    RegionRun run(d);
    ASSERT_EQ(run.st.regions.size(), 1u) << run.quiet.out.text();
    // It reaches the group's last sample.
    EXPECT_EQ(run.st.regions[0].k1, rvn::group_samples(run.st, run.st.groups[0]).last - 1);
    EXPECT_GT(run.st.regions[0].prob, 0.5);
}

TEST(MarkedRegions, RegionsNoSampleVisitsGiveZerosEverywhere)
{
    // The second region lies where no sample is, the third past the last one.
    RegionRun run(hotspot_design(1), "100.10 100.14 ; user region\n200.380 200.385\n200.399 200.3995\n");
    const rvn::PostState& st = run.st;
    ASSERT_EQ(st.regions.size(), 3u);
    for (int r : {1, 2}) {
        EXPECT_EQ(st.regions[r].samples(), 0);
        EXPECT_EQ(st.regions[r].prob, 0.0);
        const rvn::RegionStats rs = rvn::region_stats(st, st.regions[r].k0, st.regions[r].k1);
        EXPECT_EQ(rs.AV[0], 0.0);
        const rvn::RegionValue v = rvn::region_value(st, st.regions[r], 0, 0);
        EXPECT_EQ(v.add + v.dom, 0.0);
    }
    rvn::write_region_genotypes(st);
    const std::string csv = testsupport::read_file(run.dir / "MQTRegionsGTP.csv");
    EXPECT_EQ(csv.find("nan"), std::string::npos);
    EXPECT_NE(csv.find("\nb,"), std::string::npos);
    EXPECT_EQ(csv.find("\nc,"), std::string::npos);  // print flag 0
    EXPECT_NE(csv.find(",0.00,0.00,0.00,0.00,0.00,0.00\n"), std::string::npos) << csv;
}

TEST(MarkedRegions, RegionGenotypeProbabilitiesAgreeWithTheOracle)
{
    RegionRun run(hotspot_design(3));
    const rvn::PostState& st = run.st;
    rvn::write_region_genotypes(st);
    const std::string gtp = testsupport::read_file(run.dir / "MQTRegionsGTP.csv");
    for (int i : {0, 1, 3}) {
        std::string expected = "\n" + st.names[i];
        for (const rvn::Region& r : st.regions) {
            double c[3] = {0, 0, 0};
            for_each_in_region(st, r, [&](int row, int q) {
                const int g = st.s.qtl_geno[row][q * st.s.geno_per_slot + i];
                c[g == 0 ? 0 : (g == 3 ? 2 : 1)] += 1.0;
            });
            char cell[64];
            for (double v : c) {
                std::snprintf(cell, sizeof cell, ",%.2lf", v / r.samples());
                expected += cell;
            }
        }
        EXPECT_NE(gtp.find(expected + "\n"), std::string::npos) << expected << "\n" << gtp;
    }
}

TEST(MarkedRegions, BadRegionsFilesEndTheRun)
{
    {
        testsupport::TempDir dir;
        rvn::PostState st = posttest::qtl_state(hotspot_design(1), dir);
        testsupport::write_file(dir / "MQTRegions.inp", "; mine\n100.10 100.14 0.5\n");
        Quiet quiet;
        EXPECT_THROW(rvn::read_regions(st), vsk::FatalExit);
        EXPECT_TRUE(quiet.printed("\nIncorrect number of strings in file " + (dir / "MQTRegions.inp").string() +
                                  " line 2"));
    }
    {
        testsupport::TempDir dir;
        rvn::PostState st = posttest::qtl_state(hotspot_design(1), dir);
        std::string many;
        for (int r = 0; r <= rvn::kMaxRegions; ++r) many += "100.10 100.11\n";
        testsupport::write_file(dir / "MQTRegions.inp", many);
        Quiet quiet;
        EXPECT_THROW(rvn::read_regions(st), vsk::FatalExit);
        EXPECT_TRUE(quiet.printed("too many MQT Regions (maxMQTR=200)"));
    }
}

TEST(BreedingValues, RegionAndQtlValuesAgreeWithTheOracle)
{
    RegionRun run(hotspot_design(4));
    const rvn::PostState& st = run.st;
    ASSERT_FALSE(st.regions.empty());
    const std::vector<rvn::RowSlot> flags = rvn::region_flags(st);
    for (int i = 0; i < 4; ++i) {
        std::vector<double> x(st.s.n(), 0.0);
        for (const rvn::Region& r : st.regions) {
            double add = 0.0, dom = 0.0;
            for_each_in_region(st, r, [&](int row, int q) {
                const double* slot = st.s.qtl[row] + q * st.s.S;
                const int c = st.s.qtl_geno[row][q * st.s.geno_per_slot + i];
                const double a = c == 0 ? slot[1] : (c == 3 ? -slot[1] : 0.0);
                const double d = c == 1 || c == 2 ? slot[2] : 0.0;
                add += a;
                dom += d;
            });
            const rvn::RegionValue v = rvn::region_value(st, r, i, 0);
            EXPECT_NEAR(v.add, add / st.n_post, 1e-12);
            EXPECT_NEAR(v.dom, dom / st.n_post, 1e-12);
        }
        // Regions do not overlap here: the per-sample vector sums the same.
        const std::vector<double> xq = rvn::qtl_values(st, flags, i, 0);
        double mean = 0.0;
        for (int r = st.burnin; r < st.s.n(); ++r) mean += xq[r] / st.n_post;
        double regions = 0.0;
        for (const rvn::Region& r : st.regions) {
            const rvn::RegionValue v = rvn::region_value(st, r, i, 0);
            regions += v.add + v.dom;
        }
        EXPECT_NEAR(mean, regions, 1e-9);
        const rvn::ValueSummary s = rvn::summarise_values(st, xq);
        rvn::EssResult ess;
        ASSERT_GE(rvn::calc_ess(xq.data(), st.s.n(), st.burnin, ess), 0);
        EXPECT_NEAR(s.std, std::sqrt(ess.var0), 1e-12);
        EXPECT_NEAR(s.mce, std::sqrt(ess.var), 1e-12);
    }
}

TEST(BreedingValues, ConstantVectorHasNoVarianceAndIsWrittenAsZero)
{
    RegionRun run(hotspot_design(1));
    const std::vector<double> constant(run.st.s.n(), 1.25);
    const rvn::ValueSummary s = rvn::summarise_values(run.st, constant);
    EXPECT_FALSE(s.defined);
    EXPECT_EQ(s.std, 0.0);
    EXPECT_EQ(s.mce, 0.0);
    EXPECT_DOUBLE_EQ(s.mean, 1.25);
}

TEST(BreedingValues, EveryTraitKeepsItsColumnsInTheCsv)
{
    QtlStateDesign d = hotspot_design(5);
    d.T = 2;
    RegionRun run(d);
    rvn::breeding_values(run.st);
    const std::string csv = testsupport::read_file(run.dir / "MQTRegionsEBV.csv");
    EXPECT_NE(csv.find("\nIndividual,MQTRa1_t1,MQTRd1_t1,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",SUMQTR_t2,std_sum_t2,mce_sum_t2"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(run.dir / "individualsT1.brv"));
    EXPECT_TRUE(std::filesystem::exists(run.dir / "individualsT2.brv"));
    // a, b and d: three rows of 2 x (4 region values + 5) cells.
    const std::size_t at = csv.find("\nd,");
    ASSERT_NE(at, std::string::npos);
    const std::string row = csv.substr(at + 1, csv.find('\n', at + 1) - at - 1);
    EXPECT_EQ(std::count(row.begin(), row.end(), ','), 18) << row;
}

}  // namespace

namespace {

TEST(BreedingValues, CohortVariancesOfARegionAgreeWithTheOracle)
{
    testsupport::TempDir dir;
    QtlStateDesign d = hotspot_design(6);
    rvn::PostState st = posttest::qtl_state(d, dir);
    const int C = 2, Q = d.Q;
    st.s.qtl_coh.assign(d.n, Q * C);
    for (int r = 0; r < d.n; ++r)
        for (int q = 0; q < Q; ++q)
            for (int c = 0; c < C; ++c)
                st.s.qtl_coh[r][q * C + c] = st.s.qtl_position(r, q) > 1.0 ? 0.1 * (c + 1) + 0.01 * (r % 7) : -1.0;
    st.s.has_qtl_coh = true;
    st.s.coh_per_slot = C;
    Quiet quiet;
    rvn::extract_qtl_samples(st);
    testsupport::write_file(dir / "MQTRegions.inp", "200.25 200.35\n");
    rvn::read_regions(st);
    rvn::cohort_variances(st);
    double expected[2] = {0.0, 0.0};
    for_each_in_region(st, st.regions[0], [&](int row, int q) {
        for (int c = 0; c < C; ++c) expected[c] += st.s.qtl_coh[row][q * C + c] / st.n_post;
    });
    const std::string var = testsupport::read_file(dir / "cohortsT1.var");
    for (int c = 0; c < C; ++c) {
        char line[128];
        std::snprintf(line, sizeof line, "\ncoh_%-9d %7.3lf %8.1lf   %8.1lf   %15.3lf", c + 1, expected[c], 0.0, 0.0,
                      expected[c]);
        EXPECT_NE(var.find(line), std::string::npos) << line << "\n" << var;
    }
}

}  // namespace
