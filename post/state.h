// Post-processing state: the parameters re-read from the parameter file, the
// chromosome groups and markers of the map, the sample tables read back from
// the sample files and what the later steps derive from them. One instance
// lives for one Ruvane call (the effective-size exports use it too); the
// internal steps take it by reference so tests can run them on small states.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "textfile/table.h"

namespace rvn {

// Genotype codes 0..3 (9 = slot not in use) stored one byte each: genotype
// tables hold samples x slots x individuals codes and would not fit in memory
// as ints for long chains of large populations.
using GenoCode = std::int8_t;
using GenoTable = vsk::Table<GenoCode>;
inline constexpr GenoCode kNoGenotype = 9;

// Fewest sample rows that allow statistical inferences.
inline constexpr int kMinSamples = 100;

// Parameters of the analysis the post-processing needs (GetVoskaraPar).
struct PostParams {
    int indicQTL = 0;
    int indicFPM = 0;
    int indicTIM = 0;
    int maximQTL = 0;
    double priorQTL = 0.0;
    int maximFPM = 0;
    double priorFPM = 0.0;
    int addGENE = 0;
    int domGENE = 0;
    int impGENE = 0;
    std::string datafile;
    std::string mapfile;
    int ncolN = -1;
    int ncolT = -1;
    std::vector<int> indiT;
    std::vector<int> indiN;
    int nchrom = 0;
    std::vector<int> indiC;
    std::vector<int> nmrkrC;
    std::string writeGTP = "none";  // lower case
    double TprobMQTR = 0.05;
    int VARgroup = 0;
    int FormatMCMC = 0;

    int n_traits = 0;  // sum of indiT

    // Whether genotype, breeding-value and names files were written: not for
    // "none", nor for a whole number of 0 or less (the analysis writes no
    // genotype rows for those; "0" is its spelling of "none").
    bool writes_genotypes() const;
    bool qtl_on() const { return indicQTL != 0; }
    bool fpm_on() const { return indicFPM != 0; }
    bool tim_on() const { return indicTIM != 0; }
    int effect_kinds_present() const { return (addGENE > 0) + (domGENE > 0) + (impGENE > 0); }
};

// One linkage group of the map (init_chromosomes).
struct ChromGroup {
    std::string name;
    int included = 0;
    int first_marker = -1;
    int last_marker = -1;
    double lower = -1.0;  // coded map position of the first marker
    double upper = -1.0;  // coded map position of the last marker
    int n_bins = 0;       // 1-cM bins
    std::vector<int> bins;
    std::vector<double> density;
    double prior_prob = 0.0;
    int count = 0;
};

// One marker of the map (InitMarkersPQ).
struct MarkerPQ {
    std::string name;
    int group = -1;
    double pos = 0.0;     // coded map position
    double weight = 1.0;  // prior weight; normalised after reading
};

// The sample tables read back from the sample files, and their derived sizes.
struct Samples {
    std::vector<int> iteration;  // genpar.out column 1
    std::vector<double> loglik;  // genpar.out column 2
    vsk::Table<double> genpar;   // n x V values
    vsk::Table<double> nuisance; // nui2.out
    vsk::Table<double> qtl;      // n x Q*S, sparse layout
    GenoTable qtl_geno;          // n x Q*geno_per_slot
    vsk::Table<double> qtl_coh;  // n x T*Q*coh_per_slot
    vsk::Table<double> fpm;      // n x maximFPM*fpm_width
    GenoTable fpm_geno;
    vsk::Table<double> fpm_coh;
    vsk::Table<double> tim;      // n x W*T breeding values
    vsk::Table<double> tim_coh;  // n x T*C cohort variances of the breeding values

    bool has_nuisance = false;
    bool has_qtl_geno = false;
    bool has_qtl_coh = false;
    bool has_fpm_geno = false;
    bool has_fpm_coh = false;
    bool has_tim = false;
    bool has_tim_coh = false;

    int thin_step = 0;          // iteration of row 2 minus that of row 1
    int n_var_blocks = 0;       // variance triangles in genpar.out
    int S = 0;                  // QTL slot width
    int F = 0;                  // allele-frequency columns per slot
    int geno_per_slot = 0;      // individuals in gqtl.out
    int coh_per_slot = 0;       // cohorts per slot and trait in cohqtl.out
    int fpm_width = 0;          // FPM gene width in ifpm.out
    int fpm_geno_per_gene = 0;  // individuals in gfpm.out
    int tim_individuals = 0;    // individuals in tim.out
    // Leading samples whose concise QTL rows are all present (INT_MAX: all).
    int complete_limit = INT_MAX;

    int n() const { return genpar.rows(); }
    int V() const { return genpar.cols(); }
    // Coded position of QTL slot q in sample row r (> 0 when in use).
    double qtl_position(int r, int q) const { return qtl[r][q * S + S - 1]; }
};

// QTL samples of the post-burn-in rows, one row per QTL in use, sorted by
// position: the slot's S values, the iteration, the ordinal before sorting + 1.
struct QtlSamples {
    vsk::Table<double> rows;
    GenoTable genotypes;       // per row: the slot's genotype block
    vsk::Table<double> cohorts;  // per row: the slot's T cohort blocks
    int count() const { return rows.rows(); }
};

// Prior and posterior probabilities of the number of QTL and the Bayes
// factors of k+1 against k QTL: row 0 the genome, row g+1 chromosome group g
// (all 0 for groups not included, and for every group when fewer than two
// are included), Q+1 columns.
struct NumberTables {
    std::vector<std::vector<double>> prior, posterior, bayes;
};

// HPI thresholds on the smoothed intensity of one group.
struct HpiThresholds {
    double genome90 = 0.0;
    double group90 = 0.0;
    double group95 = 0.0;
};

// A marked QTL region as later steps use it: coded bounds, its samples
// k0..k1 in the sorted QTL sample table (none when k1 < k0), its group, the
// bins it spans and its probability (samples in it / N).
struct Region {
    double start = 0.0;
    double end = 0.0;
    int k0 = -1;
    int k1 = -1;
    int group = -1;
    int b0 = 0;
    int b1 = 0;
    int mode = 0;
    double prob = 0.0;
    int samples() const { return k0 >= 0 && k1 >= k0 ? k1 - k0 + 1 : 0; }
};

struct PostState {
    std::string project_dir;
    PostParams par;
    std::vector<ChromGroup> groups;
    std::vector<MarkerPQ> markers;
    Samples s;
    std::vector<std::string> chain_names;
    int burnin = 0;  // B
    int n_post = 0;  // N = n - B
    QtlSamples qtl_samples;
    std::vector<std::string> names;  // wrtgtp.nms
    std::vector<int> print_flag;     // 1 = include the individual in reports
    NumberTables nqtl;
    std::vector<HpiThresholds> hpi;  // per chromosome group
    std::vector<Region> regions;     // read back from the regions file
    std::string regions_file;        // the file they came from

    // Project directory + "/" + file name.
    std::string path(const std::string& file) const;
};

// The library-wide state.
PostState& state();
// Starts a new post-processing run: everything but the project directory.
void reset_state(PostState& st);

}  // namespace rvn
