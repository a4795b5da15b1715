// Which figures a run gets and what they show: the "bf" genomic values of
// the first trait per group of written individuals, and the observed against
// predicted phenotypes of the population and of its full-sib families.
#include "post/plots/figures.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <numeric>
#include <sstream>

#include "post/console.h"
#include "post/plots/png_plot.h"

namespace rvn {

namespace {

std::vector<std::string> split_commas(const std::string& line)
{
    std::vector<std::string> items;
    std::stringstream in(line);
    for (std::string item; std::getline(in, item, ',');) items.push_back(item);
    return items;
}

bool draw_gbv_group(const PostState& st, const GenomicValues& gv, const PlotGroup& group)
{
    if (group.rows.empty() || gv.bf.total.empty()) return false;
    std::vector<int> order = group.rows;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return gv.bf.total[0][a].mean > gv.bf.total[0][b].mean; });
    png::HeatMap map;
    map.title = "Genomic values (QTL with 2 ln BF > 2), trait 1: " + group.label;
    for (int g : gv.groups) map.columns.push_back(st.groups[g].name);
    for (int k : order) {
        map.rows.push_back(gv.names[k]);
        map.cells.push_back(gv.bf.per_group[0][k]);
        map.totals.push_back(gv.bf.total[0][k].mean);
    }
    return png::draw_heat_map(st.path("gbv_genome_" + group.code + ".png"), map);
}

png::ScatterPanel panel_of(const std::string& title, const std::vector<const Prediction*>& points)
{
    png::ScatterPanel p;
    p.title = title;
    for (const Prediction* q : points) {
        p.x.push_back(q->predicted);
        p.y.push_back(q->observed);
    }
    return p;
}

// The full-sib families with enough observed members, largest first.
std::vector<png::ScatterPanel> family_panels(const std::vector<Prediction>& preds, const PedigreeSets& sets)
{
    std::map<std::string, const Prediction*> by_name;
    for (const Prediction& p : preds) by_name[p.name] = &p;
    std::vector<std::pair<std::string, std::vector<const Prediction*>>> families;
    for (const auto& [key, members] : sets.families) {
        std::vector<const Prediction*> points;
        for (const std::string& m : members)
            if (auto it = by_name.find(m); it != by_name.end()) points.push_back(it->second);
        if (static_cast<int>(points.size()) >= kMinFamilyPoints) families.emplace_back(key, std::move(points));
    }
    std::stable_sort(families.begin(), families.end(),
                     [](const auto& a, const auto& b) { return a.second.size() > b.second.size(); });
    if (static_cast<int>(families.size()) > kMaxFamilyPanels) families.resize(kMaxFamilyPanels);
    std::vector<png::ScatterPanel> panels;
    for (const auto& [key, points] : families) panels.push_back(panel_of(key, points));
    return panels;
}

}  // namespace

std::vector<PlotGroup> gbv_plot_groups(const GenomicValues& gv, const PedigreeSets& sets)
{
    std::vector<PlotGroup> groups{{"ALL", "all written individuals", {}},
                                  {"FOU", "founders", {}},
                                  {"FSP", "parents of full-sib families", {}}};
    for (int k = 0; k < static_cast<int>(gv.names.size()); ++k) {
        groups[0].rows.push_back(k);
        if (sets.founders.count(gv.names[k])) groups[1].rows.push_back(k);
        if (sets.fullsib_parents.count(gv.names[k])) groups[2].rows.push_back(k);
    }
    return groups;
}

std::vector<Prediction> read_predictions(const PostState& st, const PedigreeSets& sets)
{
    std::vector<Prediction> out;
    std::ifstream in(st.path("prediction.csv"));
    std::string line;
    bool header = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!header) {
            header = line.rfind("ID,yObs,yHat", 0) == 0;
            continue;
        }
        const std::vector<std::string> items = split_commas(line);
        if (items.size() < 3 || (items.size() - 1) % 2 != 0) continue;
        const auto seen = sets.observed.find(items[0]);
        if (seen == sets.observed.end()) continue;  // imputed, not observed
        const std::size_t traits = (items.size() - 1) / 2;
        char* end = nullptr;
        const double predicted = std::strtod(items[1 + traits].c_str(), &end);
        if (end == items[1 + traits].c_str()) continue;
        out.push_back({items[0], seen->second, predicted});
    }
    return out;
}

std::vector<std::string> write_figures(const PostState& st, const GenomicValues& gv)
{
    std::vector<std::string> written;
    if (!png::available()) {
        rprint("\nNOTE: this build writes no PNG figures (it was built without cairo)");
        return written;
    }
    const PedigreeSets sets = read_pedigree_sets(st);
    if (!gv.empty())
        for (const PlotGroup& group : gbv_plot_groups(gv, sets))
            if (draw_gbv_group(st, gv, group)) written.push_back("gbv_genome_" + group.code + ".png");
    const std::vector<Prediction> preds = read_predictions(st, sets);
    if (!preds.empty()) {
        std::vector<const Prediction*> all;
        for (const Prediction& p : preds) all.push_back(&p);
        png::Scatter pop{"Observed against predicted phenotypes: population", "predicted", "observed",
                         {panel_of("all individuals with a phenotype", all)}};
        if (png::draw_scatter(st.path("phenotypes_pred_POP.png"), pop)) written.push_back("phenotypes_pred_POP.png");
        png::Scatter fsf{"Observed against predicted phenotypes: full-sib families", "predicted", "observed",
                         family_panels(preds, sets)};
        if (png::draw_scatter(st.path("phenotypes_pred_FSF.png"), fsf)) written.push_back("phenotypes_pred_FSF.png");
    }
    return written;
}

}  // namespace rvn
