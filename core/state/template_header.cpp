// The template project written when the parameter file is missing: the
// common comment header and the writer of the five files.
#include <filesystem>
#include <string>

#include "core/state/console.h"
#include "core/state/template_writers.h"
#include "core/state/templates.h"
#include "core/state/version.h"
#include "textfile/file.h"

namespace vsk {

void write_template_header(std::FILE* out, bool with_comment_note)
{
    if (with_comment_note) std::fprintf(out, "\n; Comments are preceded by semicolon sign");
    std::fprintf(out, "\n; Input file for software Voskara(tm)");
    std::fprintf(out, "\n;                         version %-6s", kVersion);
    std::fprintf(out, "\n;                         %-12s", kVersionDate);
}

namespace {

template <class Writer>
void write_one(const std::filesystem::path& path, Writer&& writer)
{
    File out = open_file(path.string(), "w");
    if (!out) {
        // The run ends right after the templates; say which one is missing.
        cprint("\nunable to create template file %s", path.string().c_str());
        return;
    }
    writer(out.get());
}

}  // namespace

void write_templates(const std::filesystem::path& dir)
{
    write_one(dir / "voskara_templateIBD.par",
              [](std::FILE* f) { write_parameter_template(f, TemplateKind::Ibd); });
    write_one(dir / "voskara_templateQTL.par",
              [](std::FILE* f) { write_parameter_template(f, TemplateKind::Qtl); });
    write_one(dir / "voskara_templateIBD.dat", [](std::FILE* f) { write_data_template(f, TemplateKind::Ibd); });
    write_one(dir / "voskara_templateQTL.dat", [](std::FILE* f) { write_data_template(f, TemplateKind::Qtl); });
    write_one(dir / "voskara_template.map", [](std::FILE* f) { write_map_template(f); });
}

void write_templates() { write_templates(std::filesystem::path(".")); }

}  // namespace vsk
