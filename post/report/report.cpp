// Assembles "report.html" from its sections and writes it.
#include "post/report/report.h"

#include <filesystem>

#include "post/console.h"
#include "post/report/sections.h"
#include "post/ruvane.h"
#include "post/report/svg.h"
#include "textfile/file.h"

namespace rvn {

namespace {

bool g_report_enabled = true;

// Print-friendly, readable without any external resource.
constexpr const char* kStyle = R"(
body{font-family:sans-serif;margin:1.5em auto;max-width:70em;color:#222;padding:0 1em}
h1{font-size:1.6em;margin-bottom:.2em}h2{border-bottom:2px solid #3a6ea5;padding-bottom:.2em;margin-top:1.6em}
nav a{margin-right:1em}
table{border-collapse:collapse;margin:.6em 0}th,td{padding:.15em .6em;border-bottom:1px solid #ddd;text-align:left}
td.num{text-align:right;font-variant-numeric:tabular-nums}caption{text-align:left;font-weight:bold;padding:.3em 0}
table.facts th{font-weight:normal;color:#555}tr.flag td{background:#fde2e1}
.grid{display:flex;flex-wrap:wrap;gap:.5em}figure{margin:.3em}figcaption{font-size:.85em;color:#444}
.pair{display:flex;flex-wrap:wrap;gap:1.5em;align-items:flex-start}.scroll{max-height:30em;overflow:auto}
svg{background:#fff}svg text{font-size:10px;fill:#333}svg .label{font-size:11px}
.axis{stroke:#333;fill:none}.grid path,.grid{stroke-width:1}path.grid{stroke:#eee;fill:none}
.trace{stroke:#3a6ea5;fill:none;stroke-width:.8}.burnin{fill:#eee}
.prior{fill:#b7cde6}.posterior{fill:#1f4e79}
.density{stroke:#1f4e79;fill:none;stroke-width:1.5}.priorline{stroke:#888;fill:none;stroke-dasharray:4 3}
.hpi{fill:none;stroke-dasharray:6 3}.genome{stroke:#c0392b}.group90{stroke:#e67e22}.group95{stroke:#8e44ad}
.region{fill:#f6e3a1;fill-opacity:.7}.marker{stroke:#555}.ind{fill:#1f4e79;fill-opacity:.6}
.file{font-family:monospace}
.legend{font-size:.9em}.key{display:inline-block;width:1.6em;height:.7em;margin:0 .3em 0 .8em;vertical-align:middle}
.k-density{border-top:2px solid #1f4e79}.k-prior{border-top:2px dashed #888}.k-genome{border-top:2px dashed #c0392b}
.k-group90{border-top:2px dashed #e67e22}.k-group95{border-top:2px dashed #8e44ad}.k-region{background:#f6e3a1}
.k-marker{width:2px;height:.8em;background:#555}a{color:#1f4e79}
)";

std::string navigation(const std::string& body)
{
    static const char* const kSections[][2] = {{"run", "Run"},           {"chains", "Chains"}, {"convergence", "Convergence"},
                                               {"nqtl", "Number of QTL"}, {"intensity", "Intensity"},
                                               {"regions", "Regions"},    {"values", "Breeding values"},
                                               {"files", "Files"}};
    std::string out = "<nav>";
    for (const auto& s : kSections)
        if (body.find(std::string("<section id=\"") + s[0] + "\"") != std::string::npos)
            out += std::string("<a href=\"#") + s[0] + "\">" + s[1] + "</a>";
    return out + "</nav>";
}

}  // namespace

void set_report_enabled(bool on) { g_report_enabled = on; }
bool report_enabled() { return g_report_enabled; }
void set_ruvane_report(bool on) { set_report_enabled(on); }

std::string report_html(const PostState& st, const ReportInputs& in)
{
    using namespace report;
    std::string body = header_section(st, in) + chains_section(st, in) + convergence_section(st, in) + qtl_number_section(st) +
                       intensity_section(st) + regions_section(st) + values_section(st, in) + files_section(st);
    const std::string project = escape(project_name(st));
    return "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\"><head><meta charset=\"utf-8\"/>"
           "<title>QTL report: " + project + "</title><style>" + kStyle + "</style></head><body><h1>QTL report: " +
           project + "</h1>" + navigation(body) + body + "</body></html>\n";
}

void write_report(const PostState& st, const ReportInputs& in)
{
    const std::string html = report_html(st, in);
    vsk::File f = vsk::open_file(st.path("report.html"), "w");
    if (!f || std::fwrite(html.data(), 1, html.size(), f.get()) != html.size()) {
        rprint("\nWARNING: unable to write file report.html");
        return;
    }
    rprint("\nreport written to file report.html");
}

}  // namespace rvn
