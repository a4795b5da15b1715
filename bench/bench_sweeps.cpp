// Cost of the per-sweep steps of the residual model: the nuisance effects of
// a fixed and a random factor, the random-effect and residual covariances,
// the likelihood, the running predictions and the imputation of missing
// values. 10,000 sweeps on 2,000 individuals with two traits, then shorter
// chains on 1,000 to 8,000 individuals to show that a sweep is linear in the
// number of individuals, and a count of heap allocations inside the sweeps.
#include <cstdio>
#include <random>
#include <vector>

#include "bench/bench_timing.h"

#include "core/numeric/rng.h"
#include "core/residual/residual.h"
#include "core/state/records.h"

namespace {

constexpr int kTraits = 2;
constexpr int kFixedLevels = 12;
constexpr int kRandomLevels = 80;
constexpr double kMissingShare = 0.1;

struct Records {
    vsk::Par p;
    std::vector<vsk::Obs> o;
    vsk::Phe ph;
    vsk::Boundary b;
    double likelihood_calls = 0.0;
    double prediction_calls = 0.0;
};

// Column 1: fixed factor (code 0), column 2: random factor (code 1); the
// second trait is missing for about one individual in ten.
Records make_records(int n)
{
    Records r;
    vsk::Par& p = r.p;
    p.n_traits = kTraits;
    p.n_individuals = n;
    p.n_nuis = 3;
    p.indiN.assign(3, kTraits, 0);
    for (int j = 0; j < kTraits; ++j) p.indiN[2][j] = 1;
    p.level_first = {0, 1, 1 + kFixedLevels};
    p.level_last = {0, kFixedLevels, kFixedLevels + kRandomLevels};
    p.n_levels = 1 + kFixedLevels + kRandomLevels;
    vsk::init_nuisance_effects(p, p.n_levels, kTraits);
    for (vsk::Table<double>* m : {&p.res_cov, &p.res_prec, &p.res_cov_mean, &p.pheno_cov})
        m->assign(kTraits, kTraits, 0.0);
    p.nuis_cov.assign(vsk::kMaxRandomNuisance, vsk::Table<double>(kTraits, kTraits, 0.0));
    for (int j = 0; j < kTraits; ++j) {
        p.res_cov[j][j] = p.res_prec[j][j] = 1.0;
        p.pheno_cov[j][j] = 2.0;
        p.nuis_cov[0][j][j] = 0.1;
    }
    const double wide = 1e6;
    r.b.mean_upper.assign(kTraits, wide);
    r.b.mean_lower.assign(kTraits, -wide);
    r.b.nuis_upper.assign(kTraits, wide);
    r.b.nuis_lower.assign(kTraits, -wide);

    std::mt19937 g(2024);
    std::normal_distribution<double> z;
    std::uniform_real_distribution<double> u;
    std::vector<double> random_effect(kRandomLevels);
    for (double& e : random_effect) e = 0.4 * z(g);
    r.o.resize(static_cast<std::size_t>(n));
    r.ph.assign(n, kTraits);
    r.ph.phenotype.fill(1);
    for (int i = 0; i < n; ++i) {
        vsk::Obs& ind = r.o[static_cast<std::size_t>(i)];
        ind.X_nuis = {1, i % kFixedLevels + 1, (i / 3) % kRandomLevels + 1};
        double* Y = r.ph.Y[i];
        const double e0 = z(g);
        Y[0] = 10.0 + 0.1 * ind.X_nuis[1] + random_effect[ind.X_nuis[2] - 1] + e0;
        Y[1] = 5.0 + 0.5 * e0 + z(g);
        if (u(g) < kMissingShare) {
            r.ph.phenotype[i][1] = 0;
            Y[1] = 0.0;
        }
        std::copy(Y, Y + kTraits, r.ph.residual[i]);
    }
    return r;
}

void sweep(Records& r, vsk::Rng& rng, int t)
{
    r.p.cur_sweep = t;
    vsk::sample_nuisance(r.p, r.o, r.ph, r.b, rng, 0, 0, 0);
    vsk::sample_nuisance(r.p, r.o, r.ph, r.b, rng, 1, 0, 0);
    vsk::sample_nuisance(r.p, r.o, r.ph, r.b, rng, 2, 0, 1);
    vsk::sample_var_r(r.p, rng, 2, 0);
    vsk::sample_var_err(r.p, r.ph, rng);
    vsk::calc_likelihood(r.p, r.ph, r.likelihood_calls);
    vsk::prediction_phenotype(r.p, {}, {}, r.ph, r.prediction_calls);
    vsk::augment_phenotypes(r.p, r.o, r.ph, rng);
}

// Wall-clock and processor seconds (the latter is steadier on a busy machine).
struct Timing {
    double seconds = 0.0;
    double cpu_seconds = 0.0;
    long allocations = 0;
};

Timing run(int n, int sweeps)
{
    Records r = make_records(n);
    vsk::Rng rng;
    rng.seed(77);
    for (int t = 0; t < 10; ++t) sweep(r, rng, t);  // warm-up: scratch space grows once
    const long before = bench::allocations();
    const bench::Stopwatch watch;
    for (int t = 10; t < 10 + sweeps; ++t) sweep(r, rng, t);
    Timing timing;
    timing.seconds = watch.wall();
    timing.cpu_seconds = watch.cpu();
    timing.allocations = bench::allocations() - before;
    return timing;
}

}  // namespace

int main()
{
    const Timing main_run = run(2000, 10000);
    std::printf("residual-model sweeps: 10000 sweeps, 2000 individuals, 2 traits: %.2f s (%.2f s processor, "
                "%.1f us per sweep), %ld heap allocations inside the sweeps\n",
                main_run.seconds, main_run.cpu_seconds, 1e6 * main_run.cpu_seconds / 10000, main_run.allocations);
    std::printf("linearity (1000 sweeps each):\n");
    for (int n : {1000, 2000, 4000, 8000}) {
        const Timing t = run(n, 1000);
        std::printf("  %5d individuals: %.3f s processor, %.1f ns per individual and sweep\n", n, t.cpu_seconds,
                    1e9 * t.cpu_seconds / (1000.0 * n));
    }
    return main_run.allocations == 0 ? 0 : 1;
}
