// The cleaned, coded genotypes of stage 1 as the starting phases.
#include <vector>

#include "core/markers/chain_prep.h"

namespace vsk {

void load_cleaned_genotypes(const PhaseModel& m)
{
    const int n = m.n_ind();
    std::vector<int> a1(static_cast<std::size_t>(n)), a2(static_cast<std::size_t>(n));
    for (int k = 0; k < m.n_loci(); ++k) {
        const Mrkrlcs& locus = (*m.loci)[k];
        for (int c = 0; c < n; ++c) {
            a1[c] = c < static_cast<int>(locus.allele1.size()) ? locus.allele1[c] : kMissingAllele;
            a2[c] = c < static_cast<int>(locus.allele2.size()) ? locus.allele2[c] : kMissingAllele;
        }
        load_locus_genotypes(m, k, a1.data(), a2.data());
    }
}

}  // namespace vsk
