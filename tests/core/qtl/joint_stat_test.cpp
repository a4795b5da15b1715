// The QTL sweep with phenotypes, checked against its prior by alternating
// it with a fresh draw of the phenotypes from the model given the current
// state (mean, QTL genotypes and effects, residual variance 1). The pair
// leaves the joint law of state and data invariant, so the number of QTL
// must follow its prior although every birth, death and long-range update
// weighs real phenotypes: a move whose ratio is wrong shows up as a shifted
// count, and the positions must follow the location prior. On the
// prior-draw path the additive effects (uniform between the
// bounds -2 and 2, folded to a positive first trait by the flip) must also
// keep their prior, mean 1; on the marginal path the additive effect
// variance of trait 1 must keep its prior, 2 P x with x ~ Beta(2, 10) and
// the phenotypic variance P = 1 (mean 1/3, SD 0.207).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "core/state/console.h"
#include "qtl_fixture.h"

namespace {

std::vector<double> truncated_poisson(double lambda, int max)
{
    std::vector<double> p(static_cast<std::size_t>(max) + 1);
    double total = 0.0, term = 1.0;
    for (int k = 0; k <= max; ++k) {
        if (k > 0) term *= lambda / k;
        p[static_cast<std::size_t>(k)] = term;
        total += term;
    }
    for (double& v : p) v /= total;
    return p;
}

// Phenotypes drawn from the model at the current state (independent unit
// residuals per trait); residuals follow.
void draw_phenotypes(qtl_test::Project& pr, std::mt19937& gen)
{
    std::normal_distribution<double> noise(0.0, 1.0);
    for (int c = 0; c < pr.p.n_individuals; ++c)
        for (int t = 0; t < pr.p.n_traits; ++t) {
            double fit = pr.p.nuis_effects[0][t];
            for (const vsk::Gene& g : pr.gene)
                if (g.status != 0) fit += g.gval[g.gtp[static_cast<std::size_t>(c)]][t];
            const double e = noise(gen);
            pr.phe.Y[c][t] = fit + e;
            pr.phe.residual[c][t] = e;
        }
}

struct JointCase {
    int addGENE = 5, domGENE = 0, traits = 1;
    bool outbred_pedigree = false;  // three generations, marker indicators known
};

// Founders 1..8, 12 offspring of founder pairs, 8 grandchildren of pairs of
// those offspring.
std::vector<std::pair<int, int>> three_generations()
{
    auto parents = qtl_test::founder_pairs(8, 12);
    for (int k = 0; k < 8; ++k) parents.push_back({9 + (2 * k) % 12, 9 + (2 * k + 1) % 12});
    return parents;
}

void set_traits(qtl_test::Project& P, int traits)
{
    vsk::Par& p = P.p;
    p.n_traits = traits;
    P.phe.assign(p.n_individuals, traits);
    p.res_prec.assign(traits, traits, 0.0);
    p.res_cov.assign(traits, traits, 0.0);
    p.varPOA.assign(traits, traits, 0.0);
    p.varPOD.assign(traits, traits, 0.0);
    p.qtl_cov.assign(traits, traits, 0.0);
    p.nuis_effects.assign(1, traits, 0.0);
    for (int t = 0; t < traits; ++t) {
        p.res_prec[t][t] = p.res_cov[t][t] = 1.0;
        p.varPOA[t][t] = p.varPOD[t][t] = 0.3;
    }
    p.res_logdet = 0.0;
    p.pheno_var.assign(static_cast<std::size_t>(traits), 1.0);
    p.mean_prior_mean.assign(static_cast<std::size_t>(traits), 0.0);
    p.mean_prior_var.assign(static_cast<std::size_t>(traits), 1.0);
    P.b.gene_lower.assign(static_cast<std::size_t>(traits), -2.0);
    P.b.gene_upper.assign(static_cast<std::size_t>(traits), 2.0);
}

// Random known indicators at every marker row for every non-founder.
void set_marker_indicators(qtl_test::Project& P, unsigned seed)
{
    std::mt19937 gen(seed);
    vsk::QtlModel& m = P.model();
    for (std::size_t k = 0; k < P.mrk.size(); ++k) {
        const int row = m.w.marker_row[k];
        for (int c = 0; c < P.p.n_individuals; ++c) {
            if (P.o[static_cast<std::size_t>(c)].fat == 0) continue;
            P.gpo0[row][c] = static_cast<signed char>(gen() & 1U);
            P.gpo1[row][c] = static_cast<signed char>(gen() & 1U);
        }
    }
}

void check_joint(const JointCase& jc, unsigned seed, bool uniform_effects)
{
    auto pr = qtl_test::make_project(8, jc.outbred_pedigree ? three_generations() : qtl_test::founder_pairs(8, 12));
    qtl_test::Project& P = *pr;
    set_traits(P, jc.traits);
    for (int c = 0; c < P.p.n_individuals; ++c)
        for (int t = 0; t < jc.traits; ++t) P.phe.phenotype[c][t] = 1;
    P.p.n_phenotyped = P.p.n_individuals;
    P.p.addGENE = jc.addGENE;
    P.p.domGENE = jc.domGENE;
    P.p.nqtl = 1;
    P.rng.seed(seed);
    std::mt19937 gen(seed);
    vsk::QtlModel& m = P.model();
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    draw_phenotypes(P, gen);
    vsk::sample_qtl(m, 0);
    if (jc.outbred_pedigree) {
        set_marker_indicators(P, seed);
        for (int s = 0; s < P.p.maximQTL; ++s)
            if (P.gene[static_cast<std::size_t>(s)].status == 1) {
                vsk::apply_slot_values(m, P.gene[static_cast<std::size_t>(s)], -1);
                vsk::sample_allele_origin(m, s, false);
                vsk::apply_slot_values(m, P.gene[static_cast<std::size_t>(s)], +1);
            }
    }
    draw_phenotypes(P, gen);
    std::vector<double> counts(static_cast<std::size_t>(P.p.maximQTL) + 1, 0.0);
    double effects = 0.0, effect_sum = 0.0, v_sum = 0.0, v_sq = 0.0;
    std::vector<double> intervals(P.mrk.size(), 0.0);
    const int sweeps = 40000, burn = 1000;
    for (int s = 0; s < sweeps; ++s) {
        P.p.cur_sweep = s;
        vsk::sample_qtl(m, 1);
        draw_phenotypes(P, gen);
        if (s < burn) continue;
        v_sum += P.p.varPOA[0][0];
        v_sq += P.p.varPOA[0][0] * P.p.varPOA[0][0];
        counts[static_cast<std::size_t>(P.p.nqtl)] += 1.0;
        for (const vsk::Gene& g : P.gene)
            if (g.status == 1) {
                intervals[static_cast<std::size_t>(g.interval - 1)] += 1.0;
                effects += 1.0;
                effect_sum += g.eff[vsk::kAddRow][0];
            }
    }
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    const double n = sweeps - burn;
    const std::vector<double> prob = truncated_poisson(P.p.priorQTL, P.p.maximQTL);
    for (std::size_t k = 0; k < prob.size(); ++k) {
        const double se = std::sqrt(prob[k] * (1 - prob[k]) / (n / 20.0));
        EXPECT_NEAR(counts[k] / n, prob[k], 5 * se + 1e-3) << "number " << k;
    }
    std::vector<double> prior(P.mrk.size(), 0.0);
    double mass = 0.0;
    for (std::size_t j = 0; j + 1 < P.mrk.size(); ++j)
        if (P.mrk[j].chrom == P.mrk[j + 1].chrom) {
            prior[j] = P.mrk[j].prior_weight * (P.mrk[j + 1].position - P.mrk[j].position);
            mass += prior[j];
        }
    for (std::size_t j = 0; j < prior.size(); ++j) {
        const double q = prior[j] / mass;
        const double se = std::sqrt(q * (1 - q) / (effects / 20.0));
        EXPECT_NEAR(intervals[j] / effects, q, 5 * se + 1e-3) << "interval " << j;
    }
    if (jc.addGENE == 5) {
        const double mean = 1.0 / 3.0, sd = 2.0 * std::sqrt(2.0 * 10.0 / (12.0 * 12.0 * 13.0));
        EXPECT_NEAR(v_sum / n, mean, 5 * sd / std::sqrt(n / 20.0));
        EXPECT_NEAR(std::sqrt(v_sq / n - (v_sum / n) * (v_sum / n)), sd, 0.15 * sd);
    }
    if (uniform_effects) {
        const double se = (2.0 / std::sqrt(12.0)) / std::sqrt(effects / 20.0);
        EXPECT_NEAR(effect_sum / effects, 1.0, 5 * se);
    }
}

TEST(QtlJointStat, MarginalPathKeepsThePriorWithPhenotypes) { check_joint({5, 0, 1, false}, 31, false); }
TEST(QtlJointStat, PriorDrawPathKeepsThePriorWithPhenotypes) { check_joint({1, 0, 1, false}, 32, true); }
// Two traits, dominance, three generations with informative markers: the
// setting of the outbred designs.
TEST(QtlJointStat, MarginalPathKeepsThePriorOnAnOutbredPedigree) { check_joint({5, 5, 2, true}, 33, false); }

}  // namespace
