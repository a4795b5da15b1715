// Shared analysis records: one instance of each per process, created by
// InitGlobalVariables and released by FreeGlobalVariables.
//
// Conventions used everywhere below and in every sampler:
//  - Individuals are numbered 1..n_individuals after pedigree ordering, so a
//    parent always precedes its offspring; a parent reference (fat, mot, pfP,
//    mfP, pSb, mSb, list entries) is such a 1-based position, 0 = none.
//    obs[] itself is a 0-based vector: individual i lives in obs[i - 1].
//  - Second-parent codes in `mot`: kInbred (inbred founder), kSelfed,
//    kDbhpld (doubled haploid); for those, mot_gen == fat.
//  - kUnknown (9) marks an unknown/missing code (segregation indicators,
//    phenotype flags "not used").
//  - Map coordinate = 100 x (1-based linkage-group ordinal) + position in
//    Morgan; recombination uses Haldane's map function.
//  - Biallelic genotype codes 0..3 are the (paternal, maternal) allele pairs
//    (0,0) (0,1) (1,0) (1,1); additive covariates 1 0 0 -1, dominance 0 1 1 0.
//  - Text fields are std::string; their length limits are enforced by the
//    readers with a message, never by truncation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/voskara_api.h"
#include "textfile/table.h"

namespace vsk {

inline constexpr int kInbred = -1000;
inline constexpr int kSelfed = -777;
inline constexpr int kDbhpld = -555;
inline constexpr int kUnknown = 9;

// Maximum number of random nuisance covariance matrices.
inline constexpr int kMaxRandomNuisance = 10;

// ---------------------------------------------------------------------------
// Parameter record. Every parameter-file keyword has its field under the
// keyword's name; the rest are dimensions and run-time state.
struct Par {
    // --- data-file dimensions (parameter-file pre-scan, data reader) ---
    int n_individuals = 0;
    int n_phenotyped = -1;           // rows of the QTL/FPM design; -1 until set
    int n_founders = 0;              // individuals whose first parent is unknown
    std::vector<int> founders;       // 1-based indices of the founders
    int n_founder_cohorts = 0;       // distinct non-zero cohorts among founders
    int n_cohorts = 0;               // distinct cohorts other than 0 and -1
    std::vector<int> lcohort;        // cohort numbers (cohort step)
    std::vector<int> lcohort_count;  // companion array of the cohort list
    int inbred_pop = 0;
    double max_gen_coeff = 0.0;
    int absorbFP = 0;

    // --- traits ---
    int n_traits = 0;                // analysed traits (t)
    int ncolT = 0;                   // trait columns of the data file
    std::vector<int> indiT;          // [ncolT] 1 = analyse the column
    std::vector<std::string> namesT; // [ncolT]
    int scaleT = 0;
    std::string misvalT;             // missing-value strings, each preceded by a blank

    // --- nuisance model (column 0 is the overall mean) ---
    int n_nuis = 0;                  // ncolN + 1
    int n_levels = 0;                // nuisance levels over all columns
    Table<int> indiN;                // [n_nuis][t]; row 0 all 0
    std::vector<std::string> namesN; // [n_nuis]; "FACTOR0" first
    std::vector<int> level_first;    // [n_nuis] first effects-table row
    std::vector<int> level_last;     // [n_nuis] last effects-table row
    Table<double> nuis_effects;      // [n_levels][t]
    std::vector<int> level_flag;     // [n_levels] class number of each level as written in the data file; -1 at creation

    // --- model switches and gene-effect priors ---
    int indicQTL = 0;                // 0 none, 1 QTL analysis, 2 IBD analysis
    int indicFPM = 0;
    int indicTIM = 0;
    int addGENE = 0;
    int domGENE = 0;
    int addFPM = 0;                  // FPM effect priors, start as addGENE/domGENE
    int domFPM = 0;
    int maximQTL = 0;
    int maximFPM = 0;
    double priorQTL = 0.0;
    double priorFPM = 0.0;
    double priorh2QTL = 0.3;
    int nqtl = 0;                    // QTL currently in the model
    int nfpm = 0;                    // FPM genes currently in the model

    // --- map and markers ---
    int nchrom = 0;
    int markerblock = 2;
    int n_markers = 0;               // markers on analysed linkage groups
    int max_alleles = 0;
    double MSegAlpha = 0.0;
    int MSegDelta = 0;
    int DeleteDR = 0;
    int DeleteNIPH = 0;
    double PrbHtzInb = 0.001;

