// Factorisations, inverse and determinant on known matrices, their failure
// codes, the row/column removal of shrinking models and the small helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "core/numeric/linalg.h"
#include "core/numeric/rng.h"
#include "core/state/console.h"
#include "support/test_support.h"

namespace {

using vsk::Table;

Table<double> table(std::initializer_list<std::initializer_list<double>> rows, int extra = 0)
{
    const int n = static_cast<int>(rows.size());
    const int c = static_cast<int>(rows.begin()->size());
    Table<double> t(n + extra, c + extra, -99.0);
    int i = 0;
    for (const auto& row : rows) {
        int j = 0;
        for (double v : row) t[i][j++] = v;
        ++i;
    }
    return t;
}

// A well-conditioned random n x n matrix (diagonally dominant).
Table<double> random_matrix(vsk::Rng& r, int n)
{
    Table<double> a(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) a[i][j] = 2.0 * r.uniform() - 1.0 + (i == j ? n : 0.0);
    return a;
}

void expect_identity_product(const Table<double>& a, const Table<double>& inv, int n, double tol)
{
    Table<double> prod(n, n);
    vsk::mat_mult(a, inv, prod, n, n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) EXPECT_NEAR(prod[i][j], i == j ? 1.0 : 0.0, tol) << i << "," << j;
}

TEST(Linalg, CholeskyOfKnownMatrixAndUntouchedMargin)
{
    Table<double> a = table({{4, 12, -16}, {12, 37, -43}, {-16, -43, 98}}, 1);
    ASSERT_EQ(vsk::cholesky(a, 3), 0);
    const double l[3][3] = {{2, 0, 0}, {6, 1, 0}, {-8, 5, 3}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_DOUBLE_EQ(a[i][j], l[i][j]) << i << "," << j;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a[i][3], -99.0);
        EXPECT_EQ(a[3][i], -99.0);
    }
}

TEST(Linalg, CholeskyFailsOnZeroDiagonalIndefiniteOrNaN)
{
    Table<double> zero = table({{0, 0}, {0, 1}});
    EXPECT_EQ(vsk::cholesky(zero, 2), 1);
    Table<double> indefinite = table({{1, 2}, {2, 1}});
    EXPECT_EQ(vsk::cholesky(indefinite, 2), 1);
    Table<double> nan = table({{1, 0}, {0, std::nan("")}});
    EXPECT_EQ(vsk::cholesky(nan, 2), 1);
    Table<double> tiny = table({{1e-51}});
    EXPECT_EQ(vsk::cholesky(tiny, 1), 1);
}

TEST(Linalg, LuDeterminantWithPivoting)
{
    Table<double> a = table({{1, 2}, {3, 4}});
    std::vector<int> perm;
    int parity = 0;
    ASSERT_EQ(vsk::lu_decompose(a, 2, perm, parity), 0);
    EXPECT_EQ(parity, -1);  // the larger first column element is in row 1
    EXPECT_NEAR(vsk::lu_determinant(a, 2, parity), -2.0, 1e-12);

    Table<double> b = table({{6, 1, 1}, {4, -2, 5}, {2, 8, 7}});
    ASSERT_EQ(vsk::lu_decompose(b, 3, perm, parity), 0);
    EXPECT_NEAR(vsk::lu_determinant(b, 3, parity), -306.0, 1e-9);
}

TEST(Linalg, LuFailureCodes)
{
    std::vector<int> perm;
    int parity = 0;
    Table<double> zero_row = table({{1, 2}, {0, 0}});
    EXPECT_EQ(vsk::lu_decompose(zero_row, 2, perm, parity), 2);
    Table<double> singular = table({{1, 2}, {2, 4}});
    EXPECT_EQ(vsk::lu_decompose(singular, 2, perm, parity), 3);
    Table<double> singular2 = table({{1, 2}, {2, 4}});
    EXPECT_EQ(vsk::invert(singular2, 2), 3);
}

