// Order of the run summary "voskara.xml": declaration and root, then the
// general information, input, convergence and output sections, each
// appended to the file on its own.
#include "core/output/xml_summary.h"

#include <chrono>
#include <cstdio>

#include "core/state/run_start.h"
#include "core/state/run_workspace.h"
#include "core/state/version.h"
#include "core/voskara.h"
#include "textfile/datetime.h"
#include "textfile/file.h"

namespace vsk {

namespace {

// Outputs may be stamped slightly before the clock read at start-up (file
// systems keep coarse times); a margin keeps them this run's.
constexpr std::chrono::seconds kStampMargin{2};

bool append_outer(const std::string& path, const char* title, const XmlBlock& body)
{
    File out = open_file(path, "a");
    if (!out) return false;
    std::fprintf(out.get(), "<Section Title=\"%s\">\n", title);
    std::fputs(body.str().c_str(), out.get());
    std::fprintf(out.get(), "</Section>\n");
    return true;
}

}  // namespace

XmlBlock general_information(const std::string& start_time)
{
    XmlBlock version;
    version.dictionary("dictionary", {{"Voskara version number", kVersion}, {"Voskara version date", kVersionDate}});
    XmlBlock timing;
    timing.table({"key,day,date,time", "Starting time , " + start_time, "Completion time , " + datetime_text()});
    XmlBlock out;
    out.section("Version information", version);
    out.section("Computation Time", timing);
    return out;
}

int write_run_summary(const std::string& path, const std::string& start_time, const LinkPolicy& links)
{
    {
        File out = open_file(path, "w+");
        if (!out) return EOF;
        std::fprintf(out.get(), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n");
        std::fprintf(out.get(), "<Report name=\"Voskara Output Summary\" xml:lang=\"en\">\n");
    }
    if (!append_outer(path, "General information", general_information(start_time))) return EOF;
    if (!append_outer(path, "Input summary", input_summary(links))) return EOF;
    if (!append_outer(path, "Convergence quality", convergence_quality(links))) return EOF;
    if (!append_outer(path, "Output summary", output_summary(links))) return EOF;
    File out = open_file(path, "a");
    if (!out) return EOF;
    std::fprintf(out.get(), "</Report>\n");
    return std::fclose(out.release());
}

int XmlGenerateSummary(const std::string& start_time)
{
    LinkPolicy links;
    links.dir = project_dirF;
    links.since = run_workspace().part<RunStart>().when - kStampMargin;
    return write_run_summary((links.dir / "voskara.xml").string(), start_time, links);
}

}  // namespace vsk
