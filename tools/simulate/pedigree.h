// Pedigree of a simulated design: who descends from whom, in an order where
// parents come first, and the order of the lines in the data file.
#pragma once

#include <string>
#include <vector>

#include "tools/simulate/design.h"
#include "tools/simulate/rng.h"

namespace vsim {

// How the second gamete of an individual arises (the data file's column 4).
enum class SecondParent {
    Unknown,         // outbred founder: "0"
    Inbred,          // inbred founder: "INBRED"
    Parent,          // a named second parent
    Selfed,          // second gamete from the first parent again: "SELFED"
    DoubledHaploid,  // first gamete doubled: "DBHPLD"
};

struct Individual {
    std::string name;
    int cohort = 1;
    int generation = 0;
    int family = 0;   // 0 for founders, else a 1-based family number
    int father = -1;  // 0-based index of the first parent, -1 none
    int mother = -1;  // 0-based index of the second parent (the first parent when selfed or doubled)
    SecondParent second = SecondParent::Unknown;
    bool genotyped = false;
    bool phenotyped = false;

    bool is_founder() const { return father < 0; }
};

struct Pedigree {
    std::vector<Individual> individuals;  // every parent precedes its offspring
};

// Builds the pedigree of the design; draws only for outbred mate choice.
Pedigree build_pedigree(const Design& design, Rng& rng);

// Order of the data-file lines (indices into the pedigree). Each parent is,
// with probability `shuffle`, moved behind all individuals in random order,
// so the analysis meets offspring before their parents.
std::vector<int> file_order(const Pedigree& pedigree, double shuffle, Rng& rng);

// True for individuals that are a parent of some other individual.
std::vector<bool> parent_flags(const Pedigree& pedigree);

}  // namespace vsim
