// Rank-normalised split-R-hat and bulk and tail effective sample sizes of a
// quantity sampled by several chains.
#include "post/chain_diagnostics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <cstdio>

namespace rvn {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Lower-tail quantile of the standard normal: Acklam's rational
// approximation, then one Halley step on erfc (relative error near 1e-15).
double normal_quantile(double p)
{
    static const double a[] = {-3.969683028665376e+01, 2.209460984245205e+02, -2.759285104469687e+02,
                               1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
    static const double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                               6.680131188771972e+01,  -1.328068155288572e+01};
    static const double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                               -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
    static const double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                               3.754408661907416e+00};
    const double low = 0.02425;
    double x = 0.0;
    if (p < low) {
        const double q = std::sqrt(-2.0 * std::log(p));
        x = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
    } else if (p <= 1.0 - low) {
        const double q = p - 0.5;
        const double r = q * q;
        x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
            (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
    } else {
        const double q = std::sqrt(-2.0 * std::log(1.0 - p));
        x = -(((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
    }
    const double e = 0.5 * std::erfc(-x / std::sqrt(2.0)) - p;
    const double u = e * std::sqrt(2.0 * std::numbers::pi) * std::exp(x * x / 2.0);
    return x - u / (1.0 + x * u / 2.0);
}

std::vector<double> pooled(const ChainDraws& chains)
{
    std::vector<double> all;
    for (const auto& c : chains) all.insert(all.end(), c.begin(), c.end());
    return all;
}

double mean_of(const std::vector<double>& x)
{
    return x.empty() ? 0.0 : std::accumulate(x.begin(), x.end(), 0.0) / static_cast<double>(x.size());
}

// Sample variance (divisor n - 1).
double variance_of(const std::vector<double>& x)
{
    if (x.size() < 2) return 0.0;
    const double m = mean_of(x);
    double s = 0.0;
    for (double v : x) s += (v - m) * (v - m);
    return s / static_cast<double>(x.size() - 1);
}

bool all_equal(const ChainDraws& chains)
{
    const double* first = nullptr;
    for (const auto& c : chains)
        for (const double& v : c) {
            if (first == nullptr) first = &v;
            if (v != *first) return false;
        }
    return true;
}

// Autocovariances of every chain, computed lag by lag as the sequence needs
// them: the initial positive sequence usually stops after few lags.
class LazyAutocovariance {
public:
    explicit LazyAutocovariance(const ChainDraws& chains)
    {
        for (const auto& c : chains) {
            const double m = mean_of(c);
            std::vector<double> centred(c.size());
            for (std::size_t i = 0; i < c.size(); ++i) centred[i] = c[i] - m;
            centred_.push_back(std::move(centred));
            means_.push_back(m);
        }
    }
    // Mean over the chains of the lag-t autocovariance.
    double mean_at(std::size_t t) const
    {
        double s = 0.0;
        for (const auto& y : centred_) {
            const std::size_t n = y.size();
            double a = 0.0;
            for (std::size_t i = 0; i + t < n; ++i) a += y[i] * y[i + t];
            s += a / static_cast<double>(n);
        }
        return s / static_cast<double>(centred_.size());
    }
    const std::vector<double>& means() const { return means_; }

private:
    ChainDraws centred_;
    std::vector<double> means_;
};

}  // namespace

ChainDraws split_chains(const ChainDraws& chains)
{
    ChainDraws out;
    for (const auto& c : chains) {
        const std::size_t half = c.size() / 2;
        out.emplace_back(c.begin(), c.begin() + static_cast<std::ptrdiff_t>(half));
        out.emplace_back(c.end() - static_cast<std::ptrdiff_t>(half), c.end());
    }
    return out;
}

ChainDraws rank_normalise(const ChainDraws& chains)
{
    const std::vector<double> all = pooled(chains);
    const std::size_t S = all.size();
    std::vector<std::size_t> order(S);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return all[a] < all[b]; });
    std::vector<double> z(S);
    for (std::size_t i = 0; i < S;) {
        std::size_t j = i;
        while (j + 1 < S && all[order[j + 1]] == all[order[i]]) ++j;
        const double rank = 0.5 * static_cast<double>(i + j) + 1.0;  // average 1-based rank of the tie
        const double score = normal_quantile((rank - 0.375) / (static_cast<double>(S) + 0.25));
        for (std::size_t k = i; k <= j; ++k) z[order[k]] = score;
        i = j + 1;
    }
    ChainDraws out;
    std::size_t k = 0;
    for (const auto& c : chains) {
        out.emplace_back(z.begin() + static_cast<std::ptrdiff_t>(k),
                         z.begin() + static_cast<std::ptrdiff_t>(k + c.size()));
        k += c.size();
    }
    return out;
}

double pooled_quantile(const ChainDraws& chains, double prob)
{
    std::vector<double> all = pooled(chains);
    if (all.empty()) return kNaN;
    std::sort(all.begin(), all.end());
    const double h = (static_cast<double>(all.size()) - 1.0) * prob;
    const std::size_t lo = static_cast<std::size_t>(std::floor(h));
    const std::size_t hi = std::min(lo + 1, all.size() - 1);
    return all[lo] + (h - static_cast<double>(lo)) * (all[hi] - all[lo]);
}

ChainDraws fold_draws(const ChainDraws& chains)
{
    const double median = pooled_quantile(chains, 0.5);
    ChainDraws out = chains;
    for (auto& c : out)
        for (double& v : c) v = std::fabs(v - median);
    return out;
}

ChainDraws indicator_draws(const ChainDraws& chains, double threshold)
{
    ChainDraws out = chains;
    for (auto& c : out)
        for (double& v : c) v = v <= threshold ? 1.0 : 0.0;
    return out;
}

double rhat_basic(const ChainDraws& chains)
{
    if (chains.size() < 2 || chains[0].size() < 2) return kNaN;
    const double n = static_cast<double>(chains[0].size());
    std::vector<double> means, vars;
    for (const auto& c : chains) {
        means.push_back(mean_of(c));
        vars.push_back(variance_of(c));
    }
    const double B = n * variance_of(means);
    const double W = mean_of(vars);
    if (!(W > 0.0)) return kNaN;
    return std::sqrt(((n - 1.0) / n * W + B / n) / W);
}

double ess_basic(const ChainDraws& chains)
{
    const std::size_t m = chains.size();
    if (m == 0 || chains[0].size() < 3 || all_equal(chains)) return kNaN;
    const std::size_t n = chains[0].size();
    const double nd = static_cast<double>(n);
    const LazyAutocovariance acov(chains);
    const double mean_var = acov.mean_at(0) * nd / (nd - 1.0);  // mean within-chain variance
    double var_plus = mean_var * (nd - 1.0) / nd;
    if (m > 1) var_plus += variance_of(acov.means());
    if (!(var_plus > 0.0)) return kNaN;
    auto rho = [&](std::size_t t) { return 1.0 - (mean_var - acov.mean_at(t)) / var_plus; };

    // Initial positive sequence of the sums of adjacent pairs of lags.
    std::vector<double> r(n, 0.0);
    r[0] = 1.0;
    r[1] = rho(1);
    double even = r[0];
    double odd = r[1];
    std::size_t t = 0;
    while (t + 5 < n && even + odd > 0.0) {
        t += 2;
        even = rho(t);
        odd = rho(t + 1);
        if (even + odd >= 0.0) {
            r[t] = even;
            r[t + 1] = odd;
        }
    }
    const std::size_t max_t = t;
    if (even > 0.0) r[max_t] = even;  // the next even lag improves the truncated sum
    // Initial monotone sequence.
    for (std::size_t s = 2; s + 2 <= max_t; s += 2) {
        if (r[s] + r[s + 1] > r[s - 2] + r[s - 1]) {
            r[s] = (r[s - 2] + r[s - 1]) / 2.0;
            r[s + 1] = r[s];
        }
    }
    const double draws = static_cast<double>(m) * nd;
    double tau = -1.0 + r[max_t];
    for (std::size_t s = 0; s < max_t; ++s) tau += 2.0 * r[s];
    tau = std::max(tau, 1.0 / std::log10(draws));
    return draws / tau;
}

Convergence chain_convergence(const ChainDraws& chains)
{
    Convergence c;
    if (chains.empty() || chains[0].size() < 4 || all_equal(chains)) {
        c.constant = true;
        return c;
    }
    const ChainDraws split = split_chains(chains);
    const double bulk = rhat_basic(rank_normalise(split));
    const double tail = rhat_basic(rank_normalise(split_chains(fold_draws(chains))));
    c.rhat = std::isnan(bulk) ? tail : std::isnan(tail) ? bulk : std::max(bulk, tail);
    c.ess_bulk = ess_basic(rank_normalise(split));
    const double q05 = ess_basic(split_chains(indicator_draws(chains, pooled_quantile(chains, 0.05))));
    const double q95 = ess_basic(split_chains(indicator_draws(chains, pooled_quantile(chains, 0.95))));
    c.ess_tail = std::isnan(q05) ? q95 : std::isnan(q95) ? q05 : std::min(q05, q95);
    return c;
}

std::string holding_back(const std::vector<QuantityConvergence>& rows, std::string& why)
{
    const QuantityConvergence* worst_rhat = nullptr;
    const QuantityConvergence* worst_ess = nullptr;
    double smallest = std::numeric_limits<double>::infinity();
    for (const auto& q : rows) {
        if (q.c.constant) continue;
        // A NaN R-hat (no variation within the chains) cannot show convergence.
        const bool bad_rhat = std::isnan(q.c.rhat) || q.c.rhat >= kRhatLimit;
        if (bad_rhat && (worst_rhat == nullptr || std::isnan(q.c.rhat) || q.c.rhat > worst_rhat->c.rhat))
            worst_rhat = &q;
        for (double e : {q.c.ess_bulk, q.c.ess_tail}) {
            const double v = std::isnan(e) ? 0.0 : e;
            if (v < kEssLimit && v < smallest) {
                smallest = v;
                worst_ess = &q;
            }
        }
    }
    char text[96];
    if (worst_rhat != nullptr) {
        std::snprintf(text, sizeof text, "R-hat %.3f (limit %.2f)", worst_rhat->c.rhat, kRhatLimit);
        why = text;
        return worst_rhat->name;
    }
    if (worst_ess != nullptr) {
        std::snprintf(text, sizeof text, "ESS %.0f (at least %.0f needed)", smallest, kEssLimit);
        why = text;
        return worst_ess->name;
    }
    why.clear();
    return "";
}

}  // namespace rvn
