// Outbred full-sib families (population type CP): a locus file of
// segregation-type coded markers, a map file and a phenotype table.
#pragma once

#include <string>
#include <vector>

#include "tools/import/phenotypes.h"
#include "tools/import/project.h"
#include "tools/import/rqtl.h"

namespace vimp {

// A segregation type such as "<abxcd>": the parents' allele letters.
struct SegregationType {
    std::string name;
    std::string first_parent;   // two letters, e.g. "ab"
    std::string second_parent;  // e.g. "cd"
};

// Throws nothing; an unknown type gives an empty name.
SegregationType segregation_type(const std::string& text);
// Allele word of a letter of the type (11, 12, ... in order of first
// appearance in the parents), "-" for '-', "" for a letter not in the type.
std::string allele_word(const SegregationType& type, char letter);
// The two allele words of an offspring code of the type.
Alleles cp_genotype(const SegregationType& type, const std::string& code);

struct CpOptions {
    std::string loc, map, phenotypes;
    std::string first_parent = "P1", second_parent = "P2";
    Choice choice;
};

Project import_cp(const CpOptions& options);

}  // namespace vimp
