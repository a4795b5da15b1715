// QTL haplotypes of phased regions from the QTL phase samples.
#include "post/haplotypes.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "post/console.h"
#include "post/ruvane.h"
#include "textfile/datetime.h"
#include "textfile/fatal.h"
#include "textfile/file.h"
#include "textfile/textfile.h"

namespace rvn {

namespace {

// Columns of a phase.out row.
constexpr int kPhaseColumns = 9;
constexpr int kAlleleWarning = 100;
constexpr PhasePos kChromUnit = 10000000;  // 100 coded units

PhasePos to_units(double coded) { return std::llround(coded * kPhaseUnit); }
int chrom_of(PhasePos p) { return static_cast<int>(p / kChromUnit); }
double cm_of(PhasePos p) { return static_cast<double>(p % kChromUnit) / 1000.0; }

std::vector<std::vector<std::string>> data_rows(const std::string& path, bool& found)
{
    std::ifstream in(path, std::ios::binary);
    found = static_cast<bool>(in);
    std::vector<std::vector<std::string>> rows;
    std::string raw;
    while (std::getline(in, raw)) {
        const std::string text = vsk::stripcomment(raw);
        std::vector<std::string> items;
        vsk::splititems(text, items, 1 << 30, 1 << 30);
        while (!items.empty() && items.back().empty()) items.pop_back();
        if (!items.empty()) rows.push_back(std::move(items));
    }
    return rows;
}

int read_phase_regions(const std::string& path, std::vector<PhaseRegion>& regions)
{
    bool found = false;
    const auto rows = data_rows(path, found);
    if (rows.empty()) {
        rprint("\n\nEarly return in function CalcQtlHaplotype():");
        rprint(" no regions found\n");
        return -1;
    }
    rprint("\nFile %-15s", path.c_str());
    rprint("%6d rows", static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].size() != 2) {
            rprint("\n\n*** ERROR in region %d: %d values instead of start and end ***\n", static_cast<int>(r) + 1,
                   static_cast<int>(rows[r].size()));
            rprint("\n\n Make region consistent in file %s", path.c_str());
            rprint("\n*** Early return to Ruvane ***\n");
            return -2;
        }
        PhaseRegion reg{to_units(std::strtod(rows[r][0].c_str(), nullptr)),
                        to_units(std::strtod(rows[r][1].c_str(), nullptr))};
        if (reg.end < reg.start) {
            rprint("\n\n*** ERROR in region: Negative distance! ***\n");
            rprint("\nRegion %2d:  %10lld", static_cast<int>(r) + 1, reg.start);
            rprint("  %10lld", reg.end);
            rprint("\n\n Make region consistent in file %s", path.c_str());
            rprint("\n*** Early return to Ruvane ***\n");
            return -2;
        }
        if (!regions.empty() && reg.start < regions.back().end) {
            rprint("\n\n*** ERROR in regions: Overlapping regions! ***\n");
            rprint("\nRegion %2d:  %10lld", static_cast<int>(r), regions.back().start);
            rprint("  %10lld", regions.back().end);
            rprint("\nRegion %2d:  %10lld", static_cast<int>(r) + 1, reg.start);
            rprint("  %10lld", reg.end);
            rprint("\n\nMake regions consistent in file %s!", path.c_str());
            rprint("\n\n*** Early return to Ruvane ***\n");
            return -2;
        }
        regions.push_back(reg);
    }
    return 0;
}

[[noreturn]] void bad_phase_row(const std::string& path, int cols, int row, int expected)
{
    rprint("\nERROR in reading file %s", path.c_str());
    rprint("\ninconsistent no. of columns (%d)at row %d", cols, row);
    rprint("\nexpected no. of columns = %d", expected);
    rprint("\n\nAborting Voskara");
    vsk::fatal_exit(1);
}

int read_phase_table(const std::string& path, std::vector<PhaseRow>& table, AlleleDictionary& dict)
{
    bool found = false;
    auto rows = data_rows(path, found);
    if (!found || rows.empty()) {
        rprint("\n\nEarly return in function CalcQtlHaplotype():");
        rprint(found ? " empty file \n" : " file not found\n");
        if (found) rprint("\n%s", path.c_str()), rprint(", maxline = %d, nrows = %d\n\n", 0, 0);
        return -1;
    }
    const int width = static_cast<int>(rows[0].size());
    if (width != kPhaseColumns) bad_phase_row(path, width, 0, kPhaseColumns);
    // A last row cut short by a stopped analysis is left out.
    if (rows.size() > 1 && static_cast<int>(rows.back().size()) < width) {
        rprint("\nWARNING: last row of file %s is incomplete and is left out", path.c_str());
        rows.pop_back();
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& it = rows[r];
        if (static_cast<int>(it.size()) != width) bad_phase_row(path, static_cast<int>(it.size()), static_cast<int>(r), width);
        PhaseRow p;
        p.iteration = std::atoi(it[0].c_str());
        p.individual = std::atoi(it[1].c_str());
        p.qtl = to_units(std::strtod(it[2].c_str(), nullptr));
        p.left = to_units(std::strtod(it[3].c_str(), nullptr));
        p.left1 = dict.index_of(it[4]);
        p.left2 = dict.index_of(it[5]);
        p.right = to_units(std::strtod(it[6].c_str(), nullptr));
        p.right1 = dict.index_of(it[7]);
        p.right2 = dict.index_of(it[8]);
        table.push_back(p);
    }
    rprint("\nFile %-15s", path.c_str());
    rprint("%6d rows", static_cast<int>(table.size()));
    std::stable_sort(table.begin(), table.end(), [](const PhaseRow& a, const PhaseRow& b) { return a.qtl < b.qtl; });
    return 0;
}

