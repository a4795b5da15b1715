// Exported steps of the residual model: thin wrappers that run the internal
// steps on the process-wide records and generator.
#include "core/residual/residual.h"
#include "core/voskara.h"

namespace vsk {

void InitNuisanceEffects(int n_levels, int n_traits) { init_nuisance_effects(par, n_levels, n_traits); }

void SampleNuisance(int c, int s, int random) { sample_nuisance(par, obs, boundary, rng(), c, s, random); }

void SampleVarR(int c, int s) { sample_var_r(par, rng(), c, s); }

void SampleVarERR() { sample_var_err(par, obs, rng()); }

void CalcLikelihood() { calc_likelihood(par, obs, fit_counters().likelihood_calls); }

void PredictionPhenotype() { prediction_phenotype(par, gene, polygene, obs, fit_counters().prediction_calls); }

void AugmentPhenotypes() { augment_phenotypes(par, obs, rng()); }

int WritePredictions() { return write_predictions(par, obs, "prediction.csv"); }

}  // namespace vsk
