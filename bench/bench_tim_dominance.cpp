// Cost of the infinitesimal dominance model on F2 populations of 1,000 to
// 4,000 plants (every plant carries a dominance effect): the one-off set-up
// (gene dropping, then the inverse of D*) and one Gibbs sweep over the
// effects with the variance step.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/numeric/rng.h"
#include "core/polygenic/tim_dominance.h"
#include "core/state/records.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

std::vector<vsk::Obs> f2_pedigree(int plants)
{
    std::vector<vsk::Obs> o(3 + static_cast<std::size_t>(plants));
    o[0].mot = o[1].mot = vsk::kInbred;
    o[2].fat = 1;
    o[2].mot = 2;
    for (std::size_t i = 3; i < o.size(); ++i) {
        o[i].fat = 3;
        o[i].mot = vsk::kSelfed;
    }
    for (std::size_t i = 0; i < o.size(); ++i) o[i].name = "p" + std::to_string(i + 1);
    return o;
}

void run(int plants)
{
    vsk::TimPedigree ped;
    vsk::build_tim_pedigree(f2_pedigree(plants), true, ped);
    vsk::Rng r;
    r.seed(1);
    const std::vector<int> carriers = vsk::dominance_carriers(ped);
    const int m = static_cast<int>(carriers.size());
    auto t0 = Clock::now();
    vsk::Table<double> D;
    vsk::drop_genes(ped, carriers, vsk::kDominanceReplicates, r, D, false);
    const double drop_ms = ms_since(t0);
    for (int s = 0; s < m; ++s) D[s][s] += vsk::kDominanceRidge;
    t0 = Clock::now();
    vsk::invert_spd(D, m);
    const double invert_ms = ms_since(t0);

    vsk::TimDominance dom;
    dom.carriers = carriers;
    dom.precision = std::move(D);
    dom.value.assign(static_cast<std::size_t>(m), 0.0);
    dom.active = true;
    vsk::Par p;
    p.n_traits = 1;
    p.timdom_cov.assign(1, 1, 0.2);
    p.res_prec.assign(1, 1, 1.0);
    p.pheno_cov.assign(1, 1, 2.0);
    vsk::Phe ph;
    ph.assign(ped.n, 1);
    ph.phenotype.fill(1);
    const int sweeps = 20;
    t0 = Clock::now();
    for (int k = 0; k < sweeps; ++k) {
        vsk::sample_tim_dominance(p, dom, ph, r);
        vsk::sample_tim_dominance_variance(p, dom, ph, r);
    }
    const double sweep_ms = ms_since(t0) / sweeps;
    std::printf("dominance, F2 of %d: gene dropping %.0f ms, inverse %.0f ms, one sweep %.2f ms\n", plants,
                drop_ms, invert_ms, sweep_ms);
}

}  // namespace

int main()
{
    for (int plants : {1000, 2000, 4000}) run(plants);
    return 0;
}
