// Sample files: every thinning-th sweep the chain's state is appended to
// plain-text files that post-processing reads back by name.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/state/records.h"

namespace vsk {

// Whether the first call of the run (headers, "wrtgtp.nms") has happened.
struct SampleWriterState {
    bool first_call_done = false;
};
SampleWriterState& sample_writer_state();

// The records one sample is taken from.
struct ChainRecords {
    const Par& p;
    const std::vector<Obs>& o;
    const Phe& ph;                       // per-individual trait tables
    const std::vector<Gene>& qtl;        // maximQTL slots
    const std::vector<Polygene>& fpm;    // maximFPM genes
    const std::vector<Mrkrlcs>& markers;
};

// Flanking markers of a QTL for one individual, with the marker alleles on
// the individual's two QTL haplotypes.
struct FlankPhase {
    int left = -1;                   // 1-based marker index; below 1 none
    int left_allele[2] = {0, 0};
    int right = -1;
    int right_allele[2] = {0, 0};
};

// Where the rows of "phase.out" come from: the QTL model fills the flanking
// phases of a slot per individual (index i - 1 for individual i), the marker
// model turns an allele code of a marker (0-based) into its text. Until both
// are provided no phase rows are written.
struct PhaseSources {
    void (*marker_qtl_phases)(int slot, std::vector<FlankPhase>& table) = nullptr;
    std::string (*allele_text)(int marker, int code) = nullptr;
};
PhaseSources& phase_sources();

// Appends one sample to the files in the current directory.
void print_samples(const ChainRecords& r, SampleWriterState& state);

// The individuals selected by writeGTP as 1-based indices; returns W (the
// selected count, 0 or below for none). An integer outside -1 ... n is fatal.
int genotype_selection(const Par& p, std::vector<int>& selected);

// Header comments of the files whose condition holds (files truncated).
void write_sample_headers(const Par& p, int W);
void write_gene_headers(const Par& p, int W);
// Copies of the "nui2.out" description: one per variable with few levels.
int nui2_headers_due(const Par& p);
// The list of selected individuals, "wrtgtp.nms".
void write_selected_names(const Par& p, const std::vector<Obs>& o, const std::vector<int>& selected);

// Row writers of the residual, nuisance, prior and infinitesimal parameters.
void write_genpar_row(std::FILE* f, const Par& p);
// Nuisance variable c has its level effects written to "nui2.out".
bool nui2_qualifies(const Par& p, int c);
bool any_nui2_rows(const Par& p);
// Returns false when no nuisance variable qualifies (nothing written).
bool write_nui2_row(std::FILE* f, const Par& p);
void write_prior_rows(std::FILE* f, const Par& p, const Table<double>& var, int type_qtl,
                      int type_fpm);
void write_tim_row(std::FILE* f, const Par& p, const std::vector<Obs>& o, const Phe& ph,
                   const std::vector<int>& selected);
void write_cohort_tim_row(std::FILE* f, const Par& p, const std::vector<Obs>& o, const Phe& ph);

// Row writers of the QTL model.
void write_iqtl_row(std::FILE* f, const Par& p, const std::vector<Gene>& qtl);
void write_gqtl_row(std::FILE* f, const Par& p, const std::vector<Gene>& qtl, const std::vector<int>& selected);
void write_phase_rows(std::FILE* f, const Par& p, const std::vector<Mrkrlcs>& markers, const Gene& slot,
                      const std::vector<FlankPhase>& table, const std::vector<int>& selected,
                      std::string (*allele_text)(int marker, int code));
void write_cohqtl_row(std::FILE* f, const Par& p, const std::vector<Obs>& o, const std::vector<Gene>& qtl);

// Row writers of the finite polygenic model.
void write_ifpm_row(std::FILE* f, const Par& p, const std::vector<Polygene>& fpm);
void write_gfpm_row(std::FILE* f, const Par& p, const std::vector<Polygene>& fpm, const std::vector<int>& selected);
void write_cohfpm_row(std::FILE* f, const Par& p, const std::vector<Obs>& o, const std::vector<Polygene>& fpm);
void write_cumgtp_rows(std::FILE* f, const Par& p, const std::vector<Obs>& o, const std::vector<Polygene>& fpm);
// The counters are dumped every this many sweeps.
inline constexpr int kCumGtpInterval = 10000;
// ... for at most this many genes (fewer than).
inline constexpr int kCumGtpMaxGenes = 5;

// Gene-record helpers shared by the QTL and FPM writers.
// Entry (r, c) of a table, 0 outside it (a slot the model has not sized).
double cell(const Table<double>& t, int r, int c);
int cell(const Table<int>& t, int r, int c);
// Genotype code of individual i (1-based) in a genotype array, 9 when absent.
int genotype_of(const std::vector<int>& gtp, int i);
// Additive value of genotype code g: +a for code 0, -a for code 3, else 0.
double additive_value(int g, double a);

// Within-cohort variance of value(i) over the individuals of each cohort
// 1..C (0 for a cohort without individuals) into var[0..C-1].
template <class Value>
void cohort_variances(const std::vector<Obs>& o, int C, Value value, std::vector<double>& var)
{
    std::vector<double> sum(static_cast<std::size_t>(C), 0.0), sq(static_cast<std::size_t>(C), 0.0);
    std::vector<int> n(static_cast<std::size_t>(C), 0);
    for (std::size_t i = 0; i < o.size(); ++i) {
        const int c = o[i].cohort;
        if (c < 1 || c > C) continue;
        const double v = value(i);
        sum[c - 1] += v;
        sq[c - 1] += v * v;
        ++n[c - 1];
    }
    var.assign(static_cast<std::size_t>(C), 0.0);
    for (int c = 0; c < C; ++c) {
        if (n[c] == 0) continue;
        const double mean = sum[c] / n[c];
        var[c] = sq[c] / n[c] - mean * mean;
    }
}

}  // namespace vsk
