// Internal interface of the QTL model: slots, genotype coding, the locus
// order, allele-origin and genotype steps, effects, positions and the
// reversible-jump moves. Every step works on a QtlModel that bundles the
// records by reference, so tests run the steps on small records they build.
#pragma once

#include <cstdint>
#include <vector>

#include "core/markers/phases_rows.h"
#include "core/numeric/linalg.h"
#include "core/numeric/rng.h"
#include "core/state/records.h"
#include "textfile/table.h"

namespace vsk {

// Result of a Metropolis-Hastings or reversible-jump move.
inline constexpr int kAccepted = 1;
inline constexpr int kRejected = 0;
inline constexpr int kNotAttempted = -1;

// Effect rows of Gene::eff and the effect-prior settings of addGENE/domGENE.
inline constexpr int kMeanRow = 0;
inline constexpr int kAddRow = 1;
inline constexpr int kDomRow = 2;
inline constexpr int kImpRow = 3;
inline constexpr int kGenotypes = 4;

// A log weight that excludes an option.
inline constexpr double kExcluded = -1e25;

struct QtlModel;
struct FlankPhase;

// Ancestral clusters of the founder-allele labels at one IBD position:
// 0-based cluster of every label, the first label of every cluster (whose
// allele state stands for the cluster's), and the number of clusters.
struct LabelClusters {
    std::vector<int> of_label;
    std::vector<int> first;
    std::vector<int> index;   // scratch: cluster number of the file -> index
    int n = 0;
};

// Working storage of the marginal-likelihood moves: one model's matrices.
struct MargModel {
    Table<double> C;        // X'X (x) R^-1 plus prior precision
    Table<double> Cinv;     // its inverse, then the lower Cholesky factor of it
    std::vector<double> rhs;    // X'R^-1 y plus the mean's prior term
    std::vector<double> bhat;   // C^-1 rhs
    double log_det_cinv = 0.0;  // log |C^-1|
    double quad = 0.0;          // bhat' C bhat
    int dim = 0;
    int failed = 0;             // 1 when the factorisation failed
    std::vector<int> slots;     // slots of the design, in column order
};

// Process-lifetime working storage of the QTL model (allocated at mode 0).
struct QtlWork {
    // Locus order: per row its kind (1 marker, 0 QTL), index and coordinate.
    std::vector<int> row_kind, row_index;
    std::vector<double> row_pos;
    std::vector<int> marker_row;        // row of every marker
    // Descendants of every individual (processing order, final offspring
    // left out): desc[desc_start[c] .. desc_start[c + 1]) for individual c + 1.
    std::vector<int> desc_start, desc;
    std::vector<int> founder_index;     // per individual (0-based): founder k, or -1
    std::vector<double> weights;        // option weights of one draw
    // Marker heterozygosity per marker x individual (SELFED/DBHPLD windows).
    Table<std::int8_t> het;
    // Phenotype log-likelihood per individual and genotype code.
    Table<double> ll;
    std::vector<double> resid_scratch;
    // Marginal-likelihood working matrices.
    Table<double> X;        // phenotyped rows x columns of the design
    Table<double> XX;
    std::vector<int> pheno_rows;  // individuals (0-based) in the design
    MargModel cur, alt;
    Table<double> prior_inv;    // inverse of an effect prior matrix
    // Per row: log r, log(1 - r), selfed log r, log(1 - r) to the QTL row
    // of the origin step under way.
    Table<double> qtl_row_logs;
    LinalgWork lin;
    std::vector<double> z;
    // Traits x traits scratch of the prior effect draws and the Wishart step.
    Table<double> prior_chol, wishart_scale, wishart_draw;
    std::vector<double> prior_z;
    // Per-QTL effect step: precision and sums of one kind.
    Table<double> gibbs_c;
    std::vector<double> gibbs_sxr, gibbs_mean;
    // Slot order of the design (slots in the model, in slot order).
    std::vector<int> design_slots;
    // Absorbed final offspring grouped by their parents (fo_father,
    // fo_mother: 1-based), members of group k (0-based individuals) in
    // fo_members[fo_member_start[k] .. fo_member_start[k + 1]); per individual
    // c the groups whose parents are c or one of its descendants in
    // fo_affected[fo_affected_start[c] .. fo_affected_start[c + 1]); per group
    // the summed offspring log-likelihood per (father, mother) genotype pair.
    std::vector<int> fo_father, fo_mother, fo_member_start, fo_members;
    std::vector<int> fo_affected_start, fo_affected;
    Table<double> fo_table;
    // Monomorphism counters per slot.
    std::vector<int> mono;
    // Birth and death probabilities.
    double p_birth = 0.4, p_death = 0.4;
    // Effect path chosen at mode 0: true = marginal-likelihood moves.
    bool marginal = true;
    // Position prior per chromosome: cumulative masses are read from chr.
    bool ready = false;
    // Ancestral clusters of the current and the proposed IBD position.
    LabelClusters clusters_old, clusters_new;
};

// The records a QTL step reads and writes.
struct QtlModel {
    Par& p;
    std::vector<Obs>& o;
    Phe& phe;          // phenotypes and residuals (row = individual i - 1)
    Mrk& mk;           // alleles as read (row = marker)
    std::vector<Chr>& chr;
    std::vector<Mrkrlcs>& mrk;
    std::vector<Gene>& gene;
    std::vector<Gene>& temp;
    SiTable& gpo0;
    SiTable& gpo1;
    Boundary& b;
    std::vector<FinalProgRec>& fp;
    std::vector<Mrkrlcs2>& mrk2;   // row of every marker (mrk2[k].index)
    MarkerPhases& mph;             // heterozygosity flags, QTL rows of the order
    int* acc_pos;      // [24]
    int* acc_rj;       // [4]
    int* acc_pv;       // [4]
    const double* twinv;  // [14]
    QtlWork& w;
    Rng& rng;
    // The genes of the finite polygenic model instead of QTL: no position or
    // locus row, Mendelian transmission, the FPM settings and count.
    bool fpm = false;
    // New gene in slot s for a birth; null: the QTL proposal (new_qtl_proposal).
    void (*propose_gene)(QtlModel& m, int s) = nullptr;
    // IBD positions of the founder relationship file (none: nullptr or empty).
    const std::vector<FibdPosition>* fibd = nullptr;
};

// The gene set of a model (QTL, or the genes of the finite polygenic model):
// its number of slots, effect settings, Poisson prior mean and current count.
int slot_count(const QtlModel& m);
int add_setting(const QtlModel& m);
int dom_setting(const QtlModel& m);
double count_prior(const QtlModel& m);
int& gene_count(QtlModel& m);

// The model over the process-wide records and generator.
QtlModel& global_qtl_model();

// ---- slots and genotype coding (slots.cpp) ----
int genotype_code(int a_pat, int a_mat);                // system 0
void genotype_alleles(int g, int& a_pat, int& a_mat);   // system 0
void init_qtl_slots(QtlModel& m);
void compute_gval(const Par& p, Gene& g);
void derive_labels(QtlModel& m, Gene& g, int i);         // non-founder i (1-based)
void derive_all_genotypes(QtlModel& m, Gene& g);
void set_founder_labels(QtlModel& m, Gene& g);
void free_slot(QtlModel& m, int s);
int lowest_free_slot(const QtlModel& m);
int active_count(const QtlModel& m);
int pick_active_slot(const QtlModel& m, double u);      // index floor(u k) among active slots
void flip_slot(QtlModel& m, Gene& g);
void flip_negative_slots(QtlModel& m);
bool phenotyped(const QtlModel& m, int c);              // individual c + 1: trait-1 flag not 9
// Residuals: sign -1 adds the slot's values back, +1 subtracts them.
void apply_slot_values(QtlModel& m, const Gene& g, int sign);
void apply_means(QtlModel& m, int sign);
void apply_all_values(QtlModel& m, int sign);
double inbred_founder_state(Rng& r, const Table<double>& freq, int family);
void draw_founder_states(QtlModel& m, Gene& g);
int base_family(const QtlModel& m, int founder_index);
void draw_frequencies(QtlModel& m, Gene& g);

// ---- locus order (locus_order.cpp) ----
int find_qtl_interval(QtlModel& m, int c, double pos);
void recompute_rf(QtlModel& m, int s);
void rebuild_locus_order(QtlModel& m);
void start_locus_order(QtlModel& m);
double min_distance(const QtlModel& m, int s, double pos);
double rf_rows(const QtlModel& m, int u, int v, bool selfed);

// ---- positions (positions.cpp) ----
double random_walk_position(QtlModel& m, int c, double x);
void prior_position(QtlModel& m, Gene& g);
// Draws a position (mode 1 random walk from the slot's position, 0 prior)
// that satisfies the distance constraint; fatal when the map has no room.
void propose_position(QtlModel& m, int s, int mode);
double log_interval_weight(const QtlModel& m, const Gene& g);

// ---- allele origins and genotypes (allele_origin.cpp, founder_steps.cpp) ----
void window(const QtlModel& m, int row, int i, int side, int& left, int& right);
double prob_trans(const QtlModel& m, const Gene& g, int i, int side, int left, int right, bool mendel);
void build_ll(QtlModel& m, const Gene& g);
// Transmission logs from the slot's row, and prob_trans over a window whose
// only informative rows are its ends and the QTL row (prob_trans is its oracle).
void fill_qtl_row_logs(QtlModel& m, const Gene& g);
double prob_trans_at_qtl(const QtlModel& m, const Gene& g, int c, int side, int left, int right);
// Individuals are visited from last to first with phenotypes or on request.
void sample_allele_origin(QtlModel& m, int s, bool with_phenotypes, bool reverse_order = false);
void set_origin(QtlModel& m, Gene& g, int c, int k);   // gpori and the QTL row of individual c + 1

// ---- absorbed final offspring (final_offspring.cpp) ----
bool has_final_offspring(const QtlModel& m);
void build_final_offspring_groups(QtlModel& m);
void final_offspring_tables(QtlModel& m);
// Offspring terms of the groups individual i (1-based) can change.
double final_offspring_terms(const QtlModel& m, const Gene& g, int i);
double final_offspring_total(const QtlModel& m, const Gene& g);
void sample_final_offspring_origin(QtlModel& m, int s, bool with_phenotypes);
void sample_founder_genotypes(QtlModel& m, int s);
void draw_allele_origins(QtlModel& m, int s, bool with_phenotypes, bool reverse_order = false);
void draw_founder_genotypes(QtlModel& m, int s);
// Founder genotypes then origins with phenotypes on one ll table (the two
// steps above in turn are its oracle).
void sample_slot_genotypes(QtlModel& m, int s);
void sample_allele_frequencies(QtlModel& m, int s);
void compute_het_flags(QtlModel& m);
void build_descendants(QtlModel& m);
void rederive_descendants(QtlModel& m, Gene& g, int i);

// ---- save buffer and move skeleton (move.cpp) ----
void save_slot(QtlModel& m, int s);
void restore_slot(QtlModel& m, int s);
// Metropolis-Hastings decision on log A = min(0, delta): one uniform.
// The log of the uniform goes to *log_u when given.
bool mh_accept(Rng& r, double delta, double* log_u = nullptr);
// Counts one position move in its group of acc_pos (proposal, acceptance,
// and both again when the move crossed to another marker interval).
void count_position_move(int* acc, bool accepted, bool other_interval);

// ---- effects (effects_mv.cpp, effects_gibbs.cpp, effect_variance.cpp) ----
// Builds the design over the active slots (skip: a slot left out, -1 none).
void build_design(QtlModel& m, int skip);
int effect_columns_per_slot(const QtlModel& m);
void remove_slot_from_design(QtlModel& m, int s);
// Recomputes the columns of slot s in the current design after its
// genotypes changed (build_design is the slow oracle).
void update_design_slot(QtlModel& m, int s);
void reserve_marginal_work(QtlModel& m);
// Builds C, rhs, inverse factor and bhat of the current design for k QTL.
void form_model(QtlModel& m, MargModel& mm, int k);
double marginal_terms(const MargModel& mm);
double log_det_g(const QtlModel& m, int k);
void draw_effects(QtlModel& m, const MargModel& mm);
void sample_gtp_par_mv(QtlModel& m);
void sample_gtp_par(QtlModel& m, int s);
int effect_variance_move(QtlModel& m, int kind);
void sample_var_po(QtlModel& m, int kind);
void qtl_covariance(QtlModel& m);   // into fpm_cov for the FPM genes
Table<double>& effect_prior_matrix(Par& p, int kind);

// ---- moves (position_moves.cpp, birth_death.cpp, long_range.cpp, rev_jump.cpp, pruning.cpp) ----
int move_loc(QtlModel& m, int s);
int move_loc_gtp(QtlModel& m, int s);
int rjs_birth(QtlModel& m);
int rjs_death(QtlModel& m);
int long_range_update(QtlModel& m, int s, int mode);
int rev_jump(QtlModel& m, int kind);
int short_range_prior_draw(QtlModel& m, int s);  // "ShRange" of the prior-draw path
void draw_prior_effects(QtlModel& m, Gene& g, double scale, const char* where);
void prune_monomorphic(QtlModel& m);
void new_qtl_proposal(QtlModel& m, int s, int mode);
void propose_new_gene(QtlModel& m, int s);   // birth proposal of the model's gene set

// ---- flanking marker phases, the rows of "phase.out" (marker_qtl_phases.cpp) ----
// Fills table[c] (individual c + 1) for slot s: nearest heterozygous phased
// marker on each side, alleles on the homologue carrying QTL allele 0 first.
void marker_qtl_phases(const QtlModel& m, int s, std::vector<FlankPhase>& table);
void MrkrQtlPhases(int slot, std::vector<FlankPhase>& table);
// Makes the sample writer take the phase rows from the QTL model.
void register_phase_sources();

// ---- ancestral clusters (ancestral_clusters.cpp, plink_move.cpp) ----
inline constexpr int kMaxIbdRedraws = 10000;
// True when founder alleles are tied by the clusters of IBD positions.
bool plink_active(const QtlModel& m);
void label_clusters(const QtlModel& m, int ibdpos, LabelClusters& lc);
// Probability of taking the left of the two IBD positions around a QTL at
// distances dl and dr (Morgan).
double ibd_pick_left(double dl, double dr);
// IBD position (1-based) for the slot's position: -1 none around it, -2 the
// picked one has fewer than two clusters. Draws one uniform when it picks.
int ibd_position_of(QtlModel& m, const Gene& g);
double log_cluster_prior(const QtlModel& m, const Gene& g, const LabelClusters& lc);
void states_from_clusters(QtlModel& m, Gene& g, const LabelClusters& lc);
void draw_cluster_states(QtlModel& m, Gene& g, const LabelClusters& lc);
void sample_cluster_states(QtlModel& m, int s);
void sample_cluster_frequencies(QtlModel& m, int s);
void propose_plink_position(QtlModel& m, int s, int mode);
int move_plink(QtlModel& m, int s);
int move_loc_gtp_f(QtlModel& m, int s);
// Terms of the position moves (position_moves.cpp): transmission log
// probabilities over windows spanning the marker intervals [lo, hi], and the
// phenotype log-likelihood of the current genotypes.
double transmission_terms(const QtlModel& m, const Gene& g, int lo_marker, int hi_marker);
double phenotype_terms(const QtlModel& m, const Gene& g);

// ---- driver (sample_qtl.cpp) ----
void random_init_qtl(QtlModel& m);
// position: the fixed QTL of an IBD analysis (indicQTL 2), unused otherwise.
void sample_qtl(QtlModel& m, int mode, double position = 0.0);
void write_initial_qtl_values(QtlModel& m);

}  // namespace vsk
