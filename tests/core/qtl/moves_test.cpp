// QTL moves on small hand-built projects: rejected moves restore every
// field, the design without a QTL equals the one with its columns removed,
// the marginal likelihood equals a numerical integration, the flip keeps
// the genotypic values, and residuals stay "phenotype minus fit" along a
// seeded chain on both effect paths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "core/state/console.h"
#include "qtl_fixture.h"

namespace {

using qtl_test::make_project;
using qtl_test::Project;

// Phenotypes for every non-founder and random marker indicators.
void add_data(Project& pr, unsigned seed)
{
    vsk::Rng r;
    r.seed(seed);
    int phenotyped = 0;
    for (int c = 0; c < pr.p.n_individuals; ++c) {
        if (pr.o[static_cast<std::size_t>(c)].fat == 0) continue;
        pr.phe.phenotype[c][0] = 1;
        pr.phe.Y[c][0] = pr.phe.residual[c][0] = r.normal();
        ++phenotyped;
        for (int k = 0; k < pr.p.n_markers; ++k) {
            pr.gpo0[k][c] = r.uniform() < 0.5 ? 0 : 1;
            pr.gpo1[k][c] = r.uniform() < 0.5 ? 0 : 1;
        }
    }
    pr.p.n_phenotyped = phenotyped;
}

struct Snapshot {
    std::vector<vsk::Gene> gene;
    std::vector<double> residual;
    vsk::SiTable gpo0, gpo1;
    vsk::Table<int> rows;
    std::vector<int> row_kind, row_index;
    int nqtl = 0;
    double mean = 0.0;
};

Snapshot take(const Project& pr)
{
    Snapshot s;
    s.gene = pr.gene;
    for (int c = 0; c < pr.p.n_individuals; ++c) s.residual.push_back(pr.phe.residual[c][0]);
    s.gpo0 = pr.gpo0;
    s.gpo1 = pr.gpo1;
    s.rows = pr.p.lcs_rows;
    s.row_kind = pr.w.row_kind;
    s.row_index = pr.w.row_index;
    s.nqtl = pr.p.nqtl;
    s.mean = pr.p.nuis_effects[0][0];
    return s;
}

template <class T>
bool same_table(const vsk::Table<T>& a, const vsk::Table<T>& b)
{
    if (a.rows() != b.rows() || a.cols() != b.cols()) return false;
    for (int r = 0; r < a.rows(); ++r)
        for (int c = 0; c < a.cols(); ++c)
            if (a[r][c] != b[r][c]) return false;
    return true;
}

void expect_same(const Snapshot& a, const Snapshot& b)
{
    ASSERT_EQ(a.gene.size(), b.gene.size());
    for (std::size_t s = 0; s < a.gene.size(); ++s) {
        const vsk::Gene &x = a.gene[s], &y = b.gene[s];
        EXPECT_EQ(x.status, y.status) << s;
        if (x.status == 0) continue;  // a free slot's arrays are stale by design
        EXPECT_EQ(x.pos, y.pos) << s;
        EXPECT_EQ(x.chrom, y.chrom) << s;
        EXPECT_EQ(x.interval, y.interval) << s;
        EXPECT_EQ(x.lcsrow, y.lcsrow) << s;
        EXPECT_EQ(x.gtp, y.gtp) << s;
        EXPECT_TRUE(same_table(x.fal, y.fal)) << s;
        EXPECT_TRUE(same_table(x.gpori, y.gpori)) << s;
        EXPECT_EQ(x.alstate, y.alstate) << s;
        EXPECT_TRUE(same_table(x.freq, y.freq)) << s;
        EXPECT_TRUE(same_table(x.eff, y.eff)) << s;
        EXPECT_TRUE(same_table(x.gval, y.gval)) << s;
        EXPECT_EQ(x.rfmrk, y.rfmrk) << s;
    }
    EXPECT_EQ(a.residual, b.residual);
    EXPECT_TRUE(same_table(a.gpo0, b.gpo0));
    EXPECT_TRUE(same_table(a.gpo1, b.gpo1));
    EXPECT_TRUE(same_table(a.rows, b.rows));
    EXPECT_EQ(a.row_kind, b.row_kind);
    EXPECT_EQ(a.row_index, b.row_index);
    EXPECT_EQ(a.nqtl, b.nqtl);
    EXPECT_EQ(a.mean, b.mean);
}

struct Quiet {
    std::FILE* sink = std::tmpfile();
    Quiet() { vsk::set_console_stream(sink); }
    ~Quiet()
    {
        vsk::set_console_stream(nullptr);
        std::fclose(sink);
    }
};

std::unique_ptr<Project> running_project(int addGENE, unsigned seed)
{
    auto pr = make_project(6, qtl_test::founder_pairs(6, 40));
    pr->p.addGENE = addGENE;
    pr->p.nqtl = 3;
    add_data(*pr, seed);
    pr->rng.seed(seed);
    vsk::sample_qtl(pr->model(), 0);
    for (int s = 0; s < 30; ++s) vsk::sample_qtl(pr->model(), 1);
    return pr;
}

TEST(QtlMoves, RejectedBirthRestoresEveryField)
{
    Quiet q;
    for (int path : {5, 1}) {
        auto pr = running_project(path, 3);
        pr->p.priorQTL = 1e-300;  // no birth can be accepted
        if (vsk::active_count(pr->model()) == pr->p.maximQTL) vsk::free_slot(pr->model(), 0);
        const Snapshot before = take(*pr);
        const int r = path == 5 ? vsk::rjs_birth(pr->model()) : vsk::rev_jump(pr->model(), 0);
        EXPECT_EQ(r, vsk::kRejected);
        expect_same(before, take(*pr));
    }
}

TEST(QtlMoves, RejectedDeathRestoresEveryField)
{
    Quiet q;
    auto pr = running_project(1, 4);
    pr->p.priorQTL = 1e300;  // every birth accepted, no death
    if (vsk::active_count(pr->model()) == 0) {
        EXPECT_EQ(vsk::rev_jump(pr->model(), 0), vsk::kAccepted);
    }
    ASSERT_GT(vsk::active_count(pr->model()), 0);
    const Snapshot before = take(*pr);
    EXPECT_EQ(vsk::rev_jump(pr->model(), 1), vsk::kRejected);
    expect_same(before, take(*pr));
}

// The move skeleton: save, propose a new QTL in the slot, restore.
TEST(QtlMoves, RestoreUndoesANewQtlProposal)
{
    Quiet q;
    auto pr = running_project(5, 5);
    vsk::QtlModel& m = pr->model();
    for (int mode : {1, 0}) {
        const int s = vsk::pick_active_slot(m, 0.5);
        ASSERT_GE(s, 0);
        const Snapshot before = take(*pr);
        vsk::save_slot(m, s);
        vsk::new_qtl_proposal(m, s, mode);
        vsk::restore_slot(m, s);
        expect_same(before, take(*pr));
    }
}

TEST(QtlMoves, DesignWithoutASlotEqualsRemovalOfItsColumns)
{
    Quiet q;
    for (int dom : {0, 5}) {
        auto pr = make_project(6, qtl_test::founder_pairs(6, 40));
        pr->p.domGENE = dom;
        pr->p.nqtl = 3;
        add_data(*pr, 7);
        vsk::QtlModel& m = pr->model();
        vsk::sample_qtl(m, 0);
        const int k = vsk::active_count(m);
        ASSERT_EQ(k, 3);
        const int s = vsk::pick_active_slot(m, 0.4);
        vsk::build_design(m, -1);
        vsk::remove_slot_from_design(m, s);
        vsk::form_model(m, pr->w.alt, k - 1);
        vsk::build_design(m, s);
        vsk::form_model(m, pr->w.cur, k - 1);
        const vsk::MargModel &a = pr->w.alt, &b = pr->w.cur;
        ASSERT_EQ(a.dim, b.dim);
        for (int i = 0; i < a.dim; ++i) {
            EXPECT_NEAR(a.rhs[static_cast<std::size_t>(i)], b.rhs[static_cast<std::size_t>(i)], 1e-9);
            for (int j = 0; j < a.dim; ++j) EXPECT_NEAR(a.C[i][j], b.C[i][j], 1e-9);
        }
        EXPECT_NEAR(vsk::marginal_terms(a), vsk::marginal_terms(b), 1e-9);
    }
}

// Log marginal likelihood of y = mu + x a + e, mu ~ N(m0, s2), a ~ N(0, V),
// e ~ N(0, 1), from the integrated terms and by a grid over (mu, a).
TEST(QtlMoves, MarginalLikelihoodEqualsNumericalIntegration)
{
    auto pr = make_project(2, {{1, 2}, {1, 2}, {1, 2}, {1, 2}, {1, 2}});
    vsk::QtlModel& m = pr->model();
    pr->p.mean_prior_mean = {0.4};
    pr->p.mean_prior_var = {2.0};
    pr->p.varPOA[0][0] = 0.8;
    const int genotypes[] = {0, 3, 0, 1, 3};
    const double y[] = {1.3, -0.2, 0.9, 0.4, -1.1};
    vsk::sample_qtl(m, 0);
    vsk::Gene& g = pr->gene[0];
    g.status = 1;
    for (int c = 0; c < 7; ++c) g.gtp[static_cast<std::size_t>(c)] = 0;
    for (int j = 0; j < 5; ++j) {
        g.gtp[static_cast<std::size_t>(j + 2)] = genotypes[j];
        pr->phe.phenotype[j + 2][0] = 1;
        pr->phe.residual[j + 2][0] = y[j];
    }
    vsk::build_design(m, -1);
    vsk::form_model(m, pr->w.cur, 1);
    const double kLog2Pi = std::log(2.0 * M_PI);
    double yy = 0.0;
    for (double v : y) yy += v * v;
    const double m0 = 0.4, s2 = 2.0, V = 0.8;
    const double formula = -2.5 * kLog2Pi - 0.5 * yy - 0.5 * std::log(s2) - 0.5 * m0 * m0 / s2 -
                           0.5 * vsk::log_det_g(m, 1) + vsk::marginal_terms(pr->w.cur);
    const double x[] = {1.0, -1.0, 1.0, 0.0, -1.0};
    double sum = 0.0;
    const double h = 0.01;
    for (double mu = -8; mu <= 8; mu += h)
        for (double a = -8; a <= 8; a += h) {
            double ll = -0.5 * (mu - m0) * (mu - m0) / s2 - 0.5 * std::log(2 * M_PI * s2) - 0.5 * a * a / V -
                        0.5 * std::log(2 * M_PI * V);
            for (int j = 0; j < 5; ++j) {
                const double e = y[j] - mu - x[j] * a;
                ll += -0.5 * kLog2Pi - 0.5 * e * e;
            }
            sum += std::exp(ll) * h * h;
        }
    EXPECT_NEAR(formula, std::log(sum), 1e-4);
}

TEST(QtlMoves, FlipKeepsGenotypicValues)
{
    auto pr = make_project(2, {{1, 2}});
    vsk::QtlModel& m = pr->model();
    vsk::sample_qtl(m, 0);
    vsk::Gene& g = pr->gene[0];
    g.eff[vsk::kAddRow][0] = 0.7;
    g.eff[vsk::kDomRow][0] = -0.3;
    g.eff[vsk::kImpRow][0] = 0.2;
    g.alstate = {0, 1, 1, 0};
    vsk::derive_all_genotypes(m, g);
    vsk::compute_gval(pr->p, g);
    std::vector<double> before;
    for (int c = 0; c < 3; ++c) before.push_back(g.gval[g.gtp[static_cast<std::size_t>(c)]][0]);
    vsk::flip_slot(m, g);
    for (int c = 0; c < 3; ++c) EXPECT_DOUBLE_EQ(g.gval[g.gtp[static_cast<std::size_t>(c)]][0], before[static_cast<std::size_t>(c)]);
    EXPECT_DOUBLE_EQ(g.eff[vsk::kDomRow][0], -0.3);
}

TEST(QtlMoves, ResidualsStayPhenotypeMinusFitAlongAChain)
{
    Quiet q;
    for (int path : {5, 1}) {
        auto pr = make_project(6, qtl_test::founder_pairs(6, 40));
        pr->p.addGENE = path;
        pr->p.nqtl = 2;
        add_data(*pr, 9);
        pr->rng.seed(9);
        vsk::QtlModel& m = pr->model();
        vsk::sample_qtl(m, 0);
        EXPECT_LT(qtl_test::max_residual_error(*pr), 1e-9);
        for (int s = 0; s < 300; ++s) {
            pr->p.cur_sweep = s;
            vsk::sample_qtl(m, 1);
            ASSERT_LT(qtl_test::max_residual_error(*pr), 1e-9) << "path " << path << " sweep " << s;
            ASSERT_EQ(pr->p.nqtl, vsk::active_count(m));
            for (const vsk::Gene& g : pr->gene)
                if (g.status != 0) {
                    ASSERT_GE(g.eff[vsk::kAddRow][0], 0.0);
                }
        }
    }
}

}  // namespace
