// The bit sets of the individuals that a phase pass weighs at each marker
// locus (PhaseMasks), rebuilt from the genotypes when they change.
#include <algorithm>

#include "core/markers/block_terms.h"

namespace vsk {

namespace {

bool rebuilt_for(const PhaseMasks& masks, const MarkerPhases& ph, int loci, int words)
{
    return masks.revision == ph.genotype_revision && masks.words == words && masks.free.rows() == loci;
}

// Het locus k of individual c + 1: its bit in `free` unless a parent forces
// its phase bit. A forced bit that does not hold (only a state
// set by hand can leave one) is put in place, as the pass would have done;
// user-locked phases stay as given.
void mark_locus(const PhaseModel& m, int k, int c)
{
    MarkerPhases& ph = *m.ph;
    const std::uint64_t bit = std::uint64_t{1} << (c % 64);
    const PhaseFamilies& f = ph.families;
    const int parent[2] = {f.parent[0][c], f.parent[1][c]};
    const int a = ph.pat_allele[k][c], b = ph.mat_allele[k][c];
    const int forced = phase_block::forced_bit(ph.pat_allele[k], ph.mat_allele[k], parent, std::min(a, b),
                                               std::max(a, b));
    if (forced < 0) {
        ph.masks.free[k][c / 64] |= bit;
        return;
    }
    const bool locked = !ph.locked.empty() && ph.locked[c];
    if (!locked && phase_bit(ph, k, c + 1) != forced) set_block_config(m, c + 1, &k, 1, forced);
}

// The loci where each individual's SI on each side can be known: the rule
// leaves it unknown where the parent is homozygous or unscored, or the
// individual unscored. A superset is safe (the walks check the SI there).
void mark_known_loci(const PhaseModel& m)
{
    MarkerPhases& ph = *m.ph;
    const int loci = m.n_loci(), n = m.n_ind();
    for (int side = 0; side < 2; ++side) {
        Table<std::uint64_t>& known = ph.masks.known[side];
        known.assign((loci + 63) / 64, n, 0);
        const std::vector<int>& parent = ph.families.parent[side];
        for (int k = 0; k < loci; ++k)
            for (int c = 0; c < n; ++c) {
                const int p = parent[c];
                const bool scored = ph.pat_allele[k][c] != kMissingAllele || ph.mat_allele[k][c] != kMissingAllele;
                if (p > 0 && ph.heterozygous[k][p - 1] == 1 && scored)
                    known[k / 64][c] |= std::uint64_t{1} << (k % 64);
            }
    }
}

}  // namespace

void refresh_phase_masks(const PhaseModel& m)
{
    MarkerPhases& ph = *m.ph;
    PhaseMasks& masks = ph.masks;
    const int loci = m.n_loci(), n = m.n_ind(), words = (n + 63) / 64;
    if (rebuilt_for(masks, ph, loci, words)) return;
    masks.revision = ph.genotype_revision;
    masks.words = words;
    masks.free.assign(loci, words, 0);
    masks.visit.assign(static_cast<std::size_t>(words), 0);
    for (int k = 0; k < loci; ++k)
        for (int c = 0; c < n; ++c)
            if (ph.heterozygous[k][c] == 1 && ph.phase_status[k][c] != 5) mark_locus(m, k, c);
    mark_known_loci(m);
}

}  // namespace vsk
