// Effective chain size: the initial positive sequence of paired
// autocovariances, summed up to and including the first pair that is not
// positive.
#include "post/ess.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "post/console.h"

namespace rvn {

namespace {

constexpr int kNoVaryingChain = 1000000;

// Autocovariance at `lag` of the centred values d[0..N-1], divided by N.
double autocovariance(const std::vector<double>& d, int lag)
{
    const int N = static_cast<int>(d.size());
    double sum = 0.0;
    for (int i = 0; i + lag < N; ++i) sum += d[i] * d[i + lag];
    return sum / N;
}

// Centred values m - x[i] of the post-burn-in part; sets the sample variance.
std::vector<double> centred(const double* x, int n, int B, double& s2)
{
    const int N = n - B;
    double m = 0.0;
    for (int i = B; i < n; ++i) m += x[i] / N;
    std::vector<double> d(N);
    s2 = 0.0;
    for (int i = B; i < n; ++i) {
        d[i - B] = m - x[i];
        s2 += d[i - B] * d[i - B];
    }
    s2 /= (N - 1);
    return d;
}

}  // namespace

int calc_ess(const double* x, int n, int B, EssResult& result)
{
    const int N = n - B;
    if (N < 2) return kEssTooShort;
    const int L = N / 2;  // autocovariances that may be computed
    // A constant chain is told by its values: its mean, summed in N parts,
    // need not equal the constant exactly, which would leave a tiny variance
    // and a chain reported as too short (and lengthened without end).
    if (std::all_of(x + B, x + n, [&](double v) { return v == x[B]; })) return kEssZeroVariance;
    double s2 = 0.0;
    const std::vector<double> d = centred(x, n, B, s2);
    if (s2 == 0.0) return kEssZeroVariance;
    // Even the first pair leaves no room for a second one.
    if (L < 4) return kEssTooShort;

    std::vector<double> gamma(L, 0.0);
    int delta = 0;
    double pair = 0.0;
    for (int k = 0;; ++k) {
        gamma[2 * k] = autocovariance(d, 2 * k);
        gamma[2 * k + 1] = autocovariance(d, 2 * k + 1);
        pair = gamma[2 * k] + gamma[2 * k + 1];
        const bool positive = pair > 0.0;
        if (positive) ++delta;
        if (2 * k + 4 > L) return kEssTooShort;
        if (!positive) break;
    }
    result.delta = delta;
    result.var0 = gamma[0];
    if (!(pair < 0.0)) {
        result.var = s2;
        result.ECS = kEssTooShort;
        return kEssTooShort;
    }
    double sum = gamma[0];
    if (delta > 0)
        for (int l = 1; l <= 2 * delta + 1; ++l) sum += 2.0 * gamma[l];
    result.var = sum / N;
    if (!(result.var > 0.0)) {
        result.ECS = kEssTooShort;
        return kEssTooShort;
    }
    const double ecs = std::trunc(gamma[0] / result.var);
    result.ECS = ecs >= static_cast<double>(INT_MAX) ? INT_MAX : ecs;
    return static_cast<int>(result.ECS);
}

int calc_ess(const PostState& st, const double* x, int n, EssResult& result)
{
    return calc_ess(x, n, st.burnin, result);
}

std::vector<std::string> chain_names(int T)
{
    std::vector<std::string> names;
    auto triangle = [&](const std::string& stem) {
        for (int i = 1; i <= T; ++i)
            for (int j = i; j <= T; ++j) names.push_back(stem + std::to_string(i) + std::to_string(j));
    };
    for (int t = 1; t <= T; ++t) names.push_back("mean" + std::to_string(t));
    triangle("vERR");
    triangle("vTIM");
    names.push_back("nQTL");
    triangle("vQTL");
    names.push_back("nFPM");
    triangle("vFPM");
    for (int v = 1; v <= 5; ++v) triangle("vNUI" + std::to_string(v));
    return names;
}

std::string chain_name(const PostState& st, int c)
{
    if (c >= 0 && c < static_cast<int>(st.chain_names.size())) return st.chain_names[c];
    return "col" + std::to_string(c + 3);
}

std::vector<ChainEss> chains_ess(const PostState& st)
{
    const int n = st.s.n();
    std::vector<ChainEss> chains(st.s.V());
    std::vector<double> x(n);
    for (int c = 0; c < st.s.V(); ++c) {
        for (int r = 0; r < n; ++r) x[r] = st.s.genpar[r][c];
        chains[c].column = c;
        chains[c].code = calc_ess(st, x.data(), n, chains[c].result);
    }
    return chains;
}

void print_ess_table(const PostState& st, const std::vector<ChainEss>& chains)
{
    separator();
    rprint("EFFECTIVE SAMPLE SIZE (ESS)");
    rprint("\n  method : initial positive sequence estimator (Stat Sci 7:473-511, 1992)");
    rprint("\n  applied: effective chain size in genetic analyses (Genet Sel Evol 27:229-249, 1995)");
    rprint("\n  delta = number of positive pairs of autocovariances (largest initial positive sequence)");
    rprint("\n  var0  = lag-0 autocovariance");
    rprint("\n  var   = Monte Carlo variance");
    rprint("\n  ECS   = effective chain size");
    rprint("\n%-12s   delta     var0        var         ECS", "Variable");
    for (const ChainEss& c : chains) {
        if (c.code == kEssZeroVariance) continue;
        rprint("\n%-12s", chain_name(st, c.column).c_str());
        if (c.code == kEssTooShort)
            rprint("     insufficient length------------------");
        else
            rprint("%8d%12.5f%12.5f%8d", static_cast<int>(c.result.delta), c.result.var0, c.result.var, c.code);
    }
}

int smallest_ecs(const std::vector<ChainEss>& chains)
{
    int smallest = kNoVaryingChain;
    for (const ChainEss& c : chains) {
        if (c.code == kEssTooShort)
            smallest = kEssTooShort;
        else if (c.code >= 0 && smallest != kEssTooShort && c.code < smallest)
            smallest = c.code;
    }
    return smallest;
}

}  // namespace rvn
