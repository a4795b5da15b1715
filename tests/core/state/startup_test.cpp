// Sizing and release of the shared records, the tagged allocation failures,
// the accessors and the initialisers called by the data readers.
#include <algorithm>
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/state/allocation.h"
#include "core/state/console.h"
#include "core/state/startup.h"
#include "core/voskara.h"
#include "support/test_support.h"
#include "textfile/fatal.h"

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset()
    {
        vsk::FreeGlobalVariables();
        vsk::par = vsk::Par{};
    }

    // A small analysis: 7 individuals, 2 nuisance columns, 2 traits,
    // 4 markers of at most 5 alleles, 2 QTL slots, 1 FPM gene.
    static vsk::Par small_par()
    {
        vsk::Par p;
        p.n_individuals = 7;
        p.n_nuis = 3;
        p.n_traits = 2;
        p.n_markers = 4;
        p.max_alleles = 5;
        p.maximQTL = 2;
        p.maximFPM = 1;
        return p;
    }
};

TEST_F(StartupTest, AccessorsGiveTheSharedRecords)
{
    EXPECT_EQ(vsk::get_par_struct(), &vsk::par);
    EXPECT_EQ(vsk::get_par_struct(), vsk::get_par_struct());
    EXPECT_EQ(vsk::get_obs_struct(), nullptr);  // nothing allocated yet
    EXPECT_EQ(vsk::get_mrkrlcs_struct(), nullptr);
    EXPECT_STREQ(vsk::getversion(), "0.99130");
    EXPECT_STREQ(vsk::getversiondate(), "16.FEB.2016");

    vsk::par = small_par();
    vsk::allocate_state(vsk::par);
    EXPECT_EQ(vsk::get_obs_struct(), vsk::obs.data());
    EXPECT_NE(vsk::get_obs_struct(), nullptr);

    vsk::set_project_dirF("some/project");
    EXPECT_EQ(vsk::project_dirF, "some/project");
    vsk::project_dirF.clear();
}

TEST_F(StartupTest, SizesEveryRecordFromTheParameters)
{
    vsk::par = small_par();
    vsk::allocate_state(vsk::par);

    ASSERT_EQ(vsk::obs.size(), 7u);
    for (const vsk::Obs& o : vsk::obs) {
        EXPECT_EQ(o.X_nuis, std::vector<int>(3, 0));
        EXPECT_EQ(o.fat, 0);
        EXPECT_EQ(o.mot, 0);
    }
    // Trait tables: one row per individual, one column per trait, all 0.
    for (const vsk::Table<double>* t : {&vsk::phe.residual, &vsk::phe.Y, &vsk::phe.prediction,
                                        &vsk::phe.infpoleff, &vsk::phe.timdom}) {
        ASSERT_EQ(t->rows(), 7);
        ASSERT_EQ(t->cols(), 2);
        EXPECT_EQ(std::count(t->data(), t->data() + 14, 0.0), 14);
    }
    EXPECT_EQ(std::count(vsk::phe.phenotype.data(), vsk::phe.phenotype.data() + 14, 0), 14);
    ASSERT_EQ(vsk::mrkrlcs.size(), 4u);
    EXPECT_EQ(vsk::mrkrlcs2.size(), 4u);
    for (const vsk::Mrkrlcs& m : vsk::mrkrlcs) {
        EXPECT_EQ(m.freq.size(), 5u);
        EXPECT_EQ(m.nfreq.size(), 5u);
    }
    // Segregation indicators: markers + QTL rows, one column per individual, unknown.
    for (const vsk::Table<std::int8_t>* t : {&vsk::GPOarray0, &vsk::GPOarray1}) {
        ASSERT_EQ(t->rows(), 6);
        ASSERT_EQ(t->cols(), 7);
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 7; ++c) EXPECT_EQ((*t)[r][c], vsk::kUnknown);
    }
    EXPECT_EQ(vsk::gene.size(), 2u);
    EXPECT_EQ(vsk::tempgene.size(), 2u);
    EXPECT_EQ(vsk::polygene.size(), 1u);
    EXPECT_EQ(vsk::boundary.gene_upper.size(), 2u);
    EXPECT_EQ(vsk::boundary.nuis_lower.size(), 2u);
}

TEST_F(StartupTest, NoMarkersAndNoQtlAllocateNoMarkerRecordsNorIndicatorTables)
{
    vsk::par = small_par();
    vsk::par.n_markers = 0;
    vsk::par.maximQTL = 0;
    vsk::par.maximFPM = 0;
    vsk::allocate_state(vsk::par);

    EXPECT_EQ(vsk::obs.size(), 7u);
    EXPECT_TRUE(vsk::mrkrlcs.empty());
    EXPECT_TRUE(vsk::mrkrlcs2.empty());
    EXPECT_TRUE(vsk::GPOarray0.empty());
    EXPECT_TRUE(vsk::GPOarray1.empty());
    EXPECT_TRUE(vsk::gene.empty());
    EXPECT_TRUE(vsk::polygene.empty());
}

