// The cleaned, coded genotypes of stage 1 as the starting phases.
#include <vector>

#include "core/markers/chain_prep.h"

namespace vsk {

void load_cleaned_genotypes(const PhaseModel& m)
{
    const int n = m.n_ind();
    std::vector<int> a1(static_cast<std::size_t>(n)), a2(static_cast<std::size_t>(n));
    for (int k = 0; k < m.n_loci(); ++k) {
        const bool coded = k < mrk.code1.rows();
        for (int c = 0; c < n; ++c) {
            a1[c] = coded ? mrk.code1[k][c] : kMissingAllele;
            a2[c] = coded ? mrk.code2[k][c] : kMissingAllele;
        }
        load_locus_genotypes(m, k, a1.data(), a2.data());
    }
    // A user-locked individual is locked at every locus.
    if (mrk.phase_lock.rows() > 0)
        for (int c = 0; c < n; ++c) m.ph->locked[c] = mrk.phase_lock[0][c] == kLockedPhase;
}

}  // namespace vsk
