// Internal interface of the residual model: nuisance effects, the residual
// and random-effect covariances, the likelihood, predictions and imputation.
// Every step works on records passed by reference so tests can run it on
// small records; the exported steps in core/voskara.h wrap these.
#pragma once

#include <string>
#include <vector>

#include "core/numeric/rng.h"
#include "core/state/nuisance_codes.h"
#include "core/state/records.h"
#include "textfile/table.h"

namespace vsk {

// Creates the nuisance effects table (all 0) and the per-level class table
// (all -1). Nothing is allocated for zero levels.
void init_nuisance_effects(Par& p, int n_levels, int n_traits);

// Gibbs draw of every level of nuisance column c; `random` (0/1) says whether
// some trait gives the column a normal prior with covariance nuis_cov[s].
void sample_nuisance(Par& p, const std::vector<Obs>& o, Phe& ph, const Boundary& b, Rng& r, int c, int s,
                     int random);

// Draws nuis_cov[s] of random column c on the traits whose code is exactly 1.
// With too few drawn levels for a Wishart draw it keeps the matrix quietly.
void sample_var_r(Par& p, Rng& r, int c, int s);
// Traits of column c whose covariance is sampled (code exactly 1).
int nuisance_covariance_traits(const Par& p, int c);
// Levels of column c that the nuisance step draws (two or more records).
int levels_drawn(const Par& p, const std::vector<Obs>& o, const Phe& ph, int c);
// Names, once before the chain, every random column whose covariance cannot
// be sampled for want of levels, and says that it stays fixed.
void report_held_nuisance_covariances(const Par& p, const std::vector<Obs>& o, const Phe& ph);

// Draws the residual covariance, its inverse and log determinant.
void sample_var_err(Par& p, const Phe& ph, Rng& r);

// Wishart draw by the Bartlett construction with scale S (p x p) and nu
// degrees of freedom into W (p x p, resized when smaller). Returns 0, or 1
// when no draw could be made (W untouched).
int wishart(const Table<double>& S, double nu, int p, Table<double>& W, Rng& r);

// Call counters of the running means (a part of the run workspace: reset at
// start-up and teardown).
struct FitCounters {
    double likelihood_calls = 0.0;
    double prediction_calls = 0.0;
};
FitCounters& fit_counters();

// Log-likelihood of the current state and the running means of the
// log-likelihood, deviance and residual covariance.
void calc_likelihood(Par& p, const Phe& ph, double& calls);

// Running mean of every individual's genetic prediction (overall mean, the
// active QTL and FPM genes, the infinitesimal effect).
void prediction_phenotype(const Par& p, const std::vector<Gene>& qtl, const std::vector<Polygene>& fpm,
                          Phe& ph, double& calls);

// Imputes missing trait values on the residual scale (fatal for partly
// missing records with three or more traits).
void augment_phenotypes(const Par& p, const std::vector<Obs>& o, Phe& ph, Rng& r);

// Phenotype y of trait j on the scale the model is fitted to, and a value of
// that scale back in the units of the data (Par::trait_shift, trait_scale;
// records without them are unscaled).
double analysed_phenotype(const Par& p, double y, int j);
double data_units(const Par& p, double v, int j);
// Units of the data per unit of the fitted scale for trait j.
double phenotype_scale(const Par& p, int j);

// Writes the fit statistics, DIC and per-individual predictions of a
// single-trait run to `path`: the likelihood terms on the fitted scale, the
// phenotypes, predictions and their squared error in the data's units.
// Returns 0, or 1 when the file cannot be written.
int write_predictions(const Par& p, const std::vector<Obs>& o, const Phe& ph, const std::string& path);

// Slot of nuis_cov used by nuisance column c: columns with a normal prior for
// some trait (code 1 or more) take the slots in column order; -1 otherwise.
int random_slot_of(const Par& p, int c);
// True when column c has code `min_code` or more for at least one trait.
bool column_has_code(const Par& p, int c, int min_code);

// Prints the leading n x n part of a matrix, each row opening with "\n" and
// each element as "\t %10.4f" (the layout of the sampler diagnostics).
void print_matrix_rows(const Table<double>& m, int n);

}  // namespace vsk
