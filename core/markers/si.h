// Segregation indicators (SI) of marker rows: which homologue of a parent an
// individual's allele came from, the rule that sets them from phased alleles,
// and the log-likelihood of the SI patterns that the phase samplers weigh.
#pragma once

#include <vector>

#include "core/markers/marker_data.h"
#include "core/markers/phases_rows.h"
#include "core/state/records.h"

namespace vsk {

// The records the phase steps read and write, gathered so the internal
// routines run on small records built by tests as well as on the shared ones.
struct PhaseModel {
    const Par* par;
    const std::vector<Obs>* obs;
    const std::vector<Chr>* groups;
    const std::vector<Mrkrlcs>* loci;
    const std::vector<Mrkrlcs2>* loci2;
    MarkerPhases* ph;
    SiTable* gpo[2];                  // side 0: first-parent gamete, side 1: second-parent gamete

    int n_ind() const { return static_cast<int>(obs->size()); }
    int n_loci() const { return par->n_markers; }
    const Obs& ind(int i) const { return (*obs)[i - 1]; }
    int row(int k) const { return (*loci2)[k].index; }
    si_t& si(int side, int row, int i) const { return (*gpo[side])[row][i - 1]; }
};

// The model over the shared records.
PhaseModel shared_phase_model();

// Parent that gave side `side` of an individual (1-based, 0 unknown): the
// first parent for side 0; for side 1 the second parent, or the first parent
// of a SELFED or DBHPLD individual.
int side_parent(const Obs& o, int side);

// True when the SI chain of this side of individual i enters the
// likelihood: its parent is known, and it is not the second side of a
// DBHPLD individual (a copy of the first) nor of a SELFED individual without
// any heterozygous marker (whose two gametes then carry the same alleles and
// would be counted twice).
bool side_weighed(const PhaseModel& m, int i, int side);

// Which SELFED individuals have their second side weighed (a heterozygous
// marker anywhere); run whenever the heterozygosity flags change.
void set_second_side_weights(const PhaseModel& m);

// 1 when the individual's chains take the SELFED matrix 2r/(1+2r).
int selfing_matrix(const Obs& o);

// SI of an allele received from a parent phased (pp, pm) at a locus:
// 0 = the parent's first-parent allele, 1 = its second-parent allele,
// 9 when the allele is missing or the parent homozygous or missing.
// *consistent becomes false when the allele cannot come from the parent.
int si_from_parent(int allele, int pp, int pm, bool* consistent);

// Sets both SI of individual i at marker k from the phased alleles of i and
// its parents (the "setgpori" rule) and returns the number of sides that
// contradict a parent. With `report`, each contradiction prints the
// "ERROR setgpori()" line.
int set_si(const PhaseModel& m, int k, int i, bool report);

// Sets the SI of every individual at every marker; returns the number of
// contradicting sides.
int set_all_si(const PhaseModel& m, bool report);

// SI log-likelihood of one side of individual j over rows [first, last]:
// the known SI (not 9) in row order, log r for a change and log(1 - r) for
// no change between consecutive known rows, r = max(1e-6, fraction) from the
// matrix of the individual.
double side_loglik(const PhaseModel& m, int j, int side, int first_row, int last_row);

// Log frequency of an allele as a founder allele, floored at 1e-6.
double founder_allele_logfreq(const Mrkrlcs& locus, int allele);

// True when side `side` of j at marker k carries a founder allele: an
// allele whose parent is unknown or unscored at the locus.
bool founder_allele_side(const PhaseModel& m, int j, int side, int k);

// Log-probability of the whole phase state up to a constant, from scratch:
// every weighed SI chain over every analysed linkage group, the founder-
// allele frequencies, and -infinity when a phased allele contradicts a
// parent. The SI must have been set by set_all_si. Test oracle of the block
// samplers' local weights.
double phase_state_logprob(const PhaseModel& m);

}  // namespace vsk
