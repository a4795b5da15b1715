// The linkage map as the post-processing sees it: one chromosome group per
// linkage group of the map file, its markers on the coded map coordinate, and
// the normalised prior mass of QTL locations.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "post/bins.h"
#include "post/console.h"
#include "post/params.h"
#include "textfile/fatal.h"
#include "textfile/number_text.h"
#include "textfile/textfile.h"

namespace rvn {

namespace {

constexpr double kGroupOffset = kGroupSpacing;

// Positions within a group stay below 98 Morgan, as the analysis requires,
// so that a coded position always names its own group.
constexpr double kMaxPositionCentiMorgan = 9800.0;

// Effective lines with their file line numbers (from 1, comments counted).
std::vector<std::string> effective_lines(const std::string& path, std::vector<int>& numbers)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string raw;
    int number = 0;
    numbers.clear();
    while (std::getline(in, raw)) {
        ++number;
        std::string content = vsk::stripcomment(raw);
        if (content.empty()) continue;
        lines.push_back(std::move(content));
        numbers.push_back(number);
    }
    return lines;
}

std::vector<std::string> split(const std::string& line)
{
    std::vector<std::string> items;
    vsk::splititems(line, items, 1 << 30, 1 << 30);
    if (!items.empty() && items.back().empty()) items.pop_back();
    return items;
}

// Header keyword check: the first min(length, 5) characters, lowercased,
// must start "chrom" or "group"; `changed` counts the letters lowercased.
bool group_keyword(const std::string& word, int& changed)
{
    std::string lower = word;
    changed = 0;
    for (char& c : lower) {
        char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (l != c) ++changed;
        c = l;
    }
    const std::size_t n = std::min<std::size_t>(lower.size(), 5);
    return n > 0 && (lower.compare(0, n, "chrom", 0, n) == 0 || lower.compare(0, n, "group", 0, n) == 0);
}

[[noreturn]] void map_ends_early(const std::string& mapfile, int group)
{
    rprint("\nERROR: map file %s ends before linkage group %d is complete", mapfile.c_str(), group + 1);
    rprint(" aborting\n");
    vsk::fatal_exit(1);
}

void read_group_header(const std::string& line, int line_no, const std::string& mapfile, int j, ChromGroup& group)
{
    std::vector<std::string> items = split(line);
    if (items.size() != 2) {
        rprint("\nL%d %s", line_no, line.c_str());
        for (std::size_t i = 0; i < items.size(); ++i) rprint("[%d]%s", static_cast<int>(i), items[i].c_str());
        rprint("\nerror number of columns in %s: %d vs. %d", mapfile.c_str(), static_cast<int>(items.size()), 2);
        rprint(" aborting\n");
        vsk::fatal_exit(1);
    }
    int changed = 0;
    if (!group_keyword(items[0], changed)) {
        rprint("\nincorrect name in mapfile: %s(%d)", items[0].c_str(), changed);
        rprint("\n line %d of map file %s: the header of linkage group %d was expected", line_no, mapfile.c_str(),
               j + 1);
        exit_ruvane();
    }
    group.name = items[1];
}

[[noreturn]] void bad_marker(const std::string& mapfile, int line_no, int group, const std::string& marker,
                             const char* problem, const std::string& word)
{
    rprint("\nERROR in map file %s, line %d, linkage group %d, marker %s:", mapfile.c_str(), line_no, group + 1,
           marker.c_str());
    rprint(" %s '%s'", problem, word.c_str());
    exit_ruvane();
}

// A marker line; positions are whole decimal numbers of cM from 0 up to
// below the group limit, in map order (not before `previous_cm`).
MarkerPQ read_marker(const std::string& line, int line_no, const std::string& mapfile, int group, int m,
                     double& previous_cm)
{
    std::vector<std::string> items = split(line);
    if (items.size() < 2 || items.size() > 3) {
        rprint("\nerror number of columns in %s: %d", mapfile.c_str(), static_cast<int>(items.size()));
        rprint(" (line %d)", line_no);
        rprint(" aborting\n");
        vsk::fatal_exit(1);
    }
    double cm = 0.0;
    if (!vsk::whole_real(items[1], cm) || cm < 0.0 || cm >= kMaxPositionCentiMorgan)
        bad_marker(mapfile, line_no, group, items[0], "position (cM from 0 up to below 9800) is", items[1]);
    if (m > 0 && cm < previous_cm) bad_marker(mapfile, line_no, group, items[0], "out of map order at", items[1]);
    previous_cm = cm;
    MarkerPQ marker;
    marker.name = items[0];
    marker.group = group;
    marker.pos = kGroupOffset * (group + 1) + cm * 0.01;
    marker.weight = 1.0;
    if (items.size() == 3 && (!vsk::whole_real(items[2], marker.weight) || marker.weight < 0.0))
        bad_marker(mapfile, line_no, group, items[0], "prior weight is not a number of 0 or more:", items[2]);
    return marker;
}

void normalise_prior(PostState& st)
{
    double total = 0.0;
    for (const ChromGroup& g : st.groups) {
        if (!g.included) continue;
        for (int l = g.first_marker; l >= 0 && l < g.last_marker; ++l)
            total += (st.markers[l + 1].pos - st.markers[l].pos) * 100.0 * st.markers[l].weight;
    }
    rprint("\n\nTotal unnormalized prior mass QTL locations %.5lf", total);
    if (total > 0.0)
        for (MarkerPQ& m : st.markers) m.weight /= total;
    for (ChromGroup& g : st.groups) {
        g.prior_prob = 0.0;
        if (!g.included || total <= 0.0) continue;
        for (int l = g.first_marker; l >= 0 && l < g.last_marker; ++l)
            g.prior_prob += (st.markers[l + 1].pos - st.markers[l].pos) * 100.0 * st.markers[l].weight;
    }
}

void print_groups(const PostState& st)
{
    rprint("\nNormalized prior mass QTL location");
    rprint("\n%-12s %10s %10s %10s %10s %10s %10s", "Group", "start", "end", "length", "no.loci", "analysis",
           "priorprob");
    for (const ChromGroup& g : st.groups) {
        const int loci = g.first_marker < 0 ? 0 : g.last_marker - g.first_marker + 1;
        rprint("\n%-12s %10.3f %10.3f %10.3f %10d", g.name.c_str(), g.lower, g.upper, g.upper - g.lower, loci);
        rprint("%s", g.included ? "   Included" : "   Excluded");
        rprint(" %10.3lf", g.prior_prob);
    }
}

}  // namespace

