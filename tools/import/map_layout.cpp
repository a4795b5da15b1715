#include "tools/import/map_layout.h"

#include <algorithm>
#include <map>

namespace vimp {

MapLayout lay_out_map(const std::vector<PlacedMarker>& markers, Tally& tally)
{
    std::vector<std::string> order;
    std::map<std::string, std::vector<const PlacedMarker*>> by_group;
    for (const PlacedMarker& m : markers) {
        auto& list = by_group[m.group];
        if (list.empty()) order.push_back(m.group);
        list.push_back(&m);
    }
    MapLayout layout;
    for (const std::string& g : order) {
        auto& list = by_group[g];
        std::stable_sort(list.begin(), list.end(),
                         [](const PlacedMarker* a, const PlacedMarker* b) { return a->position_cm < b->position_cm; });
        Group group{g, {}};
        for (const PlacedMarker* m : list) {
            group.markers.push_back({m->name, m->position_cm, m->position_text});
            layout.source.push_back(m->source);
        }
        const bool analysed = list.size() >= 2;
        if (!analysed) tally.notes.push_back("group " + g + " has one marker: kept in the files, not analysed");
        layout.groups.push_back(std::move(group));
        layout.analysed.push_back(analysed);
    }
    return layout;
}

void count_code(Tally& tally, const std::string& code, CodeKind kind)
{
    ++tally.by_code[code.empty() ? std::string("(empty)") : code];
    switch (kind) {
    case CodeKind::Full: ++tally.converted; break;
    case CodeKind::Partial: ++tally.partial; break;
    case CodeKind::Lost: ++tally.partial_lost; break;
    case CodeKind::Missing: ++tally.missing; break;
    case CodeKind::Unexpected: ++tally.unexpected; ++tally.converted; break;
    case CodeKind::Unknown: break;
    }
}

}  // namespace vimp