    // --- IBD positions ---
    int n_pos_ibd = -1;              // -1 until set
    std::vector<double> pos_ibd;     // positions (map coordinate)

    // --- trait-by-trait matrices and statistics ---
    Table<double> tab_t4;            // [t][4] working table (trait by genotype code), 0 at creation
    Table<double> pheno_cov;         // phenotypic covariance
    Table<double> res_cov;           // residual covariance
    Table<double> res_prec;          // its inverse
    double res_logdet = 0.0;
    Table<double> res_cov_mean;      // running mean of res_cov
    std::vector<Table<double>> nuis_cov;  // [kMaxRandomNuisance] random nuisance covariances
    Table<double> varPOA;            // additive prior matrix (addGENE 3)
    Table<double> varPOD;            // dominance prior matrix (domGENE 3)
    std::vector<double> pheno_mean;  // [t]
    std::vector<double> pheno_var;   // [t]

    // --- fit statistics ---
    double loglik = 0.0;
    double loglik_mean = 0.0;
    double deviance = 0.0;
    double deviance_mean = 0.0;

    // --- chain control ---
    int cur_sweep = -1;              // -1 before the chain starts
    int length = 0;
    int thinning = 0;
    int ess = 0;
    int lengthUDMax = 0;
    int n_si_tallies = 0;
    int trellanV = 0;
    int FormatMCMC = 0;
    int headerOUT = 0;
    int writeNRM = 0;
    int writeMSI = 0;
    int cm_datafile_used = 0;
    int lockMPhase = 0;
    int anchorMarker = 0;
    int skipSampleMarkers = 0;
    int writeSIP = 0;
    int nullalleleHidden = 0;

    // --- file names and text settings ---
    std::string datafile;
    std::string mapfile;
    std::string fibdfile = "NA";
    std::string fixQTLpos = "100.0";
    std::string writeGTP = "NONE";
    std::string nullalleleP = "$";
    std::string nullalleleC = "$$";
    double distanceQTLs = 0.0;
    int maxnwrtNUI = 0;
    std::vector<int> lwrtgtp;        // individuals whose genotypes are written

    // --- founder-relationship file ---
    int npos = 0;
    int nind = 0;
    int nanc = 0;
    int inbred = 0;
    double FIBDthreshold = 0.9;
    double PLinkSoft = -1.0;

    // --- descendant lists (offspring links) ---
    int n_descv = 0;
    int n_descFP = 0;
    std::vector<int> descv;          // [n_descv + 1], -1 at creation
    std::vector<int> descFP;         // [n_descFP + 1], -1 at creation

    // Later model parts add their counters below, each under a comment
    // naming the part of the model that owns it. A container added here is
    // also released by release_state (core/state/startup.cpp), whose test
    // lists every container of this record.

    // --- residual and nuisance model: trait statistics, genetic covariances ---
    std::vector<double> pheno_min;        // [t] smallest observed value
    std::vector<double> pheno_max;        // [t] largest observed value
    // The model is fitted to (Y - trait_shift) / trait_scale: the shift is
    // the trait mean where the overall mean does not absorb it (scaleT, or
    // no overall mean for the trait), the scale the phenotypic standard
    // deviation with scaleT; 0 and 1 otherwise.
    std::vector<double> trait_shift;      // [t]
    std::vector<double> trait_scale;      // [t]
    std::vector<double> mean_prior_mean;  // [t] normal prior of the overall mean
    std::vector<double> mean_prior_var;   // [t]
    Table<double> tim_cov;           // infinitesimal polygenic covariance (t x t)
    Table<double> timdom_cov;        // infinitesimal dominance covariance
    Table<double> qtl_cov;           // covariance explained by the QTL in the model
    Table<double> fpm_cov;           // covariance explained by the FPM genes

