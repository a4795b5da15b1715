#include "tools/simulate/export_common.h"

#include <cstdio>

namespace vsim::exporting {

std::ofstream open(const std::filesystem::path& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw SimError("cannot write " + path.string());
    return out;
}

void finish(std::ofstream& out, const std::filesystem::path& path)
{
    out.flush();
    if (!out) throw SimError("error while writing " + path.string());
}

std::vector<std::string> phenotype_names(const Design& d)
{
    std::vector<std::string> names;
    for (int t = 0; t < d.traits; ++t) names.push_back(trait_name(d, t));
    int fixed = 0, random = 0;
    for (const FactorSpec& f : d.factors)
        names.push_back(f.random ? "random" + std::to_string(++random) : "fixed" + std::to_string(++fixed));
    return names;
}

std::vector<std::string> phenotype_cells(const Population& pop, int individual)
{
    const auto i = static_cast<std::size_t>(individual);
    std::vector<std::string> cells;
    for (int t = 0; t < pop.design.traits; ++t) {
        const auto ut = static_cast<std::size_t>(t);
        char text[64];
        std::snprintf(text, sizeof text, "%.5f", pop.values.phenotype[i][ut]);  // as in the data file
        cells.push_back(pop.values.missing[i][ut] ? "NA" : text);
    }
    for (int c : pop.values.factor_class[i]) cells.push_back(std::to_string(c));
    return cells;
}

int true_allele(const Population& pop, int individual, int marker, bool paternal)
{
    const Genotype& g = pop.genotypes[static_cast<std::size_t>(individual)];
    const auto locus = static_cast<std::size_t>(pop.genome.marker_index[static_cast<std::size_t>(marker)]);
    return paternal ? g.paternal[locus] : g.maternal[locus];
}

std::string join(const std::vector<std::string>& cells, char separator)
{
    std::string text;
    for (std::size_t k = 0; k < cells.size(); ++k) text += (k ? std::string(1, separator) : "") + cells[k];
    return text;
}

}  // namespace vsim::exporting
