// R/qtl layouts. "csv": a header row (phenotype names, then marker names), a
// row of chromosomes (empty under the phenotypes), a row of positions in cM
// (the same), then one row per individual. "csvr": the same table rotated,
// one row per phenotype or marker. "csvs": genotypes and phenotypes in two
// files, joined by their id column.
#include "tools/import/rqtl.h"

#include <cstdlib>
#include <map>

#include "tools/import/import_error.h"
#include "tools/import/map_layout.h"
#include "tools/import/text_table.h"

namespace vimp {

namespace {

// A table of cells with the file line each came from.
struct Grid {
    std::string file;
    std::vector<std::vector<std::string>> cells;
    std::vector<std::vector<int>> lines;
};

Grid csv_grid(const std::string& file, const std::vector<Row>& rows)
{
    Grid g{file, {}, {}};
    const std::size_t width = rows.empty() ? 0 : rows[0].cells.size();
    for (const Row& row : rows) {
        std::vector<std::string> cells = row.cells;
        while (cells.size() > width && cells.back().empty()) cells.pop_back();
        if (cells.size() != width)
            fail_at(file, row.line, "",
                    std::to_string(cells.size()) + " columns where the header has " + std::to_string(width));
        g.cells.push_back(std::move(cells));
        g.lines.emplace_back(width, row.line);
    }
    return g;
}

// Rows of the rotated layout become columns.
Grid csvr_grid(const std::string& file, const std::vector<Row>& rows)
{
    const Grid rotated = csv_grid(file, rows);
    Grid g{file, {}, {}};
    const std::size_t width = rotated.cells.size(), height = width ? rotated.cells[0].size() : 0;
    g.cells.assign(height, std::vector<std::string>(width));
    g.lines.assign(height, std::vector<int>(width));
    for (std::size_t r = 0; r < width; ++r)
        for (std::size_t c = 0; c < height; ++c) {
            g.cells[c][r] = rotated.cells[r][c];
            g.lines[c][r] = rotated.lines[r][c];
        }
    return g;
}

struct CrossTable {
    int lead = 0;        // leading columns that are not markers
    int first_row = 3;   // first individual row
    std::vector<PlacedMarker> markers;
};

CrossTable read_header(const Grid& g)
{
    if (g.cells.size() < 3) fail(g.file + ": needs a header, a chromosome row, a position row and individuals");
    CrossTable t;
    const auto& chrom = g.cells[1];
    while (t.lead < static_cast<int>(chrom.size()) && chrom[static_cast<std::size_t>(t.lead)].empty()) ++t.lead;
    for (int c = 0; c < t.lead; ++c)
        if (!g.cells[2][static_cast<std::size_t>(c)].empty())
            fail_at(g.file, g.lines[2][0], g.cells[2][static_cast<std::size_t>(c)],
                    "the third row must hold the marker positions in cM (empty under the phenotypes); "
                    "files without positions need a map first");
    for (std::size_t c = static_cast<std::size_t>(t.lead); c < chrom.size(); ++c) {
        const std::string& name = g.cells[0][c];
        const std::string& pos = g.cells[2][c];
        if (name.empty()) fail_at(g.file, g.lines[0][c], "", "marker column " + std::to_string(c + 1) + " has no name");
        if (chrom[c].empty()) fail_at(g.file, g.lines[1][c], name, "marker without a chromosome");
        const std::string problem = name_problem(name, false);
        if (!problem.empty()) fail_at(g.file, g.lines[0][c], name, "marker name: " + problem);
        if (!is_number(pos)) fail_at(g.file, g.lines[2][c], pos, "position of marker " + name + " is not a number");
        const double cm = std::strtod(pos.c_str(), nullptr);
        if (cm < 0) fail_at(g.file, g.lines[2][c], pos, "negative position of marker " + name);
        t.markers.push_back({name, chrom[c], cm, pos, static_cast<int>(c)});
    }
    if (t.markers.empty()) fail(g.file + ": no marker column");
    return t;
}

// X-chromosome genotypes depend on sex and cross direction; they are left out.
std::vector<PlacedMarker> autosomal(const std::vector<PlacedMarker>& markers, Tally& tally)
{
    std::vector<PlacedMarker> kept;
    int left = 0;
    for (const PlacedMarker& m : markers) {
        if (m.group == "X" || m.group == "x") ++left;
        else kept.push_back(m);
    }
    if (left) tally.notes.push_back(std::to_string(left) + " markers on the X chromosome left out");
    return kept;
}

PhenotypeTable lead_phenotypes(const Grid& g, const CrossTable& t)
{
    PhenotypeTable p;
    p.file = g.file;
    for (int c = 0; c < t.lead; ++c) p.columns.push_back(g.cells[0][static_cast<std::size_t>(c)]);
    for (std::size_t r = static_cast<std::size_t>(t.first_row); r < g.cells.size(); ++r) {
        p.lines.push_back(g.lines[r][0]);
        p.cells.emplace_back(g.cells[r].begin(), g.cells[r].begin() + t.lead);
    }
    p.id_column = find_id_column(p.columns);
    return p;
}

// "csvs": phenotype rows reordered to the genotype file's individuals.
PhenotypeTable joined_phenotypes(const Grid& g, const CrossTable& t, const std::string& file, Tally& tally)
{
    const PhenotypeTable own = lead_phenotypes(g, t);
    if (own.id_column < 0) fail(g.file + ": the genotype file needs an id column");
    const std::vector<Row> rows = read_csv(file);
    if (rows.empty()) fail(file + ": empty phenotype file");
    PhenotypeTable p;
    p.file = file;
    p.columns = rows[0].cells;
    p.id_column = find_id_column(p.columns);
    if (p.id_column < 0) fail(file + ": the phenotype file needs an id column");
    std::map<std::string, std::size_t> row_of;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (rows[r].cells.size() != p.columns.size())
            fail_at(file, rows[r].line, "",
                    std::to_string(rows[r].cells.size()) + " columns where the header has " +
                        std::to_string(p.columns.size()));
        if (!row_of.emplace(rows[r].cells[static_cast<std::size_t>(p.id_column)], r).second)
            fail_at(file, rows[r].line, rows[r].cells[static_cast<std::size_t>(p.id_column)], "id stands twice");
    }
    std::size_t used = 0;
    for (std::size_t r = 0; r < own.cells.size(); ++r) {
        const std::string& id = own.cells[r][static_cast<std::size_t>(own.id_column)];
        const auto it = row_of.find(id);
        std::vector<std::string> cells(p.columns.size());
        cells[static_cast<std::size_t>(p.id_column)] = id;
        if (it != row_of.end()) cells = rows[it->second].cells, ++used;
        p.lines.push_back(it != row_of.end() ? rows[it->second].line : own.lines[r]);
        p.cells.push_back(std::move(cells));
    }
    if (used < row_of.size())
        tally.notes.push_back(std::to_string(row_of.size() - used) + " phenotype rows without genotypes left out");
    return p;
}

const char* design_name(RqtlCross c)
{
    switch (c) {
    case RqtlCross::F2: return "F2 intercross";
    case RqtlCross::Backcross: return "backcross to the first founder";
    case RqtlCross::RilSelf: return "recombinant inbred lines by selfing";
    case RqtlCross::DoubledHaploid: return "doubled haploids";
    case RqtlCross::FourWay: return "four-way cross";
    }
    return "";
}

Line founder_line(int cohort, const std::string& name, const std::string& first, const std::string& second,
                  const std::string& a1, const std::string& a2, const Project& p)
{
    Line l;
    l.cohort = cohort;
    l.name = name;
    l.first = first;
    l.second = second;
    l.nuisance.assign(p.nuisance.size(), "-");
    l.traits.assign(p.trait_names.size(), "-");
    for (int k = 0; k < p.marker_total(); ++k) {
        l.alleles.push_back(a1);
        l.alleles.push_back(a2);
    }
    return l;
}

// Inbred founders and the F1 the design implies, parents first.
void add_founders(Project& p, RqtlCross cross)
{
    if (cross == RqtlCross::FourWay) {
        const char* founders[] = {"P1", "P2", "P3", "P4"};
        const char* allele[] = {"11", "12", "13", "14"};
        for (int f = 0; f < 4; ++f) p.lines.push_back(founder_line(1, founders[f], "0", "INBRED", allele[f], allele[f], p));
        p.lines.push_back(founder_line(2, "F1_AB", "P1", "P2", "11", "12", p));
        p.lines.push_back(founder_line(2, "F1_CD", "P3", "P4", "13", "14", p));
        return;
    }
    p.lines.push_back(founder_line(1, "P1", "0", "INBRED", "A", "A", p));
    p.lines.push_back(founder_line(1, "P2", "0", "INBRED", "B", "B", p));
    p.lines.push_back(founder_line(2, "F1", "P1", "P2", "A", "B", p));
}

// Parents of an offspring; recombinant inbred lines get their chain of
// unscored selfings (named LINE_S1, LINE_S2, ...) first.
void add_parents_of(Project& p, Line& l, const RqtlOptions& o)
{
    switch (o.cross) {
    case RqtlCross::F2: l.first = "F1", l.second = "SELFED"; break;
    case RqtlCross::Backcross: l.first = "F1", l.second = "P1"; break;
    case RqtlCross::DoubledHaploid: l.first = "F1", l.second = "DBHPLD"; break;
    case RqtlCross::FourWay: l.first = "F1_AB", l.second = "F1_CD"; break;
    case RqtlCross::RilSelf: {
        std::string parent = "F1";
        for (int s = 1; s < o.ril_generations; ++s) {
            const std::string name = l.name + "_S" + std::to_string(s);
            p.lines.push_back(founder_line(2 + s, name, parent, "SELFED", "-", "-", p));
            parent = name;
        }
        l.first = parent, l.second = "SELFED";
        l.cohort = 2 + o.ril_generations;
        break;
    }
    }
}

std::string detect_layout(const RqtlOptions& o, const std::vector<Row>& rows)
{
    if (o.layout != "auto") return o.layout;
    if (!o.phenotypes.empty()) return "csvs";
    return rows.size() > 0 && rows[0].cells.size() > 1 && rows[0].cells[1].empty() ? "csvr" : "csv";
}

}  // namespace

