// Report sections on the QTL: how many (prior, posterior, Bayes factors),
// where (intensity along each linkage group with thresholds and regions)
// and how large (the marked regions and their effects).
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "post/bins.h"
#include "post/intensity.h"
#include "post/qtl_number.h"
#include "post/regions.h"
#include "post/report/sections.h"
#include "post/report/svg.h"

namespace rvn::report {

namespace {

// The console shows a Bayes factor only where the two numbers it compares
// hold some posterior mass; the report follows it.
bool bayes_factor_shown(const std::vector<double>& post, int k) { return post[k] + post[k + 1] > 0.1; }

std::string two_ln_bf_cell(const NumberTables& t, int row, int k)
{
    if (!bayes_factor_shown(t.posterior[row], k)) return "<td class=\"num\">NA</td><td></td>";
    const double v = 2.0 * std::log(t.bayes[row][k]);
    return format("<td class=\"num\">%.1f</td><td>", v) + evidence(v) + "</td>";
}

std::string number_plot(const NumberTables& t)
{
    const int K = static_cast<int>(t.prior[0].size()) - 1;
    double top = 0.0;
    for (int k = 0; k <= K; ++k) top = std::max({top, t.prior[0][k], t.posterior[0][k]});
    Plot plot(std::max(260, 60 * (K + 1) + 70), 200, -0.5, K + 0.5, 0.0, top * 1.05);
    plot.axes("number of QTL", "probability", K + 1, 4);
    for (int k = 0; k <= K; ++k) {
        plot.bar(k - 0.4, k, t.prior[0][k], "prior", format("prior P(%d QTL) = %.3f", k, t.prior[0][k]));
        plot.bar(k, k + 0.4, t.posterior[0][k], "posterior",
                 format("posterior P(%d QTL) = %.3f", k, t.posterior[0][k]));
    }
    return plot.svg("prior and posterior of the number of QTL");
}

std::string number_table(const PostState& st, int row, const std::string& caption)
{
    const NumberTables& t = st.nqtl;
    const int K = static_cast<int>(t.prior[row].size()) - 1;
    std::string out = "<table class=\"data\"><caption>" + escape(caption) +
                      "</caption><thead><tr><th>QTL</th><th>prior</th><th>posterior</th><th>step</th>"
                      "<th>2 ln(BF)</th><th>evidence</th></tr></thead><tbody>";
    for (int k = 0; k <= K; ++k) {
        out += format("<tr><td class=\"num\">%d</td><td class=\"num\">%.3f</td><td class=\"num\">%.3f</td>", k,
                      t.prior[row][k], t.posterior[row][k]);
        if (k < K)
            out += format("<td>%d &#8594; %d</td>", k, k + 1) + two_ln_bf_cell(t, row, k);
        else
            out += "<td></td><td></td><td></td>";
        out += "</tr>";
    }
    return out + "</tbody></table>";
}

std::string intensity_plot(const PostState& st, int gi)
{
    const ChromGroup& g = st.groups[gi];
    const HpiThresholds h = gi < static_cast<int>(st.hpi.size()) ? st.hpi[gi] : HpiThresholds{};
    const int first = first_bin_cm(g);
    std::vector<double> xs, density, prior;
    double top = std::max({h.genome90, h.group90, h.group95});
    for (int b = 0; b < g.n_bins && b < static_cast<int>(g.density.size()); ++b) {
        xs.push_back(first + b + 0.5);
        density.push_back(g.density[b]);
        prior.push_back(prior_intensity(st, gi, b));
        top = std::max({top, density.back(), prior.back()});
    }
    Plot plot(860, 220, first, first + g.n_bins, 0.0, top > 0.0 ? top * 1.08 : 1.0);
    for (std::size_t r = 0; r < st.regions.size(); ++r) {
        const Region& reg = st.regions[r];
        if (reg.group != gi) continue;
        plot.band(first + reg.b0, first + reg.b1 + 1, "region",
                  format("region %d: %d-%d cM, probability %.3f", static_cast<int>(r) + 1, first + reg.b0,
                         first + reg.b1 + 1, reg.prob));
    }
    plot.axes("cM", "QTL intensity", 10, 4);
    plot.line(xs, prior, "priorline");
    plot.line(xs, density, "density");
    if (h.genome90 > 0.0) plot.hline(h.genome90, "hpi genome", format("genome HPI90 %.6f", h.genome90));
    if (h.group90 > 0.0) plot.hline(h.group90, "hpi group90", format("group HPI90 %.6f", h.group90));
    if (h.group95 > 0.0) plot.hline(h.group95, "hpi group95", format("group HPI95 %.6f", h.group95));
    std::vector<double> ticks;
    std::vector<std::string> names;
    for (const MarkerPQ& m : st.markers)
        if (m.group == gi) {
            ticks.push_back(100.0 * within_chromosome(m.pos));
            names.push_back(m.name + format(" %.2f cM", ticks.back()));
        }
    plot.tick_marks(ticks, names);
    return plot.svg("QTL intensity on linkage group " + g.name);
}

// The 5 %, 50 % and 95 % values of a region's samples in column c.
std::string quantiles(const PostState& st, const Region& r, int c)
{
    std::vector<double> v;
    for (int k = r.k0; k <= r.k1 && r.samples() > 0; ++k) v.push_back(st.qtl_samples.rows[k][c]);
    if (v.empty()) return "<td class=\"num\">&#8211;</td>";
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[static_cast<std::size_t>(q * (v.size() - 1) + 0.5)]; };
    return format("<td class=\"num\">%.3f [%.3f, %.3f]</td>", at(0.5), at(0.05), at(0.95));
}

}  // namespace

