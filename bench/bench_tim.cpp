// Cost of the infinitesimal model: one sweep over the polygenic effects and
// the polygenic covariance step on an outbred pedigree of about 10,000
// individuals (100 founders, 3 generations of 50 full-sib families, 160
// offspring in the last) with two traits, and the one-off set-up (parent and
// offspring lists, inbreeding coefficients).
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "core/numeric/linalg.h"
#include "core/numeric/rng.h"
#include "core/polygenic/tim.h"
#include "core/state/records.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTraits = 2;

std::vector<vsk::Obs> outbred_pedigree()
{
    std::mt19937 g(1);
    std::vector<vsk::Obs> o;
    const auto add = [&](int fat, int mot) {
        vsk::Obs ind;
        ind.name = "i" + std::to_string(o.size() + 1);
        ind.fat = fat;
        ind.mot = ind.mot_gen = mot;
        o.push_back(ind);
    };
    for (int f = 0; f < 100; ++f) add(0, 0);
    int first = 1, count = 100;
    for (int gen = 0; gen < 3; ++gen) {
        const int per_family = gen == 2 ? 160 : 20;
        std::uniform_int_distribution<int> pick(first, first + count - 1);
        const int start = static_cast<int>(o.size()) + 1;
        for (int fam = 0; fam < 50; ++fam) {
            const int s = pick(g);
            int d = pick(g);
            while (d == s) d = pick(g);
            for (int k = 0; k < per_family; ++k) add(s, d);
        }
        first = start;
        count = 50 * per_family;
    }
    return o;
}

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

}  // namespace

int main()
{
    std::vector<vsk::Obs> o = outbred_pedigree();
    const int n = static_cast<int>(o.size());
    vsk::Phe ph;
    ph.assign(n, kTraits);
    ph.phenotype.fill(1);
    std::mt19937 g(2);
    std::normal_distribution<double> z;
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < kTraits; ++k) ph.residual[i][k] = z(g);
    vsk::Par p;
    p.n_traits = kTraits;
    for (vsk::Table<double>* m : {&p.res_prec, &p.tim_cov, &p.pheno_cov}) m->assign(kTraits, kTraits, 0.0);
    for (int k = 0; k < kTraits; ++k) {
        p.res_prec[k][k] = 1.0;
        p.tim_cov[k][k] = 0.3;
        p.pheno_cov[k][k] = 1.3;
    }
    vsk::TimState s;
    auto start = Clock::now();
    vsk::build_tim_pedigree(o, true, s.ped);
    const double setup = seconds_since(start);
    vsk::TimWork& w = s.work;
    for (vsk::Table<double>* m : {&w.Rinv, &w.Ginv, &w.C}) m->assign(kTraits, kTraits);
    for (auto* v : {&w.rhs, &w.w, &w.z, &w.e}) v->assign(kTraits, 0.0);
    vsk::Rng r;
    r.seed(7);
    const int sweeps = 200;
    start = Clock::now();
    for (int k = 0; k < sweeps; ++k) {
        vsk::mat_copy(p.res_prec, w.Rinv, kTraits, kTraits);
        vsk::mat_copy(p.tim_cov, w.Ginv, kTraits, kTraits);
        vsk::invert(w.Ginv, kTraits, w.lin);
        vsk::sample_tim_effects(p, s.ped, o, ph, r, w, "bench");
        vsk::sample_tim_variance(p, s.ped, ph, r);
    }
    const double per_sweep = seconds_since(start) / sweeps;
    std::printf("infinitesimal model, %d individuals, %d traits: set-up %.2f ms, one sweep (effects and "
                "covariance) %.2f ms\n",
                s.ped.n, kTraits, 1e3 * setup, 1e3 * per_sweep);
    return 0;
}
