// Founder relationship (FIBD) file reader: per map position the founders'
// IBD probabilities (Q-matrices) or their probabilities of descent from
// ancestors (P-matrices), the founder alleles' IBD clusters, and the founder
// relationship matrix (from the optional "PED" file) with its inverse.
#pragma once

#include <vector>

#include "textfile/table.h"

namespace vsk {

// Reads par.fibdfile into FIBD, FIBDNRM and FIBDNRMi (called by the run
// driver after the data file when par.nind > 0). Interpretation errors end
// the run with exit code 1; warnings never do.
void read_fibd_file();

// ---- pieces, exposed for the tests ----

// IBD clusters of inbred founders from a founder-by-founder IBD probability
// table q (f x f): founders f and g share a cluster when they are joined by
// a chain of pairs whose probability reaches `threshold` (single linkage,
// so the grouping does not depend on the founder order; at high thresholds
// IBD is nearly transitive, so the chains stay tight). Clusters are numbered
// 1.. in order of their first founder; returns one number per founder.
std::vector<int> founder_clusters(const Table<double>& q, double threshold);

// Effective number (sum s)^2 / sum s^2 of positive sizes s (0 for none).
double effective_number(const std::vector<double>& sizes);

// Inverts a square matrix in place (Gauss-Jordan with partial pivoting);
// false when it is singular.
bool invert_matrix(Table<double>& m);

}  // namespace vsk
