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
#include "textfile/textfile.h"

namespace rvn {

namespace {

constexpr double kGroupOffset = kGroupSpacing;

std::vector<std::string> effective_lines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string raw;
    while (std::getline(in, raw)) {
        std::string content = vsk::stripcomment(raw);
        if (!content.empty()) lines.push_back(std::move(content));
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

void read_group_header(const std::string& line, int line_no, const std::string& mapfile, ChromGroup& group)
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
        vsk::fatal_exit(1);
    }
    group.name = items[1];
}

MarkerPQ read_marker(const std::string& line, const std::string& mapfile, int group)
{
    std::vector<std::string> items = split(line);
    if (items.size() < 2 || items.size() > 3) {
        rprint("\nerror number of columns in %s: %d", mapfile.c_str(), static_cast<int>(items.size()));
        rprint(" aborting\n");
        vsk::fatal_exit(1);
    }
    MarkerPQ marker;
    marker.name = items[0];
    marker.group = group;
    marker.pos = kGroupOffset * (group + 1) + std::strtod(items[1].c_str(), nullptr) * 0.01;
    marker.weight = items.size() == 3 ? std::strtod(items[2].c_str(), nullptr) : 1.0;
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
    const std::vector<std::string> lines = effective_lines(path);
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
        read_group_header(lines[next], static_cast<int>(next) + 1, p.mapfile, g);
        ++next;
        g.included = j < static_cast<int>(p.indiC.size()) ? p.indiC[j] : 0;
        for (int m = 0; m < p.nmrkrC[j]; ++m, ++next) {
            if (next >= lines.size()) map_ends_early(p.mapfile, j);
            st.markers.push_back(read_marker(lines[next], p.mapfile, j));
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
