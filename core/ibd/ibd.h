// Internal interface of the IBD analysis (indicQTL 2): one QTL held fixed at
// each IBD position while the marker phases and the QTL allele origins are
// sampled; the founder-allele labels that individuals carry are counted every
// sweep and written as IBD probability matrices at the end of each chain.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/qtl/qtl.h"
#include "textfile/file.h"
#include "textfile/table.h"

namespace vsk {

inline constexpr int kFixedSlot = 0;     // the slot that holds the fixed QTL
inline constexpr int kFixedStatus = 2;   // slot status of the fixed QTL

// Counters of one IBD position and the run-wide output state (a part of the
// run workspace). Pair counters cover only the individuals whose matrices are
// written: gametic pairs over `gam`, dominance pairs over `dom`, each stored
// once for list positions a <= b.
struct IbdCounts {
    std::vector<int> exported;   // export list (1-based individuals); empty = none
    std::vector<int> gam;        // individuals of the gametic pairs, ascending
    std::vector<int> dom;        // individuals of the dominance matrices, ascending
    Table<int> fa;               // [2 n_individuals][2 n_founders] label counts per allele
    Table<int> ibd;              // [2 |gam|][2 |gam|] allele-pair IBD counts (a <= b filled)
    Table<int> dom_c;            // [|dom|][|dom|] both alleles IBD, no autozygous member
    Table<int> domi_c;           // [|dom|][|dom|] both alleles IBD, ignoring inbreeding
    std::vector<int> child_start, child, child_side;  // offspring of each founder index
    std::vector<int> bucket_start, bucket_fill, bucket;  // alleles grouped by key (counting scratch)
    std::vector<std::pair<long long, int>> dom_order;    // individuals sorted by their pair of keys
    int sweeps = 0;              // sweeps counted at this position
    int genome_blocks = 0;       // blocks appended to "genomeFIBD.flx" by this run
    bool genome_header = false;  // "genomeFIBD.flx" created by this run
};

IbdCounts& ibd_counts();

// ---- individuals of the matrices (ibd_lists.cpp) ----
// First offspring (as first or second parent) is a selfing or a doubled haploid.
bool selfed_first_progeny(const std::vector<Obs>& o, const Obs& ind);
// Individual of the dominance matrices: not SELFED, DBHPLD or INBRED-coded
// and without a selfed or doubled-haploid first offspring.
bool dominance_eligible(const std::vector<Obs>& o, const Obs& ind);
// Sizes the counters of one position (all zero) for the export list.
void prepare_counts(const Par& p, const std::vector<Obs>& o, IbdCounts& c, const std::vector<int>& exported);

// ---- the fixed QTL (fixed_qtl.cpp) ----
// A position within 1e-6 Morgan of a marker moved off it.
double shift_off_markers(const QtlModel& m, double x);
// Analysed linkage group (0-based) whose marker span strictly holds x; -1 none.
int chromosome_holding(const QtlModel& m, double x);
// IBD position record (1-based) of the founder relationship file for slot g:
// -1 none on either side, -2 one without diversity among the founders.
int fixed_ibd_position(QtlModel& m, const Gene& g);
// Sets up the fixed QTL at x (fatal for a position on no linkage group, an
// allele system other than two states, no usable founder IBD position).
void ini_fixed_qtl(QtlModel& m, double x);

// ---- per-sweep steps (anchoring.cpp, counting.cpp) ----
void build_founder_children(const QtlModel& m, IbdCounts& c);
// Orients every founder's two haplotypes so that its first carries the
// smaller allele code at its anchor marker; the sampled state is unchanged.
void anchor_founders(QtlModel& m, const IbdCounts& c);
void count_sweep(const QtlModel& m, IbdCounts& c);
// The gametic pair counts of one sweep by comparing every pair (the test
// oracle of the bucketed count in count_sweep).
void count_gametic_pairs_direct(const QtlModel& m, IbdCounts& c);
void count_dominance_pairs_direct(const QtlModel& m, IbdCounts& c);
// Counts of allele s of gam[a] and allele t of gam[b], in either order.
int gametic_count(const IbdCounts& c, int a, int s, int b, int t);
int dominance_count(const Table<int>& t, int a, int b);

// ---- files (ibd_values.cpp, matrix_files.cpp, genome_fibd.cpp, trellan_ibd.cpp) ----
File open_ibd_output(const std::string& name, const char* mode);
// Probability text of the gametic, numerator and founder-IBD blocks:
// count c of N sweeps divided by (divisor x N).
void put_gametic_value(std::FILE* f, long long c, int N, int divisor);
void put_dominance_value(std::FILE* f, long long c, int N, int divisor = 1);
void put_dominance_inb_value(std::FILE* f, long long c, int N);
int ibd_chromosome_number(double pos);   // 1-based ordinal of a map coordinate
double ibd_position_cm(double pos);      // cM within its linkage group

void write_founder_allele_file(const QtlModel& m, const IbdCounts& c, double pos);
void write_relationship_matrices(const QtlModel& m, const IbdCounts& c, double pos);
void write_genome_header(const QtlModel& m, IbdCounts& c);
void append_genome_block(const QtlModel& m, IbdCounts& c, double pos);
void append_trellan_block(const QtlModel& m, const IbdCounts& c);

// ---- driver (ibd_mode.cpp) ----
void start_ibd_position(QtlModel& m, double position);
void ibd_sweep(QtlModel& m, int mode);

// ---- founder representation from the pedigree (founder_representation.cpp) ----
// Additive relationship of every individual to every founder: [n][n_founders].
Table<double> founder_relationships(const Par& p, const std::vector<Obs>& o);
void write_founder_representation(const Par& p, const std::vector<Obs>& o);

}  // namespace vsk
