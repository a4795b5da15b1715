// The MCMC main loop. Each model part plugs its per-sweep step in at the
// place named in run_sweep; the driver owns the order, the schedules and the
// chain length.
#include "console/sweep_loop.h"

#include <algorithm>
#include <climits>

#include "console/chain_length.h"
#include "console/reports.h"
#include "console/convergence.h"
#include "console/input_report.h"
#include "core/state/console.h"
#include "core/state/nuisance_codes.h"
#include "core/voskara.h"

namespace vsk {

namespace {

constexpr int kProgressFactor = 10;          // progress every thinning x 10 sweeps
constexpr int kReducedProgressFactor = 100;  // ... x 100 with reduced printing
constexpr int kMinExtremeInterval = 50;      // extreme residuals at most every 50 sweeps
constexpr int kExtremeChunks = 50;           // ... and about 50 times per chain
constexpr int kExtremeFirstSweep = 5;        // never in the first sweeps

#ifdef VOSKARA_CHECK_RESIDUALS
constexpr bool kCheckResiduals = true;   // debug builds: the invariant after every step
#else
constexpr bool kCheckResiduals = false;  // release sweeps never pay for it
#endif

void check_residuals_after([[maybe_unused]] const char* step)
{
    if constexpr (kCheckResiduals) CheckResiduals(step);
}

void print_chain_banner()
{
    crule(2, 79, 1);
    cstars(0, 10, 0);
    cprint("   START  MARKOV  CHAIN  ");
    cstars(0, 45, 0);
    crule(1, 79, 1);
}

// A thinning interval below 1 would make every "multiple of thinning" test
// divide by zero.
void check_thinning()
{
    if (par.thinning >= 1) return;
    cprint("\nERROR: thinning interval must be 1 or more (thinning = %d)", par.thinning);
    abort_voskara();
}

// Marker phases and the QTL; the last sweep of the current length
// closes both and does the one pedigree-viewer export of the process.
void sample_markers_and_qtl(RunState& run, int t, double position)
{
    if (par.indicQTL == 0) return;
    if (t < par.length - 1) {
        if (marker_update_due(t, par.skipSampleMarkers)) {
            SampleMarkers(3);
        }
        SampleQTL(1, position);
        return;
    }
    SampleMarkers(4);
    if (run.viewer_exports == 0) {
        if (par.trellanV != 0) export_to_pedigree_viewer();
        ++run.viewer_exports;
    }
    SampleQTL(2, position);
}

// Nuisance effects, variances, likelihood and missing phenotypes
// (not in IBD mode).
void sample_residual_model(int t, const std::vector<NuisanceStep>& nuisance)
{
    if (par.indicQTL >= 2) return;
    if (extreme_residuals_due(t, par.length)) write_extreme_residuals(par, obs, phe);
    for (const NuisanceStep& step : nuisance) {
        SampleNuisance(step.column, step.var_index, step.has_variance ? 1 : 0);
        check_residuals_after("SampleNuisance");
        if (step.has_variance) SampleVarR(step.column, step.var_index);
    }
    SampleVarERR();
    CalcLikelihood();
    PredictionPhenotype();
    AugmentPhenotypes();
    check_residuals_after("AugmentPhenotypes");
}

// Samples, progress, chain length.
void close_sweep(RunState& run, int t, int progress)
{
    if (at_multiple(t, par.thinning)) {
        PrintSamples();
        if (at_multiple(t, progress)) print_progress_report(par, t);
        par.length =
            length_at_thinning_boundary(run.par_path, t, par.length, par.ess, par.lengthUDMax, &run.length_notes);
    }
    if (convergence_check_due(t, par.length, par.indicQTL, par.ess)) par.length = check_convergence(par.length);
}

void run_sweep(RunState& run, int t, double position, int progress, const std::vector<NuisanceStep>& nuisance)
{
    sample_markers_and_qtl(run, t, position);
    check_residuals_after("the QTL steps");
    if (par.indicFPM != 0) SampleFPM(1);
    if (par.indicTIM != 0) SampleTIM(1);
    check_residuals_after("the polygenic steps");
    sample_residual_model(t, nuisance);
    close_sweep(run, t, progress);
}

void run_chain(RunState& run, int k, double position)
{
    if (par.indicQTL != 0) SampleQTL(0, position);
    if (k == 0) {
        write_putative_qtl_locations();
        WriteInitialQTLValues();
        write_chain_start_sections(par, obs, phe);
    }
    print_chain_banner();
    const int progress = progress_interval(par.thinning, REDprint);
    const std::vector<NuisanceStep> nuisance = nuisance_steps(par.indiN, par.n_nuis, par.n_traits);
    // par.length is read afresh before every comparison: the sweeps change it.
    for (par.cur_sweep = 0; par.cur_sweep < par.length; ++par.cur_sweep)
        run_sweep(run, par.cur_sweep, position, progress, nuisance);
}

}  // namespace

int progress_interval(int thinning, int reduced_printing)
{
    const long long factor = reduced_printing ? kReducedProgressFactor : kProgressFactor;
    return static_cast<int>(std::min<long long>(factor * thinning, INT_MAX));
}

bool at_multiple(int sweep, int interval)
{
    return interval >= 1 && (static_cast<long long>(sweep) + 1) % interval == 0;
}

bool marker_update_due(int sweep, int skipSampleMarkers)
{
    return skipSampleMarkers <= 0 || at_multiple(sweep, skipSampleMarkers);
}

bool extreme_residuals_due(int sweep, int length)
{
    return sweep > kExtremeFirstSweep && at_multiple(sweep, std::max(kMinExtremeInterval, length / kExtremeChunks));
}

bool convergence_check_due(int sweep, int length, int indicQTL, int ess)
{
    return indicQTL != 2 && ess > 0 && length > 0 && (static_cast<long long>(sweep) + 2) % length == 0;
}

std::vector<NuisanceStep> nuisance_steps(const Table<int>& codes, int n_nuis, int n_traits)
{
    std::vector<NuisanceStep> steps;
    const int columns = std::min(n_nuis, codes.rows());
    for (int c = 0; c < columns; ++c) {
        if (!column_has_code(codes, n_traits, c, 0)) continue;  // in no trait's model
        const int slot = random_slot_of(codes, n_traits, c);
        steps.push_back({c, slot < 0 ? 0 : slot, slot >= 0});
    }
    return steps;
}

void export_to_pedigree_viewer()
{
    TrellanFilePedigree();
    if (PNTheld) {
        FreePNTstring();
        PNTheld = 0;
    }
    TrellanFileMarkers();
}

void run_chains(RunState& run, const std::vector<double>& positions)
{
    check_thinning();
    for (int k = 0; k < static_cast<int>(positions.size()); ++k) run_chain(run, k, positions[k]);
}

}  // namespace vsk
