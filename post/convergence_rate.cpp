// Direct convergence rate of the number of QTL: the subdominant eigenvalue of
// the empirical transition matrix between QTL counts, per chromosome group
// and for the genome, and the thinning that makes successive samples nearly
// independent (lambda^t = 0.01).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "post/console.h"
#include "post/ess.h"

namespace rvn {

namespace {

using Matrix = std::vector<std::vector<double>>;

constexpr double kShownMass = 0.005;      // states printed in the genome matrix
constexpr double kRareMass = 0.005;       // states folded into the diagonal
constexpr double kDropMass = 1e-6;        // states left out of the eigenproblem
constexpr double kTolerance = 1e-6;       // change of the eigenvalue estimate
constexpr int kMaxIterations = 100;
constexpr double kIndependence = 0.01;    // lambda^t at the suggested thinning
constexpr double kNoRate = 1e-5;          // below: mixing too fast to suggest
constexpr double kNoMixing = 0.99999;     // at or above: no suggestion

// QTL counts per sample row r >= B: columns 0..G-1 the groups, G the genome.
std::vector<std::vector<int>> qtl_counts(const PostState& st)
{
    const int n = st.s.n(), Q = st.par.maximQTL, G = static_cast<int>(st.groups.size());
    std::vector<std::vector<int>> counts(n, std::vector<int>(G + 1, 0));
    for (int r = st.burnin; r < n; ++r) {
        for (int q = 0; q < Q; ++q) {
            const double pos = st.s.qtl_position(r, q);
            if (!(pos > 0.0)) continue;
            ++counts[r][G];
            for (int g = 0; g < G; ++g) {
                const ChromGroup& grp = st.groups[g];
                if (grp.included && grp.lower <= pos && pos < grp.upper) ++counts[r][g];
            }
        }
    }
    return counts;
}

// Transition frequencies of column `g`: P[later state][earlier state].
Matrix transition_matrix(const PostState& st, const std::vector<std::vector<int>>& counts, int g)
{
    const int Q = st.par.maximQTL, n = st.s.n();
    Matrix P(Q + 1, std::vector<double>(Q + 1, 0.0));
    for (int r = st.burnin + 1; r < n; ++r) P[counts[r][g]][counts[r - 1][g]] += 1.0;
    const double steps = st.n_post - 1;
    if (steps > 0)
        for (auto& row : P)
            for (double& v : row) v /= steps;
    return P;
}

void print_genome_matrix(const Matrix& P, bool genome_wide)
{
    const int K = static_cast<int>(P.size());
    std::vector<int> shown;
    int big_i = 0, big_j = 0;
    for (int i = 0; i < K; ++i) {
        int linked = 0;
        for (int j = 0; j < K; ++j) {
            if (P[j][i] + P[i][j] > kShownMass) ++linked;
            if (P[i][j] > P[big_i][big_j]) big_i = i, big_j = j;
        }
        if (linked > 0) shown.push_back(i);
    }
    rprint("%s", genome_wide ? "\nGenome-wide" : "\nChromosome-wide");
    for (int i : shown) {
        rprint("\nmodel_Q%-3d", i);
        for (int j : shown) rprint(" %6.3lf", P[i][j]);
    }
    if (big_i != big_j) rprint("\noff-diagonal %d %d highest transition value %lf", big_i, big_j, P[big_i][big_j]);
}

// Folds rare states into the diagonal, drops empty ones and normalises the
// rows; returns the number of rows normalised (the order for subdomeigval).
int reduce_matrix(Matrix& P)
{
    int K = static_cast<int>(P.size());
    for (int i = 0; i < K; ++i) {
        double row = 0.0, col = 0.0;
        for (int j = 0; j < K; ++j) row += P[i][j], col += P[j][i];
        if (row < kRareMass && col < kRareMass) {
            for (int j = 0; j < K; ++j) P[j][j] += 2.0 * P[i][j];
            for (int j = 0; j < K; ++j) P[i][j] = P[j][i] = 0.0;
        }
    }
    std::vector<int> keep;
    for (int i = 0; i < K; ++i) {
        double mass = 0.0;
        for (int j = 0; j < K; ++j) mass += P[i][j] + P[j][i];
        if (mass >= kDropMass) keep.push_back(i);
    }
    Matrix R(keep.size(), std::vector<double>(keep.size(), 0.0));
    for (std::size_t a = 0; a < keep.size(); ++a)
        for (std::size_t b = 0; b < keep.size(); ++b) R[a][b] = P[keep[a]][keep[b]];
    int m = 0;
    for (auto& row : R) {
        double sum = 0.0;
        for (double v : row) sum += v;
        if (sum > kDropMass) {
            for (double& v : row) v /= sum;
            ++m;
        }
    }
    P = std::move(R);
    return m;
}

// One row of the rate table; `number` < 0 labels the genome row.
void print_group_rate(const PostState& st, int number, const char* name, Matrix P)
{
    const int m = reduce_matrix(P);
    double lambda = 1.0;
    const int iterations = subdomeigval(P, m, lambda);
    if (number < 0)
        rprint("\n%4s %-10s", "", name);
    else
        rprint("\n[%2d] %-10s", number, name);
    rprint("%15.3lf  [%4d]", lambda, iterations);
    if (lambda < kNoRate) {
        rprint("%10sNo Suggestion thinning factor", "");
    } else if (lambda < kNoMixing) {
        const double t = std::log(kIndependence) / std::log(lambda);
        rprint("%12d", static_cast<int>(t));
        rprint("%12d", t > 0.0 ? static_cast<int>(st.n_post / t + 1) : st.s.n());
    } else {
        rprint("\nNo Suggestion thinning factor");
    }
}

}  // namespace

namespace {

// Removes the mean of v (the direction of the eigenvalue 1 of a
// row-stochastic matrix); returns the largest magnitude left.
double remove_mean(std::vector<double>& v)
{
    double mean = 0.0;
    for (double x : v) mean += x / static_cast<double>(v.size());
    double size = 0.0;
    for (double& x : v) {
        x -= mean;
        size = std::max(size, std::fabs(x));
    }
    return size;
}

// w = A v over the leading m x m block.
void multiply(const Matrix& A, const std::vector<double>& v, std::vector<double>& w)
{
    const int m = static_cast<int>(v.size());
    for (int i = 0; i < m; ++i) {
        double sum = 0.0;
        for (int j = 0; j < m; ++j) sum += A[i][j] * v[j];
        w[i] = sum;
    }
}

// A = A·A, scaled to a largest entry of 1 (only its direction matters).
void square(Matrix& A, Matrix& scratch)
{
    const int m = static_cast<int>(A.size());
    double size = 0.0;
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j) {
            double sum = 0.0;
            for (int k = 0; k < m; ++k) sum += A[i][k] * A[k][j];
            scratch[i][j] = sum;
            size = std::max(size, std::fabs(sum));
        }
    if (size > 0.0)
        for (auto& row : scratch)
            for (double& x : row) x /= size;
    A.swap(scratch);
}

// Modulus of a subdominant pair that the one-step ratio cannot resolve: with
// u1 = S v and u2 = S u1, fits u2 = a u1 + b v by least squares, whose roots
// of x^2 - a x - b are the two eigenvalues spanning v. A complex pair, or a
// real pair of equal size and opposite sign, turns the ratio with the
// vector; the modulus of the pair stays. -1 when v spans no such pair (one
// eigenvector left, or two of different sizes, which the ratio resolves).
double turning_pair_modulus(const Matrix& S, const std::vector<double>& v, std::vector<double>& u1,
                            std::vector<double>& u2)
{
    multiply(S, v, u1);
    multiply(S, u1, u2);
    double s11 = 0.0, s12 = 0.0, s22 = 0.0, r1 = 0.0, r2 = 0.0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        s11 += u1[i] * u1[i];
        s12 += u1[i] * v[i];
        s22 += v[i] * v[i];
        r1 += u1[i] * u2[i];
        r2 += v[i] * u2[i];
    }
    const double det = s11 * s22 - s12 * s12;
    if (!(det > 1e-10 * s11 * s22)) return -1.0;  // v and S v (nearly) parallel
    const double a = (r1 * s22 - r2 * s12) / det, b = (s11 * r2 - s12 * r1) / det;
    const double disc = a * a + 4.0 * b;
    if (disc < 0.0) return std::sqrt(-b);
    const double big = 0.5 * (std::fabs(a) + std::sqrt(disc)), small = 0.5 * std::fabs(std::fabs(a) - std::sqrt(disc));
    return big - small <= 1e-3 * big ? big : -1.0;
}

}  // namespace

