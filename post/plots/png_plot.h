// PNG figures of the post-processing, drawn with cairo when the build found
// it (VOSKARA_HAVE_CAIRO); without it every call draws nothing and returns
// false.
#pragma once

#include <string>
#include <vector>

namespace rvn::png {

// Whether this build writes PNG files.
bool available();

// Heat map of per-group values (rows: individuals, highest total first;
// columns: linkage groups; blue below 0, red above) with a bar of each
// row's total at the right.
struct HeatMap {
    std::string title;
    std::vector<std::string> columns;
    std::vector<std::string> rows;
    std::vector<std::vector<double>> cells;  // [row][column]
    std::vector<double> totals;              // [row]
};
bool draw_heat_map(const std::string& path, const HeatMap& map);

// Scatter plots in a grid of panels, each with the identity line and the
// correlation r of its points in its title.
struct ScatterPanel {
    std::string title;
    std::vector<double> x, y;
};
struct Scatter {
    std::string title;
    std::string x_label;
    std::string y_label;
    std::vector<ScatterPanel> panels;
};
bool draw_scatter(const std::string& path, const Scatter& plot);

// Pearson correlation (0 when either variance is 0 or fewer than 2 points).
double correlation(const std::vector<double>& x, const std::vector<double>& y);

}  // namespace rvn::png
