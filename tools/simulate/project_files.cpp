// Parameter, data and map files of a simulated project, in the formats the
// analysis reads.
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "tools/simulate/simulate.h"
#include "tools/simulate/writers.h"

namespace vsim {

namespace {

// Default analysis settings; the model switches follow the design.
constexpr int kMinimumMaxQtl = 3;
constexpr const char* kFreqMargin = "0.03";
constexpr const char* kPriorH2 = "0.3";

std::string join(const std::vector<std::string>& words)
{
    std::string text;
    for (const auto& w : words) text += (text.empty() ? "" : " ") + w;
    return text;
}

std::string number(double v, int decimals = 5)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    return buffer;
}

std::ofstream open_for_writing(const std::filesystem::path& path)
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

// Dominance is estimable where heterozygotes segregate.
bool dominance_in_model(Cross cross)
{
    return cross == Cross::F2 || cross == Cross::F1 || cross == Cross::Outbred;
}

// The seed of the analysis: last digit 4 starts its chain without QTL.
std::string analysis_seed(std::uint64_t seed) { return std::to_string((seed % 1000000) * 10 + 4); }

std::string second_parent_word(const Population& pop, const Individual& ind)
{
    switch (ind.second) {
    case SecondParent::Unknown: return "0";
    case SecondParent::Inbred: return "INBRED";
    case SecondParent::Selfed: return "SELFED";
    case SecondParent::DoubledHaploid: return "DBHPLD";
    case SecondParent::Parent: return pop.pedigree.individuals[static_cast<std::size_t>(ind.mother)].name;
    }
    return "0";
}

}  // namespace

std::vector<std::pair<std::string, std::string>> parameter_lines(const Population& pop)
{
    const Design& d = pop.design;
    std::vector<std::string> indi_n, names_n, indi_t, names_t, indi_c, mrkr_c;
    int fixed = 0, random = 0;
    for (const FactorSpec& f : d.factors) {
        indi_n.push_back(f.random ? "1" : "0");
        names_n.push_back(f.random ? "random" + std::to_string(++random) : "fixed" + std::to_string(++fixed));
    }
    for (int t = 0; t < d.traits; ++t) {
        indi_t.push_back("1");
        names_t.push_back(trait_name(d, t));
    }
    for (std::size_t c = 0; c < d.chromosome_cm.size(); ++c) {
        indi_c.push_back("1");
        mrkr_c.push_back(std::to_string(marker_count(d, static_cast<int>(c))));
    }
    const int max_qtl = std::max(kMinimumMaxQtl, static_cast<int>(d.qtl.size()) + 2);
    std::vector<std::pair<std::string, std::string>> lines{
        {"datafile", d.data_file}, {"mapfile", d.map_file},
        {"ncolN", std::to_string(d.factors.size())}, {"indiN", join(indi_n)}, {"namesN", join(names_n)},
        {"ncolT", std::to_string(d.traits)}, {"indiT", join(indi_t)}, {"namesT", join(names_t)},
        {"misvalT", ""}, {"scaleT", "0"},
        {"nchrom", std::to_string(d.chromosome_cm.size())}, {"indiC", join(indi_c)}, {"mrkrC", join(mrkr_c)},
        {"indicQTL", "1"}, {"maximQTL", std::to_string(max_qtl)}, {"priorQTL", "1"},
        {"indicFPM", "0"}, {"maximFPM", "0"}, {"priorFPM", "0"}, {"indicTIM", "0"},
        {"addGENE", "5"}, {"domGENE", dominance_in_model(d.cross) ? "5" : "0"}, {"priorh2QTL", kPriorH2},
        {"length", std::to_string(d.length)}, {"thinning", std::to_string(d.thinning)},
        {"ess", "0"}, {"lengthUDMax", "0"}, {"FormatMCMC", "0"}, {"markerblock", "2"},
        {"skipSampleMarkers", "0"}, {"freqmargin", kFreqMargin}, {"distanceQTLs", "0.0"},
        {"MSegAlpha", "0.005"}, {"MSegDelta", "0"}, {"DeleteDR", "0"}, {"DeleteNIPH", "0"},
        {"PrbHtzInb", "0.00"}, {"writeMSI", "0"}, {"writeSIP", "0"}, {"trellanV", "0"},
        {"fixQTLpos", ""}, {"anchorMarker", "0"}, {"lockMPhase", "0"},
        {"writeGTP", "none"}, {"writeNRM", "0"}, {"maxnwrtNUI", "0"}, {"headerOUT", "1"},
        {"REDprint", "0"}, {"VARgroup", "0"}, {"absorbFP", "0"},
        {"nullalleleP", "$"}, {"nullalleleC", "$$"}, {"nullalleleHidden", "0"},
        {"RJSdebug", "0"}, {"MRKdebug", "0"}, {"TprobMQTR", "0.05"},
        {"seed", analysis_seed(pop.seed)},
    };
    for (const auto& [key, value] : d.parameters) {
        // "none" removes the keyword's line (writeGTP, whose own value
        // "none" is a setting, keeps it).
        if (value == "none" && key != "writeGTP") {
            std::erase_if(lines, [&](const auto& line) { return line.first == key; });
            continue;
        }
        bool replaced = false;
        for (auto& line : lines)
            if (line.first == key) line.second = value, replaced = true;
        if (!replaced) lines.emplace_back(key, value);
    }
    return lines;
}