// Power iteration on the mean-free part of the matrix. A count chain mixes
// slowly and its next eigenvalues lie close to the subdominant one, so one
// matrix step per iteration would need hundreds of iterations; here the
// iteration matrix is squared every iteration (step k applies 2^k steps of
// the chain at once) and the estimate is the one-step ratio at the largest
// entry of the vector, which keeps the sign of a negative eigenvalue.
int subdomeigval(const Matrix& P, int m, double& lambda)
{
    if (m < 2) {
        std::printf("\ndimension too low in subdomeigval(): early return");
        lambda = 1.0;
        return -1;
    }
    // One chain step with the mean removed: (I - J/m) P.
    Matrix step(m, std::vector<double>(m));
    for (int j = 0; j < m; ++j) {
        double column_mean = 0.0;
        for (int i = 0; i < m; ++i) column_mean += P[i][j] / m;
        for (int i = 0; i < m; ++i) step[i][j] = P[i][j] - column_mean;
    }
    Matrix power = step, scratch(m, std::vector<double>(m));
    std::vector<double> v(m, -1.0 / (m - 1)), w(m), u1(m), u2(m);
    v[m - 1] = 1.0;
    double estimate = 0.0, pair = -1.0;
    for (int it = 1; it <= kMaxIterations; ++it) {
        multiply(power, v, w);
        const double size = remove_mean(w);
        // The vector is gone: no other eigenvalue is left (lambda 0).
        if (size < 1e-300) {
            lambda = 0.0;
            return it;
        }
        for (int i = 0; i < m; ++i) v[i] = w[i] / size;
        int k = 0;
        for (int i = 1; i < m; ++i)
            if (std::fabs(v[i]) > std::fabs(v[k])) k = i;
        multiply(step, v, w);
        const double next = w[k] / v[k];
        // A pair of equal modulus turns the vector, and the ratio with it
        // (or holds it still at the pair's real part, which is not the
        // rate): then the pair's modulus is the estimate.
        const double next_pair = turning_pair_modulus(step, v, u1, u2);
        if (next_pair >= 0.0) {
            if (pair >= 0.0 && std::fabs(next_pair - pair) <= kTolerance) {
                lambda = next_pair;
                return it;
            }
        } else if (it > 1 && std::fabs(next - estimate) <= kTolerance) {
            lambda = next;
            return it;
        }
        estimate = next;
        pair = next_pair;
        square(power, scratch);
    }
    std::printf("\nToo many iterations in 'subdomeig()'(%lf)", estimate);
    lambda = 1.0;
    return kMaxIterations;
}

void calc_convergence_rate(const PostState& st)
{
    const int G = static_cast<int>(st.groups.size());
    const std::vector<std::vector<int>> counts = qtl_counts(st);
    int included = 0;
    for (const ChromGroup& g : st.groups) included += g.included ? 1 : 0;

    separator();
    rprint("DIRECT CONVERGENCE RATE ESTIMATION (#QTL)");
    rprint("\n Method: convergence rate of the chain of the number of QTL from its transition");
    rprint("\n matrix (J Comp Graph Stat 12:1-22, 2003)");
    rprint("\n Implementation via SubDominant Eigenvalue Determination");
    rprint("\n");

    print_genome_matrix(transition_matrix(st, counts, G), included >= 2);

    rprint("\n");
    rprint("\n%-15s%15s%8s%12s%12s", "Group", "2nd DomEigVal", "[iter]", "thinning", "ECS");
    for (int g = 0; g < G; ++g) {
        if (!st.groups[g].included) continue;
        print_group_rate(st, g + 1, st.groups[g].name.c_str(), transition_matrix(st, counts, g));
    }
    if (G != 1) print_group_rate(st, -1, "genome", transition_matrix(st, counts, G));
}

}  // namespace rvn
