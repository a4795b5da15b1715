// Report sections on the individuals (breeding values) and the list of the
// run's output files.
#include <algorithm>
#include <filesystem>
#include <numeric>

#include "post/report/sections.h"
#include "post/report/svg.h"

namespace rvn::report {

namespace {

double region_total(const BvRow& row) { return std::accumulate(row.regions.begin(), row.regions.end(), 0.0); }

std::string value_plot(const std::vector<BvRow>& rows, int t)
{
    double lo = 0.0, hi = 0.0, ylo = 0.0, yhi = 0.0;
    for (const BvRow& r : rows) {
        lo = std::min(lo, region_total(r));
        hi = std::max(hi, region_total(r));
        ylo = std::min(ylo, r.sum);
        yhi = std::max(yhi, r.sum);
    }
    Plot plot(420, 300, lo, hi, ylo, yhi, 0.05);
    plot.axes("value of the QTL regions", "total value", 5, 5);
    // Total = regions: points above this line owe the rest to the polygenic parts.
    const double d0 = std::max(lo, ylo), d1 = std::min(hi, yhi);
    if (d1 > d0) plot.line({d0, d1}, {d0, d1}, "priorline");
    for (const BvRow& r : rows)
        plot.point(region_total(r), r.sum, "ind", r.name + format(": regions %.3f, total %.3f", region_total(r), r.sum));
    return plot.svg(format("total against QTL-region value, trait %d", t + 1));
}

std::string value_table(const PostState& st, std::vector<BvRow> rows)
{
    const BvComponents c = bv_components(st);
    std::stable_sort(rows.begin(), rows.end(), [](const BvRow& a, const BvRow& b) { return a.sum > b.sum; });
    std::string out = "<table class=\"data\"><thead><tr><th>rank</th><th>individual</th>";
    if (c.qtl)
        for (std::size_t r = 0; r < st.regions.size(); ++r) {
            if (c.two_region_columns)
                out += format("<th>region %d a</th><th>region %d d</th>", static_cast<int>(r) + 1,
                              static_cast<int>(r) + 1);
            else
                out += format("<th>region %d</th>", static_cast<int>(r) + 1);
        }
    if (c.fpm) out += "<th>FPM</th>";
    if (c.tim) out += "<th>TIM</th>";
    out += "<th>total</th><th>SD</th><th>MC error</th></tr></thead><tbody>";
    int rank = 0;
    for (const BvRow& r : rows) {
        out += format("<tr><td class=\"num\">%d</td><td>", ++rank) + escape(r.name) + "</td>";
        for (double v : r.regions) out += format("<td class=\"num\">%.3f</td>", v);
        if (c.fpm) out += format("<td class=\"num\">%.3f</td>", r.fpm);
        if (c.tim) out += format("<td class=\"num\">%.3f</td>", r.tim);
        out += format("<td class=\"num\">%.3f</td><td class=\"num\">%.3f</td><td class=\"num\">%.3f</td></tr>", r.sum,
                      r.s_sum.std, r.s_sum.mce);
    }
    return out + "</tbody></table>";
}

// A file name as a relative URL: characters with a meaning in URLs escaped.
std::string href(const std::string& file)
{
    std::string out;
    for (unsigned char c : file) {
        if (c <= ' ' || c == '%' || c == '#' || c == '?' || c == '"' || c >= 0x7f)
            out += format("%%%02X", static_cast<unsigned>(c));
        else
            out += static_cast<char>(c);
    }
    return out;
}

struct OutputFile {
    const char* name;
    const char* what;
};

}  // namespace

std::string values_section(const PostState& st, const ReportInputs& in)
{
    bool any = false;
    for (const auto& rows : in.values) any = any || !rows.empty();
    if (!any) return "";
    std::string out = "<section id=\"values\"><h2>Breeding values</h2><p>Posterior mean genetic value of each written "
                      "individual per marked region, finite polygenic (FPM) and infinitesimal (TIM) part, and their "
                      "total with its posterior SD and Monte Carlo error, highest total first. Files: " +
                      file_link(st, "MQTRegionsEBV.csv");
    for (std::size_t t = 0; t < in.values.size(); ++t)
        out += ", " + file_link(st, format("individualsT%d.brv", static_cast<int>(t) + 1));
    out += ".</p>";
    for (std::size_t t = 0; t < in.values.size(); ++t) {
        if (in.values[t].empty()) continue;
        out += format("<h3>Trait %d</h3><div class=\"pair\">", static_cast<int>(t) + 1);
        if (bv_components(st).qtl && !st.regions.empty()) out += value_plot(in.values[t], static_cast<int>(t));
        out += "<div class=\"scroll\">" + value_table(st, in.values[t]) + "</div></div>";
    }
    return out + "</section>";
}

std::string files_section(const PostState& st)
{
    static const OutputFile kFiles[] = {
        {"ruvane.xml", "summary of this post-processing run"},
        {"NQTL_PostProb.csv", "posterior probabilities of the number of QTL"},
        {"NQTL_BayesFac.csv", "Bayes factors of the number of QTL"},
        {"MQTRegions.new", "marked regions derived from the intensity"},
        {"MQTRegions.inp", "marked regions edited by the user"},
        {"MQTRRegions.info", "statistics of the marked regions"},
        {"MQTRegionsGTP.csv", "region genotype probabilities per individual"},
        {"MQTRegions.gtp", "region genotype probabilities per individual"},
        {"MQTRegionsEBV.csv", "breeding values of every trait"},
        {"Qhaplotypes.csv", "flanking alleles of the QTL haplotypes"},
        {"Gbv_Sum_gp.csv", "genomic values of the written individuals from all sampled QTL"},
        {"Gbv_Genome_gp.csv", "the same per linkage group"},
        {"Gbv_Sum_bf.csv", "genomic values from the QTL in bins with 2 ln(BF) above 2"},
        {"Gbv_Genome_bf.csv", "the same per linkage group"},
        {"gbv_genome_ALL.png", "genomic values (2 ln(BF) above 2) of all written individuals, trait 1"},
        {"gbv_genome_FOU.png", "the same for the founders"},
        {"gbv_genome_FSP.png", "the same for the parents of full-sib families"},
        {"prediction.csv", "observed and predicted phenotypes"},
        {"phenotypes_pred_POP.png", "observed against predicted phenotypes"},
        {"phenotypes_pred_FSF.png", "the same per full-sib family"},
        {"genpar.out", "samples of the genetic parameters"},
    };
    std::string out = "<section id=\"files\"><h2>Files of this run</h2><ul>";
    for (const OutputFile& f : kFiles)
        if (std::filesystem::exists(st.path(f.name))) out += "<li>" + file_link(st, f.name) + ": " + f.what + "</li>";
    for (int t = 1; t <= st.par.n_traits; ++t)
        for (const std::string& name : {format("individualsT%d.brv", t), format("cohortsT%d.var", t)}) {
            if (std::filesystem::exists(st.path(name)))
                out += "<li>" + file_link(st, name) + format(": trait %d", t) + "</li>";
        }
    return out + "</ul></section>";
}

std::string file_link(const PostState& st, const std::string& file)
{
    if (file.empty()) return "";
    if (!std::filesystem::is_regular_file(st.path(file))) return "<span class=\"file\">" + escape(file) + "</span>";
    return "<a href=\"" + escape(href(file)) + "\">" + escape(file) + "</a>";
}

}  // namespace rvn::report
