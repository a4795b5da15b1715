// Stage 1 of the marker work in its order: coding, screening, hidden nulls,
// the segregation checks with null-allele handling, the genotype-error
// report, deletion of partial genotypes and the user's locked phases.
#include "core/markers/marker_checks.h"

namespace vsk {

namespace {

// The checks of a data file that has not been cleaned before.
void check_raw_data(MarkerData& d)
{
    check_marker_segregation(d, 0);
    check_marker_segregation(d, 1);
    if (d.par.MSegAlpha > 0.0) {
        d.par.MSegAlpha = 0.0;
        check_marker_segregation(d, 2);
        recode_confirmed_nulls(d);
    }
    if (putative_nulls_to_missing(d) > 0) check_marker_segregation(d, 3);
    if (!REDprint) report_genotype_errors(d);
}

// A cleaned file holds consistent genotypes; its confirmed nulls take the
// null code, as the check would have given them, and every scored genotype
// is consistent.
void accept_clean_data(MarkerData& d)
{
    recode_confirmed_nulls(d);
    for (int k = 0; k < d.n_loci(); ++k)
        for (int i = 1; i <= d.n_ind(); ++i) {
            const bool missing = d.a1(k, i) == kMissingAllele || d.a2(k, i) == kMissingAllele;
            d.status(k, i) = static_cast<std::int8_t>(missing ? kIncompleteMissing : kObservedConsistent);
        }
}

}  // namespace

void run_marker_stage1(MarkerData& d, const std::string& project_dir)
{
    code_marker_alleles(d);
    screen_suspicious_alleles(d);
    if (d.par.nullalleleHidden != 0) screen_hidden_nulls(d);
    if (!d.par.cm_datafile_used) check_raw_data(d);
    else accept_clean_data(d);
    delete_partial_genotypes(d);
    if (d.par.lockMPhase == 2 && !d.par.inbred_pop) read_locked_phases(d, project_dir);
}

}  // namespace vsk
