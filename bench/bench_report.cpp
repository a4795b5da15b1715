// Cost of the HTML report alone: a post-processing state as a long run
// leaves it (10,000 samples, 20 linkage groups of 100 cM, 5 marked regions,
// 500 individuals with breeding values), built in memory so only the page
// is timed.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

#include "post/bins.h"
#include "post/qtl_number.h"
#include "post/report/report.h"

namespace {

constexpr int kSamples = 10000;
constexpr int kGroups = 20;
constexpr int kMarkersPerGroup = 11;
constexpr int kIndividuals = 500;
constexpr int kRegions = 5;
constexpr int kSlots = 20;

using Clock = std::chrono::steady_clock;

void add_map(rvn::PostState& st)
{
    for (int g = 0; g < kGroups; ++g) {
        rvn::ChromGroup grp;
        grp.name = std::to_string(g + 1);
        grp.included = 1;
        grp.first_marker = g * kMarkersPerGroup;
        grp.last_marker = grp.first_marker + kMarkersPerGroup - 1;
        for (int m = 0; m < kMarkersPerGroup; ++m)
            st.markers.push_back({"m" + std::to_string(g + 1) + "_" + std::to_string(m), g, 100.0 * (g + 1) + 0.1 * m,
                                  1.0 / (kGroups * 100.0)});
        grp.lower = st.markers[grp.first_marker].pos;
        grp.upper = st.markers[grp.last_marker].pos;
        grp.n_bins = rvn::group_bin_count(grp);
        grp.density.resize(grp.n_bins);
        for (int b = 0; b < grp.n_bins; ++b) grp.density[b] = 0.05 * std::exp(-0.01 * (b - 40) * (b - 40));
        grp.count = 400;
        st.groups.push_back(grp);
        st.hpi.push_back({0.01, 0.012, 0.008});
    }
}

void add_samples(rvn::PostState& st, std::mt19937& gen)
{
    std::normal_distribution<double> z;
    const int V = 12;
    st.s.genpar.assign(kSamples, V);
    double x[V] = {};
    for (int r = 0; r < kSamples; ++r) {
        st.s.iteration.push_back(20 * (r + 1));
        for (int c = 0; c < V; ++c) st.s.genpar[r][c] = x[c] = 0.9 * x[c] + z(gen);
    }
    st.s.thin_step = 20;
    st.burnin = 1000;
    st.n_post = kSamples - st.burnin;
    st.chain_names = rvn::chain_names(1);
    // QTL samples: S = frequency, additive, dominance, position.
    st.s.S = 4;
    st.s.F = 1;
    st.qtl_samples.rows.assign(kRegions * 1500, st.s.S + 2);
    for (int k = 0; k < st.qtl_samples.count(); ++k) {
        double* row = st.qtl_samples.rows[k];
        row[0] = 0.5;
        row[1] = 0.5 + 0.1 * z(gen);
        row[2] = 0.1 * z(gen);
        row[3] = 100.0 * (1 + k / 1500) + 0.35 + 0.00001 * (k % 1500);
    }
    for (int i = 0; i < kRegions; ++i) {
        rvn::Region r;
        r.group = i;
        r.start = 100.0 * (i + 1) + 0.35;
        r.end = r.start + 0.015;
        r.k0 = 1500 * i;
        r.k1 = r.k0 + 1499;
        r.b0 = 35;
        r.b1 = 37;
        r.mode = 36;
        r.prob = 1500.0 / st.n_post;
        st.regions.push_back(r);
    }
    const std::vector<double> prior = rvn::truncated_poisson(st.par.priorQTL, kSlots, "genome");
    st.nqtl.prior.assign(kGroups + 1, prior);
    st.nqtl.posterior = st.nqtl.prior;
    st.nqtl.bayes.assign(kGroups + 1, std::vector<double>(kSlots, 1.0));
}

}  // namespace

int main()
{
    rvn::PostState st;
    st.project_dir = ".";
    st.par.indicQTL = 1;
    st.par.maximQTL = kSlots;
    st.par.priorQTL = 2.0;
    st.par.n_traits = 1;
    st.par.addGENE = 1;
    st.par.domGENE = 1;
    std::mt19937 gen(5);
    add_map(st);
    add_samples(st, gen);

    rvn::ReportInputs in;
    in.ess = rvn::chains_ess(st);
    in.values.resize(1);
    for (int i = 0; i < kIndividuals; ++i) {
        rvn::BvRow row;
        row.name = "ind" + std::to_string(i + 1);
        row.regions.assign(2 * kRegions, 0.01 * (i % 7));
        row.sum = 0.1 * (i % 13);
        in.values[0].push_back(row);
    }
    std::vector<double> times;
    std::size_t bytes = 0;
    for (int repeat = 0; repeat < 5; ++repeat) {
        const Clock::time_point start = Clock::now();
        bytes = rvn::report_html(st, in).size();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("report page for %d samples, %d linkage groups, %d individuals: %.0f ms (median of 5), %.0f kB\n",
                kSamples, kGroups, kIndividuals, 1000.0 * times[2], bytes / 1024.0);
    return 0;
}
