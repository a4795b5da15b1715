// Steps of the finite polygenic model on small pedigrees: a rejected birth or
// death leaves the state as it was, the per-gene effect step draws from its
// analytic normal conditional, genes keep Mendelian genotypes (a doubled
// haploid is homozygous, every allele comes from a parent), the deletion
// check removes a gene monomorphic among the founders, and the tallies of a
// fixed number of genes count every sweep.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/state/console.h"
#include "fpm_fixture.h"

namespace {

using qtl_test::Project;

// Every individual phenotyped with y = 1.5 x (first gene's additive
// covariate) + noise once a gene is in the model.
void phenotype_all(Project& pr, unsigned seed)
{
    pr.phe.Y.assign(pr.p.n_individuals, 1, 0.0);
    pr.phe.residual.assign(pr.p.n_individuals, 1, 0.0);
    vsk::Rng r;
    r.seed(seed);
    for (int c = 0; c < pr.p.n_individuals; ++c) {
        pr.phe.phenotype[c][0] = 1;
        pr.phe.Y[c][0] = r.normal();
        pr.phe.residual[c][0] = pr.phe.Y[c][0];
    }
    pr.p.n_phenotyped = pr.p.n_individuals;
}

struct Snapshot {
    std::vector<int> status, gtp;
    std::vector<double> eff, residual;
    int nfpm = 0;
};

Snapshot snapshot(const Project& pr)
{
    Snapshot s;
    s.nfpm = pr.p.nfpm;
    for (const vsk::Gene& g : pr.gene) {
        s.status.push_back(g.status);
        if (g.status == 0) continue;
        s.gtp.insert(s.gtp.end(), g.gtp.begin(), g.gtp.end());
        for (int r = 0; r < vsk::kGenotypes; ++r) s.eff.push_back(g.eff[r][0]);
    }
    for (int c = 0; c < pr.p.n_individuals; ++c) s.residual.push_back(pr.phe.residual[c][0]);
    s.residual.push_back(pr.p.nuis_effects[0][0]);
    return s;
}

void expect_same(const Snapshot& a, const Snapshot& b)
{
    EXPECT_EQ(a.status, b.status);
    EXPECT_EQ(a.gtp, b.gtp);
    EXPECT_EQ(a.nfpm, b.nfpm);
    ASSERT_EQ(a.eff.size(), b.eff.size());
    for (std::size_t k = 0; k < a.eff.size(); ++k) EXPECT_DOUBLE_EQ(a.eff[k], b.eff[k]);
    ASSERT_EQ(a.residual.size(), b.residual.size());
    for (std::size_t k = 0; k < a.residual.size(); ++k) EXPECT_NEAR(a.residual[k], b.residual[k], 1e-10);
}

class Quiet : public ::testing::Test {
protected:
    void SetUp() override
    {
        sink_ = std::tmpfile();
        vsk::set_console_stream(sink_);
    }
    void TearDown() override
    {
        vsk::set_console_stream(nullptr);
        std::fclose(sink_);
    }
    std::FILE* sink_ = nullptr;
};

class FpmMoves : public Quiet {};

TEST_F(FpmMoves, RejectedBirthsAndDeathsRestoreTheState)
{
    for (int add : {5, 1}) {
        auto pr = fpm_test::make_project(6, 30, 3, add);
        phenotype_all(*pr, 3);
        pr->p.nfpm = 2;
        vsk::QtlModel& m = pr->model();
        vsk::sample_fpm(m, 0);
        int rejected = 0;
        for (int k = 0; k < 200; ++k) {
            const bool death = k % 2 == 1;
            const Snapshot before = snapshot(*pr);
            int r;
            if (add == 5) r = death ? vsk::rjs_death(m) : vsk::rjs_birth(m);
            else r = vsk::rev_jump(m, death ? 1 : 0);
            if (r == vsk::kRejected) {
                ++rejected;
                expect_same(before, snapshot(*pr));
            }
            EXPECT_EQ(pr->p.nfpm, vsk::active_count(m));
            EXPECT_LT(qtl_test::max_residual_error(*pr), 1e-9);
        }
        EXPECT_GT(rejected, 10) << "setting " << add;
    }
}

// y_c = mu + a x_c + e_c: with the other terms fixed the additive effect's
// full conditional is normal with precision sum x^2 / s2 + 1 / V and mean
// (sum x r / s2) / precision, r the residual with the gene added back.
TEST_F(FpmMoves, EffectStepDrawsFromItsNormalConditional)
{
    auto pr = fpm_test::make_project(6, 40, 2, 2);
    vsk::Par& p = pr->p;
    phenotype_all(*pr, 5);
    p.res_prec[0][0] = 1.0 / 0.5;
    p.varPOA[0][0] = 0.8;
    p.nfpm = 1;
    vsk::QtlModel& m = pr->model();
    vsk::init_desc_strata_fpm(m);
    vsk::Gene& g = pr->gene[0];
    g.status = 1;
    const double cov[4] = {1.0, 0.0, 0.0, -1.0};
    double sxx = 0.0, sxy = 0.0;
    for (int c = 0; c < p.n_individuals; ++c) {
        const int code = c % 3 == 0 ? 0 : (c % 3 == 1 ? 1 : 3);
        g.gtp[static_cast<std::size_t>(c)] = code;
        pr->phe.Y[c][0] += 3.0 * cov[code];
        pr->phe.residual[c][0] = pr->phe.Y[c][0];
        sxx += cov[code] * cov[code];
        sxy += cov[code] * pr->phe.Y[c][0];
    }
    g.eff[vsk::kAddRow][0] = 0.0;
    vsk::compute_gval(p, g);
    const double prec = sxx / 0.5 + 1.0 / 0.8, mean = (sxy / 0.5) / prec;
    ASSERT_GT(mean, 8.0 / std::sqrt(prec));  // no sign flips
    const int draws = 20000;
    double s1 = 0.0, s2 = 0.0;
    for (int k = 0; k < draws; ++k) {
        vsk::sample_gtp_par(m, 0);
        const double a = g.eff[vsk::kAddRow][0];
        s1 += a;
        s2 += a * a;
    }
    const double mu = s1 / draws, var = s2 / draws - mu * mu;
    EXPECT_NEAR(mu, mean, 5.0 * std::sqrt(1.0 / prec / draws));
    EXPECT_NEAR(var, 1.0 / prec, 5.0 * (1.0 / prec) * std::sqrt(2.0 / draws));
    EXPECT_LT(qtl_test::max_residual_error(*pr), 1e-9);
}

// Selfings and doubled haploids: every allele state is one of its parent's,
// a doubled haploid is homozygous.
TEST_F(FpmMoves, GenotypesFollowMendelianTransmission)
{
    auto pr = qtl_test::make_project(4, {{1, 2}, {3, 4}, {5, 6}, {7, vsk::kSelfed}, {7, vsk::kDbhpld}, {8, vsk::kDbhpld}},
                                     qtl_test::MapLayout{}, 0);
    vsk::Par& p = pr->p;
    p.indicQTL = 0;
    p.indicFPM = 2;
    p.maximFPM = 3;
    p.addFPM = 5;
    p.domFPM = 5;
    p.fpm_cov.assign(1, 1, 0.0);
    pr->b.freq_lower = 0.05;
    pr->b.freq_upper = 0.95;
    vsk::QtlModel& m = pr->model();
    vsk::make_fpm(m);
    phenotype_all(*pr, 9);
    vsk::sample_fpm(m, 0);
    EXPECT_EQ(p.nfpm, 3);
    for (int sweep = 0; sweep < 200; ++sweep) {
        vsk::sample_fpm(m, 1);
        EXPECT_EQ(p.nfpm, 3);
        for (const vsk::Gene& g : pr->gene) {
            for (int c = 0; c < p.n_individuals; ++c) {
                const vsk::Obs& ind = pr->o[static_cast<std::size_t>(c)];
                if (ind.fat == 0) continue;
                int a, b, f0, f1, m0, m1;
                vsk::genotype_alleles(g.gtp[static_cast<std::size_t>(c)], a, b);
                vsk::genotype_alleles(g.gtp[static_cast<std::size_t>(ind.fat - 1)], f0, f1);
                vsk::genotype_alleles(g.gtp[static_cast<std::size_t>(ind.mot_gen - 1)], m0, m1);
                EXPECT_TRUE(a == f0 || a == f1);
                EXPECT_TRUE(b == m0 || b == m1);
                if (ind.mot == vsk::kDbhpld) {
                    EXPECT_EQ(a, b);
                }
            }
        }
    }
    // Tallies: every individual counted once per sweep and gene.
    for (const vsk::Gene& g : pr->gene)
        for (int c = 0; c < p.n_individuals; ++c) EXPECT_EQ(g.tally[c][0] + g.tally[c][1] + g.tally[c][2], 201);
    EXPECT_LT(qtl_test::max_residual_error(*pr), 1e-9);
}

}  // namespace

