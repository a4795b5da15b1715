// QTL intensity along the map in 1-cM bins: counts, smoothing, HPI
// thresholds and the per-group intensity files.
#include "post/intensity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "post/bins.h"
#include "post/console.h"
#include "post/qtl_number.h"
#include "textfile/file.h"

namespace rvn {

namespace {

// Samples bins need before their effects are summarised.
constexpr int kMinBinSamples = 20;
// Groups need more QTL samples than this for their own thresholds.
constexpr int kMinGroupSamples = 20;
constexpr double kPositionTolerance = kEdgeTolerance / 100.0;

double sample_position(const PostState& st, int k) { return st.qtl_samples.rows[k][st.s.S - 1]; }

// Values of the slot variables (all but the position) of the samples in one
// bin, variable-major.
struct BinSummary {
    std::vector<double> mean;
    std::vector<double> q05, q50, q95;
};

BinSummary summarise_bin(const PostState& st, int first, int last)
{
    const int vars = st.s.S - 1;
    const int c = last - first;
    BinSummary out;
    out.mean.assign(vars, 0.0);
    out.q05 = out.q50 = out.q95 = out.mean;
    if (c < kMinBinSamples) return out;
    std::vector<double> values(c);
    for (int v = 0; v < vars; ++v) {
        double sum = 0.0;
        for (int k = 0; k < c; ++k) sum += values[k] = st.qtl_samples.rows[first + k][v];
        out.mean[v] = sum / c;
        std::sort(values.begin(), values.end());
        out.q05[v] = values[static_cast<int>(0.05 * c)];
        out.q50[v] = values[static_cast<int>(0.5 * c)];
        out.q95[v] = values[static_cast<int>(0.95 * c)];
    }
    return out;
}

void write_bin_row(std::FILE* f, const PostState& st, int gi, int b, const BinSummary& sum)
{
    const ChromGroup& g = st.groups[gi];
    const double d = g.density[b];
    const double prior = prior_intensity(st, gi, b);
    std::fprintf(f, "\n%-8d", b);
    std::fprintf(f, " %12.4lf", d);
    std::fprintf(f, " %8.4lf ", prior);
    std::fprintf(f, " %8.4lf ", bin_bayes_factor(d, prior));
    const bool summarised = g.bins[b] >= kMinBinSamples;
    for (double m : sum.mean) {
        if (summarised)
            std::fprintf(f, "%10.4lf", m);
        else
            std::fprintf(f, "%5.0lf     ", 0.0);
    }
    for (std::size_t v = 0; v < sum.mean.size(); ++v) {
        if (summarised)
            std::fprintf(f, "%9.3lf %9.3lf %9.3lf ", sum.q05[v], sum.q50[v], sum.q95[v]);
        else
            std::fprintf(f, "%5.0lf     %5.0lf     %5.0lf     ", 0.0, 0.0, 0.0);
    }
    const HpiThresholds& h = st.hpi[gi];
    std::fprintf(f, "  %8.4lf", d >= h.genome90 ? h.genome90 : 0.0);
    std::fprintf(f, "  %8.4lf", d >= h.group90 ? h.group90 : 0.0);
    for (int m = g.first_marker; m >= 0 && m <= g.last_marker; ++m)
        if (bin_of(st.markers[m].pos, g) == b) std::fprintf(f, "%20s", st.markers[m].name.c_str());
}

}  // namespace

SampleRange group_samples(const PostState& st, const ChromGroup& g)
{
    SampleRange range;
    const int n = st.qtl_samples.count();
    if (n == 0 || st.s.S < 1) return range;
    int k = 0;
    while (k < n && sample_position(st, k) < g.lower - kPositionTolerance) ++k;
    range.first = k;
    while (k < n && sample_position(st, k) <= g.upper + kPositionTolerance) ++k;
    range.last = k;
    return range;
}

std::vector<double> smooth_bins(const std::vector<int>& bins, int N)
{
    const int n = static_cast<int>(bins.size());
    std::vector<double> density(n, 0.0);
    for (int b = 0; b < n; ++b) {
        double sum = 16.0 * bins[b], weight = 16.0;
        if (b > 0) sum += 8.0 * bins[b - 1], weight += 8.0;
        if (b + 1 < n) sum += 8.0 * bins[b + 1], weight += 8.0;
        density[b] = N > 0 ? sum / weight / N : 0.0;
    }
    return density;
}

void count_qtl_per_bin(PostState& st)
{
    for (ChromGroup& g : st.groups) {
        g.bins.assign(g.n_bins, 0);
        g.count = 0;
        if (!g.included) {
            g.density.assign(g.n_bins, 0.0);
            continue;
        }
        const SampleRange range = group_samples(st, g);
        for (int k = range.first; k < range.last; ++k) {
            const int b = std::clamp(bin_of(sample_position(st, k), g), 0, g.n_bins - 1);
            ++g.bins[b];
            ++g.count;
        }
        g.density = smooth_bins(g.bins, st.n_post);
    }
}

double hpi_threshold(std::vector<double> densities, double p, double m)
{
    if (densities.empty()) return 0.0;
    std::sort(densities.begin(), densities.end());
    double sum = 0.0, threshold = densities.back();
    for (auto it = densities.rbegin(); it != densities.rend(); ++it) {
        // Empty bins never join: when the smoothed mass falls short of p*m
        // (samples past the last marker, mass smoothed off the map's ends)
        // the threshold stays at the smallest density that is not 0.
        if (*it <= 0.0 || sum + *it > p * m) break;
        sum += *it;
        threshold = *it;
    }
    return threshold;
}

void hpi_thresholds(PostState& st)
{
    st.hpi.assign(st.groups.size(), HpiThresholds{});
    std::vector<double> pooled;
    for (const ChromGroup& g : st.groups)
        if (g.included) pooled.insert(pooled.end(), g.density.begin(), g.density.end());
    const double total = st.n_post > 0 ? static_cast<double>(st.qtl_samples.count()) / st.n_post : 0.0;
    const double genome90 = hpi_threshold(pooled, 0.9, total);
    for (std::size_t gi = 0; gi < st.groups.size(); ++gi) {
        const ChromGroup& g = st.groups[gi];
        if (!g.included) continue;
        HpiThresholds& h = st.hpi[gi];
        h.genome90 = genome90;
        if (g.count > kMinGroupSamples) {
            const double expected = st.n_post > 0 ? static_cast<double>(g.count) / st.n_post : 0.0;
            h.group90 = hpi_threshold(g.density, 0.9, expected);
            h.group95 = hpi_threshold(g.density, 0.95, expected);
        }
    }
    rprint("\n");
    rprint("\nThresholds HPI regions");
    rprint("\n%-15s%15s%15s%15s", "Group", "GenomeHPI90", "GroupHPI90", "GroupHPI95");
    for (std::size_t gi = 0; gi < st.groups.size(); ++gi) {
        rprint("\n[%2d] %-10s", static_cast<int>(gi) + 1, st.groups[gi].name.c_str());
        if (st.groups[gi].included)
            rprint("%15.5lf%15.5lf%15.5lf", st.hpi[gi].genome90, st.hpi[gi].group90, st.hpi[gi].group95);
    }
}

double prior_intensity(const PostState& st, int group_index, int b)
{
    // The prior expected number of QTL in the bin: the expected number of
    // QTL under the sampled prior (priorQTL before truncation; maximQTL / 2
    // with the uniform prior of priorQTL 0) times the normalised prior
    // weight per cM integrated over the bin, which is the interval's weight
    // times the bin's width inside the map.
    const ChromGroup& g = st.groups[group_index];
    const double lo = bin_start(b, group_index, g);
    const double hi = lo + 0.01;
    double mass = 0.0;
    for (int m = g.first_marker; m >= 0 && m < g.last_marker; ++m) {
        const double a = std::max(lo, st.markers[m].pos);
        const double z = std::min(hi, st.markers[m + 1].pos);
        if (z > a) mass += (z - a) * 100.0 * st.markers[m].weight;
    }
    return prior_mean_count(st.par.priorQTL, st.par.maximQTL) * mass;
}

double bin_bayes_factor(double density, double prior)
{
    // A bin the prior gives no QTL (past the last marker) holds no sample;
    // its density is the smoothing spill of its neighbour, and a Bayes
    // factor against a zero prior would be infinite, not evidence.
    if (!(prior > 0.0)) return 0.0;
    const double p0 = std::exp(-prior);
    const double ratio = density / std::max(1.0 - density, 1e-10) * (p0 / std::max(1.0 - p0, 1e-10));
    if (!(ratio > 0.0)) return 0.0;
    return std::max(0.0, 2.0 * std::log(ratio));
}

void write_intensity_files(const PostState& st)
{
    rrule(3, kRuleWidth, 1);
    rprint("MPIntensity QTL POSITION");
    for (std::size_t gi = 0; gi < st.groups.size(); ++gi) {
        const ChromGroup& g = st.groups[gi];
        if (!g.included) continue;
        vsk::File f = vsk::open_file(st.path("C" + g.name + "mpd.asc"), "w");
        if (!f) continue;
        const SampleRange range = group_samples(st, g);
        int k = range.first;
        for (int b = 0; b < g.n_bins; ++b) {
            const int first = k;
            while (k < range.last && std::clamp(bin_of(sample_position(st, k), g), 0, g.n_bins - 1) == b) ++k;
            write_bin_row(f.get(), st, static_cast<int>(gi), b, summarise_bin(st, first, k));
        }
    }
}

}  // namespace rvn
