// Allele-frequency update and phase tallies of the marker phase chain.
#include "core/markers/phases_tally.h"

#include <algorithm>

#include "core/markers/block_sampler.h"
#include "core/markers/byte_lanes.h"
#include "core/numeric/variates.h"

namespace vsk {

void update_allele_frequencies(const PhaseModel& m, std::vector<Mrkrlcs>& loci, Rng& rng)
{
    const MarkerPhases& ph = *m.ph;
    for (int k = 0; k < m.n_loci(); ++k) {
        Mrkrlcs& locus = loci[k];
        const int codes = static_cast<int>(std::min(locus.freq.size(), locus.nfreq.size()));
        std::fill(locus.nfreq.begin(), locus.nfreq.end(), 0);
        const int row = m.row(k);
        for (int j = 1; j <= m.n_ind(); ++j)
            for (int side = 0; side < 2; ++side) {
                const int a = side == 0 ? ph.pat_allele[k][j - 1] : ph.mat_allele[k][j - 1];
                if (a < 1 || a > codes || m.si(side, row, j) != kUnknown) continue;
                if (founder_allele_side(m, j, side, k)) ++locus.nfreq[a - 1];
            }
        double total = 0.0;
        for (int c = 0; c < codes; ++c) {
            locus.freq[c] = locus.nfreq[c] > 0 ? gamma_int(rng, locus.nfreq[c]) : 0.0;
            total += locus.freq[c];
        }
        if (total <= 0.0) total = 1.0;
        for (int c = 0; c < codes; ++c) locus.freq[c] /= total;
    }
}

void find_next_informative(const PhaseModel& m)
{
    MarkerPhases& ph = *m.ph;
    const int n = m.n_ind();
    ph.next_informative.assign(n, m.n_loci(), 0);
    ph.prev_informative.assign(n, m.n_loci(), 0);
    std::vector<int> near_het(static_cast<std::size_t>(n));
    for (const Chr& g : *m.groups) {
        if (!g.indiC || g.fMrkr < 0) continue;
        std::fill(near_het.begin(), near_het.end(), -1);
        for (int k = g.lMrkr; k >= g.fMrkr; --k)
            for (int c = 0; c < n; ++c) {
                ph.next_informative[c][k] = static_cast<short>(near_het[c] < 0 ? 0 : near_het[c] - k);
                if (ph.heterozygous[k][c] == 1) near_het[c] = k;
            }
        std::fill(near_het.begin(), near_het.end(), -1);
        for (int k = g.fMrkr; k <= g.lMrkr; ++k)
            for (int c = 0; c < n; ++c) {
                ph.prev_informative[c][k] = static_cast<short>(near_het[c] < 0 ? 0 : k - near_het[c]);
                if (ph.heterozygous[k][c] == 1) near_het[c] = k;
            }
    }
}

namespace {

// Closes the run of the pair (locus k, its step-th following heterozygous
// locus l) of individual c at pass `now`: the pair's bits have been as in
// tally_bits since the later of their two run starts.
void close_pair(MarkerPhases& ph, int step, int k, int l, int c, int now)
{
    const int* since = ph.tally_since[c];
    const int start = std::max(since[k], since[l]);
    if (ph.tally_bits[k][c] == ph.tally_bits[l][c]) ph.same_phase[step][c][k] += now - start;
}

// Closes the runs of every pair that holds locus k of individual c.
void close_pairs_of(MarkerPhases& ph, int k, int c, int now)
{
    for (int step = 0, l = k; step < 5; ++step) {
        const int d = ph.next_informative[c][l];
        if (d == 0) break;
        l += d;
        close_pair(ph, step, k, l, c, now);
    }
    for (int step = 0, l = k; step < 5; ++step) {
        const int d = ph.prev_informative[c][l];
        if (d == 0) break;
        l -= d;
        close_pair(ph, step, l, k, c, now);
    }
}

// Starts a new run of individual c's phase bit at locus k when it changed
// (heterozygous, not excluded), closing the runs of the pairs that hold it.
void tally_bit(MarkerPhases& ph, int k, int c, int now)
{
    const signed char bit = ph.pat_allele[k][c] > ph.mat_allele[k][c];
    if (bit == ph.tally_bits[k][c] || ph.heterozygous[k][c] != 1 || ph.phase_status[0][c] == 4) return;
    close_pairs_of(ph, k, c, now);
    ph.tally_bits[k][c] = bit;
    ph.tally_since[c][k] = now;
}

void start_tallies(const PhaseModel& m)
{
    MarkerPhases& ph = *m.ph;
    const int n = m.n_ind();
    for (Table<int>& t : ph.same_phase)
        if (t.empty()) t.assign(n, m.n_loci(), 0);
    ph.tally_since.assign(n, m.n_loci(), 0);
    ph.tally_bits.assign(m.n_loci(), n, 0);
    for (int k = 0; k < m.n_loci(); ++k)
        for (int c = 0; c < n; ++c) ph.tally_bits[k][c] = ph.pat_allele[k][c] > ph.mat_allele[k][c];
}

}  // namespace

void tally_phases(const PhaseModel& m, Par& p)
{
    MarkerPhases& ph = *m.ph;
    const int n = m.n_ind();
    if (ph.next_informative.empty()) find_next_informative(m);
    if (ph.tally_bits.empty()) {
        start_tallies(m);
        ++p.n_si_tallies;
        return;
    }
    // Rows in increasing order: a pair whose two bits both changed is closed
    // when its first locus is met (the second's run start is then this pass).
    // Few bits change between passes, so the bits are compared eight at a
    // time and only the lanes that changed are looked at.
    using namespace byte_lanes;
    const int now = p.n_si_tallies;
    for (int k = 0; k < m.n_loci(); ++k) {
        const signed char* pat = ph.pat_allele[k];
        const signed char* mat = ph.mat_allele[k];
        const signed char* bits = ph.tally_bits[k];
        for (int c = 0; c < n; c += kLanes) {
            const int lanes = std::min(kLanes, n - c);
            const std::uint64_t a = load(pat + c, lanes), b = load(mat + c, lanes);
            // Codes of 128 and more (none in practice) have every lane looked at.
            std::uint64_t changed = (a | b) & kHigh ? kHigh : greater(a, b) ^ low_bit(load(bits + c, lanes));
            for (; changed != 0; changed &= changed - 1) {
                const int lane = first(changed);
                if (lane < lanes) tally_bit(ph, k, c + lane, now);
            }
        }
    }
    ++p.n_si_tallies;
}

void settle_phase_tallies(const PhaseModel& m, const Par& p)
{
    MarkerPhases& ph = *m.ph;
    if (ph.tally_bits.empty() || ph.next_informative.empty()) return;
    const int now = p.n_si_tallies;
    const signed char* excluded = ph.phase_status[0];
    for (int k = 0; k < m.n_loci(); ++k)
        for (int c = 0; c < m.n_ind(); ++c) {
            if (ph.heterozygous[k][c] != 1 || excluded[c] == 4) continue;
            for (int step = 0, l = k; step < 5; ++step) {
                const int d = ph.next_informative[c][l];
                if (d == 0) break;
                l += d;
                close_pair(ph, step, k, l, c, now);
            }
        }
    ph.tally_since.fill(now);
}

void reset_phase_tallies(const PhaseModel& m, Par& p)
{
    MarkerPhases& ph = *m.ph;
    for (Table<int>& t : ph.same_phase) t.fill(0);
    ph.tally_bits.clear();
    ph.tally_since.clear();
    ph.next_informative.clear();
    ph.prev_informative.clear();
    p.n_si_tallies = 0;
}

double same_phase_probability(const PhaseModel& m, int k, int i)
{
    const MarkerPhases& ph = *m.ph;
    if (m.par->n_si_tallies <= 0 || ph.same_phase[0].empty() || ph.next_informative.empty()) return -1.0;
    if (ph.heterozygous[k][i - 1] != 1 || ph.next_informative[i - 1][k] == 0) return -1.0;
    return static_cast<double>(ph.same_phase[0][i - 1][k]) / m.par->n_si_tallies;
}

}  // namespace vsk
