// Parameter, data and map files of an imported project, in the formats the
// analysis reads. Every parameter line carries a comment that says why the
// value was chosen, so a user can adjust the analysis in one place.
#include <algorithm>
#include <fstream>
#include <set>

#include "tools/import/import_error.h"
#include "tools/import/project.h"

namespace vimp {

namespace {

constexpr std::size_t kMaxName = 31;  // name fields of the analysis
constexpr std::size_t kMaxItems = 50000;  // items of one data-file line the analysis reads

// Words the data file gives a meaning in the parent columns.
bool reserved_parent_word(const std::string& name)
{
    for (const char* w : {"0", "-", "*", "INBRED", "SELFED", "DBHPLD", "-1000", "-777", "-555"})
        if (name == w) return true;
    return false;
}

struct ParLine {
    std::string key, value, comment;
};

std::string join(const std::vector<std::string>& words)
{
    std::string text;
    for (const auto& w : words) text += (text.empty() ? "" : " ") + w;
    return text;
}

void check_name(const std::string& what, const std::string& name)
{
    const std::string problem = name_problem(name, what == "individual");
    if (!problem.empty()) fail(what + " '" + name + "': " + problem);
}

std::vector<ParLine> parameter_lines(const Project& p)
{
    std::vector<std::string> indi_n, names_n, indi_t, names_t, indi_c, mrkr_c;
    for (const Nuisance& n : p.nuisance) {
        indi_n.push_back(n.random ? "1" : "0");
        names_n.push_back(n.name);
    }
    for (const std::string& t : p.trait_names) {
        indi_t.push_back("1");
        names_t.push_back(t);
    }
    for (std::size_t g = 0; g < p.groups.size(); ++g) {
        indi_c.push_back(p.analysed[g] ? "1" : "0");
        mrkr_c.push_back(std::to_string(p.groups[g].markers.size()));
    }
    const std::string dom = p.dominance ? "5" : "0";
    const int max_qtl = std::max<int>(3, static_cast<int>(p.groups.size()) + 1);
    return {
        {"ncolN", std::to_string(p.nuisance.size()), "nuisance columns of the data file"},
        {"indiN", join(indi_n), "0 fixed classes (uniform prior), 1 random classes (normal prior)"},
        {"namesN", join(names_n), "as in the phenotype table"},
        {"ncolT", std::to_string(p.trait_names.size()), "trait columns of the data file"},
        {"indiT", join(indi_t), "1 analyse, 0 leave out; with more than two traits an individual missing one loses all"},
        {"namesT", join(names_t), "as in the phenotype table"},
        {"misvalT", "", "missing values are written as '-'"},
        {"scaleT", "0", "1 scales every trait to variance 1"},
        {"nchrom", std::to_string(p.groups.size()), "linkage groups of the map"},
        {"indiC", join(indi_c), "a group with fewer than two markers cannot be analysed"},
        {"mrkrC", join(mrkr_c), "markers per group, in map order"},
        {"indicQTL", "1", "QTL analysis with an unknown number of QTL"},
        {"maximQTL", std::to_string(max_qtl), "room for one QTL per group and more"},
        {"priorQTL", "1", "prior mean number of QTL"},
        {"indicFPM", "0", "no finite polygenic model"},
        {"maximFPM", "0", ""},
        {"priorFPM", "0", ""},
        {"indicTIM", "0", "no infinitesimal model: one family shares its polygenic background"},
        {"addGENE", "5", "additive effects: normal prior, sampled diagonal covariance"},
        {"domGENE", dom,
         p.dominance ? "dominance effects: heterozygotes segregate in this design"
                     : "no dominance: this design has no segregating heterozygotes"},
        {"priorh2QTL", "0.3", ""},
        {"length", "10000", "sweeps; lengthen for a final analysis"},
        {"thinning", "20", ""},
        {"ess", "0", "set a target effective chain size to lengthen the chain automatically"},
        {"lengthUDMax", "0", ""},
        {"FormatMCMC", "0", ""},
        {"markerblock", "2", ""},
        {"skipSampleMarkers", "0", ""},
        {"freqmargin", "0.03", ""},
        {"distanceQTLs", "0.0", ""},
        {"MSegAlpha", "0.005", "tolerated rate of marker segregation errors"},
        {"MSegDelta", "0", ""},
        {"DeleteDR", "0", ""},
        {"DeleteNIPH", "0", ""},
        {"PrbHtzInb", "0.00", ""},
        {"writeMSI", "0", ""},
        {"writeSIP", "0", ""},
        {"trellanV", "0", ""},
        {"fixQTLpos", "", ""},
        {"anchorMarker", "0", ""},
        {"lockMPhase", "0", ""},
        {"writeGTP", "none", ""},
        {"writeNRM", "0", ""},
        {"maxnwrtNUI", "0", ""},
        {"headerOUT", "1", ""},
        {"REDprint", "0", ""},
        {"VARgroup", "0", ""},
        {"absorbFP", "0", ""},
        {"nullalleleP", "$", ""},
        {"nullalleleC", "$$", ""},
        {"nullalleleHidden", "0", ""},
        {"RJSdebug", "0", ""},
        {"MRKdebug", "0", ""},
        {"TprobMQTR", "0.05", ""},
        {"seed", p.seed, "last digit 0-4: the chain starts without QTL, 5-9 with maximQTL"},
    };
}

std::ofstream open_for_writing(const std::filesystem::path& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) fail("cannot write " + path.string());
    return out;
}

void finish(std::ofstream& out, const std::filesystem::path& path)
{
    out.flush();
    if (!out) fail("error while writing " + path.string());
}

void write_parameters(const Project& p, const FileNames& names, const std::filesystem::path& path)
{
    auto out = open_for_writing(path);
    out << "; Imported project: " << p.design << ", from " << p.source << "\n;\n";
    std::vector<ParLine> lines{{"datafile", names.data, "one line per individual"},
                               {"mapfile", names.map, "linkage groups, markers, positions in cM"}};
    for (ParLine& l : parameter_lines(p)) lines.push_back(std::move(l));
    for (const ParLine& l : lines) {
        std::string text = l.key;
        if (!l.value.empty()) {
            text.resize(std::max<std::size_t>(text.size() + 1, 20), ' ');
            text += l.value;
        }
        if (!l.comment.empty()) {
            text.resize(std::max<std::size_t>(text.size() + 2, 40), ' ');
            text += "; " + l.comment;
        }
        out << text << '\n';
    }
    finish(out, path);
}

void write_data(const Project& p, const std::filesystem::path& path)
{
    auto out = open_for_writing(path);
    out << "; Imported from " << p.source << ": cohort, name, parents, " << p.nuisance.size() << " nuisance, "
        << p.trait_names.size() << " trait and " << 2 * p.marker_total() << " marker columns\n";
    for (const Line& l : p.lines) {
        out << l.cohort << ' ' << l.name << ' ' << l.first << ' ' << l.second;
        for (const auto& w : l.nuisance) out << ' ' << w;
        for (const auto& w : l.traits) out << ' ' << w;
        for (const auto& w : l.alleles) out << ' ' << w;
        out << '\n';
    }
    finish(out, path);
}

void write_map(const Project& p, const std::filesystem::path& path)
{
    auto out = open_for_writing(path);
    out << "; Imported from " << p.source << ": a group header, then marker name and position in cM\n";
    for (const Group& g : p.groups) {
        out << "group " << g.name << '\n';
        for (const Marker& m : g.markers) {
            out << m.name << ' ' << m.position_text << '\n';
        }
    }
    finish(out, path);
}

}  // namespace