    // --- parameter file: locus-order working tables, sized by init_par ---
    // Rows are the (maximQTL + n_markers) loci of the locus order.
    Table<double> rfmat[2];          // recombination fractions r and 2r/(1+2r) between loci
    Table<int> lcs_rows;             // [rows][2]: kind (1 marker, 0 QTL) and index; -1 at creation
    int n_lcs_rows = 0;              // rows in use: n_markers + active QTL slots (marker phase step)
    std::vector<int> qtl_sorted;     // [maximQTL] slots in map order; 0 at creation
    std::vector<int> qtl_rank;       // [maximQTL] rank of each slot; 0 at creation
};

// ---------------------------------------------------------------------------
// One record per individual (obs[i - 1] for individual i).
struct Obs {
    std::string name;
    int cohort = 0;                  // data column 1
    int fat = 0;                     // 1-based parent; 0 unknown
    int mot = 0;                     // 1-based parent, 0, or kInbred/kSelfed/kDbhpld
    int mot_gen = 0;                 // inheriting second parent
    int write_gtp = 0;
    int first_nuisance = 0;
    int pSb = 0, mSb = 0, pfP = 0, mfP = 0, fpM = 0;  // pedigree links
    std::vector<int> X_nuis;         // [n_nuis] 1-based level per nuisance column
    double gen_coeff = 0.0;
    // Phenotypes, residuals and per-trait effects live in the `phe` tables.

    // Offspring links and final-offspring absorption (console input readers).
    int FP = 0;                      // 1 = absorbed final offspring
    int desc_start = 0;              // 1-based start of its list in par.descv, 0 = no descendants
    int descfp_start = 0;            // 1-based start of its list in par.descFP, 0 = none
    int fp_mating = 0;               // 1-based first FinalProg record with this parent, 0 = none;
                                     // walk on via FinalProgRec::next_lead / next_other
};

// Per-individual x per-trait state, one contiguous table per field: row i - 1
// is individual i, column j trait j. The residual passes of every model step
// walk these rows in memory order.
struct Phe {
    Table<double> Y;                 // observed value (0 where missing)
    Table<double> residual;          // Y minus every fitted term; imputed where missing
    Table<double> prediction;        // running mean of the genetic prediction
    Table<double> infpoleff;         // infinitesimal additive effect
    Table<double> timdom;            // infinitesimal dominance effect
    Table<std::int8_t> phenotype;    // 1 observed, 0 missing, kUnknown (9) not used

    void assign(int n_individuals, int n_traits)
    {
        for (Table<double>* t : {&Y, &residual, &prediction, &infpoleff, &timdom}) t->assign(n_individuals, n_traits, 0.0);
        phenotype.assign(n_individuals, n_traits, 0);
    }
    void clear()
    {
        for (Table<double>* t : {&Y, &residual, &prediction, &infpoleff, &timdom}) t->clear();
        phenotype.clear();
    }
};

// Per-locus x per-individual marker state, one contiguous table per field:
// row k is marker locus k (0-based index into mrkrlcs), column i - 1 is
// individual i. Locus-major because the segregation check and every QTL
// step walk one locus across all individuals, and the block phase sampler
// walks a few consecutive loci with the individuals innermost. The marker
// steps add their tables here in the same orientation, with narrow types.
struct Mrk {
    // Alleles as read: >0 allele (letters A C G T B = 1..5), 0 missing,
    // -1 putative null (nullalleleP), -2 confirmed null (nullalleleC).
    Table<int> allele1;              // first allele
    Table<int> allele2;              // second allele
    // Marker coding and checks (core/markers): allele codes 1..n_alleles,
    // kMissingAllele (99), -1 putative null, -2 confirmed null.
    Table<std::int8_t> code1;        // current code of the first allele
    Table<std::int8_t> code2;        // current code of the second allele
    Table<std::int8_t> code1_obs;    // codes as they stood right after coding
    Table<std::int8_t> code2_obs;
    Table<std::int8_t> gtp_status;   // genotype status 0..12, -1 unset
    Table<std::int8_t> phase_lock;   // 2 = phase given by the user

