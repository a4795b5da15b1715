// Cohort step: numbers the cohorts (data column 1) and reports them.
#pragma once

#include <vector>

#include "core/state/records.h"

namespace vsk {

// Cohort numbers 0 and -1 mean "no cohort"; every other number is a cohort.
// The cohort list (p.lcohort, sized p.n_cohorts by Initlcohort) holds the
// cohort numbers, cohorts with a founder first, each group ascending;
// p.lcohort_count holds each cohort's has-founder flag. Every individual's
// `cohort` becomes the 1-based position of its number in the list, or -1
// for no cohort. A count of cohorts other than the parameter file's
// pre-scan found ends the run with exit code 1.
void set_cohorts(Par& p, std::vector<Obs>& individuals);

}  // namespace vsk
