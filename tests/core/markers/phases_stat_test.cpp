// Statistical checks of the block phase samplers: the chain of both samplers
// reproduces the exact posterior of a pedigree small enough to enumerate,
// and recovers the true segregation of simulated families.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdio>

#include "core/markers/block_sampler.h"
#include "phase_world.h"

using namespace vsk;
using phasetest::Design;
using phasetest::World;

namespace {

struct Cell {
    int k, i;
};

std::vector<Cell> het_cells(World& w)
{
    std::vector<Cell> cells;
    for (int k = 0; k < w.par.n_markers; ++k)
        for (int i = 1; i <= static_cast<int>(w.obs.size()); ++i)
            if (w.ph.heterozygous[k][i - 1]) cells.push_back({k, i});
    return cells;
}

void put_state(World& w, const std::vector<Cell>& cells, unsigned state)
{
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const Cell& x = cells[c];
        const int a = w.ph.pat_allele[x.k][x.i - 1], b = w.ph.mat_allele[x.k][x.i - 1];
        const int lo = std::min(a, b), hi = std::max(a, b);
        const bool bit = (state >> c) & 1u;
        w.ph.pat_allele[x.k][x.i - 1] = static_cast<signed char>(bit ? hi : lo);
        w.ph.mat_allele[x.k][x.i - 1] = static_cast<signed char>(bit ? lo : hi);
    }
}

}  // namespace

TEST(MarkerPhaseStat, ChainMatchesEnumeratedPosterior)
{
    World w;
    Design d;
    d.pedigree = phasetest::outbred_pedigree(2, 3, 0);
    d.pedigree.push_back({3, 4});        // a child of two sibs
    d.pedigree.push_back({5, 0});        // second parent unknown
    d.group_markers = {4};
    d.spacing_cm = 25.0;
    d.n_alleles = 2;
    d.missing = 0.1;
    d.seed = 21;
    phasetest::build_world(w, d);
    PhaseModel m = w.model();
    for (auto& l : w.loci) l.freq = {0.7, 0.3};
    const std::vector<Cell> cells = het_cells(w);
    ASSERT_LE(cells.size(), 18u);
    ASSERT_GE(cells.size(), 8u);

    // Exact posterior of every phase bit and of every pair of neighbouring
    // heterozygous cells of one individual being in the same phase.
    const unsigned n_states = 1u << cells.size();
    std::vector<double> lp(n_states);
    double top = -INFINITY;
    for (unsigned s = 0; s < n_states; ++s) {
        put_state(w, cells, s);
        set_all_si(m, false);
        lp[s] = phase_state_logprob(m);
        top = std::max(top, lp[s]);
    }
    std::vector<double> exact(cells.size(), 0.0), exact_pair(cells.size(), 0.0);
    double total = 0;
    for (unsigned s = 0; s < n_states; ++s) {
        const double p = std::exp(lp[s] - top);
        total += p;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            exact[c] += p * ((s >> c) & 1u);
            if (c + 1 < cells.size() && cells[c + 1].i == cells[c].i)
                exact_pair[c] += p * (((s >> c) & 1u) == ((s >> (c + 1)) & 1u));
        }
    }
    for (double& e : exact) e /= total;
    for (double& e : exact_pair) e /= total;

    // Start from a valid state and run both samplers as a sweep does.
    initial_phases(m);
    Rng r;
    r.seed(99);
    const int sweeps = 40000;
    std::vector<double> seen(cells.size(), 0.0), seen_pair(cells.size(), 0.0);
    for (int t = 0; t < sweeps; ++t) {
        sample_phase_blocks(m, r, 2, false);
        sample_phase_blocks(m, r, 2, true);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const int bit = phase_bit(w.ph, cells[c].k, cells[c].i);
            seen[c] += bit;
            if (c + 1 < cells.size() && cells[c + 1].i == cells[c].i)
                seen_pair[c] += bit == phase_bit(w.ph, cells[c + 1].k, cells[c + 1].i);
        }
    }
    // Monte Carlo error with an allowance for autocorrelation (factor 20 in
    // the variance): 4 standard errors.
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const double tol = 4.0 * std::sqrt(20.0 * 0.25 / sweeps) + 1e-3;
        EXPECT_NEAR(seen[c] / sweeps, exact[c], tol) << "cell " << c << " individual " << cells[c].i;
        if (c + 1 < cells.size() && cells[c + 1].i == cells[c].i) {
            EXPECT_NEAR(seen_pair[c] / sweeps, exact_pair[c], tol) << "pair " << c;
        }
    }
}

