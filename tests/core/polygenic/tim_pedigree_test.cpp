// The pedigree recursion of the infinitesimal model against the slow tabular
// relationship matrix: inbreeding, the sparse A^-1 and the full conditional of
// every kind of individual.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/polygenic/tim.h"
#include "support/test_support.h"
#include "textfile/fatal.h"
#include "tim_fixture.h"

namespace {

using namespace tim_test;

vsk::TimPedigree build(const Pedigree& p, bool use_inbreeding = true)
{
    std::vector<vsk::Obs> o = make_obs(p);
    vsk::TimPedigree ped;
    vsk::build_tim_pedigree(o, use_inbreeding, ped);
    return ped;
}

TEST(TimPedigree, InbreedingEqualsTabularDiagonal)
{
    const Pedigree p = mixed_pedigree();
    const vsk::TimPedigree ped = build(p);
    const Matrix A = tabular_relationships(p);
    for (int i = 0; i < ped.n; ++i) EXPECT_NEAR(ped.inbreeding[i], A[i][i] - 1.0, 1e-12) << "individual " << i + 1;
    // Spot values: inbred line, F1, F2, DH, F3, selfed inbred line.
    EXPECT_EQ(ped.inbreeding[0], 1.0);
    EXPECT_NEAR(ped.inbreeding[3], 0.0, 1e-12);
    EXPECT_NEAR(ped.inbreeding[4], 0.5, 1e-12);
    EXPECT_EQ(ped.inbreeding[6], 1.0);
    EXPECT_NEAR(ped.inbreeding[7], 0.75, 1e-12);
    EXPECT_NEAR(ped.inbreeding[18], 1.0, 1e-12);
    // Zero Mendelian variances, raised: the F1 of two inbred lines, the cross
    // of two DH lines, the selfed inbred line.
    EXPECT_EQ(ped.raised, 3);
    EXPECT_EQ(ped.mendelian[3], 0.0);
    EXPECT_EQ(ped.precision[3], 1.0 / vsk::kMinMendelianVariance);
}

TEST(TimPedigree, OutbredLoopsAndUnusedInbreeding)
{
    // Full-sib matings over three generations and a half-sib back-cross.
    const Pedigree p{{0, 0}, {0, 0}, {0, 0}, {1, 2}, {1, 2}, {4, 5}, {4, 5}, {6, 7}, {6, 3}, {8, 9}, {8, 6}};
    const vsk::TimPedigree ped = build(p);
    const Matrix A = tabular_relationships(p);
    for (int i = 0; i < ped.n; ++i) EXPECT_NEAR(ped.inbreeding[i], A[i][i] - 1.0, 1e-12);
    EXPECT_NEAR(ped.inbreeding[7], 0.375, 1e-12);
    // Without inbreeding every two-parent offspring has precision 2.
    const vsk::TimPedigree plain = build(p, false);
    for (int i = 3; i < plain.n; ++i) {
        EXPECT_EQ(plain.inbreeding[i], 0.0);
        EXPECT_EQ(plain.precision[i], 2.0);
    }
}

// The conditional of every individual read from the dense inverse equals the
// sparse one: precision h R^-1 + A^ii G^-1, right-hand side
// h R^-1 e - sum_{j != i} A^ij G^-1 u_j.
void expect_dense_conditional(const Pedigree& p, const Matrix& A, const Matrix& founder_block = {})
{
    const int t = 2, n = static_cast<int>(p.size());
    std::vector<vsk::Obs> o = make_obs(p);
    vsk::Phe ph = make_phe(n, t);
    vsk::TimPedigree ped;
    vsk::build_tim_pedigree(o, true, ped);
    if (!founder_block.empty()) {
        std::vector<int> founders;
        for (std::size_t f = 0; f < founder_block.size(); ++f) founders.push_back(static_cast<int>(f) + 1);
        vsk::relate_founders(ped, founders, to_table(founder_block), inverse(founder_block));
        ASSERT_EQ(ped.block.size(), founder_block.size());
    }
    std::mt19937 g(11);
    std::normal_distribution<double> z;
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < t; ++k) ph.infpoleff[i][k] = z(g);
    const vsk::Table<double> Ainv = inverse(A);
    const vsk::Table<double> Rinv = table_of({{1.2, -0.3}, {-0.3, 0.8}});
    const vsk::Table<double> Ginv = table_of({{2.0, 0.5}, {0.5, 3.0}});
    vsk::Table<double> C(t, t);
    std::vector<double> rhs(t), w(t);
    for (int i = 0; i < n; ++i) {
        const double e[2] = {z(g), z(g)};
        const bool phenotyped = i % 3 != 0;
        vsk::tim_conditional(ped, ph, i, e, phenotyped, Rinv, Ginv, t, C, rhs, w);
        const double h = phenotyped ? 1.0 : 0.0;
        for (int a = 0; a < t; ++a) {
            double r = h * (Rinv[a][0] * e[0] + Rinv[a][1] * e[1]);
            for (int j = 0; j < n; ++j)
                if (j != i)
                    for (int b = 0; b < t; ++b) r -= Ainv[i][j] * Ginv[a][b] * ph.infpoleff[j][b];
            EXPECT_NEAR(rhs[a], r, 1e-9) << "individual " << i + 1;
            for (int b = 0; b < t; ++b)
                EXPECT_NEAR(C[a][b], h * Rinv[a][b] + Ainv[i][i] * Ginv[a][b], 1e-9) << "individual " << i + 1;
        }
    }
}

