// Programming interface of the simulator, for the command-line program and
// for tests that need projects with a known truth:
//
//   vsim::Design d = vsim::preset_design("f2-small");
//   vsim::apply_setting(d, "offspring", "50");
//   vsim::Population pop = vsim::simulate(d, 42);
//   vsim::write_project(pop, dir);   // parameter, data, map and truth files
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/simulate/design.h"
#include "tools/simulate/genome.h"
#include "tools/simulate/pedigree.h"
#include "tools/simulate/scoring.h"
#include "tools/simulate/traits.h"

namespace vsim {

struct Population {
    Design design;
    std::uint64_t seed = 0;
    Genome genome;
    Pedigree pedigree;
    std::vector<int> file_order;        // pedigree indices in data-file order
    std::vector<Genotype> genotypes;    // true genotypes, pedigree order
    // With design.truth_origins: per individual the homologue of the first
    // parent (paternal) and of the second parent (maternal) each allele came
    // from, per locus as in `genotypes`; empty for founders.
    std::vector<Genotype> origins;
    TraitModel model;
    TraitValues values;
    Realised realised;
    std::vector<std::vector<std::int16_t>> scores;  // observed marker scores
    ScoreStats score_stats;
};

// Simulates a design; the same design and seed give the same population.
// Throws SimError when the design is not valid.
Population simulate(const Design& design, std::uint64_t seed);

// Writes the parameter, data, map and truth files into `dir` (created when
// missing). Throws SimError when a file cannot be written.
void write_project(const Population& population, const std::filesystem::path& dir);

// Preset, then settings in order, simulated with `seed` and written into
// `dir`: the one call most tests need.
Population write_preset_project(const std::string& preset, const std::filesystem::path& dir, std::uint64_t seed,
                                const std::vector<std::pair<std::string, std::string>>& settings = {});

// Named designs.
struct PresetInfo {
    std::string name;
    std::string description;
};
const std::vector<PresetInfo>& presets();
// Throws SimError for an unknown name.
Design preset_design(const std::string& name);

}  // namespace vsim
