// Cost of one marker-phase sweep (stage 3 without the 20-sweep allele
// frequencies): the row refresh, the block sampler of non-founders, the
// block sampler of all individuals and the tally pass, on outbred full-sib
// pedigrees with SNPs: 2,000 individuals in 24 families x 600 SNPs, and the
// benchmark size 10,100 individuals x 2,000 SNPs; then the cost per
// individual x marker x 2^b for block sizes 1 to 4, and the heap allocations
// inside the sweeps.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/markers/block_sampler.h"
#include "core/markers/chain_prep.h"
#include "core/markers/phases_tally.h"

namespace {

std::atomic<long> g_allocations{0};

using namespace vsk;

struct Generation {
    int families, per_family;
};

struct Records {
    Par par;
    std::vector<Obs> obs;
    std::vector<Chr> groups;
    std::vector<Mrkrlcs> loci;
    std::vector<Mrkrlcs2> loci2;
    std::vector<Gene> genes;
    MarkerPhases ph;
    SiTable gpo0, gpo1;
    PhaseModel model() { return PhaseModel{&par, &obs, &groups, &loci, &loci2, &ph, {&gpo0, &gpo1}}; }
};

void add_member(Records& r, int fat, int mot)
{
    Obs o;
    o.name = "i" + std::to_string(r.obs.size() + 1);
    o.fat = fat;
    o.mot = o.mot_gen = mot;
    r.obs.push_back(o);
}

// Founders, then generations of full-sib families whose parents are drawn
// from the previous generation.
void build_pedigree(Records& r, int founders, const std::vector<Generation>& gens, std::mt19937& g)
{
    for (int f = 0; f < founders; ++f) add_member(r, 0, 0);
    int first = 1, last = founders;
    for (const Generation& gen : gens) {
        const int begin = static_cast<int>(r.obs.size()) + 1;
        std::uniform_int_distribution<int> pick(first, last);
        for (int f = 0; f < gen.families; ++f) {
            const int a = pick(g);
            int b = pick(g);
            while (b == a) b = pick(g);
            for (int c = 0; c < gen.per_family; ++c) add_member(r, a, b);
        }
        first = begin;
        last = static_cast<int>(r.obs.size());
    }
    const int n = static_cast<int>(r.obs.size());
    std::vector<int> lf(n + 1, 0), ls(n + 1, 0);
    for (int i = 1; i <= n; ++i) {
        Obs& o = r.obs[i - 1];
        if (o.fat <= 0) continue;
        (lf[o.fat] ? r.obs[lf[o.fat] - 1].pSb : r.obs[o.fat - 1].pfP) = i;
        lf[o.fat] = i;
        (ls[o.mot] ? r.obs[ls[o.mot] - 1].mSb : r.obs[o.mot - 1].mfP) = i;
        ls[o.mot] = i;
    }
}

// SNPs on `n_groups` groups of `per_group` markers `spacing` cM apart,
// transmitted along the map from random founder haplotypes.
void build_markers(Records& r, int n_groups, int per_group, double spacing, std::mt19937& g)
{
    const int m = n_groups * per_group, n = static_cast<int>(r.obs.size());
    r.loci.assign(m, Mrkrlcs{});
    for (int c = 0, k = 0; c < n_groups; ++c) {
        Chr ch;
        ch.name = "LG" + std::to_string(c + 1);
        ch.indiC = 1;
        ch.fMrkr = k;
        for (int j = 0; j < per_group; ++j, ++k) {
            r.loci[k].chrom = c;
            r.loci[k].position = 100.0 * (c + 1) + j * spacing / 100.0;
            r.loci[k].freq = {0.5, 0.5};
            r.loci[k].nfreq = {0, 0};
        }
        ch.lMrkr = k - 1;
        r.groups.push_back(ch);
    }
    r.loci2.assign(m, Mrkrlcs2{});
    r.par.n_markers = m;
    r.par.n_individuals = n;
    for (Table<double>& t : r.par.rfmat) t.assign(m, m, 0.0);
    r.par.lcs_rows.assign(m, 2, -1);
    r.gpo0.assign(m, n, static_cast<si_t>(kUnknown));
    r.gpo1.assign(m, n, static_cast<si_t>(kUnknown));
    PhaseModel pm = r.model();
    size_phase_tables(pm);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<int> h0(m), h1(m);
    Table<int> hap0(n, m, 0), hap1(n, m, 0);  // individual-major while simulating
    for (int i = 0; i < n; ++i) {
        const Obs& o = r.obs[i];
        for (int side = 0; side < 2; ++side) {
            int* dst = side == 0 ? hap0[i] : hap1[i];
            const int p = side == 0 ? o.fat : o.mot;
            int take = 0;
            for (int k = 0; k < m; ++k) {
                if (p == 0) {
                    dst[k] = u(g) < 0.5 ? 1 : 2;
                    continue;
                }
                if (k == 0 || r.loci[k].chrom != r.loci[k - 1].chrom) take = u(g) < 0.5;
                else if (u(g) < haldane_between(r.loci[k].position, r.loci[k - 1].position)) take = 1 - take;
                dst[k] = take ? hap1[p - 1][k] : hap0[p - 1][k];
            }
        }
    }
    std::vector<int> a1(n), a2(n);
    for (int k = 0; k < m; ++k) {
        for (int i = 0; i < n; ++i) {
            const bool lost = u(g) < 0.02;
            a1[i] = lost ? kMissingAllele : hap0[i][k];
            a2[i] = lost ? kMissingAllele : hap1[i][k];
        }
        load_locus_genotypes(pm, k, a1.data(), a2.data());
    }
    set_heterozygosity(pm);
    mark_untraceable(pm);
    build_marker_recombination(r.par, r.loci);
    r.par.n_lcs_rows = -1;
    refresh_rows(r.par, r.loci2, r.loci, r.genes, r.groups, r.ph, r.gpo0, r.gpo1);
}

double cpu_now() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Timing {
    double prepare = 0.0, per_call = 0.0;
    double non_founders = 0.0, all = 0.0, tally = 0.0;  // per call, each part
    long allocations = 0;
    int n = 0, m = 0;
};

using PassFn = int (*)(const PhaseModel&, Rng&, int, bool);

Timing measure(int founders, const std::vector<Generation>& gens, int groups, int per_group, double spacing, int block,
               int calls, PassFn pass = &sample_phase_blocks)
{
    std::mt19937 g(7);
    Records r;
    r.par.markerblock = block;
    build_pedigree(r, founders, gens, g);
    build_markers(r, groups, per_group, spacing, g);
    PhaseModel m = r.model();
    Timing t;
    t.n = static_cast<int>(r.obs.size());
    t.m = r.par.n_markers;
    double c0 = cpu_now();
    initial_phases(m);
    t.prepare = cpu_now() - c0;
    Rng rng;
    rng.seed(11);
    // First calls outside the timing: they allocate the tallies and the
    // samplers' working space.
    pass(m, rng, block, true);
    tally_phases(m, r.par);
    const long before = g_allocations.load();
    c0 = cpu_now();
    for (int c = 0; c < calls; ++c) {
        refresh_rows(r.par, r.loci2, r.loci, r.genes, r.groups, r.ph, r.gpo0, r.gpo1);
        double c1 = cpu_now();
        pass(m, rng, block, false);
        double c2 = cpu_now();
        t.non_founders += c2 - c1;
        pass(m, rng, block, true);
        c1 = cpu_now();
        t.all += c1 - c2;
        tally_phases(m, r.par);
        t.tally += cpu_now() - c1;
    }
    t.per_call = (cpu_now() - c0) / calls;
    t.non_founders /= calls;
    t.all /= calls;
    t.tally /= calls;
    t.allocations = g_allocations.load() - before;
    return t;
}

}  // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* q = std::malloc(size ? size : 1)) return q;
    throw std::bad_alloc();
}
void operator delete(void* q) noexcept { std::free(q); }
void operator delete(void* q, std::size_t) noexcept { std::free(q); }
#pragma GCC diagnostic pop

