// IBD positions from the parameter file and the map: the map is read by the
// group and marker counts of the parameter file, as the analysis reads it.
#include "tools/chains/ibd_positions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "textfile/textfile.h"

namespace vch {

namespace {

constexpr double kGroupOffset = 100.0;     // map coordinate per group ordinal
constexpr double kMorganPerCm = 0.01;
constexpr double kGridTolerance = 1e-6;    // a grid point this close to the last marker is left out

std::vector<std::string> keyword_items(const std::string& par, const char* key)
{
    std::string line;
    std::vector<std::string> items;
    if (vsk::searchpattern(key, par, line) < 0) return items;
    std::vector<std::string_view> views;
    const std::string content = vsk::stripcomment(line);
    vsk::split_item_views(content, views);
    for (std::size_t i = 1; i < views.size(); ++i)
        if (!views[i].empty()) items.emplace_back(views[i]);
    return items;
}

std::vector<int> int_items(const std::string& par, const char* key)
{
    std::vector<int> v;
    for (const std::string& s : keyword_items(par, key)) v.push_back(std::atoi(s.c_str()));
    return v;
}

// Per group: its analysed markers' coordinates (empty for groups left out).
std::vector<std::vector<double>> analysed_markers(const std::string& map_path, const std::vector<int>& counts,
                                                  const std::vector<int>& included)
{
    std::ifstream in(map_path);
    std::vector<std::vector<double>> groups;
    std::string raw;
    std::vector<std::string_view> words;
    std::size_t g = 0;
    int left = -1;  // marker lines still to read in group g; -1 before its header
    while (g < counts.size() && std::getline(in, raw)) {
        const std::string line = vsk::stripcomment(raw);
        vsk::split_item_views(line, words);
        if (words.empty() || words[0].empty()) continue;
        if (left < 0) {
            groups.emplace_back();
            left = counts[g];
        } else {
            if (g < included.size() && included[g] > 0)
                groups[g].push_back(kGroupOffset * static_cast<double>(g + 1) +
                                    std::strtod(std::string(words[1 < words.size() ? 1 : 0]).c_str(), nullptr) *
                                        kMorganPerCm);
            --left;
        }
        if (left == 0) {
            ++g;
            left = -1;
        }
    }
    return groups;
}

}  // namespace

std::vector<double> ibd_positions(const std::string& project_dir, const std::string& par_file)
{
    const std::string par = (std::filesystem::path(project_dir) / par_file).string();
    std::vector<double> positions;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(par, ec)) return positions;
    std::string value;
    if (vsk::getpatternvalue("indicQTL", par, value) < 1 || std::atoi(value.c_str()) != 2) return positions;
    std::string text;
    for (const std::string& item : keyword_items(par, "fixQTLpos")) text += item;
    std::string map;
    if (vsk::getpatternvalue("mapfile", par, map) < 1) return positions;
    std::vector<int> counts = int_items(par, "mrkrC");
    if (counts.empty()) counts = int_items(par, "nmrkrC");
    const auto groups =
        analysed_markers((std::filesystem::path(project_dir) / map).string(), counts, int_items(par, "indiC"));

    const bool grid = text.size() >= 2 && text.compare(text.size() - 2, 2, "cM") == 0;
    const double step = grid ? std::strtod(text.c_str(), nullptr) * kMorganPerCm : 0.0;
    if (grid && !(step > 0.0 && std::isfinite(step))) return positions;
    for (const auto& markers : groups) {
        if (markers.empty()) continue;
        const double first = markers.front(), last = markers.back();
        if (text == "MARKERS" || text == "markers") {
            positions.insert(positions.end(), markers.begin(), markers.end());
        } else if (grid) {
            positions.push_back(first);
            for (int i = 1; first + i * step + kGridTolerance < last; ++i) positions.push_back(first + i * step);
            if (positions.back() < last) positions.push_back(last);
        } else if (!text.empty()) {
            const double x = std::strtod(text.c_str(), nullptr);
            if (x >= first && x <= last) return {x};
        }
    }
    return positions;
}

std::string position_text(double coordinate)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", coordinate);
    return text;
}

}  // namespace vch
