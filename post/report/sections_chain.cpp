// Report sections on the run itself: the project and chain facts and the
// convergence of the chains of genpar.out.
#include <algorithm>
#include <filesystem>
#include <cstdlib>
#include <fstream>

#include "post/report/sections.h"
#include "post/report/svg.h"
#include "textfile/textfile.h"

namespace rvn::report {

namespace {

// Traces longer than this are drawn as the range of each of these many
// stretches of the chain, which keeps every excursion visible.
constexpr int kTraceBuckets = 300;

std::string fact(const std::string& name, const std::string& value)
{
    return "<tr><th>" + escape(name) + "</th><td>" + value + "</td></tr>";
}

// Individuals of the data file: its lines other than blank ones and `;`
// comments (one line per individual). -1 when the file cannot be read.
int data_file_individuals(const PostState& st)
{
    if (st.par.datafile.empty()) return -1;
    std::ifstream in(st.path(st.par.datafile));
    if (!in) return -1;
    int count = 0;
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t at = line.find_first_not_of(" \t\r");
        if (at != std::string::npos && line[at] != ';') ++count;
    }
    return count;
}

int included_groups(const PostState& st)
{
    return static_cast<int>(std::count_if(st.groups.begin(), st.groups.end(),
                                          [](const ChromGroup& g) { return g.included != 0; }));
}

std::string models(const PostParams& p)
{
    std::string m;
    if (p.qtl_on()) m += "QTL ";
    if (p.fpm_on()) m += "finite polygenic ";
    if (p.tim_on()) m += "infinitesimal ";
    return m.empty() ? "none" : m;
}

std::string trace_plot(const PostState& st, int column, int burnin_iteration)
{
    const int n = st.s.n();
    std::vector<double> xs, ys;
    const int per = std::max(1, n / kTraceBuckets);
    double lo = st.s.genpar[0][column], hi = lo;
    for (int r0 = 0; r0 < n; r0 += per) {
        const int r1 = std::min(n, r0 + per);
        int rmin = r0, rmax = r0;
        for (int r = r0; r < r1; ++r) {
            const double v = st.s.genpar[r][column];
            if (v < st.s.genpar[rmin][column]) rmin = r;
            if (v > st.s.genpar[rmax][column]) rmax = r;
        }
        for (int r : {std::min(rmin, rmax), std::max(rmin, rmax)}) {
            xs.push_back(st.s.iteration[r]);
            ys.push_back(st.s.genpar[r][column]);
            lo = std::min(lo, ys.back());
            hi = std::max(hi, ys.back());
        }
    }
    Plot plot(300, 130, st.s.iteration.front(), st.s.iteration.back(), lo - 0.05 * (hi - lo), hi + 0.05 * (hi - lo));
    plot.axes("iteration", "", 3, 4);
    plot.band(st.s.iteration.front(), burnin_iteration, "burnin", "burn-in");
    plot.line(xs, ys, "trace");
    return plot.svg("trace of " + chain_name(st, column));
}

}  // namespace

std::string header_section(const PostState& st, const ReportInputs& in)
{
    const PostParams& p = st.par;
    std::string out = "<section id=\"run\"><h2>Project and chain</h2><table class=\"facts\">";
    out += fact("project", escape(project_name(st)));
    out += fact("parameter file", file_link(st, in.par_file));
    if (!p.datafile.empty()) out += fact("data file", file_link(st, p.datafile));
    if (!p.mapfile.empty()) out += fact("map file", file_link(st, p.mapfile));
    const int individuals = data_file_individuals(st);
    if (individuals >= 0) out += fact("individuals", format("%d", individuals));
    out += fact("markers", format("%d", static_cast<int>(st.markers.size())));
    out += fact("linkage groups", format("%d (%d in use)", static_cast<int>(st.groups.size()), included_groups(st)));
    out += fact("traits", format("%d", p.n_traits));
    out += fact("models", escape(models(p)));
    if (!st.s.iteration.empty()) {
        out += fact("sweeps", format("%d", st.s.iteration.back()));
        out += fact("thinning", format("%d", st.s.thin_step));
    }
    out += fact("samples", format("%d", st.s.n()));
    out += fact("burn-in (samples)", format("%d", st.burnin));
    out += fact("samples after burn-in", format("%d", st.n_post));
    out += fact("post-processing started", escape(in.start));
    // A fixed date (SOURCE_DATE_EPOCH) asks for reproducible files: no clock reading then.
    if (std::getenv("SOURCE_DATE_EPOCH") == nullptr) out += fact("run time", format("%.1f s", in.seconds));
    return out + "</table></section>";
}

std::string convergence_section(const PostState& st, const ReportInputs& in)
{
    if (in.ess.empty() || st.s.n() < 2) return "";
    const int target = target_ess(st, in.par_file);
    const int burnin_iteration = st.s.iteration[std::min(st.burnin, st.s.n() - 1)];
    std::string table = "<table class=\"data\"><thead><tr><th>chain</th><th>ECS</th><th>status</th></tr></thead><tbody>";
    std::string plots;
    int shown = 0, low = 0;
    for (const ChainEss& c : in.ess) {
        if (c.code == kEssZeroVariance) continue;
        ++shown;
        const std::string name = escape(chain_name(st, c.column));
        std::string ecs = "insufficient length", status = "too short";
        bool flagged = true;
        if (c.code >= 0) {
            ecs = format("%d", c.code);
            flagged = target > 0 && c.code < target;
            status = flagged ? format("below target %d", target) : "ok";
        }
        low += flagged;
        table += std::string("<tr") + (flagged ? " class=\"flag\"" : "") + "><td>" + name + "</td><td class=\"num\">" +
                 ecs + "</td><td>" + escape(status) + "</td></tr>";
        plots += "<figure>" + trace_plot(st, c.column, burnin_iteration) + "<figcaption>" + name + " (ECS " + ecs +
                 ")</figcaption></figure>";
    }
    if (shown == 0) return "";
    std::string out = "<section id=\"convergence\"><h2>Convergence</h2><p>Effective chain size (ECS) of every chain of " +
                      file_link(st, "genpar.out") + " that varies, after a burn-in of " +
                      format("%d", st.burnin) + " samples (shaded in the traces).";
    if (target > 0) out += format(" Target ECS: %d; ", target) + format("%d chain(s) below it or too short.", low);
    out += "</p>" + table + "</tbody></table><div class=\"grid\">" + plots + "</div></section>";
    return out;
}

std::string project_name(const PostState& st)
{
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::absolute(st.project_dir.empty() ? "." : st.project_dir, ec);
    dir = dir.lexically_normal();
    if (!dir.has_filename()) dir = dir.parent_path();
    const std::string name = dir.filename().string();
    return name.empty() ? st.project_dir : name;
}

int target_ess(const PostState& st, const std::string& par_file)
{
    std::string value;
    if (par_file.empty() || vsk::getpatternvalue("ess", st.path(par_file), value) < 0) return 0;
    return std::max(0, std::atoi(value.c_str()));
}

}  // namespace rvn::report
