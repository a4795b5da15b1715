// The residual invariant checker and the functions through which genetic
// terms enter and leave the residuals: the checker finds a wrong residual;
// every term function keeps the invariant; the residual steps keep it after
// every step of a chain with fixed, random and missing values.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/residual/residual.h"
#include "core/residual/residual_check.h"
#include "core/residual/residual_terms.h"
#include "residual_fixture.h"

namespace {

using residual_test::make_model;
using residual_test::Model;

// Two traits, a fixed (3 levels) and a random (4 levels) factor, 12
// individuals with random phenotypes; residual = Y - nuisance effects.
Model consistent_model()
{
    Model m = make_model(2, {3, 4}, {{0, 0}, {1, 1}}, 12);
    std::mt19937 g(3);
    std::normal_distribution<double> z;
    for (int l = 0; l < m.p.n_levels; ++l)
        for (int j = 0; j < 2; ++j) m.p.nuis_effects[l][j] = z(g);
    for (int i = 0; i < 12; ++i) {
        m.o[i].X_nuis[1] = i % 3 + 1;
        m.o[i].X_nuis[2] = i % 4 + 1;
        for (int j = 0; j < 2; ++j) {
            m.ph.Y[i][j] = 10.0 + z(g);
            m.ph.residual[i][j] = m.ph.Y[i][j];
            for (int c = 0; c < 3; ++c)
                m.ph.residual[i][j] -= m.p.nuis_effects[m.p.level_first[c] + m.o[i].X_nuis[c] - 1][j];
        }
    }
    return m;
}

template <class GeneRecord>
GeneRecord random_gene(int n, std::mt19937& g)
{
    GeneRecord gene;
    gene.status = 1;
    gene.gval.assign(4, 2);
    std::normal_distribution<double> z;
    for (int code = 0; code < 4; ++code)
        for (int j = 0; j < 2; ++j) gene.gval[code][j] = z(g);
    gene.gtp.resize(n);
    for (int& code : gene.gtp) code = static_cast<int>(g() % 4);
    return gene;
}

double check(const Model& m, const std::vector<vsk::Gene>& qtl = {}, const std::vector<vsk::Polygene>& fpm = {})
{
    return vsk::check_residuals(m.p, m.o, m.ph, qtl, fpm).max_difference;
}

TEST(ResidualCheck, FindsTheWrongResidual)
{
    Model m = consistent_model();
    EXPECT_LT(check(m), 1e-12);
    m.ph.residual[7][1] += 0.25;
    const vsk::ResidualCheck c = vsk::check_residuals(m.p, m.o, m.ph, {}, {});
    EXPECT_NEAR(c.max_difference, 0.25, 1e-12);
    EXPECT_EQ(c.individual, 8);
    EXPECT_EQ(c.trait, 1);
    // Imputed and unused values are not compared with Y.
    m.ph.phenotype[7][1] = 0;
    EXPECT_LT(check(m), 1e-12);
    m.ph.phenotype[7][1] = vsk::kUnknown;
    EXPECT_LT(check(m), 1e-12);
}

TEST(ResidualCheck, GeneticTermsEnterAndLeaveThroughTheirFunctions)
{
    Model m = consistent_model();
    m.p.indicQTL = 1;
    m.p.indicFPM = 1;
    m.p.indicTIM = 1;
    m.p.maximQTL = 2;
    m.p.maximFPM = 1;
    std::mt19937 g(5);
    std::vector<vsk::Gene> qtl = {random_gene<vsk::Gene>(12, g), random_gene<vsk::Gene>(12, g)};
    std::vector<vsk::Polygene> fpm = {random_gene<vsk::Polygene>(12, g)};
    m.ph.phenotype[4][0] = vsk::kUnknown;  // never read, never changed
    const double unused = m.ph.residual[4][0];

    // Genes not yet in the model: status 0 means they do not count.
    qtl[0].status = qtl[1].status = fpm[0].status = 0;
    EXPECT_LT(check(m, qtl, fpm), 1e-12);
    for (vsk::Gene& q : qtl) {
        q.status = 1;
        vsk::add_gene_to_residuals(q, m.ph, 2);
    }
    fpm[0].status = 1;
    vsk::add_gene_to_residuals(fpm[0], m.ph, 2);
    EXPECT_LT(check(m, qtl, fpm), 1e-12);
    EXPECT_GT(vsk::check_residuals(m.p, m.o, m.ph, {}, fpm).max_difference, 1e-3) << "the QTL terms count";

    // Genotype moves, one individual at a time.
    for (int i = 0; i < 12; ++i) {
        vsk::change_gene_genotype(qtl[1], i, (qtl[1].gtp[i] + 1) % 4, m.ph, 2);
        vsk::change_gene_genotype(fpm[0], i, (fpm[0].gtp[i] + 3) % 4, m.ph, 2);
    }
    EXPECT_LT(check(m, qtl, fpm), 1e-12);

    // Infinitesimal effects.
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 2; ++j) vsk::change_infinitesimal_effects(m.ph, i, j, 0.1 * i - 0.3 * j, 0.05 * j);
    EXPECT_LT(check(m, qtl, fpm), 1e-12);

    // A death: the gene leaves and no longer counts.
    vsk::remove_gene_from_residuals(qtl[0], m.ph, 2);
    qtl[0].status = 0;
    EXPECT_LT(check(m, qtl, fpm), 1e-12);
    EXPECT_EQ(m.ph.residual[4][0], unused);
}

// The steps of the residual model keep the invariant after every step of a
// chain (fixed and random factors, a missing second trait imputed).
TEST(ResidualCheck, ResidualStepsKeepTheInvariantEveryStep)
{
    Model m = consistent_model();
    for (int j = 0; j < 2; ++j) {
        m.p.pheno_cov[j][j] = 4.0;
        m.p.nuis_cov[0][j][j] = 0.5;
    }
    for (int i = 0; i < 12; i += 5) m.ph.phenotype[i][1] = 0;  // missing, imputed
    vsk::Rng r;
    double lcalls = 0, pcalls = 0;
    vsk::augment_phenotypes(m.p, m.o, m.ph, r);
    for (int sweep = 0; sweep < 30; ++sweep) {
        m.p.cur_sweep = sweep;
        for (int c = 0; c < 3; ++c) {
            vsk::sample_nuisance(m.p, m.o, m.ph, m.b, r, c, 0, c == 2 ? 1 : 0);
            ASSERT_LT(check(m), 1e-9) << "sweep " << sweep << ", column " << c;
        }
        vsk::sample_var_r(m.p, r, 2, 0);
        vsk::sample_var_err(m.p, m.ph, r);
        vsk::calc_likelihood(m.p, m.ph, lcalls);
        vsk::prediction_phenotype(m.p, {}, {}, m.ph, pcalls);
        vsk::augment_phenotypes(m.p, m.o, m.ph, r);
        ASSERT_LT(check(m), 1e-9) << "sweep " << sweep;
    }
}

}  // namespace
