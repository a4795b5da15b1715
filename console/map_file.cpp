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
#include "textfile/number_text.h"

namespace vsk {

namespace {

constexpr int kMapLineWidth = 100000;
constexpr double kMorganPerCentiMorgan = 0.01;
constexpr std::size_t kKeywordChars = 5;
// Positions within a group stay below 98 Morgan, so that a map coordinate
// (100 x group + Morgan) always names its own group.
constexpr double kMaxPositionCentiMorgan = 9800.0;

std::string str(std::string_view v) { return std::string(v); }

// Running state of one reading.
struct MapReading {
    const std::vector<std::string>* lines = nullptr;
    const std::vector<int>* numbers = nullptr;   // file line of each significant line
    std::size_t next = 0;           // next line to read
    double previous_cm = 0.0;       // position of the group's previous marker
    std::vector<std::string_view> words;
    int markers_read = 0;           // over all groups, analysed or not
    int locus = 0;                  // next analysed locus
    int analysed_groups = 0;
    int intervals = 0;
    double distance_sum = 0.0;
};

// File line (from 1, comment lines counted) of the last line read.
int file_line(const MapReading& r) { return r.next == 0 ? 0 : (*r.numbers)[r.next - 1]; }

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
    cprint("\nERROR: name too long in map file %s, line %d: %s", par.mapfile.c_str(), file_line(r),
           str(name).c_str());
    cprint("\n names of linkage groups and markers have at most %d characters", static_cast<int>(kMaxNameChars));
    cprint(" aborting\n");
    fatal_exit(1);
}

// Header keyword: lowercased, its first min(length, 5) characters must start
// "chrom" or "group". The message says where the header was expected: a
// marker line there means the group before holds more markers than mrkrC.
void check_group_keyword(std::string_view keyword, const MapReading& r, int j)
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
    cprint("\n line %d of map file %s: the header of linkage group %d (group or chrom and its name) was expected",
           file_line(r), par.mapfile.c_str(), j + 1);
    if (j > 0)
        cprint("\n after the %d markers of linkage group %d (%s) that mrkrC announces", chr[j - 1].mrkrC, j,
               chr[j - 1].name.c_str());
    cprint(" aborting\n");
    fatal_exit(1);
}

void read_group_header(MapReading& r, int j, Chr& group)
{
    const std::string& line = next_line(r);
    int n = split_words(line, r.words);
    if (n != 2) {
        cprint("\nL%d %s", file_line(r), line.c_str());
        for (int k = 0; k < n; ++k) cprint("[%d]%s", k, str(r.words[k]).c_str());
        cprint("\nerror number of columns in %s: %d vs. %d", par.mapfile.c_str(), n, 2);
        cprint(" aborting\n");
        fatal_exit(1);
    }
    check_group_keyword(r.words[0], r, j);
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

[[noreturn]] void bad_number(const char* what, int group, int marker, std::string_view word, const MapReading& r)
{
    cprint("\nError: negative %s NOT allowed", what);
    cprint("\n check file %s, line %d", par.mapfile.c_str(), file_line(r));
    cprint("\n linkage group %d", group + 1);
    cprint("\n marker locus %d", marker + 1);
    cprint("\n %s %s", what, str(word).c_str());
    cprint(" aborting\n");
    fatal_exit(1);
}

// Positions and weights are whole decimal numbers ("fifty", "NaN", "0x1F"
// and "12cM" are not), finite and below the group limit.
[[noreturn]] void not_a_position(const char* what, int group, std::string_view marker, std::string_view word,
                                 const MapReading& r)
{
    if (what[0] == 'm')
        cprint("\nError: %s '%s' of marker %s is not a number of cM from 0 up to below %.0f", what,
               str(word).c_str(), str(marker).c_str(), kMaxPositionCentiMorgan);
    else
        cprint("\nError: %s '%s' of marker %s is not a number", what, str(word).c_str(), str(marker).c_str());
    cprint("\n check file %s, line %d, linkage group %d", par.mapfile.c_str(), file_line(r), group + 1);
    cprint("\n aborting\n");
    fatal_exit(1);
}

[[noreturn]] void out_of_map_order(int group, std::string_view marker, double cm, const MapReading& r)
{
    cprint("\nError: marker %s at %g cM lies before the previous marker of linkage group %d (%g cM)",
           str(marker).c_str(), cm, group + 1, r.previous_cm);
    cprint("\n check file %s, line %d: markers are listed in map order", par.mapfile.c_str(), file_line(r));
    cprint(" aborting\n");
    fatal_exit(1);
}

// The marker's position in cM, checked.
double marker_position(const MapReading& r, int j, int m)
{
    double cm = 0.0;
    if (!whole_real(r.words[1], cm) || cm >= kMaxPositionCentiMorgan)
        not_a_position("map position", j, r.words[0], r.words[1], r);
    if (cm < 0.0) bad_number("map position", j, m, r.words[1], r);
    if (m > 0 && cm < r.previous_cm) out_of_map_order(j, r.words[0], cm, r);
    return cm;
}

void read_marker(MapReading& r, int j, int m, const Chr& group)
{
    print_marker_mark(++r.markers_read);
    const std::string& line = next_line(r);
    int n = split_words(line, r.words);
    if (n != 2 && n != 3) {
        cprint("\nerror number of columns in %s: %d", par.mapfile.c_str(), n);
        cprint("\n%s", line.c_str());
        cprint("\n line %d, marker %d of linkage group %d", file_line(r), m + 1, j + 1);
        cprint(" aborting\n");
        fatal_exit(1);
    }
    check_name_length(r.words[0], r);
    const double cm = marker_position(r, j, m);
    r.previous_cm = cm;
    const double position = cm * kMorganPerCentiMorgan;
    double weight = 1.0;
    if (n == 3 && !whole_real(r.words[2], weight)) not_a_position("weight", j, r.words[0], r.words[2], r);
    if (weight < 0.0) bad_number("weight", j, m, r.words[2], r);
    if (!group.indiC) return;
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
    std::vector<int> numbers;
    const std::vector<std::string> lines = load_significant_lines(path, kMapLineWidth, numbers);
    cprint("\n%s\n", path.c_str());
    cprint("first_line\n%s\n", lines.empty() ? "" : lines.front().c_str());
    cprint("last_line\n%s\n", lines.empty() ? "" : lines.back().c_str());

    MapReading r;
    r.lines = &lines;
    r.numbers = &numbers;
    for (int j = 0; j < static_cast<int>(chr.size()) && j < par.nchrom; ++j) {
        read_group_header(r, j, chr[j]);
        for (int m = 0; m < chr[j].mrkrC; ++m) read_marker(r, j, m, chr[j]);
    }
    if (r.next < lines.size()) {
        r.next++;
        cprint("\nerror: map file %s holds more lines than the %d linkage groups of the parameter file announce",
               par.mapfile.c_str(), par.nchrom);
        cprint("\n line %d: %s", file_line(r), lines[r.next - 1].c_str());
        if (par.nchrom > 0 && static_cast<int>(chr.size()) >= par.nchrom)
            cprint("\n linkage group %d (%s) should hold %d markers (mrkrC)", par.nchrom, chr[par.nchrom - 1].name.c_str(),
                   chr[par.nchrom - 1].mrkrC);
        cprint(" aborting\n");
        fatal_exit(1);
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
