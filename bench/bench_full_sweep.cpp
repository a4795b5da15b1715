// Cost of a complete sweep of a QTL analysis (marker phases, the QTL model
// starting with 3 QTL, the nuisance and residual steps) on simulated outbred
// projects written by the voskara_simulate program next to this one:
// 2,000 individuals x 600 SNPs with three QTL, and the outbred-large preset.
// Prints the processor ms per sweep of each part and the effective sample
// size per second of the number of QTL, the residual and the QTL variance.
//
//   bench_full_sweep [medium_sweeps [large_sweeps]]     (defaults 300 and 5)
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "console/data_file.h"
#include "console/map_file.h"
#include "console/nuisance_classes.h"
#include "console/offspring.h"
#include "console/position_windows.h"
#include "console/sweep_loop.h"
#include "core/state/console.h"
#include "core/state/records.h"
#include "core/voskara.h"
#include "textfile/fatal.h"

namespace fs = std::filesystem;

namespace {

constexpr int kStartQtl = 3;

const char* const kMediumDesign =
    "--preset outbred-medium --founders 48 --generations 1 --families 24 --offspring 81 "
    "--chromosomes 100,100,100,100,100,100 --markers 100 --polygenic-share 0 --qtl none "
    "--qtl chr=1,pos=40,share=0.1 --qtl chr=3,pos=60,share=0.1 --qtl chr=5,pos=25,share=0.1 "
    "--param maximQTL=8 --param priorQTL=3";
const char* const kLargeDesign = "--preset outbred-large --param maximQTL=8 --param priorQTL=3";

fs::path simulate_project(const fs::path& simulator, const char* design, const char* name)
{
    const fs::path dir = fs::temp_directory_path() / ("voskara_bench_full_" + std::string(name) + "_" + std::to_string(getpid()));
    const std::string command =
        "\"" + simulator.string() + "\" " + design + " --seed 1 --out \"" + dir.string() + "\" > /dev/null";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "cannot run %s\n", simulator.c_str());
        std::exit(2);
    }
    return dir;
}

// The run driver's preparation without its reports: inputs, marker stages
// 1 and 2, the QTL model with 3 QTL.
void prepare(const fs::path& dir)
{
    fs::current_path(dir);
    vsk::project_dirF = dir.string();
    vsk::project_parF = "voskara.par";
    vsk::InitGlobalVariables();
    vsk::par.cur_sweep = -1;
    vsk::SeedGenerator();
    const double distance = vsk::read_map_file();
    vsk::read_data_file();
    vsk::data_modi();
    vsk::find_desc();
    vsk::setup_position_windows(distance);
    vsk::prepare_nuisance_classes();
    vsk::AugmentPhenotypes();
    vsk::SampleMarkers(1);
    vsk::SampleMarkers(2);
    vsk::par.nqtl = kStartQtl;
    vsk::SampleQTL(0, 0.0);
}

// Effective sample size of a chain: n over the integrated autocorrelation
// time, summing autocorrelations up to the first non-positive pair.
double effective_size(const std::vector<double>& x)
{
    const std::size_t n = x.size();
    if (n < 4) return 0.0;
    double mean = 0.0;
    for (double v : x) mean += v;
    mean /= static_cast<double>(n);
    double c0 = 0.0;
    for (double v : x) c0 += (v - mean) * (v - mean);
    if (c0 <= 0.0) return 0.0;
    auto rho = [&](std::size_t lag) {
        double c = 0.0;
        for (std::size_t i = 0; i + lag < n; ++i) c += (x[i] - mean) * (x[i + lag] - mean);
        return c / c0;
    };
    double tau = 1.0;
    for (std::size_t lag = 1; lag + 1 < n / 2; lag += 2) {
        const double pair = rho(lag) + rho(lag + 1);
        if (pair <= 0.0) break;
        tau += 2.0 * pair;
    }
    return static_cast<double>(n) / tau;
}

struct Parts {
    double markers = 0.0, qtl = 0.0, residual = 0.0;
    long allocations = 0;
    std::vector<double> n_qtl, var_res, var_qtl;
};

