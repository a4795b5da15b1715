// Statistics of the QTL samples inside a marked region: mean allele
// frequency and effects, and the additive and dominance variances they imply
// in an outbred population in Hardy-Weinberg equilibrium.
#include <algorithm>

#include "post/regions.h"

namespace rvn {

namespace {
// Slack on coded positions read back from a regions file (written to 1e-4).
constexpr double kPositionSlack = 1e-8;
double sample_position(const PostState& st, int k) { return st.qtl_samples.rows[k][st.s.S - 1]; }
}  // namespace

double additive_variance(double p, double a, double d)
{
    const double q = 1.0 - p;
    const double alpha = a + d * (q - p);
    return 2.0 * p * q * alpha * alpha;
}

double dominance_variance(double p, double d)
{
    const double v = 2.0 * p * (1.0 - p) * d;
    return v * v;
}

RegionStats region_stats(const PostState& st, int k0, int k1)
{
    const int T = st.par.n_traits;
    const int F = st.s.F;
    RegionStats out;
    out.AE.assign(T, 0.0);
    out.DE = out.AV = out.DV = out.AE;
    const int m = k0 >= 0 && k1 >= k0 ? k1 - k0 + 1 : 0;
    if (m == 0) return out;  // a region no sample visits: all zero
    double p = 0.0;
    for (int k = k0; k <= k1; ++k) {
        const double* row = st.qtl_samples.rows[k];
        if (F > 0) p += row[0];
        for (int t = 0; t < T; ++t) {
            out.AE[t] += row[F + t];
            out.DE[t] += row[F + T + t];
        }
    }
    out.p = p / m;
    for (int t = 0; t < T; ++t) {
        out.AE[t] /= m;
        out.DE[t] /= m;
        out.AV[t] = additive_variance(out.p, out.AE[t], out.DE[t]);
        out.DV[t] = dominance_variance(out.p, out.DE[t]);
    }
    return out;
}

int first_sample_from(const PostState& st, double x)
{
    const int n = st.qtl_samples.count();
    int lo = 0, hi = n;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (sample_position(st, mid) < x - kPositionSlack)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < n ? lo : -1;
}

int last_sample_to(const PostState& st, double x)
{
    const int n = st.qtl_samples.count();
    int lo = 0, hi = n;  // first sample beyond x
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (sample_position(st, mid) <= x + kPositionSlack)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo - 1;
}

}  // namespace rvn