// Share of sweeps in which a sampled SI, read as the parent's true homologue,
// equals the true one, at loci where the parent is heterozygous, over the
// weighed sides.
double si_recovery(const Design& d, int sweeps, int burn_in)
{
    World w;
    phasetest::build_world(w, d);
    PhaseModel m = w.model();
    initial_phases(m);
    Rng r;
    r.seed(d.seed);
    for (int t = 0; t < burn_in; ++t) sample_phase_blocks(m, r, d.markerblock, false);
    long agree = 0, total = 0;
    for (int t = 0; t < sweeps; ++t) {
        sample_phase_blocks(m, r, d.markerblock, false);
        sample_phase_blocks(m, r, d.markerblock, true);
        for (int k = 0; k < w.par.n_markers; ++k)
            for (int i = 1; i <= m.n_ind(); ++i) {
                int got[2] = {-1, -1}, want[2] = {-1, -1};
                for (int side = 0; side < 2; ++side) {
                    const int p = side_parent(m.ind(i), side);
                    const int si = m.si(side, m.row(k), i);
                    if (!side_weighed(m, i, side) || si == kUnknown) continue;
                    const Table<int>& truth = side == 0 ? w.true_si0 : w.true_si1;
                    got[side] = si ^ (w.ph.pat_allele[k][p - 1] != w.true_pat[k][p - 1]);
                    want[side] = truth[k][i - 1];
                }
                // The two gametes of a selfing come from one parent and are
                // exchangeable: compare them as an unordered pair.
                if (m.ind(i).mot == kSelfed && got[0] >= 0 && got[1] >= 0) {
                    agree += 2 * (std::min(got[0], got[1]) == std::min(want[0], want[1]) &&
                                  std::max(got[0], got[1]) == std::max(want[0], want[1]));
                    total += 2;
                    continue;
                }
                for (int side = 0; side < 2; ++side) {
                    if (got[side] < 0) continue;
                    agree += got[side] == want[side];
                    ++total;
                }
            }
    }
    return total > 0 ? static_cast<double>(agree) / static_cast<double>(total) : 0.0;
}

TEST(MarkerPhaseStat, RecoversTrueSegregationOutbredAndSelfing)
{
    Design outbred;
    outbred.pedigree = phasetest::outbred_pedigree(6, 25, 20);
    outbred.group_markers = {15, 10};
    outbred.spacing_cm = 6.0;
    outbred.n_alleles = 2;
    outbred.missing = 0.05;
    outbred.seed = 5;
    const double share_outbred = si_recovery(outbred, 200, 100);
    Design selfing = outbred;
    selfing.pedigree = phasetest::outbred_pedigree(2, 1, 0);
    for (int c = 0; c < 40; ++c) selfing.pedigree.push_back({3, kSelfed});
    selfing.seed = 6;
    const double share_selfing = si_recovery(selfing, 200, 100);
    std::printf("SI recovery: outbred %.4f, selfing %.4f\n", share_outbred, share_selfing);
    // Biallelic markers leave some origins ambiguous (both parents and the
    // child heterozygous); linkage resolves most of them.
    EXPECT_GT(share_outbred, 0.95);
    EXPECT_GT(share_selfing, 0.95);
}
