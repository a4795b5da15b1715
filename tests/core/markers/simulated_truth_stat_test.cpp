// The marker phase chain on populations of the simulator: the share of
// sweeps in which a sampled segregation indicator names the parent's true
// homologue (the simulator's truth origins), at every informative locus, on
// an outbred pedigree and on selfings; and no inconsistency message on
// error-free data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "core/markers/block_sampler.h"
#include "core/state/console.h"
#include "phase_world.h"
#include "support/test_support.h"
#include "tools/simulate/simulate.h"

using namespace vsk;
using phasetest::World;

namespace {

int second_parent_of(const vsim::Individual& ind)
{
    if (ind.is_founder()) return ind.second == vsim::SecondParent::Inbred ? kInbred : 0;
    switch (ind.second) {
    case vsim::SecondParent::Selfed: return kSelfed;
    case vsim::SecondParent::DoubledHaploid: return kDbhpld;
    default: return ind.mother + 1;
    }
}

// The analysis records of a simulated population: pedigree in the
// simulator's order (parents first), markers in map order, scores coded
// allele index + 1.
void world_from_population(World& w, const vsim::Population& pop)
{
    const auto& inds = pop.pedigree.individuals;
    const int n = static_cast<int>(inds.size());
    const int m = static_cast<int>(pop.genome.markers.size());
    w.obs.assign(static_cast<std::size_t>(n), Obs{});
    for (int i = 0; i < n; ++i) {
        Obs& o = w.obs[static_cast<std::size_t>(i)];
        const vsim::Individual& ind = inds[static_cast<std::size_t>(i)];
        o.name = ind.name;
        o.fat = ind.father + 1;
        o.mot = second_parent_of(ind);
        o.mot_gen = o.mot > 0 ? o.mot : (o.fat > 0 ? o.fat : 0);
    }
    phasetest::link_offspring_lists(w.obs);
    w.loci.assign(static_cast<std::size_t>(m), Mrkrlcs{});
    w.groups.clear();
    for (int k = 0; k < m; ++k) {
        const vsim::MarkerDef& def = pop.genome.markers[static_cast<std::size_t>(k)];
        Mrkrlcs& l = w.loci[static_cast<std::size_t>(k)];
        l.name = def.name;
        l.chrom = def.chromosome;
        l.position = 100.0 * (def.chromosome + 1) + def.position_cm / 100.0;
        const int alleles = def.visible_alleles();
        l.freq.assign(static_cast<std::size_t>(alleles), 1.0 / alleles);
        l.nfreq.assign(static_cast<std::size_t>(alleles), 0);
        if (w.groups.empty() || w.groups.back().lMrkr < 0 || w.loci[static_cast<std::size_t>(w.groups.back().lMrkr)].chrom != l.chrom) {
            Chr c;
            c.name = std::to_string(def.chromosome + 1);
            c.indiC = 1;
            c.fMrkr = k;
            w.groups.push_back(c);
        }
        w.groups.back().lMrkr = k;
    }
    w.loci2.assign(static_cast<std::size_t>(m), Mrkrlcs2{});
    w.genes.clear();
    w.par = Par{};
    w.par.n_markers = m;
    w.par.n_individuals = n;
    w.par.markerblock = 2;
    for (Table<double>& t : w.par.rfmat) t.assign(m, m, 0.0);
    w.par.lcs_rows.assign(m, 2, -1);
    w.gpo0.assign(m, n, static_cast<si_t>(kUnknown));
    w.gpo1.assign(m, n, static_cast<si_t>(kUnknown));
    w.ph = MarkerPhases{};
    PhaseModel pm = w.model();
    size_phase_tables(pm);
    std::vector<int> a1(static_cast<std::size_t>(n)), a2(static_cast<std::size_t>(n));
    for (int k = 0; k < m; ++k) {
        for (int i = 0; i < n; ++i) {
            const std::int16_t s1 = pop.scores[static_cast<std::size_t>(i)][2 * static_cast<std::size_t>(k)];
            const std::int16_t s2 = pop.scores[static_cast<std::size_t>(i)][2 * static_cast<std::size_t>(k) + 1];
            const bool scored = s1 >= 0 && s2 >= 0;
            a1[static_cast<std::size_t>(i)] = scored ? s1 + 1 : kMissingAllele;
            a2[static_cast<std::size_t>(i)] = scored ? s2 + 1 : kMissingAllele;
        }
        load_locus_genotypes(pm, k, a1.data(), a2.data());
    }
    set_heterozygosity(pm);
    set_second_side_weights(pm);
    mark_untraceable(pm);
    build_marker_recombination(w.par, w.loci);
    w.par.n_lcs_rows = -1;
    refresh_rows(w.par, w.loci2, w.loci, w.genes, w.groups, w.ph, w.gpo0, w.gpo1);
}

struct Recovery {
    double share = 0.0;
    long compared = 0;
    std::string messages;
};

// Share of (sweep, individual, marker, side) with a known, weighed SI in
// which the SI, read through the parent's sampled phase, names the
// homologue the simulator took. The two gametes of a selfing are
// exchangeable and compared as an unordered pair.
Recovery recover(const vsim::Population& pop, int burn_in, int sweeps)
{
    World w;
    world_from_population(w, pop);
    PhaseModel m = w.model();
    testsupport::CapturedStream out;
    set_console_stream(out.stream());
    initial_phases(m);
    set_console_stream(nullptr);
    Recovery result;
    result.messages = out.text();
    Rng r;
    r.seed(pop.seed);
    for (int t = 0; t < burn_in; ++t) {
        sample_phase_blocks(m, r, 2, false);
        sample_phase_blocks(m, r, 2, true);
    }
    long agree = 0, total = 0;
    for (int t = 0; t < sweeps; ++t) {
        sample_phase_blocks(m, r, 2, false);
        sample_phase_blocks(m, r, 2, true);
        for (int i = 1; i <= m.n_ind(); ++i) {
            const auto& from = pop.origins[static_cast<std::size_t>(i - 1)];
            if (from.paternal.empty()) continue;
            for (int k = 0; k < w.par.n_markers; ++k) {
                const auto locus = static_cast<std::size_t>(pop.genome.marker_index[static_cast<std::size_t>(k)]);
                int got[2] = {-1, -1}, want[2] = {-1, -1};
                for (int side = 0; side < 2; ++side) {
                    const int si = m.si(side, m.row(k), i);
                    if (si == kUnknown || !side_weighed(m, i, side)) continue;
                    const int p = side_parent(m.ind(i), side);
                    const int true_pat = pop.genotypes[static_cast<std::size_t>(p - 1)].paternal[locus] + 1;
                    got[side] = si ^ (w.ph.pat_allele[k][p - 1] != true_pat);
                    want[side] = side == 0 ? from.paternal[locus] : from.maternal[locus];
                }
                if (m.ind(i).mot == kSelfed && got[0] >= 0 && got[1] >= 0) {
                    agree += 2 * (std::min(got[0], got[1]) == std::min(want[0], want[1]) &&
                                  std::max(got[0], got[1]) == std::max(want[0], want[1]));
                    total += 2;
                    continue;
                }
                for (int side = 0; side < 2; ++side)
                    if (got[side] >= 0) {
                        agree += got[side] == want[side];
                        ++total;
                    }
            }
        }
    }
    result.compared = total;
    result.share = total > 0 ? static_cast<double>(agree) / static_cast<double>(total) : 0.0;
    return result;
}

vsim::Population simulated(const std::string& preset, std::uint64_t seed,
                           const std::vector<std::pair<std::string, std::string>>& settings)
{
    vsim::Design d = vsim::preset_design(preset);
    for (const auto& [key, value] : settings) vsim::apply_setting(d, key, value);
    vsim::apply_setting(d, "genotype-errors", "0");
    vsim::apply_setting(d, "null-alleles", "0");
    vsim::apply_setting(d, "truth-origins", "1");
    return vsim::simulate(d, seed);
}

}  // namespace

