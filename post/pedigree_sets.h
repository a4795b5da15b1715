// Groups of individuals the plots are drawn for, from the pedigree columns
// of the data file (name, first parent, second parent): founders, parents
// of full-sib families, and the full-sib families themselves.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "post/state.h"

namespace rvn {

struct PedigreeSets {
    bool read = false;                     // the data file could be read
    std::set<std::string> founders;        // no known parent (inbred founders too)
    std::set<std::string> fullsib_parents; // parents of a full-sib family
    // Full-sib families (both parents known individuals) by "first x second"
    // parent, with their members in data-file order.
    std::map<std::string, std::vector<std::string>> families;
    // First analysed trait's phenotype per individual, when it is a number.
    std::map<std::string, double> observed;
};

// Reads the data file named by "datafile" (blank and `;` lines skipped).
PedigreeSets read_pedigree_sets(const PostState& st);

// Whether a parent word names no individual: unknown, or a code of the
// second parent (inbred founder, selfing, doubled haploid).
bool parent_unknown(const std::string& word);
bool parent_is_code(const std::string& word);

}  // namespace rvn
