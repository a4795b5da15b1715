// A simulated breeding project: population design, genome, markers, traits
// and the analysis settings written into its parameter file.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace vsim {

// Every error of the simulator (a bad setting, an impossible design, an
// unwritable directory) is reported through this one type.
class SimError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Cross { F1, F2, Backcross, DoubledHaploid, RecombinantInbred, Outbred };
enum class MarkerKind { Snp, MultiAllelic };

// One bi-allelic QTL. Allele 0 raises the trait by `additive` (genotype codes
// of the analysis: additive covariate +1 for two copies of allele 0, -1 for
// two copies of allele 1, dominance covariate 1 for heterozygotes).
struct QtlSpec {
    int chromosome = 1;            // 1-based linkage group
    double position_cm = 0.0;      // from the first marker of the group
    double freq0 = 0.5;            // frequency of allele 0 among outbred founders
    // Either effects per trait (one value applies to every trait) ...
    std::vector<double> additive;
    std::vector<double> dominance;
    // ... or the share of phenotypic variance per trait, with d = ratio * a.
    std::vector<double> share;
    double dominance_ratio = 0.0;
};

// A nuisance column: classes 1..levels assigned at random to individuals.
struct FactorSpec {
    int levels = 2;
    double variance = 1.0;  // variance of the class effects
    bool random = false;    // random (indiN 1) or fixed (indiN 0) in the analysis
};

struct Design {
    std::string name = "custom";

    // Population
    Cross cross = Cross::F2;
    int families = 1;               // crosses (inbred) or families per generation (outbred)
    int offspring = 100;            // offspring per family in the last generation
    int intermediate_offspring = 0; // offspring per family in earlier generations (0: as offspring)
    int ril_generations = 6;        // selfing generations after the F1
    int backcross_parent = 1;       // recurrent parent: 1 or 2
    bool line_cross = true;         // inbred parents of a cross differ at every QTL and marker
    int founders = 8;               // outbred founders
    int generations = 3;            // outbred generations of full-sib families
    int parents_kept = 2;           // offspring per family that may become parents later
    bool cohort_by_family = false;  // cohort column: family instead of generation
    double shuffle = 0.0;           // share of parents moved behind their offspring
    bool genotype_founders = true;
    bool phenotype_founders = false;

    // Genome and markers
    std::vector<double> chromosome_cm{100.0, 100.0};
    double marker_spacing_cm = 10.0;
    std::vector<int> marker_counts;  // per group; one value for all; empty: use spacing
    MarkerKind marker_kind = MarkerKind::Snp;
    int alleles = 6;                 // alleles of a multi-allelic marker
    double min_allele_freq = 0.1;    // SNP minor-allele frequency lies in [this, 0.5]
    double missing_markers = 0.0;
    double genotype_errors = 0.0;
    double null_alleles = 0.0;       // share of markers carrying a null allele
    double null_freq = 0.15;         // founder frequency of a null allele
    bool null_marked = false;        // score (x, null) as "x $" instead of "x x"

    // Traits
    int traits = 1;
    std::vector<std::string> trait_names;   // default trait1, trait2, ...
    std::vector<double> means{10.0};        // one value applies to every trait
    std::vector<double> residual_cov;       // traits x traits, row by row; empty: identity
    std::vector<QtlSpec> qtl;
    std::vector<double> polygenic_share{0.0};
    int polygenic_loci = 100;
    std::vector<FactorSpec> factors;
    // With more than two traits the analysis drops every phenotype of an
    // individual that misses some of them.
    double missing_phenotypes = 0.0;
    bool realised_scaling = false;          // scale effects to the realised genotypes

    // Analysis settings and file names
    int length = 10000;
    int thinning = 20;
    std::map<std::string, std::string> parameters;  // parameter-file keyword overrides
    std::string parameter_file = "voskara.par";
    std::string data_file = "voskara.dat";
    std::string map_file = "voskara.map";
    std::string truth_file = "truth.json";
    std::string error_file;          // list of genotypes with injected errors ("" = none)
    bool truth_origins = false;      // truth file: the homologue each scored allele came from
};

// Changes one setting by its command-line name (without the leading "--").
// List settings take comma-separated values; repeatable ones ("qtl",
// "fixed", "random", "param") add an item, and the value "none" clears them.
void apply_setting(Design& design, const std::string& key, const std::string& value);

// Names and one-line help of every setting, in the order the help prints them.
struct SettingHelp {
    const char* key;
    const char* text;
};
const std::vector<SettingHelp>& setting_help();

// Throws SimError when the design cannot be simulated or written.
void check_design(const Design& design);

// Derived sizes used by every later step.
int marker_count(const Design& design, int chromosome);  // 0-based group
std::vector<double> marker_positions(const Design& design, int chromosome);
double trait_value(const std::vector<double>& values, int trait);  // one value = all traits
std::string trait_name(const Design& design, int trait);
bool is_inbred(Cross cross);
const char* cross_name(Cross cross);

}  // namespace vsim