TEST(Linalg, LuSolveSolvesRandomSystems)
{
    vsk::Rng r;
    for (int n : {1, 3, 7}) {
        const Table<double> a = random_matrix(r, n);
        std::vector<double> x(static_cast<std::size_t>(n));
        for (double& v : x) v = 2.0 * r.uniform() - 1.0;
        std::vector<double> b(static_cast<std::size_t>(n));
        vsk::mat_vec(a, x.data(), b.data(), n, n);
        Table<double> lu = a;
        std::vector<int> perm;
        int parity = 0;
        ASSERT_EQ(vsk::lu_decompose(lu, n, perm, parity), 0);
        vsk::lu_solve(lu, n, perm, b.data());
        for (int i = 0; i < n; ++i) EXPECT_NEAR(b[static_cast<std::size_t>(i)], x[static_cast<std::size_t>(i)], 1e-12);
    }
}

TEST(Linalg, InvertGivesInverseAndReusesWorkspace)
{
    vsk::Rng r;
    vsk::LinalgWork work;
    for (int n : {1, 2, 5, 9, 4}) {
        const Table<double> a = random_matrix(r, n);
        Table<double> inv = a;
        ASSERT_EQ(vsk::invert(inv, n, work), 0);
        expect_identity_product(a, inv, n, 1e-12);
        Table<double> inv2 = a;
        ASSERT_EQ(vsk::invert(inv2, n), 0);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) EXPECT_EQ(inv[i][j], inv2[i][j]);
    }
    // Leading part of a larger table.
    Table<double> big = table({{2, 1}, {1, 3}}, 2);
    ASSERT_EQ(vsk::invert(big, 2), 0);
    EXPECT_NEAR(big[0][0], 0.6, 1e-15);
    EXPECT_NEAR(big[0][1], -0.2, 1e-15);
    EXPECT_NEAR(big[1][1], 0.4, 1e-15);
    EXPECT_EQ(big[0][2], -99.0);
}

TEST(Linalg, MultiplyScaleCopyPrint)
{
    const Table<double> a = table({{1, 2, 3}, {4, 5, 6}});
    const Table<double> b = table({{1, 0}, {0, 1}, {1, 1}});
    Table<double> c(2, 2);
    vsk::mat_mult(a, b, c, 2, 3, 2);
    EXPECT_EQ(c[0][0], 4.0);
    EXPECT_EQ(c[0][1], 5.0);
    EXPECT_EQ(c[1][0], 10.0);
    EXPECT_EQ(c[1][1], 11.0);

    vsk::mat_scale(c, 0.5, 1, 2);
    EXPECT_EQ(c[0][1], 2.5);
    EXPECT_EQ(c[1][1], 11.0);

    Table<double> d(3, 3, 7.0);
    vsk::mat_copy(c, d, 2, 2);
    EXPECT_EQ(d[1][0], 10.0);
    EXPECT_EQ(d[2][2], 7.0);
    Table<int> ia(2, 2, 3);
    Table<int> ib(2, 2, 0);
    vsk::mat_copy(ia, ib, 2, 1);
    EXPECT_EQ(ib[1][0], 3);
    EXPECT_EQ(ib[1][1], 0);

    testsupport::CapturedStream out;
    vsk::mat_print(out.stream(), c, 2, 2, " %5.1f");
    EXPECT_EQ(out.text(), "   2.0   2.5\n  10.0  11.0\n");
}

Table<double> indexed(int m)
{
    Table<double> t(m, m);
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j) t[i][j] = 100.0 * i + j;
    return t;
}

void expect_kept(const Table<double>& t, const std::vector<int>& keep)
{
    const int m = static_cast<int>(keep.size());
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j)
            EXPECT_EQ(t[i][j], 100.0 * keep[static_cast<std::size_t>(i)] + keep[static_cast<std::size_t>(j)])
                << i << "," << j;
}

TEST(Linalg, RemoveRowColMovesRemovedRowToTheEnd)
{
    Table<double> t = indexed(4);
    vsk::remove_rowcol(t, 4, 1);
    expect_kept(t, {0, 2, 3});
    EXPECT_EQ(t[3][0], 100.0);  // the removed row's storage, unshifted
    EXPECT_EQ(t[3][1], 101.0);

    double v[] = {0, 1, 2, 3};
    vsk::remove_elem(v, 4, 0);
    EXPECT_EQ(v[0], 1.0);
    EXPECT_EQ(v[2], 3.0);
}