TEST(MarkerPhaseStat, SimulatedTruthOriginsRecoveredOutbredAndSelfing)
{
    const vsim::Population outbred = simulated("outbred-medium", 3, {{"founders", "8"}, {"generations", "2"},
                                                                    {"families", "4"}, {"offspring", "25"},
                                                                    {"intermediate-offspring", "6"},
                                                                    {"qtl", "none"}, {"chromosomes", "100,80"},
                                                                    {"marker-spacing", "5"},
                                                                    {"missing-markers", "0.03"}});
    const vsim::Population selfing = simulated("f2-small", 4, {{"offspring", "120"}, {"missing-markers", "0.03"}});
    const Recovery a = recover(outbred, 40, 120);
    const Recovery b = recover(selfing, 40, 120);
    std::printf("SI equal to the simulated truth at informative loci: outbred %.4f (%ld comparisons), "
                "F2 (selfings of one F1) %.4f (%ld)\n",
                a.share, a.compared, b.share, b.compared);
    EXPECT_GT(a.compared, 10000);
    EXPECT_GT(b.compared, 10000);
    EXPECT_GT(a.share, 0.95);
    EXPECT_GT(b.share, 0.95);
    EXPECT_EQ(a.messages.find("ERROR setgpori()"), std::string::npos) << a.messages.substr(0, 400);
    EXPECT_EQ(b.messages.find("ERROR setgpori()"), std::string::npos) << b.messages.substr(0, 400);
}