    void clear()
    {
        allele1.clear();
        allele2.clear();
        for (Table<std::int8_t>* t : {&code1, &code2, &code1_obs, &code2_obs, &gtp_status, &phase_lock}) t->clear();
    }
};

// One record per linkage group.
struct Chr {
    std::string name;
    int indiC = 0;                   // 1 = analyse
    int mrkrC = 0;                   // markers on the group
    int n_count0 = 0;                // two counters, 0 at creation
    int n_count1 = 0;
    double LowLim = 0.0;
    double UppLim = 0.0;
    int fMrkr = -1;                  // first and last 0-based index into mrkrlcs; -1 until the map is read
    int lMrkr = -1;
    // The map reader adds its fields below.
    double chr_length = 0.0;         // UppLim - LowLim (Morgan)
    double prior_mass = 0.0;         // share of the QTL location prior (0 when not analysed)
};

// Uniform-prior bounds of effects and the allele-frequency bounds.
struct Boundary {
    std::vector<double> gene_upper, gene_lower;   // [t] QTL and FPM effects
    std::vector<double> mean_upper, mean_lower;   // [t] overall mean
    std::vector<double> nuis_upper, nuis_lower;   // [t] other uniform nuisance effects
    double freq_upper = 0.95;                     // 1 - freqmargin
    double freq_lower = 0.05;                     // freqmargin
};

// Marker-locus record (filled by the marker coding step).
struct Mrkrlcs {
    std::string name;
    double position = 0.0;           // map coordinate (100 x group ordinal + Morgan)
    int chrom = -1;                  // 0-based linkage group
    std::vector<double> freq;        // [max_alleles]
    std::vector<int> nfreq;          // [max_alleles]
    // Map reader: QTL location prior and exclusion by weight 0.
    double prior_weight = 1.0;       // prior density per Morgan on the interval to the next marker
    int excluded = 0;                // 1 = excluded by map weight 0
    // The alleles of every individual are in the `mrk` tables (row = locus).
    int letter_coded = 0;            // 1 = some allele was written as a letter
    // The marker parts add their fields below.
    // Marker coding (core/markers): code c (1-based) stands for raw value
    // allele_value[c - 1]; with a null allele the null is the last code.
    int n_alleles = 0;               // allele codes at the locus, a null allele counted once
    std::vector<int> allele_value;   // [n_alleles] raw value of each code, ascending; -1 for the null
    int has_putative_null = 0;       // 1 when a putative null occurs (or a hidden null was found)
    int has_confirmed_null = 0;      // 1 when a confirmed null occurs (or a hidden null was found)
};

// Second, small marker-locus record.
struct Mrkrlcs2 {
    int index = -1;
};

// QTL slot (and its proposal copy). The sample files read the fields below;
// the QTL model adds the rest of its slot state and sizes the tables when it
// puts a slot in use.
struct Gene {
    int status = 0;                  // 0 free, 1 QTL in the model, 2 fixed QTL of IBD mode
    double pos = -1000.0;            // map coordinate
    int chrom = -1;                  // 0-based linkage group; -1 when free
    Table<double> gval;              // [4][t] genotypic value of each genotype code
    Table<double> eff;               // [4][t]: mean (kept 0), additive, dominance, imprinted
    Table<double> freq;              // [n_founder_cohorts][2]: allele-state frequencies (p, 1 - p)
    std::vector<int> gtp;            // [n_individuals] genotype code 0..3
    // QTL model slot state (core/qtl): sized by init_qtl_slots.
    int interval = -2;               // first marker of the chromosome to the right of pos; -2 when free
    int lcsrow = -1;                 // row in the locus order; -1 when not active
    int altype = 0;                  // allele system: 0 two allele states (1: three, unsupported)
    int ngtp = 4;                    // number of genotype codes
    int ibdpos = -1;                 // IBD position used by the ancestral-cluster moves; -1 none
    std::vector<double> rfmrk;       // [n_markers] recombination fraction to every marker
    std::vector<double> rfqtl;       // [maximQTL] recombination fraction to every other active slot
    Table<int> fal;                  // [2][n_individuals] founder-allele label, paternal / maternal side
    Table<int> gpori;                // [2][n_individuals] grandparental origin of each allele (0/1)
    std::vector<int> alstate;        // [2 n_founders] allele state (0/1) of every founder-allele label
    Table<int> tally;                // FPM genes: [n_individuals][3] genotype counts (homozygous 0,
                                     // heterozygous, homozygous 1) of a fixed number of genes
};

// FPM gene record: a QTL slot without position (the finite polygenic model
// samples its genes with the QTL machinery); `tally` counts genotypes of a
// fixed number of genes.
using Polygene = Gene;

// The pedigree as the phase samplers walk it, refreshed at each pass: per
// individual (index i - 1) the parent of each side (0 none), whether each
// side's SI chain is weighed and whether it takes the selfing matrix, and
// its offspring (first-parent side first, then second) with the side they
// inherit from it, as one list per individual.
struct PhaseFamilies {
    int n = 0;
    std::vector<int> parent[2];
    std::vector<signed char> weighed[2];
    std::vector<signed char> selfing;
    std::vector<int> first_child;      // [n + 1]: children of i are child[first_child[i - 1] .. first_child[i])
    std::vector<int> child;            // 1-based
    std::vector<signed char> child_side;
    // The same children as runs of consecutive individuals inherited on the
    // same side (full-sib families are usually listed together), so the
    // samplers can read their columns a word at a time: runs of i are
    // run_child/run_length/run_side[first_run[i - 1] .. first_run[i]).
    std::vector<int> first_run;        // [n + 1]
    std::vector<int> run_child;        // first child of the run, 1-based
    std::vector<int> run_length;
    std::vector<signed char> run_side;
};

// Which individuals a phase pass must weigh at each marker locus, as a bit
// set over individuals (bit i - 1 of word (i - 1) / 64): heterozygous with a
// phase (status not 5) and a phase bit that no parent forces. A forced bit
// keeps its value in every configuration of finite weight, so an individual
// without free bits in a block cannot change there. Built from the
// genotypes by the first pass after MarkerPhases::genotype_revision moves
// (refresh_phase_masks).
struct PhaseMasks {
    int revision = -1;                 // genotype revision they were built for
    int words = 0;
    Table<std::uint64_t> free;         // [locus][word]
    // Per side, the loci where an individual's SI can be known (the parent
    // on that side heterozygous there, the individual scored), bit k % 64 of
    // entry [k / 64][i - 1]: a walk along its SI chain skips the others.
    Table<std::uint64_t> known[2];
    std::vector<std::uint64_t> visit;  // [word] individuals the current pass visits
};

// Phased marker state of the chain (marker phase step, core/markers): one
// contiguous table per field, row k = marker locus k (0-based index into
// mrkrlcs), column i - 1 = individual i. Marker alleles are codes 1..n of
// the locus, 99 unscored. The segregation indicators of
// marker and QTL rows live only in GPOarray0/GPOarray1 (row = locus row).
struct MarkerPhases {
    Table<signed char> pat_allele;     // allele received from the first parent (phased)
    Table<signed char> mat_allele;     // allele received from the second parent
    Table<signed char> heterozygous;   // 1 = two different scored alleles (informative as a parent)
    Table<signed char> phase_status;   // 0 ordinary; 5 phase deleted (not informative); row 0: 4 = individual
                                       // excluded from sampling and tallies (no scored marker)
    std::vector<signed char> locked;   // [n_individuals] 1 = phases given by the user, never resampled
    std::vector<signed char> weigh_second;  // [n_individuals] 1 = SI chain of the second side weighed (SELFED)
    // Phase tallies of the chain (allocated at the first tally pass):
    // same_phase[k][i - 1][l] counts the sweeps in which the phase bit at
    // locus l equals the one at the (k+1)-th following locus of the same
    // chromosome where i is heterozygous; same_phase[0] is the tally with the
    // next informative locus. next_informative[i - 1][l] is that locus'
    // distance in loci (0 = none on the chromosome).
    // The counts are kept by runs: tally_bits[l][i - 1] holds the phase bits
    // of the last tally pass and tally_since[i - 1][l] the pass from which
    // they hold; a pair's count is brought up to date when one of its bits
    // changes and by settle_phase_tallies (core/markers/phases_tally.h).
    // Unlike the other tables these (but tally_bits, which the pass scans
    // locus by locus) have a row per individual: a changed bit updates the
    // up to ten pairs of one individual, which then sit together.
    Table<int> same_phase[5];
    Table<short> next_informative;
    Table<short> prev_informative;
    Table<signed char> tally_bits;
    Table<int> tally_since;
    int tallies_closed = 0;            // 1 once the final marker work has run
    // Locus order: row of each QTL slot (-1 not in the order), the position
    // each slot's matrix rows were computed for, and a row buffer for moving
    // segregation-indicator rows when the order changes.
    std::vector<int> qtl_row;
    std::vector<double> rf_pos;
    std::vector<signed char> row_scratch;
    std::vector<int> row_from;
    PhaseFamilies families;
    // Moved by every writer of the genotypes, heterozygosity or deleted
    // phases (the masks are rebuilt from it).
    int genotype_revision = 0;
    PhaseMasks masks;