std::string evidence(double two_ln_bf)
{
    // A negative value is the same evidence for the smaller model.
    const double v = std::fabs(two_ln_bf);
    const char* against = two_ln_bf < 0.0 ? " for fewer" : "";
    if (v > 10.0) return std::string("decisive") + against;
    if (v > 5.0) return std::string("strong") + against;
    if (v > 2.0) return std::string("positive") + against;
    return "hardly any";
}

std::string qtl_number_section(const PostState& st)
{
    const NumberTables& t = st.nqtl;
    if (!st.par.qtl_on() || t.prior.empty() || t.prior[0].size() < 2) return "";
    std::string out = "<section id=\"nqtl\"><h2>Number of QTL</h2><p>Prior (light) and posterior (dark) probability of "
                      "the number of QTL on the genome; 2 ln(BF) compares k + 1 against k QTL (above 2 positive, above "
                      "5 strong, above 10 decisive evidence). Files: " +
                      file_link(st, "NQTL_PostProb.csv") + ", " + file_link(st, "NQTL_BayesFac.csv") + ".</p>";
    out += "<div class=\"pair\">" + number_plot(t) + number_table(st, 0, "genome") + "</div>";
    if (group_rows_used(st))
        for (std::size_t g = 0; g < st.groups.size(); ++g)
            if (st.groups[g].included && g + 1 < t.prior.size())
                out += number_table(st, static_cast<int>(g) + 1, "linkage group " + st.groups[g].name);
    return out + "</section>";
}