void read_post_map(PostState& st)
{
    const PostParams& p = st.par;
    const std::string path = st.path(p.mapfile);
    if (!std::ifstream(path)) exit_file_not_available(path.c_str());
    if (static_cast<int>(p.nmrkrC.size()) != p.nchrom) {
        rprint("\nERROR: marker counts (nmrkrC) of %d linkage groups not in the parameter file", p.nchrom);
        abort_ruvane();
    }
    std::vector<int> numbers;
    const std::vector<std::string> lines = effective_lines(path, numbers);
    rprint("\nREADING MAP\n");
    rprint("%s\n", path.c_str());
    rprint("firstline\n%s\n", lines.empty() ? "" : lines.front().c_str());
    rprint("lastline\n%s\n", lines.empty() ? "" : lines.back().c_str());

    st.groups.assign(p.nchrom, ChromGroup{});
    st.markers.clear();
    std::size_t next = 0;
    for (int j = 0; j < p.nchrom; ++j) {
        ChromGroup& g = st.groups[j];
        if (next >= lines.size()) map_ends_early(p.mapfile, j);
        read_group_header(lines[next], numbers[next], p.mapfile, j, g);
        ++next;
        g.included = j < static_cast<int>(p.indiC.size()) ? p.indiC[j] : 0;
        double previous_cm = 0.0;
        for (int m = 0; m < p.nmrkrC[j]; ++m, ++next) {
            if (next >= lines.size()) map_ends_early(p.mapfile, j);
            st.markers.push_back(read_marker(lines[next], numbers[next], p.mapfile, j, m, previous_cm));
        }
        if (p.nmrkrC[j] > 0) {
            g.last_marker = static_cast<int>(st.markers.size()) - 1;
            g.first_marker = g.last_marker - p.nmrkrC[j] + 1;
            g.lower = st.markers[g.first_marker].pos;
            g.upper = st.markers[g.last_marker].pos;
            g.n_bins = group_bin_count(g);
            g.bins.assign(g.n_bins, 0);
            g.density.assign(g.n_bins, 0.0);
        }
    }
    normalise_prior(st);
    print_groups(st);
}

}  // namespace rvn
