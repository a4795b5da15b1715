// Family structure derived from the ordered pedigree: offspring chains
// (first progeny and next sibs per parent), absorption of final offspring
// into per-mating records, and every individual's descendant list.
#pragma once

#include <vector>

#include "core/state/records.h"

namespace vsk {

// Largest number of absorbed offspring one mating record holds; the message
// a larger mating stops the run with names this number ("Too many
// FP/mating(>25)"), so the two change together. Families of more final
// offspring are better genotyped or analysed with absorbFP off. Each
// record's list has one slot more, so it is always 0-terminated.
inline constexpr int kMaxFinalOffspringPerMating = 25;

// Offspring chains, then (with absorbFP) final-offspring absorption and the
// FinalProg mating records ("data_modi").
void data_modi();

// Descendant lists in par.descv (and, with absorbFP, the final-offspring
// descendant lists in par.descFP), written to "check.log" / "descFP.log"
// ("find_desc"). Call after data_modi.
void find_desc();

// ---- pieces, exposed for the tests ----

// pfP/mfP/pSb/mSb of every individual. The second parent of an individual
// is `mot`, or `fat` when `mot` is SELFED or DBHPLD.
void link_offspring(std::vector<Obs>& individuals);

// The second parent through which offspring chains run (0 for none).
int chain_second_parent(const Obs& o);

}  // namespace vsk