TEST(TimPedigree, SparseConditionalEqualsDenseTabularInverse)
{
    // With no vanishing Mendelian variance the tabular A is regular and the
    // recursion reproduces it exactly.
    const Pedigree p = regular_pedigree();
    EXPECT_EQ(build(p).raised, 0);
    for (int i = 0; i < static_cast<int>(p.size()); ++i)
        EXPECT_NEAR(build(p).inbreeding[i], tabular_relationships(p)[i][i] - 1.0, 1e-12);
    const Matrix A = tabular_relationships(p);
    const Matrix B = recursion_relationships(build(p));
    for (std::size_t a = 0; a < p.size(); ++a)
        for (std::size_t b = 0; b < p.size(); ++b) ASSERT_NEAR(A[a][b], B[a][b], 1e-12);
    expect_dense_conditional(p, A);
}

TEST(TimPedigree, RaisedMendelianVarianceStaysOneModel)
{
    // With a zero Mendelian variance raised, the conditionals still come from
    // one positive definite A: that of the recursion.
    const Pedigree p = mixed_pedigree();
    const Matrix A = recursion_relationships(build(p));
    expect_dense_conditional(p, A);
}

TEST(TimPedigree, RelatedInbredFoundersFromTheirMatrix)
{
    // An inbred line and an outbred founder related as a relationship file
    // says; the rest of the pedigree as before. Inbreeding of descendants
    // includes the founders' relationship.
    const Pedigree p = regular_pedigree();
    const Matrix block{{2.0, 0.8}, {0.8, 1.0}};
    const Matrix A = tabular_relationships(p, true, block);
    {
        std::vector<vsk::Obs> o = make_obs(p);
        vsk::TimPedigree ped;
        vsk::build_tim_pedigree(o, true, ped);
        vsk::relate_founders(ped, {1, 2}, to_table(block), inverse(block));
        for (int i = 0; i < ped.n; ++i) EXPECT_NEAR(ped.inbreeding[i], A[i][i] - 1.0, 1e-12) << i + 1;
        EXPECT_NEAR(ped.inbreeding[3], 0.4, 1e-12);
        const Matrix B = recursion_relationships(ped);
        for (int a = 0; a < ped.n; ++a)
            for (int b = 0; b < ped.n; ++b) ASSERT_NEAR(A[a][b], B[a][b], 1e-12);
    }
    expect_dense_conditional(p, A, block);
    // The Mendelian products use the block's quadratic form.
    std::vector<vsk::Obs> o = make_obs(p);
    vsk::Phe ph = make_phe(static_cast<int>(p.size()), 1);
    vsk::TimPedigree ped;
    vsk::build_tim_pedigree(o, true, ped);
    vsk::relate_founders(ped, {1, 2}, to_table(block), inverse(block));
    ph.infpoleff[0][0] = 1.0;
    ph.infpoleff[1][0] = 2.0;
    for (int i = 2; i < ped.n; ++i) ph.infpoleff[i][0] = 1.5;
    vsk::Table<double> S(1, 1);
    vsk::tim_mendelian_products(ped, ph, 1, S);
    const vsk::Table<double> Bi = inverse(block);
    const double block_form = Bi[0][0] + 4.0 * Bi[1][1] + 4.0 * Bi[0][1];
    EXPECT_GT(S[0][0], block_form - 1e-12);
    // A non-founder in the list leaves the founders unrelated.
    vsk::relate_founders(ped, {1, 4}, to_table(block), inverse(block));
    EXPECT_EQ(ped.block.size(), 2u);  // unchanged from before
}

TEST(TimPedigree, OffspringListsAndDiagonal)
{
    const Pedigree p{{0, 0}, {0, 0}, {1, 2}, {1, kSelfed}, {1, 0}, {3, kDbhpld}};
    const vsk::TimPedigree ped = build(p);
    EXPECT_EQ(ped.offspring_start, (std::vector<int>{0, 3, 4, 5, 5, 5, 5}));
    EXPECT_EQ(ped.offspring, (std::vector<int>{2, 3, 4, 2, 5}));
    // Founder 1: own 1, two-parent child 2 * 0.25, selfed child 2 * 1,
    // one-parent child (4/3) * 0.25.
    EXPECT_NEAR(ped.diagonal[0], 1.0 + 0.5 + 2.0 + 1.0 / 3.0, 1e-12);
}

TEST(TimPedigree, CoancestryOfTwoIndividualsIsFatal)
{
    const vsk::TimPedigree ped = build(mixed_pedigree());
    EXPECT_DOUBLE_EQ(vsk::self_coancestry(ped, 4, 4), 0.75);
    EXPECT_THROW(vsk::self_coancestry(ped, 4, 5), vsk::FatalExit);
}

TEST(TimPedigree, InbreedingFileRows)
{
    const Pedigree p{{0, 0}, {0, 0}, {1, 2}, {3, kSelfed}};
    std::vector<vsk::Obs> o = make_obs(p);
    o[3].gen_coeff = 2.0;
    vsk::TimPedigree ped;
    vsk::build_tim_pedigree(o, true, ped);
    const std::string path = testing::TempDir() + "inbrcoef.out";
    vsk::write_inbreeding_file(o, ped, path);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    char row[128];
    std::snprintf(row, sizeof row, "\n%7d %32s %8.4f %8.4f", 4, "ind4", 2.0, 0.5);
    EXPECT_NE(text.str().find(row), std::string::npos) << text.str();
    EXPECT_EQ(text.str().substr(0, 1), "\n");
    std::remove(path.c_str());
}

}  // namespace