void write_phase_tmp(const PostState& st, const std::vector<PhaseRow>& table, const AlleleDictionary& dict)
{
    vsk::File f = vsk::open_file(st.path("phase.tmp"), "w");
    if (!f) return;
    for (std::size_t k = 0; k < dict.labels.size(); ++k) {
        std::fprintf(f.get(), "; Sallele: %3d %5s", static_cast<int>(k) + 1, dict.labels[k].c_str());
        std::fprintf(f.get(), " %8d\n", dict.counts[k]);
    }
    for (const PhaseRow& p : table)
        std::fprintf(f.get(), " %10d %10d %10lld %10lld %10d %10d %10lld %10d %10d\n", p.iteration, p.individual, p.qtl,
                     p.left, p.left1, p.left2, p.right, p.right1, p.right2);
}

struct RegionRows {
    int first = -1, last = -1;  // rows of the sorted table
    int entries = 0;            // distinct iterations
};

RegionRows rows_of(const std::vector<PhaseRow>& table, const PhaseRegion& reg)
{
    RegionRows out;
    std::set<int> iterations;
    for (int k = 0; k < static_cast<int>(table.size()); ++k) {
        if (table[k].qtl < reg.start || table[k].qtl > reg.end) continue;
        if (out.first < 0) out.first = k;
        out.last = k;
        iterations.insert(table[k].iteration);
    }
    out.entries = static_cast<int>(iterations.size());
    return out;
}

std::string text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string text(const char* format, ...)
{
    char buffer[200];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

void region_line(std::FILE* csv, int r, const PhaseRegion& reg, const RegionRows& rows)
{
    rprint("\n%6d", r);
    std::fprintf(csv, "\n;,%d", r);
    for (PhasePos p : {reg.start, reg.end}) {
        rprint("%12.5lf (%2d,%8.3lf)", static_cast<double>(p) / kPhaseUnit, chrom_of(p), cm_of(p));
        std::fprintf(csv, ",%.5lf,%d,%.3lf", static_cast<double>(p) / kPhaseUnit, chrom_of(p), cm_of(p));
    }
    rprint("  %4d it", rows.entries);
    rprint(" [entries %6d-%-6d]", rows.first, rows.last);
    std::fprintf(csv, ",%d", rows.entries);
    QRegions2XML.push_back(text("%d", r) + text(",%d,%.3lf", chrom_of(reg.start), cm_of(reg.start)) +
                           text(",%d,%.3lf", chrom_of(reg.end), cm_of(reg.end)) + text(",%d", rows.entries));
    QRegName2XML.push_back("mqhap" + text(".%d.%.3lf.%s", chrom_of(reg.start), cm_of(reg.start), "csv"));
}

// Flanking-marker counts of one individual in one region, keyed by the
// marker position with the allele, so alleles of different markers are
// never pooled.
using Side = std::pair<PhasePos, int>;

void write_individual(std::FILE* csv, const PostState& st, int r, const PhaseRegion& reg, int i,
                      const std::vector<const PhaseRow*>& rows, int entries, const AlleleDictionary& dict)
{
    std::map<std::pair<Side, Side>, int> J;
    std::map<Side, int> L, R;
    int nJ = 0, nL = 0, nR = 0;
    for (const PhaseRow* p : rows) {
        const bool li = AlleleDictionary::informative(p->left1);
        const bool ri = AlleleDictionary::informative(p->right1);
        if (li) ++L[{p->left, p->left1}], ++nL;
        if (ri) ++R[{p->right, p->right1}], ++nR;
        if (li && ri) ++J[{{p->left, p->left1}, {p->right, p->right1}}], ++nJ;
    }
    const double need = 0.01 * entries;
    auto head = [&] {
        std::fprintf(csv, "\n%d,%d,%.3lf", r, chrom_of(reg.start), cm_of(reg.start));
        std::fprintf(csv, ",%s", st.names[i].c_str());
    };
    auto label = [&](int index) { return dict.labels[index - 1].c_str(); };
    if (nJ > 0 && nJ >= need) {
        for (const auto& [key, n] : J) {
            head();
            std::fprintf(csv, ",%.3lf,%.3lf", cm_of(key.first.first), cm_of(key.second.first));
            std::fprintf(csv, ",%s,%s", label(key.first.second), label(key.second.second));
            std::fprintf(csv, ",%.2lf,%d", static_cast<double>(n) / nJ, n);
        }
    } else if (nL > 0 && nL >= need) {
        for (const auto& [key, n] : L) {
            head();
            std::fprintf(csv, ",%.3lf,-", cm_of(key.first));
            std::fprintf(csv, ",%s,%s", label(key.second), "-");
            std::fprintf(csv, ",%.2lf,%d", static_cast<double>(n) / nL, n);
        }
    } else if (nR > 0 && nR >= need) {
        for (const auto& [key, n] : R) {
            head();
            std::fprintf(csv, ",-,%.3lf", cm_of(key.first));
            std::fprintf(csv, ",%s,%s", "-", label(key.second));
            std::fprintf(csv, ",%.2lf,%d", static_cast<double>(n) / nR, n);
        }
    }
}

}  // namespace

