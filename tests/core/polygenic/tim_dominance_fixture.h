// Pedigrees of inbred lines for the dominance tests, and the slow oracle:
// the exact dominance relationships by enumerating every outcome of the
// pedigree's transmissions (small pedigrees only).
#pragma once

#include <cstdint>
#include <vector>

#include "tim_fixture.h"

namespace tim_dom_test {

using tim_test::kDbhpld;
using tim_test::kInbred;
using tim_test::kSelfed;
using tim_test::Matrix;
using tim_test::Pedigree;

// Four inbred lines; sib F1s of lines 1 x 2 and the F1 of lines 3 x 4;
// F2 sibs by selfing, F2 sibs by crossing the two different F1s, an F2 by
// crossing the two sib F1s, a doubled haploid, an outbred founder and a
// plant with one known parent.
inline Pedigree line_pedigree()
{
    return {
        {0, kInbred},  // 1 line P1
        {0, kInbred},  // 2 line P2
        {0, kInbred},  // 3 line P3
        {0, kInbred},  // 4 line P4
        {1, 2},        // 5 F1a
        {1, 2},        // 6 F1b, identical to F1a
        {3, 4},        // 7 F1c
        {5, kSelfed},  // 8 F2 by selfing F1a
        {5, kSelfed},  // 9 its sib
        {5, 7},        // 10 F1a x F1c
        {5, 7},        // 11 its sib
        {5, 6},        // 12 F1a x F1b (an F2 by crossing)
        {5, kDbhpld},  // 13 doubled haploid of F1a
        {0, 0},        // 14 outbred founder
        {8, 0},        // 15 one known parent
    };
}

// Exact D_ij = P(i and j carry the same heterozygous pair of founder genes)
// by enumerating all 2^bits transmission outcomes, read from the (fat, mot)
// codes directly.
inline Matrix exact_dominance(const Pedigree& ped)
{
    const int n = static_cast<int>(ped.size());
    int bits = 0;
    for (const auto& [fat, mot] : ped) {
        if (fat == 0) continue;
        bits += (mot == kDbhpld || mot <= 0) && mot != kSelfed ? 1 : 2;
    }
    Matrix D(n, std::vector<double>(n, 0.0));
    std::vector<int> g0(n), g1(n);
    const std::uint64_t outcomes = std::uint64_t{1} << bits;
    for (std::uint64_t code = 0; code < outcomes; ++code) {
        int used = 0, next_gene = 0;
        auto draw = [&](int parent) { return ((code >> used++) & 1u) ? g1[parent] : g0[parent]; };
        for (int i = 0; i < n; ++i) {
            const int fat = ped[i].first - 1, mot = ped[i].second;
            if (fat < 0) {
                g0[i] = next_gene++;
                g1[i] = mot == kInbred ? g0[i] : next_gene++;
            } else if (mot == kDbhpld) {
                g0[i] = g1[i] = draw(fat);
            } else if (mot == kSelfed) {
                g0[i] = draw(fat);
                g1[i] = draw(fat);
            } else if (mot <= 0) {
                g0[i] = draw(fat);
                g1[i] = next_gene++;
            } else {
                g0[i] = draw(fat);
                g1[i] = draw(mot - 1);
            }
        }
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const bool het = g0[i] != g1[i];
                const bool same = (g0[i] == g0[j] && g1[i] == g1[j]) || (g0[i] == g1[j] && g1[i] == g0[j]);
                if (het && same) D[i][j] += 1.0;
            }
    }
    for (auto& row : D)
        for (double& v : row) v /= static_cast<double>(outcomes);
    return D;
}

// An F2 of `plants` selfed from the F1 of two inbred lines (3 + plants
// individuals): enough carriers for the variance step.
inline Pedigree f2_pedigree(int plants)
{
    Pedigree ped = {{0, kInbred}, {0, kInbred}, {1, 2}};
    for (int k = 0; k < plants; ++k) ped.push_back({3, kSelfed});
    return ped;
}

}  // namespace tim_dom_test
