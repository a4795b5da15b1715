// The joint block of marker phases and QTL allele origins: its conditional
// against a from-scratch enumeration on a tiny pedigree, the residuals it
// leaves, and the marker-only form left unchanged when no QTL is in the
// model.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "core/markers/phase_world.h"
#include "core/qtl/joint_block.h"
#include "core/state/console.h"

using namespace vsk;

namespace {

// A marker world (phasetest) with one QTL slot and one trait on top.
struct JointWorld {
    phasetest::World w;
    Phe phe;
    Mrk mk;
    std::vector<Gene> temp;
    Boundary b;
    std::vector<FinalProgRec> fp;
    int acc_pos[24] = {};
    int acc_rj[4] = {};
    int acc_pv[4] = {};
    double twinv[14] = {};
    QtlWork qw;
    Rng rng;
    std::unique_ptr<QtlModel> qm;
    std::vector<double> y;

    PhaseModel pm() { return w.model(); }
    Gene& gene() { return w.genes[0]; }
};

void build(JointWorld& jw, unsigned seed, bool with_qtl)
{
    phasetest::Design d;
    d.pedigree = phasetest::outbred_pedigree(4, 2, 2);
    d.group_markers = {4, 3};
    d.spacing_cm = 15.0;
    d.n_alleles = 2;
    d.qtl_slots = 1;
    d.seed = seed;
    phasetest::build_world(jw.w, d);
    PhaseModel pm = jw.pm();
    initial_phases(pm);
    Par& p = jw.w.par;
    const int n = p.n_individuals;
    p.indicQTL = 1;
    p.n_traits = 1;
    p.n_founders = 4;
    p.founders = {1, 2, 3, 4};
    p.n_founder_cohorts = 1;
    p.res_prec.assign(1, 1, 1.0);
    p.res_cov.assign(1, 1, 1.0);
    p.res_logdet = 0.0;
    jw.qm.reset(new QtlModel{p, jw.w.obs, jw.phe, jw.mk, jw.w.groups, jw.w.loci, jw.w.genes, jw.temp, jw.w.gpo0,
                             jw.w.gpo1, jw.b, jw.fp, jw.w.loci2, jw.w.ph, jw.acc_pos, jw.acc_rj, jw.acc_pv, jw.twinv,
                             jw.qw, jw.rng});
    QtlModel& qm = *jw.qm;
    init_qtl_slots(qm);
    build_descendants(qm);
    std::mt19937 g(seed + 100u);
    jw.phe.assign(n, 1);
    jw.y.assign(static_cast<std::size_t>(n), 0.0);
    std::normal_distribution<double> z(0.0, 1.0);
    for (int c = 0; c < n; ++c) {
        jw.phe.phenotype[c][0] = static_cast<std::int8_t>(c % 5 == 3 ? kUnknown : 1);
        jw.y[static_cast<std::size_t>(c)] = z(g);
    }
    Gene& q = jw.gene();
    for (std::size_t a = 0; a < q.alstate.size(); ++a) q.alstate[a] = static_cast<int>(g() % 2);
    for (int c = 0; c < n; ++c) {
        q.gpori[0][c] = static_cast<int>(g() % 2);
        q.gpori[1][c] = static_cast<int>(g() % 2);
    }
    if (with_qtl) {
        q.status = 1;
        q.chrom = 0;
        q.pos = 0.5 * (jw.w.loci[1].position + jw.w.loci[2].position);
        q.eff[kAddRow][0] = 0.9;
        q.eff[kDomRow][0] = 0.4;
        compute_gval(p, q);
        recompute_rf(qm, 0);
    }
    rebuild_locus_order(qm);
    if (with_qtl)
        for (int c = 0; c < n; ++c)
            if (jw.w.obs[c].fat > 0) {
                jw.w.gpo0[q.lcsrow][c] = static_cast<si_t>(q.gpori[0][c]);
                jw.w.gpo1[q.lcsrow][c] = static_cast<si_t>(q.gpori[1][c]);
            }
    derive_all_genotypes(qm, q);
    for (int c = 0; c < n; ++c)
        jw.phe.residual[c][0] = jw.y[static_cast<std::size_t>(c)] - (with_qtl ? q.gval[q.gtp[c]][0] : 0.0);
}

// From scratch: every SI chain and allele term, plus the phenotype
// log-likelihood of every phenotyped individual at its QTL genotype.
double joint_logprob(JointWorld& jw)
{
    PhaseModel pm = jw.pm();
    set_all_si(pm, false);
    double lp = phase_state_logprob(pm);
    const Gene& q = jw.gene();
    for (int c = 0; c < jw.w.par.n_individuals; ++c) {
        if (jw.phe.phenotype[c][0] == kUnknown) continue;
        const double x = jw.y[static_cast<std::size_t>(c)] - q.gval[q.gtp[c]][0];
        lp += -0.5 * x * x;
    }
    return lp;
}

double max_residual_error(JointWorld& jw)
{
    const Gene& q = jw.gene();
    double worst = 0.0;
    for (int c = 0; c < jw.w.par.n_individuals; ++c)
        if (jw.phe.phenotype[c][0] != kUnknown)
            worst = std::max(worst, std::fabs(jw.y[static_cast<std::size_t>(c)] - q.gval[q.gtp[c]][0] -
                                              jw.phe.residual[c][0]));
    return worst;
}

JointWorld* hooked = nullptr;

bool hooked_joint_block(const PhaseModel& pm, const PhaseBlock& b, Rng& rng)
{
    return sample_joint_block(pm, *hooked->qm, b, rng);
}

}  // namespace

