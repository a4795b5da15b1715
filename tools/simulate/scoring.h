// Marker scores as a laboratory reports them: missing scores, genotyping
// errors, null alleles that hide behind a homozygous score, and the two
// alleles of a genotype in no particular order.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/simulate/design.h"
#include "tools/simulate/genome.h"
#include "tools/simulate/pedigree.h"
#include "tools/simulate/rng.h"

namespace vsim {

// A score is an index into MarkerDef::allele_text or one of these.
constexpr std::int16_t kMissingScore = -1;
constexpr std::int16_t kNullScore = -2;  // a null allele marked as such

struct ScoreStats {
    long scored = 0;      // genotypes of genotyped individuals
    long missing = 0;     // of those, written as missing
    long errors = 0;      // of those, with an allele changed
    long hidden_null = 0; // of those, carrying one null allele
    // Genotypes with an injected error: (individual index, marker index).
    std::vector<std::pair<int, int>> error_cells;
};

// Scores of every individual: two entries per marker, markers in map order.
std::vector<std::vector<std::int16_t>> score_markers(const Design& design, const Genome& genome,
                                                     const Pedigree& pedigree,
                                                     const std::vector<Genotype>& genotypes, Rng& rng,
                                                     ScoreStats* stats = nullptr);

// Data-file word of a score.
std::string score_text(const MarkerDef& marker, std::int16_t score);

}  // namespace vsim