Project import_rqtl(const RqtlOptions& o)
{
    if (o.ril_generations < 1) fail("--ril-generations must be 1 or more");
    const std::vector<Row> rows = read_csv(o.file);
    if (rows.empty()) fail(o.file + ": empty file");
    const std::string layout = detect_layout(o, rows);
    if (layout != "csv" && layout != "csvr" && layout != "csvs") fail("--format " + layout + ": csv, csvr or csvs");
    if (layout == "csvs" && o.phenotypes.empty()) fail("the csvs layout needs --phenotypes FILE");
    const Grid g = layout == "csvr" ? csvr_grid(o.file, rows) : csv_grid(o.file, rows);
    const CrossTable t = read_header(g);

    Project p;
    p.source = o.file + " (R/qtl " + layout + ")";
    p.design = design_name(o.cross);
    p.dominance = o.cross == RqtlCross::F2 || o.cross == RqtlCross::FourWay;
    const MapLayout map = lay_out_map(autosomal(t.markers, p.tally), p.tally);
    p.groups = map.groups;
    p.analysed = map.analysed;
    const PhenotypeTable phe = layout == "csvs" ? joined_phenotypes(g, t, o.phenotypes, p.tally) : lead_phenotypes(g, t);
    const ChosenPhenotypes chosen = choose_phenotypes(phe, o.choice, p.tally);
    p.trait_names = chosen.trait_names;
    p.nuisance = chosen.nuisance;
    add_founders(p, o.cross);

    const int own_id = find_id_column(std::vector<std::string>(g.cells[0].begin(), g.cells[0].begin() + t.lead));
    for (std::size_t r = static_cast<std::size_t>(t.first_row); r < g.cells.size(); ++r) {
        const std::size_t i = r - static_cast<std::size_t>(t.first_row);
        Line l;
        l.cohort = 3;
        l.name = own_id >= 0 ? g.cells[r][static_cast<std::size_t>(own_id)] : "ID" + std::to_string(i + 1);
        if (l.name.empty()) fail_at(g.file, g.lines[r][0], "", "individual without an id");
        const std::string problem = name_problem(l.name, true);
        if (!problem.empty()) fail_at(g.file, g.lines[r][0], l.name, "individual name: " + problem);
        l.nuisance = chosen.nuisance_words[i];
        l.traits = chosen.trait_words[i];
        for (int source : map.source) {
            const auto c = static_cast<std::size_t>(source);
            const std::string& code = g.cells[r][c];
            const Alleles a = rqtl_genotype(o.cross, code);
            if (a.kind == CodeKind::Unknown)
                fail_at(g.file, g.lines[r][c], code, "unknown genotype code of marker " + g.cells[0][c]);
            count_code(p.tally, code, a.kind);
            l.alleles.push_back(a.first);
            l.alleles.push_back(a.second);
        }
        add_parents_of(p, l, o);
        p.lines.push_back(std::move(l));
    }
    return p;
}

}  // namespace vimp