int AlleleDictionary::index_of(const std::string& label)
{
    for (std::size_t k = 0; k < labels.size(); ++k)
        if (labels[k] == label) {
            ++counts[k];
            return static_cast<int>(k) + 1;
        }
    labels.push_back(label);
    counts.push_back(1);
    return static_cast<int>(labels.size());
}

namespace {

int qtl_haplotypes(const PostState& st)
{
    nQRegions2XML = 0;
    QRegions2XML.clear();
    QRegName2XML.clear();
    const std::string phase_path = st.path("phase.out");
    if (!std::ifstream(phase_path)) {
        rprint("\n\nEarly return in QTL phases");
        rprint("\nfile %s not found\n", phase_path.c_str());
        return -1;
    }
    const std::string regions_path = st.path("PhQRegions.inp");
    rrule(3, kRuleWidth, 1);
    rprint("CALCULATION OF QTL HAPLOTYPES");
    rprint("\n Two input files: ");
    rprint("\n 1. %s = QTL regions", regions_path.c_str());
    rprint("\n 2. %s = QTL phase samples", phase_path.c_str());
    rprint("\n\n");
    std::vector<PhaseRegion> regions;
    if (const int code = read_phase_regions(regions_path, regions); code != 0) return code;
    std::vector<PhaseRow> table;
    AlleleDictionary dict;
    if (const int code = read_phase_table(phase_path, table, dict); code != 0) return code;
    write_phase_tmp(st, table, dict);

    rprint("\n\n= = = = = = ");
    rprint("\n%6s", "Region");
    rprint("   %-23s", "Begin");
    rprint("   %-23s", "End");
    rprint("   %-19s", "Entries");
    const std::string csv_path = st.path("Qhaplotypes.csv");
    vsk::File csv = vsk::open_file(csv_path, "w");
    if (!csv) return -1;
    std::fprintf(csv.get(), ";,%s", vsk::datetime_text().c_str());
    std::fprintf(csv.get(), "\n;,Ruvane_version,%s", kVersion);
    std::fprintf(csv.get(), "\n;,Ruvane_date,%s", kVersionDate);
    std::fprintf(csv.get(), "\n;,%s", "Region");
    std::fprintf(csv.get(), ",%s,%s,%s", "Begin", "Begin_Ch", "Begin_cM");
    std::fprintf(csv.get(), ",%s,%s,%s", "End", "End_Ch", "End_cM");
    std::fprintf(csv.get(), ",%s", "Entries");
    std::vector<RegionRows> spans;
    for (std::size_t r = 0; r < regions.size(); ++r) {
        spans.push_back(rows_of(table, regions[r]));
        region_line(csv.get(), static_cast<int>(r) + 1, regions[r], spans.back());
    }
    nQRegions2XML = static_cast<int>(regions.size());
    rprint("\n\n OUTPUT written to FILE %s", csv_path.c_str());
    std::fprintf(csv.get(), "\nregion,chr,pos,individual,markerL,markerR,alleleL,alleleR,prob,counts");
    if (static_cast<int>(dict.labels.size()) > kAlleleWarning) {
        rprint("\nWarning: increasing value for max number of alleles");
        rprint("\nold value: %d", kAlleleWarning);
        rprint("\nnew value: %d", static_cast<int>(dict.labels.size()) + 1);
    }
    const int W = static_cast<int>(st.names.size());
    for (std::size_t r = 0; r < regions.size() && W > 0; ++r) {
        // The region's rows of each individual, in one pass.
        std::vector<std::vector<const PhaseRow*>> by_individual(W);
        for (int k = spans[r].first; k >= 0 && k <= spans[r].last; ++k)
            if (table[k].individual >= 1 && table[k].individual <= W)
                by_individual[table[k].individual - 1].push_back(&table[k]);
        for (int i = 0; i < W; ++i)
            if (st.print_flag[i])
                write_individual(csv.get(), st, static_cast<int>(r) + 1, regions[r], i, by_individual[i],
                                 spans[r].entries, dict);
    }
    return 0;
}

}  // namespace

int CalcQtlHaplotype(const PostState& st)
{
    const int code = qtl_haplotypes(st);
    // A run that wrote no haplotypes must not leave an earlier run's file
    // behind, to be read (and linked by the summaries) as this run's.
    if (code != 0) {
        std::error_code ec;
        if (std::filesystem::remove(st.path("Qhaplotypes.csv"), ec))
            rprint("\n%s of an earlier run removed\n", st.path("Qhaplotypes.csv").c_str());
    }
    return code;
}

}  // namespace rvn