void residual_steps(const std::vector<vsk::NuisanceStep>& nuisance)
{
    for (const vsk::NuisanceStep& step : nuisance) {
        vsk::SampleNuisance(step.column, step.var_index, step.has_variance ? 1 : 0);
        if (step.has_variance) vsk::SampleVarR(step.column, step.var_index);
    }
    vsk::SampleVarERR();
    vsk::CalcLikelihood();
    vsk::PredictionPhenotype();
    vsk::AugmentPhenotypes();
}

Parts run_sweeps(int sweeps)
{
    vsk::Par& p = vsk::par;
    const std::vector<vsk::NuisanceStep> nuisance = vsk::nuisance_steps(p.indiN, p.n_nuis, p.n_traits);
    Parts parts;
    p.length = sweeps + 2;  // no sweep below is the last one
    // The traces are sized first, so that the count holds the steps' own
    // allocations only.
    for (std::vector<double>* trace : {&parts.n_qtl, &parts.var_res, &parts.var_qtl})
        trace->reserve(static_cast<std::size_t>(sweeps));
    const long before = bench::allocations();
    for (p.cur_sweep = 0; p.cur_sweep < sweeps; ++p.cur_sweep) {
        if (p.cur_sweep == 1) parts.allocations = bench::allocations();  // the first sweep sizes the scratch
        bench::Stopwatch watch;
        vsk::SampleMarkers(3);
        parts.markers += watch.cpu();
        watch.restart();
        vsk::SampleQTL(1, 0.0);
        parts.qtl += watch.cpu();
        watch.restart();
        residual_steps(nuisance);
        parts.residual += watch.cpu();
        parts.n_qtl.push_back(p.nqtl);
        parts.var_res.push_back(p.res_cov[0][0]);
        parts.var_qtl.push_back(p.qtl_cov[0][0]);
    }
    parts.allocations = bench::allocations() - (sweeps > 1 ? parts.allocations : before);
    return parts;
}

void report(const char* name, int sweeps, const Parts& t)
{
    const double total = t.markers + t.qtl + t.residual;
    std::printf("%s: %d individuals x %d markers, %d sweeps\n", name, vsk::par.n_individuals, vsk::par.n_markers, sweeps);
    std::printf("  ms per sweep: %.1f in all = markers %.1f + QTL %.2f + residual %.2f (processor time)\n",
                1e3 * total / sweeps, 1e3 * t.markers / sweeps, 1e3 * t.qtl / sweeps, 1e3 * t.residual / sweeps);
    double mean_k = 0.0;
    for (double k : t.n_qtl) mean_k += k;
    std::printf("  mean number of QTL %.2f; heap allocations after the first sweep: %ld\n", mean_k / sweeps,
                t.allocations);
    std::printf("  effective sample size per second: number of QTL %.2f, residual variance %.2f, QTL variance %.2f\n",
                effective_size(t.n_qtl) / total, effective_size(t.var_res) / total, effective_size(t.var_qtl) / total);
}

bool bench_project(const fs::path& simulator, const char* design, const char* name, int sweeps)
{
    const fs::path dir = simulate_project(simulator, design, name);
    std::FILE* sink = std::fopen((dir / "console.txt").c_str(), "w");
    vsk::set_console_stream(sink);
    bool ok = true;
    try {
        bench::Stopwatch watch;
        prepare(dir);
        const double setup = watch.cpu();
        const Parts parts = run_sweeps(sweeps);
        report(name, sweeps, parts);
        std::printf("  (inputs and marker stages 1 and 2: %.1f s)\n", setup);
    } catch (const vsk::FatalExit&) {
        std::printf("%s stopped with an error; see %s\n", name, (dir / "console.txt").c_str());
        ok = false;
    }
    vsk::FreeGlobalVariables();
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    fs::current_path(fs::temp_directory_path());
    if (ok) fs::remove_all(dir);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const int medium = argc > 1 ? std::atoi(argv[1]) : 300;
    const int large = argc > 2 ? std::atoi(argv[2]) : 5;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as soon as it is measured
    const fs::path simulator = fs::absolute(argv[0]).parent_path() / "voskara_simulate";
    bool ok = true;
    if (medium > 0) ok = bench_project(simulator, kMediumDesign, "outbred 2,000 x 600", medium) && ok;
    if (large > 0) ok = bench_project(simulator, kLargeDesign, "outbred-large", large) && ok;
    return ok ? 0 : 1;
}
