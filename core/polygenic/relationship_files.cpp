// "NRMai.txt" and "NRMaic.txt": the inverse relationship matrix of the
// pedigree recursion and a factor T of it (A^-1 = T'T), as full matrices
// (writeNRM 1) or as sparse triplets (writeNRM 2).
#include <cmath>
#include <map>
#include <utility>

#include "core/polygenic/tim.h"
#include "textfile/file.h"

namespace vsk {

namespace {

constexpr int kFullMatrices = 1;
using Sparse = std::map<std::pair<int, int>, double>;  // (row, column), 0-based

struct Term {
    int index;
    double coef;
};

// Row o of I - P: o itself and its parents.
int row_terms(const TimPedigree& ped, int o, Term* terms)
{
    int n = 0;
    terms[n++] = {o, 1.0};
    if (ped.parent0[o] >= 0) terms[n++] = {ped.parent0[o], -ped.coef0[o]};
    if (ped.parent1[o] >= 0) terms[n++] = {ped.parent1[o], -ped.coef1[o]};
    return n;
}

bool in_block(const TimPedigree& ped, int i) { return !ped.founder_slot.empty() && ped.founder_slot[i] >= 0; }

Sparse inverse_relationships(const TimPedigree& ped)
{
    Sparse m;
    Term terms[3];
    for (int o = 0; o < ped.n; ++o) {
        if (in_block(ped, o)) continue;
        const int k = row_terms(ped, o, terms);
        for (int a = 0; a < k; ++a)
            for (int b = 0; b < k; ++b) m[{terms[a].index, terms[b].index}] += ped.precision[o] * terms[a].coef * terms[b].coef;
    }
    const int slots = static_cast<int>(ped.block.size());
    for (int s = 0; s < slots; ++s)
        for (int g = 0; g < slots; ++g) m[{ped.block[s], ped.block[g]}] += ped.block_precision[s][g];
    return m;
}

// T = D^-1/2 (I - P) row by row; the related founders' rows are L_b' with
// A_FF^-1 = L_b L_b'.
Sparse inverse_factor(const TimPedigree& ped)
{
    Sparse m;
    Term terms[3];
    for (int o = 0; o < ped.n; ++o) {
        if (in_block(ped, o)) continue;
        const int k = row_terms(ped, o, terms);
        for (int a = 0; a < k; ++a) m[{o, terms[a].index}] = std::sqrt(ped.precision[o]) * terms[a].coef;
    }
    const int slots = static_cast<int>(ped.block.size());
    Table<double> L = ped.block_precision;
    if (slots > 0 && cholesky(L, slots) == 0)
        for (int s = 0; s < slots; ++s)
            for (int g = s; g < slots; ++g) m[{ped.block[s], ped.block[g]}] = L[g][s];
    return m;
}

void write_matrix(const Sparse& m, int n, int mode, const char* path, const char* title)
{
    File f = open_file(path, "w");
    if (!f) return;
    std::fprintf(f.get(), "; %s\n", title);
    if (mode == kFullMatrices) {
        for (int i = 0; i < n; ++i) {
            std::fprintf(f.get(), "\n");
            auto it = m.lower_bound({i, 0});
            for (int j = 0; j < n; ++j) {
                double v = 0.0;
                if (it != m.end() && it->first == std::make_pair(i, j)) v = (it++)->second;
                std::fprintf(f.get(), " %.6f", v);
            }
        }
        std::fprintf(f.get(), "\n");
        return;
    }
    std::fprintf(f.get(), "; row column value (individual numbers)\n");
    for (const auto& [at, v] : m)
        if (v != 0.0) std::fprintf(f.get(), "%d %d %.8f\n", at.first + 1, at.second + 1, v);
}

}  // namespace

void write_relationship_files(const TimPedigree& ped, int mode)
{
    write_matrix(inverse_relationships(ped), ped.n, mode, "NRMai.txt", "inverse additive relationship matrix");
    write_matrix(inverse_factor(ped), ped.n, mode, "NRMaic.txt",
                 "factor T of the inverse additive relationship matrix (inverse = T'T)");
}

}  // namespace vsk
