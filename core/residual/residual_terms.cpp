// Genetic terms entering and leaving the residuals, one routine per change.
#include "core/residual/residual_terms.h"

#include <algorithm>

namespace vsk {

namespace {

// residual -= sign * gval[gtp[i]] for every individual in use.
template <class GeneRecord>
void shift_by_gene(const GeneRecord& g, Phe& ph, int n_traits, double sign)
{
    const int n = std::min(ph.residual.rows(), static_cast<int>(g.gtp.size()));
    for (int i = 0; i < n; ++i) {
        const double* value = g.gval[g.gtp[static_cast<std::size_t>(i)]];
        const std::int8_t* flag = ph.phenotype[i];
        double* residual = ph.residual[i];
        for (int j = 0; j < n_traits; ++j)
            if (flag[j] != kUnknown) residual[j] -= sign * value[j];
    }
}

template <class GeneRecord>
void change_genotype(GeneRecord& g, int i, int new_code, Phe& ph, int n_traits)
{
    const double* old_value = g.gval[g.gtp[static_cast<std::size_t>(i)]];
    const double* new_value = g.gval[new_code];
    const std::int8_t* flag = ph.phenotype[i];
    double* residual = ph.residual[i];
    for (int j = 0; j < n_traits; ++j)
        if (flag[j] != kUnknown) residual[j] += old_value[j] - new_value[j];
    g.gtp[static_cast<std::size_t>(i)] = new_code;
}

}  // namespace

void add_gene_to_residuals(const Gene& g, Phe& ph, int n_traits) { shift_by_gene(g, ph, n_traits, 1.0); }
void remove_gene_from_residuals(const Gene& g, Phe& ph, int n_traits) { shift_by_gene(g, ph, n_traits, -1.0); }

void change_gene_genotype(Gene& g, int i, int new_code, Phe& ph, int n_traits)
{
    change_genotype(g, i, new_code, ph, n_traits);
}

void change_infinitesimal_effects(Phe& ph, int i, int j, double additive, double dominance)
{
    if (ph.phenotype[i][j] != kUnknown)
        ph.residual[i][j] += ph.infpoleff[i][j] + ph.timdom[i][j] - additive - dominance;
    ph.infpoleff[i][j] = additive;
    ph.timdom[i][j] = dominance;
}

}  // namespace vsk
