// Short run report written instead of the summary when the parameter file is
// missing: it points the user to the template files.
#include <filesystem>
#include <string>

#include "core/state/version.h"
#include "core/voskara.h"
#include "textfile/file.h"

namespace vsk {

namespace {

std::string template_report_path()
{
    return (std::filesystem::path(project_dirF) / "voskara.xml").string();
}

void write_version_section(std::FILE* out)
{
    std::fprintf(out, "<Section Title=\"%s\">\n", "General information");
    std::fprintf(out, "<Section Title=\"%s\">\n", "Version information");
    std::fprintf(out, "<Paragraph Type=\"%s\">\n", "dictionary");
    std::fprintf(out, "%s , %s\n", "Voskara version number", kVersion);
    std::fprintf(out, "%s , %s\n", "Voskara version date", kVersionDate);
    std::fprintf(out, "</Paragraph>\n");
    std::fprintf(out, "</Section>\n");
    std::fprintf(out, "</Section>\n");
}

void write_input_files_section(std::FILE* out)
{
    std::fprintf(out, "<Section Title=\"%s\" HelpTag=\"%s\">\n", "Input files", "HELP_Template_Files");
    std::fprintf(out, "<Paragraph Type=\"%s\">%s</Paragraph>\n", "plain",
                 "WARNING: The default parameter file 'voskara.par' is missing");
    std::fprintf(out, "<Paragraph Type=\"%s\">%s</Paragraph>\n", "plain",
                 "WARNING: Voskara created Template files that can be modified by user");
    std::fprintf(out, "<Paragraph Type=\"%s\">\n", "linkedDictionary");
    std::fprintf(out, "%s , %s\n", "Input parameters file", "voskara_templateQTL.par");
    std::fprintf(out, "%s , %s\n", "Data file", "voskara_templateQTL.dat");
    std::fprintf(out, "%s , %s\n", "Map file", "voskara_template.map");
    std::fprintf(out, "</Paragraph>\n");
    std::fprintf(out, "</Section>\n");
}

// Appends one part of the report; the file is reopened for every section.
template <class Writer>
void append_section(const std::string& path, Writer&& writer)
{
    File out = open_file(path, "a");
    if (out) writer(out.get());
}

}  // namespace

// Returns 0 when the report was written, EOF (-1) when it could not be
// created or closed.
int CreateTemplateXmlFile()
{
    const std::string path = template_report_path();
    {
        File out = open_file(path, "w+");
        if (!out) return EOF;
        std::fprintf(out.get(), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n");
        std::fprintf(out.get(), "<Report name=\"Voskara Output Summary\" xml:lang=\"en\">\n");
    }
    append_section(path, write_version_section);
    append_section(path, write_input_files_section);
    File out = open_file(path, "a");
    if (!out) return EOF;
    std::fprintf(out.get(), "</Report>\n");
    return std::fclose(out.release());
}

}  // namespace vsk
