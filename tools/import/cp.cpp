// Locus file: header lines "name = ...", "popt = CP", "nloc = N", "nind = M";
// then per locus its name, its segregation type, optionally a phase such as
// {0-} and a classification in parentheses, and M offspring codes, which may
// run over several lines; optionally "individual names:" and one name per
// line. ';' starts a comment. Map file: "group NAME" (or "chrom NAME")
// lines, then marker name and position in cM.
#include "tools/import/cp.h"

#include <cctype>
#include <cstdlib>
#include <map>

#include "tools/import/import_error.h"
#include "tools/import/map_layout.h"
#include "tools/import/text_table.h"

namespace vimp {

namespace {

struct Locus {
    std::string name;
    SegregationType type;
    int line = 0;
    std::vector<std::string> codes;
    std::vector<int> code_lines;
};

struct LocFile {
    std::vector<Locus> loci;
    std::vector<std::string> names;  // individual names, when given
    int nind = -1;
};

std::string lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// "key = value" with or without blanks around '='.
bool header_line(const Row& row, std::string& key, std::string& value)
{
    std::string text;
    for (const auto& c : row.cells) text += c + ' ';
    const auto eq = text.find('=');
    if (eq == std::string::npos) return false;
    auto trim = [](std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        while (!s.empty() && s.front() == ' ') s.erase(0, 1);
        return s;
    };
    key = lower(trim(text.substr(0, eq)));
    value = trim(text.substr(eq + 1));
    return true;
}

int header_count(const std::string& file, const Row& row, const std::string& value)
{
    if (!is_positive_integer(value)) fail_at(file, row.line, value, "needs a positive whole number");
    return std::atoi(value.c_str());
}

void close_locus(const std::string& file, const LocFile& loc, const Locus& l)
{
    if (static_cast<int>(l.codes.size()) != loc.nind)
        fail_at(file, l.line, l.name,
                std::to_string(l.codes.size()) + " genotype codes where nind is " + std::to_string(loc.nind));
}

LocFile read_loc(const std::string& file)
{
    LocFile loc;
    int nloc = -1;
    bool in_names = false, cp = false;
    for (const Row& row : read_words(file)) {
        std::string key, value;
        if (in_names) {
            for (const auto& c : row.cells) {
                const std::string problem = name_problem(c, true);
                if (!problem.empty()) fail_at(file, row.line, c, "individual name: " + problem);
                loc.names.push_back(c);
            }
            continue;
        }
        if (lower(row.cells[0]) == "individual" && row.cells.size() >= 2 && lower(row.cells[1]).rfind("names", 0) == 0) {
            in_names = true;
            continue;
        }
        if (loc.loci.empty() && header_line(row, key, value)) {
            if (key == "popt") {
                if (lower(value) != "cp") fail_at(file, row.line, value, "population type must be CP");
                cp = true;
            } else if (key == "nloc") {
                nloc = header_count(file, row, value);
            } else if (key == "nind") {
                loc.nind = header_count(file, row, value);
            }
            continue;
        }
        std::size_t first_code = 0;
        if (row.cells.size() >= 2 && row.cells[1].front() == '<') {
            if (loc.nind < 0) fail_at(file, row.line, "", "'nind = N' must come before the first locus");
            if (!loc.loci.empty()) close_locus(file, loc, loc.loci.back());
            Locus l{row.cells[0], segregation_type(row.cells[1]), row.line, {}, {}};
            const std::string problem = name_problem(l.name, false);
            if (!problem.empty()) fail_at(file, row.line, l.name, "marker name: " + problem);
            if (l.type.name.empty()) fail_at(file, row.line, row.cells[1], "unknown segregation type of locus " + l.name);
            loc.loci.push_back(std::move(l));
            first_code = 2;
            // The parents' linkage phase is sampled by the analysis: skipped.
            while (first_code < row.cells.size() &&
                   (row.cells[first_code].front() == '{' || row.cells[first_code].front() == '('))
                ++first_code;
        } else if (loc.loci.empty()) {
            fail_at(file, row.line, row.cells[0], "neither a header line nor the start of a locus");
        }
        Locus& l = loc.loci.back();
        for (std::size_t c = first_code; c < row.cells.size(); ++c) {
            l.codes.push_back(row.cells[c]);
            l.code_lines.push_back(row.line);
        }
    }
    if (!cp) fail(file + ": no 'popt = CP' line");
    if (loc.loci.empty()) fail(file + ": no locus");
    close_locus(file, loc, loc.loci.back());
    if (nloc >= 0 && nloc != static_cast<int>(loc.loci.size()))
        fail(file + ": nloc is " + std::to_string(nloc) + " but the file holds " + std::to_string(loc.loci.size()) +
             " loci");
    if (!loc.names.empty() && static_cast<int>(loc.names.size()) != loc.nind)
        fail(file + ": " + std::to_string(loc.names.size()) + " individual names where nind is " +
             std::to_string(loc.nind));
    return loc;
}

std::vector<PlacedMarker> read_map(const std::string& file, const std::string& loc_file, const LocFile& loc,
                                   Tally& tally)
{
    std::map<std::string, int> index;
    for (std::size_t k = 0; k < loc.loci.size(); ++k) index.emplace(loc.loci[k].name, static_cast<int>(k));
    std::vector<PlacedMarker> placed;
    std::map<std::string, int> seen;
    std::string group;
    int unused = 0;
    for (const Row& row : read_words(file)) {
        const std::string word = lower(row.cells[0]);
        if (word == "group" || word == "chrom" || word == "chromosome") {
            if (row.cells.size() < 2) fail_at(file, row.line, row.cells[0], "group without a name");
            group = row.cells[1];
            continue;
        }
        if (group.empty()) fail_at(file, row.line, row.cells[0], "marker before the first 'group' line");
        if (row.cells.size() < 2 || !is_number(row.cells[1]))
            fail_at(file, row.line, row.cells.size() < 2 ? row.cells[0] : row.cells[1], "needs a marker name and a position in cM");
        const double cm = std::strtod(row.cells[1].c_str(), nullptr);
        if (cm < 0) fail_at(file, row.line, row.cells[1], "negative position");
        if (!seen.emplace(row.cells[0], row.line).second) fail_at(file, row.line, row.cells[0], "marker stands twice");
        const auto it = index.find(row.cells[0]);
        if (it == index.end()) {
            ++unused;
            continue;
        }
        placed.push_back({row.cells[0], group, cm, row.cells[1], it->second});
    }
    for (const Locus& l : loc.loci)
        if (!seen.count(l.name)) fail_at(loc_file, l.line, l.name, "marker missing from the map " + file);
    if (unused) tally.notes.push_back(std::to_string(unused) + " markers of the map are not in the locus file: left out");
    return placed;
}

// Phenotype rows in the order of the locus file's individuals.
PhenotypeTable phenotypes_for(const std::string& file, LocFile& loc, Tally& tally)
{
    const std::vector<Row> rows = read_csv(file);
    if (rows.empty()) fail(file + ": empty phenotype file");
    PhenotypeTable p;
    p.file = file;
    p.columns = rows[0].cells;
    p.id_column = find_id_column(p.columns);
    if (p.id_column < 0) p.id_column = 0;
    for (std::size_t r = 1; r < rows.size(); ++r)
        if (rows[r].cells.size() != p.columns.size())
            fail_at(file, rows[r].line, "",
                    std::to_string(rows[r].cells.size()) + " columns where the header has " +
                        std::to_string(p.columns.size()));
    const auto id = static_cast<std::size_t>(p.id_column);
    if (loc.names.empty()) {
        if (static_cast<int>(rows.size()) - 1 != loc.nind)
            fail(file + ": " + std::to_string(rows.size() - 1) + " rows where the locus file has " +
                 std::to_string(loc.nind) + " individuals and no names to match them by");
        for (std::size_t r = 1; r < rows.size(); ++r) {
            const std::string problem = name_problem(rows[r].cells[id], true);
            if (!problem.empty()) fail_at(file, rows[r].line, rows[r].cells[id], "individual name: " + problem);
            loc.names.push_back(rows[r].cells[id]);
            p.lines.push_back(rows[r].line);
            p.cells.push_back(rows[r].cells);
        }
        return p;
    }
    std::map<std::string, std::size_t> row_of;
    for (std::size_t r = 1; r < rows.size(); ++r)
        if (!row_of.emplace(rows[r].cells[id], r).second) fail_at(file, rows[r].line, rows[r].cells[id], "id stands twice");
    std::size_t used = 0;
    for (const std::string& name : loc.names) {
        const auto it = row_of.find(name);
        if (it == row_of.end()) {
            p.cells.emplace_back(p.columns.size());
            p.lines.push_back(0);
        } else {
            p.cells.push_back(rows[it->second].cells);
            p.lines.push_back(rows[it->second].line);
            ++used;
        }
    }
    if (used < loc.names.size())
        tally.notes.push_back(std::to_string(loc.names.size() - used) + " offspring without phenotypes");
    if (used < row_of.size())
        tally.notes.push_back(std::to_string(row_of.size() - used) + " phenotype rows of unknown individuals left out");
    return p;
}

Line parent_line(const std::string& name, const Project& p, const LocFile& loc, const std::vector<int>& order,
                 bool first)
{
    Line l;
    l.cohort = 1;
    l.name = name;
    l.nuisance.assign(p.nuisance.size(), "-");
    l.traits.assign(p.trait_names.size(), "-");
    for (int k : order) {
        const SegregationType& t = loc.loci[static_cast<std::size_t>(k)].type;
        const std::string& letters = first ? t.first_parent : t.second_parent;
        l.alleles.push_back(allele_word(t, letters[0]));
        l.alleles.push_back(allele_word(t, letters[1]));
    }
    return l;
}

}  // namespace

Project import_cp(const CpOptions& o)
{
    if (o.phenotypes.empty()) fail("cp needs --phenotypes FILE");
    if (o.first_parent == o.second_parent) fail("--parents needs two different names");
    LocFile loc = read_loc(o.loc);
    Project p;
    p.source = o.loc + ", " + o.map + " and " + o.phenotypes;
    p.design = "outbred full-sib family";
    p.dominance = true;
    const MapLayout map = lay_out_map(read_map(o.map, o.loc, loc, p.tally), p.tally);
    p.groups = map.groups;
    p.analysed = map.analysed;
    const PhenotypeTable phe = phenotypes_for(o.phenotypes, loc, p.tally);
    const ChosenPhenotypes chosen = choose_phenotypes(phe, o.choice, p.tally);
    p.trait_names = chosen.trait_names;
    p.nuisance = chosen.nuisance;
    p.lines.push_back(parent_line(o.first_parent, p, loc, map.source, true));
    p.lines.push_back(parent_line(o.second_parent, p, loc, map.source, false));
    p.tally.notes.push_back("linkage phases of the locus file are not used: the analysis samples them");
    for (std::size_t i = 0; i < loc.names.size(); ++i) {
        Line l;
        l.cohort = 2;
        l.name = loc.names[i];
        l.first = o.first_parent;
        l.second = o.second_parent;
        l.nuisance = chosen.nuisance_words[i];
        l.traits = chosen.trait_words[i];
        for (int k : map.source) {
            const Locus& locus = loc.loci[static_cast<std::size_t>(k)];
            const std::string& code = locus.codes[i];
            const Alleles a = cp_genotype(locus.type, code);
            if (a.kind == CodeKind::Unknown)
                fail_at(o.loc, locus.code_lines[i], code,
                        "code not allowed for locus " + locus.name + " of type " + locus.type.name);
            count_code(p.tally, code, a.kind);
            l.alleles.push_back(a.first);
            l.alleles.push_back(a.second);
        }
        p.lines.push_back(std::move(l));
    }
    return p;
}

}  // namespace vimp
