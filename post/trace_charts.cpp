// Trace charts of the genetic parameters and of the QTL positions.
#include "post/trace_charts.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "post/bins.h"
#include "post/charts.h"
#include "post/console.h"
#include "post/ess.h"
#include "textfile/file.h"

namespace rvn {

namespace {

constexpr int kDensityBins = 50;

// Chains that vary over the post-burn-in rows.
std::vector<int> varying_chains(const PostState& st)
{
    std::vector<int> out;
    for (int c = 0; c < st.s.V(); ++c) {
        bool varies = false;
        for (int r = st.burnin + 1; r < st.s.n() && !varies; ++r) varies = st.s.genpar[r][c] != st.s.genpar[st.burnin][c];
        if (varies) out.push_back(c);
    }
    return out;
}

void scale_lines(std::FILE* f, double lo, double hi)
{
    for (int k = 0; k <= 10; ++k) std::fprintf(f, k == 0 ? "\n+ %8.3lf" : "\n- %8.3lf", lo + k * (hi - lo) / 10.0);
}

int graph_step(const PostState& st) { return st.s.n() > 0 ? std::max(1, st.s.iteration.back() / 5) : 1; }

void write_chain_files(const PostState& st, int c, double lo, double hi)
{
    vsk::File trace = vsk::open_file(st.path("VC" + std::to_string(c + 1) + ".asc"), "w");
    vsk::File mpd = vsk::open_file(st.path("VCmpd" + std::to_string(c + 1) + ".asc"), "w");
    if (!trace || !mpd) return;
    std::fprintf(trace.get(), "\nMAP\t     V%d-ITER  \tSYMB", c + 1);
    for (int r = 0; r < st.s.n(); ++r)
        std::fprintf(trace.get(), "\n%12.4lf%10.0lf x", st.s.genpar[r][c], static_cast<double>(st.s.iteration[r]));
    // Marginal posterior density: a histogram of the post-burn-in values.
    std::vector<int> counts(kDensityBins, 0);
    const double width = (hi - lo) / kDensityBins;
    for (int r = st.burnin; r < st.s.n(); ++r)
        ++counts[std::clamp(static_cast<int>((st.s.genpar[r][c] - lo) / width), 0, kDensityBins - 1)];
    std::fprintf(mpd.get(), "\nMAP\t     V%d-MPD   \tSYMB", c + 1);
    for (int b = 0; b < kDensityBins; ++b)
        std::fprintf(mpd.get(), "\n%12.4lf%10.4lf x", lo + (b + 0.5) * width,
                     st.n_post > 0 ? counts[b] / (st.n_post * width) : 0.0);
}

}  // namespace

void write_parameter_charts(const PostState& st)
{
    const std::vector<int> chains = varying_chains(st);
    if (chains.empty()) return;
    double lo = INFINITY, hi = -INFINITY;
    for (int c : chains)
        for (int r = 0; r < st.s.n(); ++r) lo = std::min(lo, st.s.genpar[r][c]), hi = std::max(hi, st.s.genpar[r][c]);
    lo = std::floor(lo);
    hi = std::ceil(hi);
    if (hi <= lo) hi = lo + 1.0;
    vsk::File f = vsk::open_file(st.path("VC.lnd"), "w");
    if (!f) return;
    std::fprintf(f.get(), "\n; Trace of General Parameters (along Markov chain) ");
    std::fprintf(f.get(), "\n\ngroup VCtrace");
    scale_lines(f.get(), lo, hi);
    std::fprintf(f.get(), "\ngraphs S=%d", graph_step(st));
    for (std::size_t k = 0; k < chains.size(); ++k)
        std::fprintf(f.get(), "\n V%d  VC%d.asc  t=%s C%d S0 L1 W", chains[k] + 1, chains[k] + 1,
                     chain_name(st, chains[k]).c_str(), static_cast<int>(k % 15) + 1);
    std::fprintf(f.get(), "\n\n;\tMarginal Posterior Densities of General Parameters");
    std::fprintf(f.get(), "\n\ngroup VCmpd");
    scale_lines(f.get(), lo, hi);
    std::fprintf(f.get(), "\ngraphs");
    for (std::size_t k = 0; k < chains.size(); ++k) {
        std::fprintf(f.get(), "\n M%d  VCmpd%d.asc  t=%s C%d S0 L1 W", chains[k] + 1, chains[k] + 1,
                     chain_name(st, chains[k]).c_str(), static_cast<int>(k % 15) + 1);
        write_chain_files(st, chains[k], lo, hi);
    }
    append_parameter_trailer(f.get());
}

void write_qtl_trace_charts(const PostState& st)
{
    const int Q = st.par.maximQTL;
    for (int q = 0; q < Q; ++q) {
        vsk::File f = vsk::open_file(st.path("traceQ" + std::to_string(q + 1) + ".asc"), "w");
        if (!f) continue;
        std::fprintf(f.get(), "\n%12s%12s%10s", "MAP", "ITER", "GROUP");
        for (int r = 0; r < st.s.n(); ++r) {
            const double pos = st.s.qtl_position(r, q);
            if (pos <= 1.0) continue;
            const int g = static_cast<int>(std::floor(pos / kGroupSpacing + 1e-9)) - 1;
            if (g < 0 || g >= static_cast<int>(st.groups.size())) continue;
            std::fprintf(f.get(), "\n%12.2lf%12.0lf%10s", 100.0 * within_chromosome(pos),
                         static_cast<double>(st.s.iteration[r]), st.groups[g].name.c_str());
        }
    }
    vsk::File genome = vsk::open_file(st.path("genomet.lnd"), "w");
    if (!genome) return;
    std::fprintf(genome.get(), "\n; Lindor file to visualize the trace of QTL samples");
    for (const ChromGroup& g : st.groups) {
        if (!g.included) continue;
        vsk::File f = vsk::open_file(st.path("C" + g.name + "t.lnd"), "w");
        if (!f) continue;
        std::fprintf(f.get(), "\n; Lindor file to visualize the trace of QTL samples");
        for (std::FILE* out : {f.get(), genome.get()}) {
            std::fprintf(out, "\ngroup %s", g.name.c_str());
            for (int m = g.first_marker; m >= 0 && m <= g.last_marker; ++m)
                std::fprintf(out, "\n%20s %6.1lf", st.markers[m].name.c_str(),
                             100.0 * within_chromosome(st.markers[m].pos));
            std::fprintf(out, "\ngraphs S=%d", graph_step(st));
            for (int q = 1; q <= Q; ++q) {
                const std::string file = "traceQ" + std::to_string(q) + ".asc";
                std::fprintf(out, q < 10 ? "\nQ0%d %s" : "\nQ%d %s", q, file.c_str());
                const std::string title = "Q" + std::to_string(q);
                std::fprintf(out, " t=%-12s C%d S%d L0", title.c_str(), (q - 1) % 15 + 1, (q - 1) % 8 + 1);
            }
        }
        append_trace_trailer(f.get());
    }
    append_genome_trailer(genome.get());
}

}  // namespace rvn