std::string name_problem(const std::string& name, bool individual)
{
    if (name.empty()) return "no name";
    if (name.size() > kMaxName) return "more than " + std::to_string(kMaxName) + " characters";
    if (name.find_first_of(" \t,;") != std::string::npos) return "holds a blank, comma or semicolon";
    if (individual && reserved_parent_word(name)) return "the data file reads this name as a parent code; rename it";
    return "";
}

int Project::marker_total() const
{
    int n = 0;
    for (const Group& g : groups) n += static_cast<int>(g.markers.size());
    return n;
}

void check_project(const Project& p)
{
    if (p.trait_names.empty()) fail("no trait column chosen: the analysis needs at least one trait");
    if (p.groups.empty()) fail("no marker on the map");
    std::set<std::string> seen;
    for (const Group& g : p.groups) {
        check_name("linkage group", g.name);
        for (const Marker& m : g.markers) {
            check_name("marker", m.name);
            if (!seen.insert(m.name).second) fail("marker '" + m.name + "' stands twice on the map");
        }
    }
    for (const auto& t : p.trait_names) check_name("trait", t);
    for (const auto& n : p.nuisance) check_name("nuisance column", n.name);
    seen.clear();
    const std::size_t words = 2 * static_cast<std::size_t>(p.marker_total());
    const std::size_t items = 4 + p.nuisance.size() + p.trait_names.size() + words;
    if (items > kMaxItems)
        fail(std::to_string(items) + " items per data-file line: the analysis reads at most " +
             std::to_string(kMaxItems) + " (fewer markers or traits)");
    for (const Line& l : p.lines) {
        check_name("individual", l.name);
        if (!seen.insert(l.name).second) fail("individual '" + l.name + "' stands twice");
        if (l.alleles.size() != words || l.traits.size() != p.trait_names.size() ||
            l.nuisance.size() != p.nuisance.size())
            fail("internal: line of '" + l.name + "' has the wrong number of columns");
    }
}

void write_project(const Project& p, const std::filesystem::path& dir, const FileNames& names)
{
    check_project(p);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir)) fail("cannot create directory " + dir.string());
    write_parameters(p, names, dir / names.parameter);
    write_data(p, dir / names.data);
    write_map(p, dir / names.map);
}

}  // namespace vimp
