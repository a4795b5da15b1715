// R/qtl "csv" layout of a single line cross: id and phenotype columns, then
// one column per marker; a chromosome row and a position row; one row per
// scored line. Allele A is the first founder's (the recurrent parent's in a
// backcross), B the other's; H heterozygous; '-' missing, a null allele or
// an allele neither founder carries (a genotyping error).
#include <cstdio>

#include "tools/simulate/export_common.h"
#include "tools/simulate/exports.h"

namespace vsim {

namespace {

// R/qtl code of a scored genotype, "-" when it cannot be coded.
std::string rqtl_code(std::int16_t s1, std::int16_t s2, int allele_a, int allele_b)
{
    auto side = [&](std::int16_t s) { return s == allele_a ? 'A' : s == allele_b ? 'B' : '?'; };
    const char x = side(s1), y = side(s2);
    if (x == '?' || y == '?') return "-";
    return x == y ? std::string(1, x) : "H";
}

}  // namespace

namespace exporting {

void check_rqtl_design(const Design& d)
{
    if (d.cross != Cross::F2 && d.cross != Cross::Backcross && d.cross != Cross::DoubledHaploid &&
        d.cross != Cross::RecombinantInbred)
        throw SimError("--export rqtl: needs an f2, backcross, dh or ril design");
    if (d.families != 1) throw SimError("--export rqtl: needs a single line cross (--families 1)");
    if (!d.line_cross) throw SimError("--export rqtl: needs founders that differ at every marker (--line-cross 1)");
}

}  // namespace exporting

ExportReport export_rqtl(const Population& pop, const std::filesystem::path& dir)
{
    const Design& d = pop.design;
    exporting::check_rqtl_design(d);
    const int founder_a = d.cross == Cross::Backcross && d.backcross_parent == 2 ? 1 : 0;
    const int founder_b = 1 - founder_a;
    const auto& markers = pop.genome.markers;
    std::vector<std::string> head{"id"}, chrom{""}, pos{""};
    for (const std::string& n : exporting::phenotype_names(d)) head.push_back(n), chrom.emplace_back(), pos.emplace_back();
    for (const MarkerDef& m : markers) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", m.position_cm);
        head.push_back(m.name);
        chrom.push_back(std::to_string(m.chromosome + 1));
        pos.push_back(text);
    }
    const auto path = dir / "cross.csv";
    auto out = exporting::open(path);
    out << exporting::join(head, ',') << '\n' << exporting::join(chrom, ',') << '\n' << exporting::join(pos, ',') << '\n';
    ExportReport report{"cross.csv", static_cast<long>(markers.size()), 0, 0};
    const auto& people = pop.pedigree.individuals;
    for (std::size_t i = 0; i < people.size(); ++i) {
        const Individual& ind = people[i];
        if (ind.generation < 2 || !ind.genotyped) continue;  // founders, F1, unscored selfings
        std::vector<std::string> row{ind.name};
        for (const std::string& c : exporting::phenotype_cells(pop, static_cast<int>(i))) row.push_back(c);
        for (std::size_t k = 0; k < markers.size(); ++k) {
            const int a = exporting::true_allele(pop, founder_a, static_cast<int>(k), true);
            const int b = exporting::true_allele(pop, founder_b, static_cast<int>(k), true);
            const std::int16_t s1 = pop.scores[i][2 * k], s2 = pop.scores[i][2 * k + 1];
            row.push_back(rqtl_code(s1, s2, a, b));
            if (row.back() == "-" && s1 != kMissingScore) ++report.codes_lost;
        }
        out << exporting::join(row, ',') << '\n';
    }
    exporting::finish(out, path);
    return report;
}

void check_export(const Design& design, const std::string& format)
{
    if (format == "rqtl") exporting::check_rqtl_design(design);
    else if (format == "cp") exporting::check_cp_design(design);
    else throw SimError("--export " + format + ": rqtl or cp");
}

void write_export(const Population& pop, const std::filesystem::path& dir, const std::string& format, std::FILE* out)
{
    ExportReport r;
    if (format == "rqtl") r = export_rqtl(pop, dir);
    else if (format == "cp") r = export_cp(pop, dir);
    else throw SimError("--export " + format + ": rqtl or cp");
    std::fprintf(out, "  exported %s: %ld markers (%ld left out), %ld scores written as missing\n", r.files.c_str(),
                 r.markers, r.markers_left_out, r.codes_lost);
}

}  // namespace vsim