TEST_F(StartupTest, QtlSlotsAloneStillGetIndicatorRows)
{
    vsk::par = small_par();
    vsk::par.n_markers = 0;
    vsk::par.maximQTL = 1;
    vsk::allocate_state(vsk::par);
    EXPECT_EQ(vsk::GPOarray0.rows(), 1);
    EXPECT_EQ(vsk::GPOarray1.cols(), 7);
}

TEST_F(StartupTest, ReleasingTwiceReleasesNothingTheSecondTime)
{
    vsk::par = small_par();
    vsk::allocate_state(vsk::par);
    vsk::InitFPMating(3, 50);
    vsk::InitDescendants(4, 2);
    vsk::InitPNTstring(64);
    vsk::par.n_pos_ibd = 3;
    vsk::InitListPosIBD();

    vsk::FreeGlobalVariables();
    auto all_released = [] {
        return vsk::obs.empty() && vsk::mrkrlcs.empty() && vsk::mrkrlcs2.empty() && vsk::gene.empty() &&
               vsk::tempgene.empty() && vsk::polygene.empty() && vsk::FinalProg.empty() &&
               vsk::GPOarray0.empty() && vsk::GPOarray1.empty() && vsk::boundary.gene_upper.empty() &&
               vsk::PNTstring.empty() && vsk::par.descv.empty() && vsk::par.pos_ibd.empty() &&
               vsk::phe.residual.empty() && vsk::phe.phenotype.empty() && vsk::mrk.allele1.empty();
    };
    EXPECT_TRUE(all_released());
    // The driver still reads the settings after the release.
    EXPECT_EQ(vsk::par.n_traits, 2);
    EXPECT_EQ(vsk::par.maximQTL, 2);

    EXPECT_NO_THROW(vsk::FreeGlobalVariables());
    EXPECT_TRUE(all_released());

    // The state can be built again after a release.
    vsk::allocate_state(vsk::par);
    EXPECT_EQ(vsk::obs.size(), 7u);
}

// Every table and list held in `par`, so that a release can be checked
// field by field.
struct ParContainers {
    std::vector<std::size_t> sizes(const vsk::Par& p) const
    {
        return {p.founders.size(), p.lcohort.size(), p.lcohort_count.size(), p.indiT.size(), p.namesT.size(),
                cells(p.indiN), p.namesN.size(), p.level_first.size(), p.level_last.size(), cells(p.nuis_effects),
                p.level_flag.size(), p.pos_ibd.size(), cells(p.tab_t4), cells(p.pheno_cov), cells(p.res_cov),
                cells(p.res_prec), cells(p.res_cov_mean), p.nuis_cov.size(), cells(p.varPOA), cells(p.varPOD),
                p.pheno_mean.size(), p.pheno_var.size(), p.lwrtgtp.size(), p.descv.size(), p.descFP.size(),
                p.pheno_min.size(), p.pheno_max.size(), p.trait_shift.size(), p.trait_scale.size(), p.mean_prior_mean.size(), p.mean_prior_var.size(),
                cells(p.tim_cov), cells(p.timdom_cov), cells(p.qtl_cov), cells(p.fpm_cov), cells(p.rfmat[0]),
                cells(p.rfmat[1]), cells(p.lcs_rows), p.qtl_sorted.size(), p.qtl_rank.size()};
    }
    template <class T>
    static std::size_t cells(const vsk::Table<T>& t)
    {
        return static_cast<std::size_t>(t.rows()) * static_cast<std::size_t>(t.cols());
    }
    static void fill(vsk::Par& p)
    {
        for (auto* v : {&p.founders, &p.lcohort, &p.lcohort_count, &p.indiT, &p.level_first, &p.level_last,
                        &p.level_flag, &p.lwrtgtp, &p.descv, &p.descFP, &p.qtl_sorted, &p.qtl_rank})
            v->assign(3, 1);
        for (auto* v : {&p.pos_ibd, &p.pheno_mean, &p.pheno_var, &p.pheno_min, &p.pheno_max, &p.trait_shift, &p.trait_scale, &p.mean_prior_mean,
                        &p.mean_prior_var})
            v->assign(3, 1.0);
        p.namesT.assign(2, "t");
        p.namesN.assign(2, "n");
        p.indiN.assign(2, 2, 1);
        p.lcs_rows.assign(2, 2, 1);
        for (auto* t : {&p.nuis_effects, &p.tab_t4, &p.pheno_cov, &p.res_cov, &p.res_prec, &p.res_cov_mean,
                        &p.varPOA, &p.varPOD, &p.tim_cov, &p.timdom_cov, &p.qtl_cov, &p.fpm_cov, &p.rfmat[0],
                        &p.rfmat[1]})
            t->assign(2, 2, 1.0);
        p.nuis_cov.assign(vsk::kMaxRandomNuisance, vsk::Table<double>(2, 2, 1.0));
    }
};

