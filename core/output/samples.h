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

// Appends one sample to the files in the current directory.
void print_samples(const Par& p, const std::vector<Obs>& o, SampleWriterState& state);

// The individuals selected by writeGTP as 1-based indices; returns W (the
// selected count, 0 or below for none). An integer outside -1 ... n is fatal.
int genotype_selection(const Par& p, std::vector<int>& selected);

// Header comments of the files whose condition holds (files truncated).
void write_sample_headers(const Par& p, int W);
// The list of selected individuals, "wrtgtp.nms".
void write_selected_names(const Par& p, const std::vector<Obs>& o, const std::vector<int>& selected);

// Row writers.
void write_genpar_row(std::FILE* f, const Par& p);
// Nuisance variable c has its level effects written to "nui2.out".
bool nui2_qualifies(const Par& p, int c);
bool any_nui2_rows(const Par& p);
// Returns false when no nuisance variable qualifies (nothing written).
bool write_nui2_row(std::FILE* f, const Par& p);
void write_prior_rows(std::FILE* f, const Par& p, const Table<double>& var, int type_qtl,
                      int type_fpm);
void write_tim_row(std::FILE* f, const Par& p, const std::vector<Obs>& o,
                   const std::vector<int>& selected);
void write_cohort_tim_row(std::FILE* f, const Par& p, const std::vector<Obs>& o);

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