    void clear()
    {
        for (Table<signed char>* t : {&pat_allele, &mat_allele, &heterozygous, &phase_status}) t->clear();
        locked.clear();
        locked.shrink_to_fit();
        weigh_second.clear();
        for (Table<int>& t : same_phase) t.clear();
        next_informative.clear();
        prev_informative.clear();
        tally_bits.clear();
        tally_since.clear();
        tallies_closed = 0;
        qtl_row.clear();
        rf_pos.clear();
        row_scratch.clear();
        row_scratch.shrink_to_fit();
        row_from.clear();
        families = PhaseFamilies{};
        masks = PhaseMasks{};
        ++genotype_revision;
    }
};

// Final-progeny record of one mating.
struct FinalProgRec {
    std::vector<int> members;        // [m], 0 at creation; absorbed offspring, 0-terminated
    int count0 = 0;                  // number of absorbed offspring listed
    int count1 = 0;                  // of them, without a phenotype
    // Final-offspring absorption: FinalProg holds exactly one record per
    // mating, ordered by leading parent (the lower-numbered one).
    int lead = 0;                    // leading parent, negated on its first record
    int other = 0;                   // other parent
    int next_lead = 0;               // 1-based next record involving the leading parent, 0 = none
    int next_other = 0;              // 1-based next record involving the other parent, 0 = none
};

// Founder IBD relations at one map position (founder relationship file).
// Founder alleles are numbered 2f and 2f+1 for founder f (0-based, in the
// order of par.founders).
struct FibdPosition {
    int chrom = -1;                  // 0-based linkage group
    double position = 0.0;           // map position as given in the file
    std::vector<int> cluster;        // [2 nind] 1-based IBD cluster of each founder allele, 0 = unknown
    int n_clusters = 0;              // distinct clusters (clusters are numbered 1..n_clusters)
    int n_active = 0;                // Q: clusters among the founders; P: ancestors with positive total
    double summary = 0.0;            // effective number: (sum s)^2 / sum s^2 of cluster sizes / ancestor totals
    Table<double> prob;              // Q: [2 nind][2 nind] IBD probabilities; P: [2 nind][nanc] descent probabilities
};

// ---------------------------------------------------------------------------
// The process-wide instances.
extern VOSKARA_API Par par;
extern VOSKARA_API std::vector<Obs> obs;
extern VOSKARA_API Phe phe;                          // [n_individuals][n_traits] tables
extern VOSKARA_API Mrk mrk;                          // [n_markers][n_individuals] tables
extern VOSKARA_API std::vector<Chr> chr;
extern VOSKARA_API std::vector<Mrkrlcs> mrkrlcs;
extern VOSKARA_API std::vector<Mrkrlcs2> mrkrlcs2;
extern VOSKARA_API std::vector<Gene> gene;
extern VOSKARA_API std::vector<Gene> tempgene;
extern VOSKARA_API std::vector<Polygene> polygene;
extern VOSKARA_API std::vector<FinalProgRec> FinalProg;
extern VOSKARA_API Boundary boundary;
extern VOSKARA_API std::vector<FibdPosition> FIBD;  // [npos], from InitFIBD
extern VOSKARA_API Table<double> FIBDNRM;           // founder relationship matrix
extern VOSKARA_API Table<double> FIBDNRMi;          // its inverse

// Segregation indicators: (n_markers + maximQTL) locus rows x n_individuals
// (column i - 1), 0/1 or kUnknown (9) at start.
extern VOSKARA_API Table<std::int8_t> GPOarray0;   // first-parent gamete
extern VOSKARA_API Table<std::int8_t> GPOarray1;   // second-parent gamete

extern VOSKARA_API std::string PNTstring;  // phenotype text of all individuals
extern VOSKARA_API int PNTheld;            // 1 while PNTstring holds the texts

extern VOSKARA_API double twinv[14];       // QTL position windows: 7 probabilities, 7 widths
extern VOSKARA_API int acc_pos[24];
extern VOSKARA_API int acc_RJqtl[4];
extern VOSKARA_API int acc_RJfpm[4];
extern VOSKARA_API int acc_PVqtl[4];

extern VOSKARA_API int ECCount;
extern VOSKARA_API std::vector<int> ECSizes;
extern VOSKARA_API std::vector<std::string> ECNames;

extern VOSKARA_API std::string project_parF;
extern VOSKARA_API std::string project_dirF;
extern VOSKARA_API int iseed;
extern VOSKARA_API int skipP;
extern VOSKARA_API int REDprint;
extern VOSKARA_API int VARgroup;
extern VOSKARA_API int RJSdebug;
extern VOSKARA_API int MRKdebug;
extern VOSKARA_API int TIMnumrm;

extern VOSKARA_API MarkerPhases mph;       // [n_markers][n_individuals] phased marker tables

}  // namespace vsk