TEST_F(StartupTest, ReleaseEmptiesEveryTableAndListOfTheParameterRecord)
{
    vsk::par = small_par();
    ParContainers containers;
    containers.fill(vsk::par);
    for (std::size_t size : containers.sizes(vsk::par)) ASSERT_GT(size, 0u);

    vsk::FreeGlobalVariables();
    const std::vector<std::size_t> after = containers.sizes(vsk::par);
    for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i], 0u) << "container " << i;
    EXPECT_EQ(vsk::par.n_traits, 2);
}

TEST_F(StartupTest, DataFileWithoutIndividualsIsFatal)
{
    vsk::par = small_par();
    vsk::par.n_individuals = 0;
    testing::internal::CaptureStdout();
    EXPECT_THROW(vsk::allocate_state(vsk::par), vsk::FatalExit);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "requested memory size is 0 (init_ind(),0," + std::to_string(sizeof(vsk::Obs)) + ")\n");
}

TEST_F(StartupTest, ExhaustedHeapNamesTheRecord)
{
    std::vector<double> v;
    testing::internal::CaptureStdout();
    EXPECT_THROW(vsk::alloc_tagged(v, "InitQTL()", LONG_MAX), vsk::FatalExit);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "short of memory for InitQTL()\n");
    EXPECT_TRUE(v.empty());
}

TEST_F(StartupTest, PhenotypeTextNeverWritesBeyondItsBuffer)
{
    vsk::InitPNTstring(10);
    EXPECT_EQ(vsk::AddPNTstring(0, "abcd"), 4);
    EXPECT_EQ(vsk::AddPNTstring(4, "efghi"), 5);  // fills up to the terminator
    EXPECT_STREQ(vsk::PNTstring.c_str(), "abcdefghi");
    EXPECT_EQ(vsk::AddPNTstring(9, "j"), -1);      // no room for text and terminator
    EXPECT_EQ(vsk::AddPNTstring(20, "x"), -1);
    EXPECT_EQ(vsk::PNTstring.size(), 10u);
    EXPECT_STREQ(vsk::PNTstring.c_str(), "abcdefghi");

    vsk::PNTheld = 1;
    vsk::FreePNTstring();
    EXPECT_TRUE(vsk::PNTstring.empty());
    EXPECT_EQ(vsk::PNTheld, 0);
    EXPECT_EQ(vsk::AddPNTstring(0, "a"), -1);
}

TEST_F(StartupTest, InitialisersSizeTheirLists)
{
    vsk::InitDescendants(3, 0);
    EXPECT_EQ(vsk::par.n_descv, 3);
    EXPECT_EQ(vsk::par.n_descFP, 0);
    EXPECT_EQ(vsk::par.descv, std::vector<int>(4, -1));
    EXPECT_TRUE(vsk::par.descFP.empty());

    vsk::InitFPMating(2, 5);
    ASSERT_EQ(vsk::FinalProg.size(), 2u);
    EXPECT_EQ(vsk::FinalProg[1].members, std::vector<int>(5, 0));
    EXPECT_EQ(vsk::get_finalprog_struct(), vsk::FinalProg.data());

    vsk::par.n_founders = 5;
    vsk::par.n_cohorts = 3;
    vsk::par.n_pos_ibd = 2;
    vsk::InitFounder();
    vsk::Initlcohort();
    vsk::Initlwrtgtp(4);
    vsk::InitListPosIBD();
    EXPECT_EQ(vsk::par.founders.size(), 5u);
    EXPECT_EQ(vsk::par.lcohort.size(), 3u);
    EXPECT_EQ(vsk::par.lcohort_count.size(), 3u);
    EXPECT_EQ(vsk::par.lwrtgtp.size(), 4u);
    EXPECT_EQ(vsk::par.pos_ibd, std::vector<double>(2, 0.0));
}

TEST_F(StartupTest, FinalProgenyRecordsWithoutIndividualsAreFatal)
{
    testing::internal::CaptureStdout();
    EXPECT_THROW(vsk::InitFPMating(0, 50), vsk::FatalExit);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("requested memory size is 0 (InitFPMating(),0,", 0), 0u) << out;
}

}  // namespace
