// Trait model of a simulated population: QTL effects scaled to their shares
// of phenotypic variance, a polygenic background, nuisance factors and
// correlated residuals; and the variance shares the sample actually shows.
#pragma once

#include <vector>

#include "tools/simulate/design.h"
#include "tools/simulate/genome.h"
#include "tools/simulate/pedigree.h"
#include "tools/simulate/rng.h"

namespace vsim {

// Genotype frequencies of a bi-allelic locus: two copies of allele 0, one
// copy, two copies of allele 1.
struct GenotypeFreqs {
    double hom0 = 0.0;
    double het = 0.0;
    double hom1 = 0.0;
};

// Frequencies the design leads to among its final individuals: line crosses
// with `contrasted` parents (allele 0 in the first, 1 in the second) follow
// the cross (F2 1:2:1, backcross 1:1, ...); otherwise the founder frequency
// `freq0` combines with the chance that both alleles stem from one inbred
// founder. Outbred designs use the Hardy-Weinberg frequencies of the
// founders: effects are then scaled to the base population.
GenotypeFreqs expected_genotype_freqs(const Design& design, double freq0, bool contrasted);
// Variance of x_a + ratio * x_d (x_a = +1, 0, -1; x_d = 0, 1, 0).
double covariate_variance(const GenotypeFreqs& freqs, double dominance_ratio);

// Genotype code of the analysis: 2 * paternal allele + maternal allele.
inline int genotype_code(int paternal, int maternal) { return 2 * paternal + maternal; }
double additive_covariate(int code);
double dominance_covariate(int code);

struct TraitModel {
    std::vector<std::vector<double>> additive;      // [qtl][trait]
    std::vector<std::vector<double>> dominance;     // [qtl][trait]
    std::vector<std::vector<double>> target_share;  // [qtl][trait]; -1 when effects were given
    std::vector<std::vector<double>> polygenic_effect;  // [locus][trait]
    std::vector<std::vector<std::vector<double>>> factor_effect;  // [factor][level - 1][trait]
    std::vector<double> residual_cov;               // traits x traits
    std::vector<double> expected_phenotypic_variance;  // per trait, nuisance effects excluded
};

struct TraitValues {
    std::vector<std::vector<int>> qtl_code;      // [individual][qtl]
    std::vector<std::vector<double>> genetic;    // [individual][trait]: QTL + polygenic
    std::vector<std::vector<double>> polygenic;  // [individual][trait]
    std::vector<std::vector<double>> residual;   // [individual][trait]
    std::vector<std::vector<double>> phenotype;  // [individual][trait]
    std::vector<std::vector<bool>> missing;      // [individual][trait]
    std::vector<std::vector<int>> factor_class;  // [individual][factor], classes from 1
};

// Variances among the phenotyped individuals (true values, before missing
// phenotypes are removed; nuisance effects are not part of the phenotypic
// variance).
struct Realised {
    std::vector<double> genetic_variance, polygenic_variance, residual_variance;
    std::vector<double> phenotypic_variance, heritability;  // per trait
    std::vector<std::vector<double>> qtl_variance, qtl_share;  // [qtl][trait]
    std::vector<double> qtl_freq0;  // allele-0 frequency among the phenotyped
    int phenotyped = 0;
};

// QTL genotype codes of every individual.
std::vector<std::vector<int>> qtl_codes(const Genome& genome, const std::vector<Genotype>& genotypes);

// Draws effects and scales them (expected or realised genotype frequencies).
TraitModel build_trait_model(const Design& design, const Genome& genome, const Pedigree& pedigree,
                             const std::vector<Genotype>& genotypes,
                             const std::vector<std::vector<int>>& codes, Rng& rng);

// Genetic values, nuisance classes, residuals, phenotypes and missingness.
TraitValues draw_phenotypes(const Design& design, const Genome& genome, const Pedigree& pedigree,
                            const std::vector<Genotype>& genotypes, const TraitModel& model,
                            std::vector<std::vector<int>> codes, Rng& rng);

Realised realised_variances(const Design& design, const Pedigree& pedigree, const TraitModel& model,
                            const TraitValues& values);

// Lower Cholesky factor of an n x n symmetric matrix (row by row); throws
// SimError when the matrix is not positive definite.
std::vector<double> cholesky(const std::vector<double>& matrix, int n);

}  // namespace vsim
