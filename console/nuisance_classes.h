// Nuisance classes and phenotype statistics: renumbers the nuisance classes
// into effect levels, centres (and optionally scales) the phenotypes, draws
// the first residual covariance and sets the initial variances and bounds.
#pragma once

#include <vector>

#include "core/state/records.h"

namespace vsk {

// The whole step on the shared records (run once before the chain).
void prepare_nuisance_classes();

// --- parts of the step, on records passed in ---

// Every trait-by-trait table and per-trait array used by the residual model
// gets its size (zero-filled) when it has none yet.
void ensure_trait_tables(Par& p, Boundary& b);
// Fatal unless every phenotyped individual has a class 1..1000000 in every
// nuisance factor that all traits include.
void check_nuisance_classes(const Par& p, const std::vector<Obs>& o, const Phe& ph);
// Ranks of the classes per factor; sets level_first / level_last and returns
// the total number of levels; `table` receives each level's class number.
int renumber_nuisance_classes(Par& p, std::vector<Obs>& o, const Phe& ph, std::vector<int>& table);
// Per-trait statistics (fatal when a trait has fewer than two records), then
// centring; returns the number of individuals with an observed trait.
int trait_statistics(Par& p, Phe& ph);
// Phenotypic covariance of the centred values (printed; its off-diagonal
// entries are kept in pheno_cov).
void phenotypic_covariance(Par& p, const Phe& ph, const char* title);
// Divides every trait by its phenotypic standard deviation.
void scale_traits(Par& p, Phe& ph);
// Initial prior variances of the gene effects and of the TIM model.
void initial_gene_variances(Par& p);
void initial_tim_variances(Par& p);
// Initial covariances of the random nuisance factors (fatal beyond ten).
void initial_random_variances(Par& p);
// Overall-mean prior and the effect bounds.
void overall_mean_prior(Par& p);
void effect_bounds(const Par& p, Boundary& b);

// Whether individual `ind` has a usable phenotype for some trait.
bool has_phenotype(const Phe& ph, std::size_t i, int n_traits);

}  // namespace vsk