int main(int argc, char** argv)
{
    // "medium" runs only the fast form on the 2,000 x 600 case (for profiling).
    const bool only_medium = argc > 1 && std::string(argv[1]) == "medium";
    const bool only_large = argc > 1 && std::string(argv[1]) == "large";
    // "large" runs only the 10,100 x 2,000 case.
    if (!only_large) {
        const Timing medium = measure(48, {{24, 81}}, 6, 100, 1.0, 2, 20);
        std::printf("phase sweep, %d individuals x %d SNPs, markerblock 2: %.1f ms per call "
                    "(initial phases %.2f s), %ld heap allocations in the calls\n",
                    medium.n, medium.m, 1e3 * medium.per_call, medium.prepare, medium.allocations);
        std::printf("  of which non-founder sampler %.1f ms, sampler of all individuals %.1f ms, tallies %.1f ms\n",
                    1e3 * medium.non_founders, 1e3 * medium.all, 1e3 * medium.tally);
        // The plain form (the test oracle) on the same case, for the speed-up.
        if (only_medium) return 0;
        const Timing plain = measure(48, {{24, 81}}, 6, 100, 1.0, 2, 5, &reference_sample_phase_blocks);
        std::printf("  plain form of the block samplers: %.1f ms per call (non-founders %.1f ms, all individuals %.1f ms)\n",
                    1e3 * plain.per_call, 1e3 * plain.non_founders, 1e3 * plain.all);
    }
    if (only_medium) return 0;
    const Timing large = measure(100, {{50, 20}, {50, 20}, {50, 160}}, 10, 200, 0.6, 2, 3);
    std::printf("phase sweep, %d individuals x %d SNPs, markerblock 2: %.1f ms per call "
                "(initial phases %.2f s), %ld heap allocations in the calls\n",
                large.n, large.m, 1e3 * large.per_call, large.prepare, large.allocations);
    std::printf("  of which non-founder sampler %.1f ms, sampler of all individuals %.1f ms, tallies %.1f ms\n",
                1e3 * large.non_founders, 1e3 * large.all, 1e3 * large.tally);
    if (only_large) return 0;
    std::printf("cost per individual x marker x 2^b (2,000 x 600):\n");
    for (int b = 1; b <= 4; ++b) {
        const Timing t = measure(48, {{24, 81}}, 6, 100, 1.0, b, 10);
        std::printf("  markerblock %d: %.1f ms per call, %.2f ns per individual x marker x 2^b\n", b,
                    1e3 * t.per_call, 1e9 * t.per_call / (static_cast<double>(t.n) * t.m * (1 << b)));
    }
    return 0;
}