void write_parameter_file(const Population& pop, const std::filesystem::path& path)
{
    auto out = open_for_writing(path);
    out << "; Simulated project: design '" << pop.design.name << "', " << cross_name(pop.design.cross)
        << ", simulation seed " << pop.seed << "\n; The true QTL and genetic values are in "
        << pop.design.truth_file << "\n;\n";
    for (const auto& [key, value] : parameter_lines(pop)) {
        std::string padded = key;
        padded.resize(std::max<std::size_t>(padded.size() + 1, 20), ' ');
        out << (value.empty() ? key : padded + value) << '\n';
    }
    finish(out, path);
}

std::string data_line(const Population& pop, int individual)
{
    const Design& d = pop.design;
    const auto i = static_cast<std::size_t>(individual);
    const Individual& ind = pop.pedigree.individuals[i];
    std::string line = std::to_string(ind.cohort) + ' ' + ind.name + ' ';
    line += ind.is_founder() ? "0" : pop.pedigree.individuals[static_cast<std::size_t>(ind.father)].name;
    line += ' ' + second_parent_word(pop, ind);
    for (int c : pop.values.factor_class[i]) line += ' ' + std::to_string(c);
    for (int t = 0; t < d.traits; ++t) {
        const auto ut = static_cast<std::size_t>(t);
        line += ' ' + (pop.values.missing[i][ut] ? std::string("-") : number(pop.values.phenotype[i][ut]));
    }
    const auto& scores = pop.scores[i];
    for (std::size_t k = 0; k < pop.genome.markers.size(); ++k) {
        const MarkerDef& m = pop.genome.markers[k];
        line += ' ' + score_text(m, scores[2 * k]) + ' ' + score_text(m, scores[2 * k + 1]);
    }
    return line;
}

void write_data_file(const Population& pop, const std::filesystem::path& path)
{
    const Design& d = pop.design;
    auto out = open_for_writing(path);
    out << "; Simulated data (" << cross_name(d.cross) << ", seed " << pop.seed << "): cohort, name, parents, "
        << d.factors.size() << " nuisance, " << d.traits << " trait and " << 2 * pop.genome.markers.size()
        << " marker columns\n";
    for (int i : pop.file_order) out << data_line(pop, i) << '\n';
    finish(out, path);
}

void write_map_file(const Population& pop, const std::filesystem::path& path)
{
    auto out = open_for_writing(path);
    out << "; Simulated linkage map: a group header, then marker name and position in cM\n";
    for (std::size_t c = 0; c < pop.genome.chromosomes.size(); ++c) {
        out << "chromosome " << c + 1 << '\n';
        for (const MarkerDef& m : pop.genome.markers)
            if (m.chromosome == static_cast<int>(c)) out << m.name << ' ' << number(m.position_cm, 3) << '\n';
    }
    finish(out, path);
}

// One line per genotype given a scoring error: individual and marker names.
void write_error_file(const Population& pop, const std::filesystem::path& path)
{
    auto out = open_for_writing(path);
    out << "; Genotypes with an injected scoring error: individual, marker\n";
    for (const auto& [i, k] : pop.score_stats.error_cells)
        out << pop.pedigree.individuals[static_cast<std::size_t>(i)].name << ' '
            << pop.genome.markers[static_cast<std::size_t>(k)].name << '\n';
    finish(out, path);
}

void write_project(const Population& pop, const std::filesystem::path& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir)) throw SimError("cannot create directory " + dir.string());
    const Design& d = pop.design;
    write_parameter_file(pop, dir / d.parameter_file);
    write_data_file(pop, dir / d.data_file);
    write_map_file(pop, dir / d.map_file);
    write_truth_file(pop, dir / d.truth_file);
    if (!d.error_file.empty()) write_error_file(pop, dir / d.error_file);
}

}  // namespace vsim