TEST(Linalg, RemoveColRowXRXModeOneRemovesFromLastBlockFirst)
{
    // Two blocks of size 4 (mean and three genes); gene 1 sits at 6 and 2.
    Table<double> t = indexed(8);
    testsupport::CapturedStream out;
    vsk::set_console_stream(out.stream());
    EXPECT_EQ(vsk::RemoveColRowXRX(t, 4, 1, 3, 1, 2), 2);
    vsk::set_console_stream(nullptr);
    EXPECT_EQ(out.text(), "");
    expect_kept(t, {0, 1, 3, 4, 5, 7});

    std::vector<double> y = {0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(vsk::RemoveRowXRy(y.data(), 4, 1, 3, 1, 2), 2);
    EXPECT_EQ(std::vector<double>(y.begin(), y.begin() + 6), (std::vector<double>{0, 1, 3, 4, 5, 7}));
}

TEST(Linalg, RemoveColRowXRXModeTwoRemovesBothEffects)
{
    // Two blocks of size 5 (mean, gene 0 at 1-2, gene 1 at 3-4).
    Table<double> t = indexed(10);
    EXPECT_EQ(vsk::RemoveColRowXRX(t, 5, 1, 3, 2, 2), 4);
    expect_kept(t, {0, 1, 2, 5, 6, 7});
    std::vector<double> y = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(vsk::RemoveRowXRy(y.data(), 5, 0, 3, 2, 2), 4);
    EXPECT_EQ(std::vector<double>(y.begin(), y.begin() + 6), (std::vector<double>{0, 3, 4, 5, 8, 9}));
}

TEST(Linalg, RemoveColRowXRXReportsInconsistentSizeOrMode)
{
    testsupport::CapturedStream out;
    vsk::set_console_stream(out.stream());
    Table<double> t = indexed(8);
    EXPECT_EQ(vsk::RemoveColRowXRX(t, 4, 1, 2, 1, 2), -1);  // expected size wrong
    EXPECT_EQ(vsk::RemoveColRowXRX(t, 4, 1, 3, 3, 2), -1);  // unknown mode
    vsk::set_console_stream(nullptr);
    EXPECT_EQ(out.text(), "\n ERROR in removal of cols&rows in 'RemoveColRowXRX()'"
                          "\n ERROR in removal of cols&rows in 'RemoveColRowXRX()'");

    testsupport::CapturedStream out2;
    vsk::set_console_stream(out2.stream());
    Table<double> u = indexed(8);
    EXPECT_EQ(vsk::RemoveColRowXRX(u, 4, 3, 3, 1, 2), -1);  // gene outside the block
    double y[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(vsk::RemoveRowXRy(y, 4, 0, 1, 1, 2), -1);
    vsk::set_console_stream(nullptr);
    expect_kept(u, {0, 1, 2, 3, 4, 5, 6, 7});  // left untouched
    EXPECT_EQ(out2.text(), "\n ERROR in removal of cols&rows in 'RemoveColRowXRX()'"
                           "\n ERROR in removal of rows in 'RemoveRowXRy()'");
}

TEST(Linalg, MvnLogDensityNormaliseHaldane)
{
    const Table<double> p = table({{1, 0}, {0, 4}});
    const double x[] = {1.0, 0.5};
    // Independent N(0,1) and N(0,1/4): log det of the covariance is ln(1/4).
    const double logdet = std::log(0.25);
    const double expected = -std::log(2 * std::acos(-1.0)) - 0.5 * logdet - 0.5 * (1.0 + 1.0);
    EXPECT_NEAR(vsk::mvn_logdensity(2, logdet, x, p), expected, 1e-12);

    Table<double> t = table({{1, 3}, {2, 4}});
    vsk::normalise_table(t, 2, 2);
    EXPECT_DOUBLE_EQ(t[1][1], 0.4);
    Table<double> z = table({{1, -1}});
    vsk::normalise_table(z, 1, 2);
    EXPECT_EQ(z[0][0], 1.0);

    EXPECT_EQ(vsk::haldane(1.25, 1.25), 1e-8);
    EXPECT_DOUBLE_EQ(vsk::haldane(0.0, 0.5), (1.0 - std::exp(-1.0)) / 2.0);
    EXPECT_DOUBLE_EQ(vsk::haldane(0.5, 0.0), vsk::haldane(0.0, 0.5));
    EXPECT_NEAR(vsk::haldane(0.0, 50.0), 0.5, 1e-15);
}

}  // namespace
