// Map template: one linkage group of six markers, 20 cM apart.
#include "core/state/template_writers.h"

namespace vsk {

const std::array<TemplateMarker, kTemplateMarkers> kTemplateMap = {{
    {"marker001", 0.0},
    {"marker002", 20.0},
    {"marker003", 40.0},
    {"marker004", 60.0},
    {"marker005", 80.0},
    {"marker006", 100.0},
}};

void write_map_template(std::FILE* out)
{
    write_template_header(out, true);
    std::fprintf(out, "\n;");
    std::fprintf(out, "\n; Format: each linkage group starts with a line 'group' (or 'chrom') and its id,");
    std::fprintf(out, "\n;         followed by one line per marker: marker name and position in cM,");
    std::fprintf(out, "\n;         markers in map order (an optional third column weighs the QTL prior)");
    std::fprintf(out, "\ngroup 1");
    for (const TemplateMarker& m : kTemplateMap) std::fprintf(out, "\n%-12s %6.1f", m.name, m.position_cm);
    std::fprintf(out, "\n");
}

}  // namespace vsk
