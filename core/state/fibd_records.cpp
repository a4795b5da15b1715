// Founder relationship records: the per-position founder IBD tables and the
// founder relationship matrix with its inverse, sized once the founder
// relationship file's dimensions are known.
#include "core/state/records.h"
#include "core/voskara.h"

namespace vsk {

std::vector<FibdPosition> FIBD;
Table<double> FIBDNRM;
Table<double> FIBDNRMi;

void InitFIBD(int npos, int n_alleles, int nanc, int pmatrix)
{
    int n = n_alleles > 0 ? n_alleles : 0;
    int columns = pmatrix ? (nanc > 0 ? nanc : 0) : n;
    FIBD.assign(static_cast<std::size_t>(npos > 0 ? npos : 0), FibdPosition{});
    for (FibdPosition& p : FIBD) {
        p.cluster.assign(static_cast<std::size_t>(n), 0);
        p.prob.assign(n, columns, 0.0);
    }
    // Only inbred founders are supported: one row per founder.
    int founders = n / 2;
    FIBDNRM.assign(founders, founders, 0.0);
    FIBDNRMi.assign(founders, founders, 0.0);
}

}  // namespace vsk
