// Small pedigrees for the infinitesimal-model tests, and the slow dense
// oracles: the tabular relationship matrix and the conditional read from its
// inverse.
#pragma once

#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/numeric/linalg.h"
#include "core/polygenic/tim.h"
#include "core/state/records.h"

namespace tim_test {

using Matrix = std::vector<std::vector<double>>;
using vsk::kDbhpld;
using vsk::kInbred;
using vsk::kSelfed;

// (fat, mot) per individual, 1-based with 0 unknown and the pedigree codes.
using Pedigree = std::vector<std::pair<int, int>>;

inline std::vector<vsk::Obs> make_obs(const Pedigree& ped)
{
    std::vector<vsk::Obs> o(ped.size());
    for (std::size_t i = 0; i < ped.size(); ++i) {
        vsk::Obs& ind = o[i];
        ind.name = "ind" + std::to_string(i + 1);
        ind.fat = ped[i].first;
        ind.mot = ped[i].second;
        ind.mot_gen = ind.mot < 0 ? ind.fat : ind.mot;
    }
    return o;
}

// Trait tables of n individuals, every one phenotyped.
inline vsk::Phe make_phe(int n, int t)
{
    vsk::Phe ph;
    ph.assign(n, t);
    ph.phenotype.fill(1);
    return ph;
}

// Two inbred lines crossed, the F1 selfed to an F2, F2 plants selfed again,
// doubled haploids of F1 and F2 plants, a cross of two of those lines, a
// half-sib and a full-sib mating (loops), an outbred founder and a plant
// with one known parent.
inline Pedigree mixed_pedigree()
{
    return {
        {0, kInbred},  // 1 inbred line P1
        {0, kInbred},  // 2 inbred line P2
        {0, 0},        // 3 outbred founder
        {1, 2},        // 4 F1
        {4, kSelfed},  // 5 F2
        {4, kSelfed},  // 6 F2
        {4, kDbhpld},  // 7 DH of the F1
        {5, kSelfed},  // 8 F3
        {6, kDbhpld},  // 9 DH of an F2
        {7, 9},        // 10 cross of two DH lines
        {3, 5},        // 11 outbred x F2
        {3, 6},        // 12 half-sib of 11
        {11, 12},      // 13 half-sib mating
        {11, 12},      // 14 its full sib
        {13, 14},      // 15 full-sib mating
        {15, 0},       // 16 one known parent
        {8, 8},        // 17 a parent named twice: a selfing
        {10, kSelfed}, // 18 selfing of a DH cross
        {1, kSelfed},  // 19 selfing of an inbred line (Mendelian variance 0)
        {19, 3},       // 20 its cross with the outbred founder
    };
}

// The same kinds with outbred founders, so that no Mendelian variance
// vanishes and the tabular A is regular: selfings, doubled haploids of F1
// and F2 plants, a DH line crossed with a founder, loops, an inbred founder
// crossed with an outbred one.
inline Pedigree regular_pedigree()
{
    return {{0, 0},  {0, 0},   {0, 0},        {1, 2},   {4, kSelfed}, {4, kSelfed},  {4, kDbhpld},
            {5, kSelfed}, {6, kDbhpld}, {7, 3}, {3, 5}, {3, 6},       {11, 12},      {11, 12},
            {13, 14}, {15, 0}, {8, 8},  {10, kSelfed}, {0, kInbred}, {19, 3},  {9, 0}};
}

// Relationship matrix by the tabular method, row by row in pedigree order.
// `founder_block` (optional) gives the relationships among the first
// founders (individuals 1..k, which must be founders).
inline Matrix tabular_relationships(const Pedigree& ped, bool inbred_founders = true, const Matrix& founder_block = {})
{
    const int n = static_cast<int>(ped.size());
    const int k = static_cast<int>(founder_block.size());
    Matrix A(n, std::vector<double>(n, 0.0));
    for (int i = 0; i < n; ++i) {
        if (i < k) {
            for (int j = 0; j <= i; ++j) A[i][j] = A[j][i] = founder_block[i][j];
            continue;
        }
        const int s = ped[i].first - 1;
        const int code = ped[i].second;
        const bool whole = s >= 0 && (code == kSelfed || code == kInbred || code == kDbhpld || code - 1 == s);
        const int d = (s >= 0 && !whole && code > 0) ? code - 1 : -1;
        for (int j = 0; j < i; ++j) {
            double a = 0.0;
            if (whole)
                a = A[j][s];
            else {
                if (s >= 0) a += 0.5 * A[j][s];
                if (d >= 0) a += 0.5 * A[j][d];
            }
            A[i][j] = A[j][i] = a;
        }
        if (s < 0)
            A[i][i] = (code == kInbred && inbred_founders) ? 2.0 : 1.0;
        else if (code == kDbhpld)
            A[i][i] = 2.0;
        else if (whole)
            A[i][i] = 1.0 + 0.5 * A[s][s];
        else if (d >= 0)
            A[i][i] = 1.0 + 0.5 * A[s][d];
        else
            A[i][i] = 1.0;
    }
    return A;
}

inline vsk::Table<double> to_table(const Matrix& m)
{
    const int n = static_cast<int>(m.size());
    vsk::Table<double> t(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) t[i][j] = m[i][j];
    return t;
}

inline vsk::Table<double> inverse(const Matrix& m)
{
    vsk::Table<double> t = to_table(m);
    vsk::invert(t, static_cast<int>(m.size()));
    return t;
}

// Relationship matrix of the recursion itself, L D L' with the raised
// Mendelian variances and the related founders' block (the matrix the
// sampler's prior uses).
inline Matrix recursion_relationships(const vsk::TimPedigree& ped)
{
    const int n = ped.n;
    Matrix L(n, std::vector<double>(n, 0.0));
    for (int i = 0; i < n; ++i) {
        L[i][i] = 1.0;
        for (int j = 0; j < i; ++j) {
            double v = 0.0;
            if (ped.parent0[i] >= 0) v += ped.coef0[i] * L[ped.parent0[i]][j];
            if (ped.parent1[i] >= 0) v += ped.coef1[i] * L[ped.parent1[i]][j];
            L[i][j] = v;
        }
    }
    // Covariances of the Mendelian terms: diagonal, with the related
    // founders' block where there is one.
    Matrix M(n, std::vector<double>(n, 0.0));
    for (int k = 0; k < n; ++k) M[k][k] = 1.0 / ped.precision[k];
    for (std::size_t s = 0; s < ped.block.size(); ++s)
        for (std::size_t g = 0; g < ped.block.size(); ++g) M[ped.block[s]][ped.block[g]] = ped.block_cov[s][g];
    Matrix LM(n, std::vector<double>(n, 0.0)), A(n, std::vector<double>(n, 0.0));
    for (int a = 0; a < n; ++a)
        for (int k = 0; k < n; ++k)
            for (int l = 0; l < n; ++l) LM[a][l] += L[a][k] * M[k][l];
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b)
            for (int l = 0; l < n; ++l) A[a][b] += LM[a][l] * L[b][l];
    return A;
}

// Symmetric 2 x 2 or 1 x 1 covariance as a table with its inverse.
inline vsk::Table<double> table_of(const Matrix& m) { return to_table(m); }

}  // namespace tim_test
