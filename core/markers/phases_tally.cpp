// Allele-frequency update and phase tallies of the marker phase chain.
#include "core/markers/phases_tally.h"

#include <algorithm>

#include "core/markers/block_sampler.h"
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
    ph.next_informative.assign(m.n_loci(), n, 0);
    std::vector<int> next_het(static_cast<std::size_t>(n));
    for (const Chr& g : *m.groups) {
        if (!g.indiC || g.fMrkr < 0) continue;
        std::fill(next_het.begin(), next_het.end(), -1);
        for (int k = g.lMrkr; k >= g.fMrkr; --k)
            for (int c = 0; c < n; ++c) {
                ph.next_informative[k][c] = static_cast<short>(next_het[c] < 0 ? 0 : next_het[c] - k);
                if (ph.heterozygous[k][c] == 1) next_het[c] = k;
            }
    }
}

void tally_phases(const PhaseModel& m, Par& p)
{
    MarkerPhases& ph = *m.ph;
    const int n = m.n_ind();
    if (ph.next_informative.empty()) find_next_informative(m);
    if (ph.same_phase[0].empty())
        for (Table<int>& t : ph.same_phase) t.assign(m.n_loci(), n, 0);
    const signed char* excluded = ph.phase_status[0];
    for (int k = 0; k < m.n_loci(); ++k) {
        const signed char* het = ph.heterozygous[k];
        const signed char* pat = ph.pat_allele[k];
        const signed char* mat = ph.mat_allele[k];
        const short* next = ph.next_informative[k];
        int* same[5];
        for (int step = 0; step < 5; ++step) same[step] = ph.same_phase[step][k];
        for (int c = 0; c < n; ++c) {
            if (het[c] != 1 || excluded[c] == 4 || next[c] == 0) continue;
            const bool bit = pat[c] > mat[c];
            int at = k + next[c];
            for (int step = 0;; ++step) {
                same[step][c] += (ph.pat_allele[at][c] > ph.mat_allele[at][c]) == bit;
                const int d = ph.next_informative[at][c];
                if (d == 0 || step == 4) break;
                at += d;
            }
        }
    }
    ++p.n_si_tallies;
}

void reset_phase_tallies(const PhaseModel& m, Par& p)
{
    MarkerPhases& ph = *m.ph;
    for (Table<int>& t : ph.same_phase) t.fill(0);
    ph.next_informative.clear();
    p.n_si_tallies = 0;
}

double same_phase_probability(const PhaseModel& m, int k, int i)
{
    const MarkerPhases& ph = *m.ph;
    if (m.par->n_si_tallies <= 0 || ph.same_phase[0].empty() || ph.next_informative.empty()) return -1.0;
    if (ph.heterozygous[k][i - 1] != 1 || ph.next_informative[k][i - 1] == 0) return -1.0;
    return static_cast<double>(ph.same_phase[0][k][i - 1]) / m.par->n_si_tallies;
}

}  // namespace vsk
