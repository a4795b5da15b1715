// Genome of a simulated population: linkage groups holding markers and QTL,
// unlinked polygenic loci, founder haplotypes and meiosis under Haldane's map
// function (crossovers as a Poisson process without interference).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/simulate/design.h"
#include "tools/simulate/rng.h"

namespace vsim {

struct MarkerDef {
    std::string name;
    int chromosome = 0;            // 0-based linkage group
    double position_cm = 0.0;
    std::vector<std::string> allele_text;  // data-file word of each visible allele
    std::vector<double> freq;      // founder frequencies; a null allele is the last entry
    bool has_null = false;

    int visible_alleles() const { return static_cast<int>(allele_text.size()); }
    int null_allele() const { return has_null ? visible_alleles() : -1; }
};

// One linked locus: a marker or a QTL at a position of its group.
struct Locus {
    double position_cm = 0.0;
    int marker = -1;  // index into Genome::markers
    int qtl = -1;     // index into Design::qtl
};

// A haplotype holds one allele index per locus: the linked loci group by
// group in map order, then the unlinked polygenic loci.
using Haplotype = std::vector<std::uint8_t>;

struct Genotype {
    Haplotype paternal;  // from the first parent
    Haplotype maternal;  // from the second parent (or the first again)
};

struct Genome {
    std::vector<double> chromosome_cm;
    std::vector<std::vector<Locus>> chromosomes;  // loci of each group, by position
    std::vector<int> offset;                      // flat index of each group's first locus
    int linked_loci = 0;
    int polygenic_loci = 0;
    std::vector<MarkerDef> markers;               // in map order, groups in order
    std::vector<int> marker_index;                // flat locus of each marker
    std::vector<int> qtl_index;                   // flat locus of each QTL

    int loci() const { return linked_loci + polygenic_loci; }
};

// Lays out markers, QTL and polygenic loci and draws the marker alleles and
// their founder frequencies.
Genome build_genome(const Design& design, Rng& rng);

// Founder haplotypes. Outbred founders draw each allele from the founder
// frequencies; an inbred founder is homozygous everywhere.
Genotype outbred_founder(const Genome& genome, const Design& design, Rng& rng);
// The two inbred parents of one cross; with `line_cross` they carry allele 0
// and 1 at every QTL and different alleles at every marker.
void inbred_pair(const Genome& genome, const Design& design, Rng& rng, Genotype& first, Genotype& second);

// One gamete of `parent`: per group, crossovers at exponential distances of
// mean 1 Morgan from a random starting homologue; unlinked loci independent.
// With `origin`, the homologue taken at each locus (0 the parent's paternal,
// 1 its maternal); the draws are the same either way.
void gamete(const Genome& genome, const Genotype& parent, Rng& rng, Haplotype& out,
            Haplotype* origin = nullptr);

}  // namespace vsim
