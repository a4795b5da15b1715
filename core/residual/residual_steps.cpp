// Exported steps of the residual model: thin wrappers that run the internal
// steps on the process-wide records and generator.
#include "core/residual/residual.h"
#include "core/residual/residual_check.h"
#include "core/state/console.h"
#include "core/voskara.h"

namespace vsk {

namespace {
// Allowed difference relative to the phenotype scale: rounding of many
// incremental updates, far below any real error.
constexpr double kResidualTolerance = 1e-8;
}  // namespace

void InitNuisanceEffects(int n_levels, int n_traits) { init_nuisance_effects(par, n_levels, n_traits); }

void SampleNuisance(int c, int s, int random) { sample_nuisance(par, obs, phe, boundary, rng(), c, s, random); }

void SampleVarR(int c, int s) { sample_var_r(par, rng(), c, s); }
void ReportHeldNuisanceCovariances() { report_held_nuisance_covariances(par, obs, phe); }

void SampleVarERR() { sample_var_err(par, phe, rng()); }

void CalcLikelihood() { calc_likelihood(par, phe, fit_counters().likelihood_calls); }

void PredictionPhenotype() { prediction_phenotype(par, gene, polygene, phe, fit_counters().prediction_calls); }

void AugmentPhenotypes() { augment_phenotypes(par, obs, phe, rng()); }

int WritePredictions() { return write_predictions(par, obs, phe, "prediction.csv"); }

int CheckResiduals(const char* after_step)
{
    const ResidualCheck c = check_residuals(par, obs, phe, gene, polygene);
    if (c.max_difference <= kResidualTolerance * (1.0 + c.max_phenotype)) return 0;
    cprint("\nERROR: residuals out of step after %s (sweep %d): individual %d, trait %d differs by %g", after_step,
           par.cur_sweep, c.individual, c.trait + 1, c.max_difference);
    abort_voskara();
}

}  // namespace vsk