std::string intensity_section(const PostState& st)
{
    if (!st.par.qtl_on() || st.n_post <= 0) return "";
    std::string out = "<section id=\"intensity\"><h2>QTL intensity along the map</h2><p>Posterior QTL intensity per "
                      "cM against the prior intensity, with the highest-posterior-intensity (HPI) thresholds; a run "
                      "of bins above the genome HPI90 threshold is a marked region.</p><p class=\"legend\">"
                      "<span class=\"key k-density\"></span>posterior <span class=\"key k-prior\"></span>prior "
                      "<span class=\"key k-genome\"></span>genome HPI90 <span class=\"key k-group90\"></span>group "
                      "HPI90 <span class=\"key k-group95\"></span>group HPI95 <span class=\"key k-region\"></span>"
                      "marked region <span class=\"key k-marker\"></span>marker</p>";
    int panels = 0;
    for (std::size_t g = 0; g < st.groups.size(); ++g) {
        const ChromGroup& grp = st.groups[g];
        if (!grp.included || grp.n_bins <= 0) continue;
        ++panels;
        out += "<figure class=\"wide\">" + intensity_plot(st, static_cast<int>(g)) + "<figcaption>linkage group " +
               escape(grp.name) + format(": %d QTL samples", grp.count) + " &#8212; " +
               file_link(st, "C" + grp.name + "mpd.asc") + "</figcaption></figure>";
    }
    return panels ? out + "</section>" : "";
}

std::string regions_section(const PostState& st)
{
    if (!st.par.qtl_on() || st.regions.empty()) return "";
    const int T = st.par.n_traits, F = st.s.F;
    std::string out = "<section id=\"regions\"><h2>Marked QTL regions</h2><p>Regions from " +
                      file_link(st, std::filesystem::path(st.regions_file).filename().string()) +
                      "; statistics as in " + file_link(st, "MQTRRegions.info") +
                      ". a: additive, d: dominance effect, p: allele frequency (first founder group), AV and DV the "
                      "additive and dominance variances.</p><table class=\"data\"><thead><tr><th>#</th><th>group</th>"
                      "<th>interval (cM)</th><th>mode bin (cM)</th><th>probability</th><th>samples</th><th>p</th>";
    for (int t = 0; t < T; ++t)
        out += format("<th>a t%d</th><th>d t%d</th><th>AV t%d</th><th>DV t%d</th>", t + 1, t + 1, t + 1, t + 1);
    out += "</tr></thead><tbody>";
    std::string spread = "<table class=\"data\"><caption>median [5 %, 95 %] of the region's samples</caption><thead>"
                         "<tr><th>#</th>" + std::string(F > 0 ? "<th>p</th>" : "");
    for (int t = 0; t < T; ++t) spread += format("<th>a t%d</th><th>d t%d</th>", t + 1, t + 1);
    spread += "</tr></thead><tbody>";
    for (std::size_t i = 0; i < st.regions.size(); ++i) {
        const Region& r = st.regions[i];
        const ChromGroup& g = st.groups[r.group];
        const int first = first_bin_cm(g);
        const RegionStats rs = region_stats(st, r.k0, r.k1);
        out += format("<tr><td class=\"num\">%d</td><td>", static_cast<int>(i) + 1) + escape(g.name) +
               format("</td><td class=\"num\">%.2f &#8211; %.2f</td><td class=\"num\">%d &#8211; %d</td>",
                      100.0 * within_chromosome(r.start), 100.0 * within_chromosome(r.end), first + r.mode,
                      first + r.mode + 1) +
               format("<td class=\"num\">%.3f</td><td class=\"num\">%d</td><td class=\"num\">%.3f</td>", r.prob,
                      r.samples(), rs.p);
        for (int t = 0; t < T; ++t)
            out += format("<td class=\"num\">%.3f</td><td class=\"num\">%.3f</td><td class=\"num\">%.3f</td>"
                          "<td class=\"num\">%.3f</td>",
                          rs.AE[t], rs.DE[t], rs.AV[t], rs.DV[t]);
        out += "</tr>";
        spread += format("<tr><td class=\"num\">%d</td>", static_cast<int>(i) + 1);
        if (F > 0) spread += quantiles(st, r, 0);
        for (int t = 0; t < T; ++t) spread += quantiles(st, r, F + t) + quantiles(st, r, F + T + t);
        spread += "</tr>";
    }
    return out + "</tbody></table>" + spread + "</tbody></table></section>";
}

}  // namespace rvn::report