namespace {

// All founders homozygous for allele 0: the gene only shifts the mean.
void fix_founders(qtl_test::Project& pr, vsk::Gene& g)
{
    vsk::QtlModel& m = pr.model();
    vsk::apply_slot_values(m, g, -1);
    for (int& a : g.alstate) a = 0;
    vsk::derive_all_genotypes(m, g);
    vsk::apply_slot_values(m, g, +1);
}

int run_deletion_checks(qtl_test::Project& pr, int sweeps)
{
    int first_free = -1;
    for (int k = 0; k < sweeps; ++k) {
        fix_founders(pr, pr.gene[0]);
        vsk::fpm_deletion_check(pr.model());
        if (pr.gene[0].status == 0 && first_free < 0) first_free = k;
        if (pr.gene[0].status == 0) break;
    }
    return first_free;
}

TEST_F(FpmMoves, GeneMonomorphicAmongFoundersIsDeletedAfterTenSweeps)
{
    const int saved = vsk::REDprint;
    vsk::REDprint = 1;  // no check.log
    auto pr = fpm_test::make_project(6, 20, 2, 5);
    phenotype_all(*pr, 4);
    pr->p.max_gen_coeff = 1.0;
    pr->p.nfpm = 1;
    vsk::QtlModel& m = pr->model();
    vsk::sample_fpm(m, 0);
    pr->p.nfpm = 1;
    if (pr->gene[0].status != 1) GTEST_SKIP() << "the first sweep removed the gene";
    // Ten monomorphic sweeps are tolerated, the eleventh deletes.
    EXPECT_EQ(run_deletion_checks(*pr, 20), 10);
    EXPECT_EQ(pr->p.nfpm, vsk::active_count(m));
    EXPECT_LT(qtl_test::max_residual_error(*pr), 1e-9);
    vsk::REDprint = saved;
}

TEST_F(FpmMoves, FixedNumberOfGenesReplacesADeletedGeneAtOnce)
{
    const int saved = vsk::REDprint;
    vsk::REDprint = 1;
    auto pr = fpm_test::make_project(6, 20, 2, 5);
    phenotype_all(*pr, 6);
    pr->p.indicFPM = 2;
    pr->p.max_gen_coeff = 1.0;
    vsk::QtlModel& m = pr->model();
    vsk::sample_fpm(m, 0);
    for (int k = 0; k < 11; ++k) {
        fix_founders(*pr, pr->gene[0]);
        vsk::fpm_deletion_check(m);
    }
    EXPECT_EQ(pr->gene[0].status, 1);
    EXPECT_EQ(pr->p.nfpm, 2);
    EXPECT_EQ(m.w.mono[0], 0);  // the counter starts again with the new gene
    EXPECT_LT(qtl_test::max_residual_error(*pr), 1e-9);
    vsk::REDprint = saved;
}

}  // namespace
