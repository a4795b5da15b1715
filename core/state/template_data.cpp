// Data templates: column explanation and the example pedigree lines.
#include "core/state/template_writers.h"

namespace vsk {

namespace {

void write_column_comment(std::FILE* out)
{
    std::fprintf(out, "\n;");
    std::fprintf(out, "\n; One line per individual, columns separated by blanks:");
    std::fprintf(out, "\n;   1      cohort (family) number; for a founder the group of founders it belongs to");
    std::fprintf(out, "\n;   2      name of the individual (at most 31 characters)");
    std::fprintf(out, "\n;   3, 4   first and second parent; 0 (or - or *) = unknown");
    std::fprintf(out, "\n;          a parent must be listed as individual itself");
    std::fprintf(out, "\n;   5      nuisance value (integer class; see ncolN, indiN in the parameter file)");
    std::fprintf(out, "\n;   6, 7   the two trait values; - = missing");
    std::fprintf(out, "\n;   8-19   two alleles per marker, markers in the order of the map file");
    std::fprintf(out, "\n; Nuisance columns are not required (ncolN 0); at least one trait column is.");
    std::fprintf(out, "\n;");
}

void write_line(std::FILE* out, const TemplateIndividual& ind)
{
    std::fprintf(out, "\n%3d  %-8s %-8s %-8s %2d  %7s %7s ", ind.cohort, ind.name.c_str(), ind.parent1.c_str(),
                 ind.parent2.c_str(), ind.nuisance, ind.trait1.c_str(), ind.trait2.c_str());
    for (const auto& pair : ind.alleles) std::fprintf(out, "  %d %d", pair[0], pair[1]);
}

}  // namespace

void write_data_template(std::FILE* out, TemplateKind kind)
{
    write_template_header(out, true);
    write_column_comment(out);
    for (const TemplateIndividual& ind : template_population(kind == TemplateKind::Qtl)) write_line(out, ind);
    std::fprintf(out, "\n");
}

}  // namespace vsk