TEST(QtlJointBlock, ConditionalEqualsEnumeration)
{
    int checked = 0;
    for (unsigned seed : {3u, 4u, 5u}) {
        JointWorld jw;
        build(jw, seed, true);
        PhaseModel pm = jw.pm();
        QtlModel& qm = *jw.qm;
        Gene& q = jw.gene();
        const PhaseBlock b = make_phase_block(pm, 1, 2);
        ASSERT_TRUE(block_holds_qtl_row(pm, b));
        for (int i = 1; i <= pm.n_ind(); ++i) {
            const Obs& o = pm.ind(i);
            if (o.fat <= 0 || o.mot <= 0) continue;
            int het[kMaxBlockLoci];
            const int h = block_het_loci(pm, i, b, het);
            const int n_config = 1 << (h + 2);
            std::vector<double> logw(static_cast<std::size_t>(n_config));
            apply_slot_values(qm, q, -1);
            build_ll(qm, q);
            apply_slot_values(qm, q, +1);
            joint_block_weights(pm, qm, q, b, i, het, h, logw.data());
            // Enumerate every joint configuration from scratch.
            const MarkerPhases saved = jw.w.ph;
            const SiTable s0 = jw.w.gpo0, s1 = jw.w.gpo1;
            const Gene saved_gene = q;
            std::vector<double> scratch(static_cast<std::size_t>(n_config));
            for (int c = 0; c < n_config; ++c) {
                set_block_config(pm, i, het, h, c & ((1 << h) - 1));
                const int o0 = (c >> h) & 1, o1 = (c >> (h + 1)) & 1;
                q.gpori[0][i - 1] = o0;
                q.gpori[1][i - 1] = o1;
                jw.w.gpo0[q.lcsrow][i - 1] = static_cast<si_t>(o0);
                jw.w.gpo1[q.lcsrow][i - 1] = static_cast<si_t>(o1);
                derive_all_genotypes(qm, q);
                scratch[static_cast<std::size_t>(c)] = joint_logprob(jw);
                jw.w.ph = saved;
                jw.w.gpo0 = s0;
                jw.w.gpo1 = s1;
                q = saved_gene;
            }
            int ref = -1;
            for (int c = 0; c < n_config && ref < 0; ++c)
                if (std::isfinite(scratch[static_cast<std::size_t>(c)])) ref = c;
            ASSERT_GE(ref, 0);
            for (int c = 0; c < n_config; ++c) {
                const double want = scratch[static_cast<std::size_t>(c)] - scratch[static_cast<std::size_t>(ref)];
                if (!std::isfinite(scratch[static_cast<std::size_t>(c)])) {
                    EXPECT_FALSE(std::isfinite(logw[static_cast<std::size_t>(c)]));
                    continue;
                }
                EXPECT_NEAR(logw[static_cast<std::size_t>(c)] - logw[static_cast<std::size_t>(ref)], want, 1e-9)
                    << "seed " << seed << " individual " << i << " config " << c;
                ++checked;
            }
        }
        // A whole joint block keeps residuals, SI and origins in step.
        Rng r;
        r.seed(seed);
        for (int pass = 0; pass < 20; ++pass) ASSERT_TRUE(sample_joint_block(pm, qm, b, r));
        EXPECT_LT(max_residual_error(jw), 1e-9);
        for (int c = 0; c < pm.n_ind(); ++c)
            if (jw.w.obs[c].fat > 0) {
                EXPECT_EQ(jw.w.gpo0[q.lcsrow][c], q.gpori[0][c]);
                EXPECT_EQ(jw.w.gpo1[q.lcsrow][c], q.gpori[1][c]);
            }
        EXPECT_EQ(set_all_si(pm, false), 0);
    }
    EXPECT_GT(checked, 60);
}

TEST(QtlJointBlock, MarkerOnlyFormUnchangedWithoutQtl)
{
    for (unsigned seed : {7u, 8u}) {
        JointWorld a, b;
        build(a, seed, false);
        build(b, seed, false);
        hooked = &a;
        set_joint_qtl_block_sampler(&hooked_joint_block);
        PhaseModel pa = a.pm(), pb = b.pm();
        Rng ra, rb;
        ra.seed(seed);
        rb.seed(seed);
        for (int pass = 0; pass < 20; ++pass) {
            sample_phase_blocks(pa, ra, 2, true);
            reference_sample_phase_blocks(pb, rb, 2, true);
        }
        set_joint_qtl_block_sampler(nullptr);
        hooked = nullptr;
        EXPECT_EQ(ra.uniform(), rb.uniform());
        for (int k = 0; k < a.w.par.n_markers; ++k)
            for (int c = 0; c < pa.n_ind(); ++c) ASSERT_EQ(a.w.ph.pat_allele[k][c], b.w.ph.pat_allele[k][c]);
    }
}

TEST(QtlJointBlock, JoinedWhenAQtlRowIsInTheBlock)
{
    JointWorld jw;
    build(jw, 9, true);
    hooked = &jw;
    set_joint_qtl_block_sampler(&hooked_joint_block);
    PhaseModel pm = jw.pm();
    Rng r;
    r.seed(9);
    const std::vector<int> before(jw.gene().gpori[0], jw.gene().gpori[0] + pm.n_ind());
    bool moved = false;
    for (int pass = 0; pass < 40 && !moved; ++pass) {
        sample_phase_blocks(pm, r, 2, true);
        for (int c = 0; c < pm.n_ind(); ++c) moved |= jw.gene().gpori[0][c] != before[static_cast<std::size_t>(c)];
    }
    set_joint_qtl_block_sampler(nullptr);
    hooked = nullptr;
    EXPECT_TRUE(moved) << "the sampler of all individuals never drew QTL origins";
    EXPECT_LT(max_residual_error(jw), 1e-9);
}
