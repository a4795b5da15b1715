// Map file reader: header line per linkage group, then its marker lines
// (name, position in cM, optional prior weight).
#include "console/map_file.h"

#include <string>
#include <string_view>

#include "console/data_file_text.h"
#include "console/pedigree_checks.h"
#include "core/state/console.h"
#include "core/state/map_conventions.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr int kMapLineWidth = 100000;
constexpr double kMorganPerCentiMorgan = 0.01;
constexpr std::size_t kKeywordChars = 5;

std::string str(std::string_view v) { return std::string(v); }

// Running state of one reading.
struct MapReading {
    const std::vector<std::string>* lines = nullptr;
    std::size_t next = 0;           // next line to read
    std::vector<std::string_view> words;
    int markers_read = 0;           // over all groups, analysed or not
    int locus = 0;                  // next analysed locus
    int analysed_groups = 0;
    int intervals = 0;
    double distance_sum = 0.0;
};

const std::string& next_line(MapReading& r)
{
    if (r.next >= r.lines->size()) {
        cprint("\nerror: map file %s ends after %d lines; more linkage groups or markers expected",
               par.mapfile.c_str(), static_cast<int>(r.lines->size()));
        cprint(" aborting\n");
        fatal_exit(1);
    }
    return (*r.lines)[r.next++];
}

void check_name_length(std::string_view name, const MapReading& r)
{
    if (name.size() <= kMaxNameChars) return;
    cprint("\nERROR: name too long in map file %s, line %d: %s", par.mapfile.c_str(), static_cast<int>(r.next),
           str(name).c_str());
    cprint("\n names of linkage groups and markers have at most %d characters", static_cast<int>(kMaxNameChars));
    cprint(" aborting\n");
    fatal_exit(1);
}

// Header keyword: lowercased, its first min(length, 5) characters must start
// "chrom" or "group".
void check_group_keyword(std::string_view keyword)
{
    std::string lower(keyword);
    int changed = 0;
    for (char& c : lower) {
        char l = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (l != c) ++changed;
        c = l;
    }
    const std::size_t n = std::min(lower.size(), kKeywordChars);
    const std::string_view head = std::string_view(lower).substr(0, n);
    if (head == std::string_view("chrom").substr(0, n) || head == std::string_view("group").substr(0, n)) return;
    cprint("\nincorrect name in mapfile: %s(%d)", str(keyword).c_str(), changed);
    fatal_exit(1);
}

void read_group_header(MapReading& r, Chr& group)
{
    const std::string& line = next_line(r);
    int n = split_words(line, r.words);
    if (n != 2) {
        cprint("\nL%d %s", static_cast<int>(r.next), line.c_str());
        for (int k = 0; k < n; ++k) cprint("[%d]%s", k, str(r.words[k]).c_str());
        cprint("\nerror number of columns in %s: %d vs. %d", par.mapfile.c_str(), n, 2);
        cprint(" aborting\n");
        fatal_exit(1);
    }
    check_group_keyword(r.words[0]);
    check_name_length(r.words[1], r);
    group.name = str(r.words[1]);
}

void print_marker_mark(int k)
{
    if (k % 50 == 0) cprint(".\n");
    else if (k % 10 == 0) cprint(".  ");
    else if (k % 5 == 0) cprint(". ");
    else cprint(".");
}

[[noreturn]] void bad_number(const char* what, int group, int marker, std::string_view word)
{
    cprint("\nError: negative %s NOT allowed", what);
    cprint("\n check file %s", par.mapfile.c_str());
    cprint("\n linkage group %d", group + 1);
    cprint("\n marker locus %d", marker + 1);
    cprint("\n %s %s", what, str(word).c_str());
    cprint(" aborting\n");
    fatal_exit(1);
}

void read_marker(MapReading& r, int j, int m, const Chr& group)
{
    print_marker_mark(++r.markers_read);
    const std::string& line = next_line(r);
    int n = split_words(line, r.words);
    if (n != 2 && n != 3) {
        cprint("\nerror number of columns in %s: %d", par.mapfile.c_str(), n);
        cprint("\n%s", line.c_str());
        cprint(" aborting\n");
        fatal_exit(1);
    }
    check_name_length(r.words[0], r);
    const double position = real_value(r.words[1]) * kMorganPerCentiMorgan;
    if (position < 0.0) bad_number("map position", j, m, r.words[1]);
    if (!group.indiC) return;
    double weight = n == 3 ? real_value(r.words[2]) : 1.0;
    if (weight < 0.0) bad_number("weight", j, m, r.words[2]);
    if (static_cast<int>(mrkrlcs.size()) <= r.locus) mrkrlcs.resize(static_cast<std::size_t>(r.locus) + 1);
    Mrkrlcs& locus = mrkrlcs[r.locus];
    locus.name = str(r.words[0]);
    locus.chrom = j;
    locus.position = map_coordinate(j + 1, position);
    locus.prior_weight = weight;
    locus.excluded = 0;
    if (m > 0) {
        r.distance_sum += locus.position - mrkrlcs[r.locus - 1].position;
        ++r.intervals;
    } else {
        ++r.analysed_groups;
    }
    ++r.locus;
}

// Each analysed group's marker range and limits; the genome length.
double set_group_limits()
{
    int running = 0;
    double genome = 0.0;
    for (Chr& c : chr) {
        c.fMrkr = c.lMrkr = -1;
        c.chr_length = 0.0;
        if (!c.indiC || c.mrkrC < 1) continue;
        c.fMrkr = running;
        c.LowLim = mrkrlcs[running].position;
        running += c.mrkrC;
        c.lMrkr = running - 1;
        c.UppLim = mrkrlcs[c.lMrkr].position;
        c.chr_length = c.UppLim - c.LowLim;
        genome += c.chr_length;
    }
    cprint("\n\nTotal genome length = %8.2lf Morgan", genome);
    return genome;
}

}  // namespace

double read_map_file()
{
    crule(2, 79, 1);
    cprint("READING MAP\n");
    const std::string path = project_file(par.mapfile);
    const std::vector<std::string> lines = load_significant_lines(path, kMapLineWidth);
    cprint("\n%s\n", path.c_str());
    cprint("first_line\n%s\n", lines.empty() ? "" : lines.front().c_str());
    cprint("last_line\n%s\n", lines.empty() ? "" : lines.back().c_str());

    MapReading r;
    r.lines = &lines;
    for (int j = 0; j < static_cast<int>(chr.size()) && j < par.nchrom; ++j) {
        read_group_header(r, chr[j]);
        for (int m = 0; m < chr[j].mrkrC; ++m) read_marker(r, j, m, chr[j]);
    }
    const double genome = set_group_limits();
    if (par.indicQTL != 0 && genome == 0.0) {
        cprint("\n\nABORTION: No chromosomes available for QTL analysis");
        fatal_exit(1);
    }
    exclude_markers(chr, mrkrlcs);
    normalise_location_prior(chr, mrkrlcs);

    const double average = r.intervals > 0 ? r.distance_sum / r.intervals : 0.0;
    cprint("\n");
    cprint(r.analysed_groups == 1 ? "  %-3d chromosome " : "  %-3d chromosomes", r.analysed_groups);
    cprint(", average distance %6.2f cM\n", average * 100.0);
    for (const Chr& c : chr) {
        cprint("chrom %-15s ", c.name.c_str());
        cprint(c.indiC ? "%4d loci,  INcluded" : "%4d loci,  EXcluded", c.mrkrC);
        cprint("   prior mass = %.3lf\n", c.prior_mass);
    }
    return average;
}

}  // namespace vsk
