// Readers of the sample files written by the analysis: each prints its title
// and the size of what it read, checks the rows and stores them in the
// post-processing state.
#pragma once

#include <string>

#include "post/sample_file.h"
#include "post/state.h"

namespace rvn {

// How a reader treats a missing genpar.out or one of fewer than 100 rows:
// the post-processing run ends the process; the effective-size exports
// called by a running analysis only report it and return false.
enum class ShortSamples { Fatal, Report };

// genpar.out: iterations, log-likelihoods and the parameter values.
bool read_genpar(PostState& st, ShortSamples mode);
// nui2.out (optional: warnings only when missing or empty).
void read_nuisance(PostState& st);
// iqtl.out in the layout chosen by FormatMCMC; sets S and F.
void read_qtl(PostState& st);
// gqtl.out in the layout chosen by FormatMCMC; sets the individuals per slot.
void read_qtl_genotypes(PostState& st);
// cohqtl.out; sets the cohorts per slot and trait.
void read_qtl_cohorts(PostState& st);
// ifpm.out, gfpm.out, cohfpm.out.
void read_fpm(PostState& st);
void read_fpm_genotypes(PostState& st);
void read_fpm_cohorts(PostState& st);
// tim.out; sets the number of individuals.
void read_tim(PostState& st);
// cohtim.out (optional): the TIM cohort variances.
void read_tim_cohorts(PostState& st);

// After all readers: the files of one sample are written one after the
// other, so an analysis stopped (or still running) may have written the last
// sample to the first files only. Those tables then hold one row more than
// the others; every table is cut to the complete samples, with a warning.
// Any other difference of row counts is fatal.
void keep_complete_samples(PostState& st);

// Shared reader steps (also used by the names reader): separator and title,
// file found (or fatal when required), size line, width check.
SampleFileShape open_sample_file(const std::string& path, const char* title, bool required, bool newline_after);
// "< 100 rows" check of the readers that need it (fatal).
void require_min_samples(const SampleFileShape& shape);
// Fatal unless the later-written file has as many rows as the earlier one, or
// one fewer (its row of the last sample not yet written).
void check_row_counts(const char* earlier, int earlier_rows, const char* later, int later_rows);
// A required sample file read whole: the steps above, then its rows without
// their first `skip_cols` columns into `into`. `follows` names the file
// written just before it in every sample, holding `follows_rows` rows.
void read_required_file(PostState& st, const char* file, const char* title, const char* follows, int follows_rows,
                        int skip_cols, vsk::Table<double>& into);

}  // namespace rvn
