// The PNG figures drawn with cairo's image surfaces and its toy text API
// (enough for titles, axis numbers and names); stubs when cairo is absent.
#include "post/plots/png_plot.h"

#ifdef VOSKARA_HAVE_CAIRO

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace rvn::png {

namespace {

struct SurfaceCloser {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextCloser {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceCloser>;
using Context = std::unique_ptr<cairo_t, ContextCloser>;

// A white canvas of w x h pixels.
struct Canvas {
    Surface surface;
    Context cr;
    Canvas(int w, int h)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)), cr(cairo_create(surface.get()))
    {
        cairo_set_source_rgb(cr.get(), 1, 1, 1);
        cairo_paint(cr.get());
        cairo_select_font_face(cr.get(), "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    }
    bool ok() const { return cairo_status(cr.get()) == CAIRO_STATUS_SUCCESS; }
    bool save(const std::string& path)
    {
        cairo_surface_flush(surface.get());
        return cairo_surface_write_to_png(surface.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
    }
};

// Text with its left (align 0), centre (0.5) or right (1) end at x.
void text(cairo_t* cr, double x, double y, const std::string& s, double size, double align = 0.0)
{
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    cairo_move_to(cr, x - align * e.x_advance, y);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_show_text(cr, s.c_str());
}

std::string number(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3g", v);
    return buffer;
}

// Diverging colour of v in [-1, 1]: blue, white, red.
void diverging(cairo_t* cr, double v)
{
    v = std::clamp(v, -1.0, 1.0);
    if (v >= 0) cairo_set_source_rgb(cr, 1.0, 1.0 - 0.75 * v, 1.0 - 0.8 * v);
    else cairo_set_source_rgb(cr, 1.0 + 0.8 * v, 1.0 + 0.6 * v, 1.0);
}

double largest_magnitude(const std::vector<double>& v)
{
    double m = 0.0;
    for (double x : v) m = std::max(m, std::fabs(x));
    return m > 0.0 ? m : 1.0;
}

// Value range of a panel's points on both axes, padded by 5 %.
void panel_range(const ScatterPanel& p, double& lo, double& hi)
{
    lo = hi = 0.0;
    bool first = true;
    for (const auto* v : {&p.x, &p.y})
        for (double x : *v) {
            lo = first ? x : std::min(lo, x);
            hi = first ? x : std::max(hi, x);
            first = false;
        }
    const double pad = hi > lo ? 0.05 * (hi - lo) : 1.0;
    lo -= pad;
    hi += pad;
}

void draw_panel(cairo_t* cr, const ScatterPanel& p, double x0, double y0, double size)
{
    const double m = 44.0, side = size - m - 12.0;
    double lo = 0, hi = 1;
    panel_range(p, lo, hi);
    auto px = [&](double v) { return x0 + m + (v - lo) / (hi - lo) * side; };
    auto py = [&](double v) { return y0 + 24.0 + side - (v - lo) / (hi - lo) * side; };
    cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, px(lo), py(hi), side, side);
    cairo_stroke(cr);
    const double dash[] = {4.0, 3.0};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_move_to(cr, px(lo), py(lo));
    cairo_line_to(cr, px(hi), py(hi));
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_set_source_rgba(cr, 0.15, 0.35, 0.7, 0.6);
    const std::size_t n = std::min(p.x.size(), p.y.size());
    for (std::size_t k = 0; k < n; ++k) {
        cairo_arc(cr, px(p.x[k]), py(p.y[k]), 2.5, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    char title[160];
    std::snprintf(title, sizeof title, "%s  (r = %.3f, n = %d)", p.title.c_str(), correlation(p.x, p.y),
                  static_cast<int>(n));
    text(cr, x0 + m, y0 + 16.0, title, 11.0);
    text(cr, px(lo), py(lo) + 13.0, number(lo), 9.0, 0.0);
    text(cr, px(hi), py(lo) + 13.0, number(hi), 9.0, 1.0);
    text(cr, px(lo) - 3.0, py(lo), number(lo), 9.0, 1.0);
    text(cr, px(lo) - 3.0, py(hi) + 9.0, number(hi), 9.0, 1.0);
}

}  // namespace

bool available() { return true; }

bool draw_heat_map(const std::string& path, const HeatMap& map)
{
    const int R = static_cast<int>(map.rows.size()), C = static_cast<int>(map.columns.size());
    if (R == 0 || C == 0) return false;
    const double row_h = std::clamp(720.0 / R, 1.5, 14.0);
    const double col_w = std::clamp(560.0 / C, 22.0, 70.0);
    const double left = row_h >= 8.0 ? 150.0 : 40.0, top = 70.0, bar_w = 200.0, gap = 30.0;
    const int width = std::max(640, static_cast<int>(left + C * col_w + gap + bar_w + 30.0));
    const int height = static_cast<int>(top + R * row_h + 50.0);
    Canvas canvas(width, height);
    cairo_t* cr = canvas.cr.get();
    std::vector<double> all;
    for (const auto& row : map.cells) all.insert(all.end(), row.begin(), row.end());
    const double scale = largest_magnitude(all), total_scale = largest_magnitude(map.totals);
    text(cr, 12.0, 24.0, map.title, 15.0);
    char legend[160];
    std::snprintf(legend, sizeof legend, "colour: value per linkage group (blue -%s ... red +%s); bars: total",
                  number(scale).c_str(), number(scale).c_str());
    text(cr, 12.0, 44.0, legend, 10.0);
    for (int c = 0; c < C; ++c) text(cr, left + (c + 0.5) * col_w, top - 8.0, map.columns[c], 10.0, 0.5);
    const double bar_x0 = left + C * col_w + gap, zero = bar_x0 + bar_w / 2.0;
    text(cr, zero, top - 8.0, "total", 10.0, 0.5);
    for (int r = 0; r < R; ++r) {
        const double y = top + r * row_h;
        for (int c = 0; c < C && c < static_cast<int>(map.cells[r].size()); ++c) {
            diverging(cr, map.cells[r][c] / scale);
            cairo_rectangle(cr, left + c * col_w, y, col_w, row_h);
            cairo_fill(cr);
        }
        const double t = r < static_cast<int>(map.totals.size()) ? map.totals[r] : 0.0;
        cairo_set_source_rgb(cr, t >= 0 ? 0.75 : 0.25, 0.3, t >= 0 ? 0.25 : 0.75);
        const double len = t / total_scale * (bar_w / 2.0 - 4.0);
        cairo_rectangle(cr, std::min(zero, zero + len), y + 0.1 * row_h, std::fabs(len), std::max(1.0, 0.8 * row_h));
        cairo_fill(cr);
        if (row_h >= 8.0) text(cr, left - 6.0, y + row_h - 2.0, map.rows[r], std::min(10.0, row_h - 1.0), 1.0);
    }
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, left, top, C * col_w, R * row_h);
    cairo_move_to(cr, zero, top);
    cairo_line_to(cr, zero, top + R * row_h);
    cairo_stroke(cr);
    const double bottom = top + R * row_h + 18.0;
    text(cr, zero - bar_w / 2.0 + 4.0, bottom, "-" + number(total_scale), 9.0);
    text(cr, zero + bar_w / 2.0 - 4.0, bottom, "+" + number(total_scale), 9.0, 1.0);
    text(cr, left, bottom, std::to_string(R) + " individuals, highest total first", 9.0);
    return canvas.ok() && canvas.save(path);
}

bool draw_scatter(const std::string& path, const Scatter& plot)
{
    const int P = static_cast<int>(plot.panels.size());
    if (P == 0) return false;
    const int cols = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(P))));
    const int rows = (P + cols - 1) / cols;
    const double size = P == 1 ? 480.0 : 280.0, top = 56.0;
    Canvas canvas(static_cast<int>(cols * size + 20.0), static_cast<int>(rows * size + top + 24.0));
    cairo_t* cr = canvas.cr.get();
    text(cr, 12.0, 24.0, plot.title, 15.0);
    text(cr, 12.0, 44.0, "x: " + plot.x_label + ";  y: " + plot.y_label + ";  dashed: y = x", 10.0);
    for (int k = 0; k < P; ++k)
        draw_panel(cr, plot.panels[k], 10.0 + (k % cols) * size, top + (k / cols) * size, size);
    return canvas.ok() && canvas.save(path);
}

}  // namespace rvn::png

#else

namespace rvn::png {

bool available() { return false; }
bool draw_heat_map(const std::string&, const HeatMap&) { return false; }
bool draw_scatter(const std::string&, const Scatter&) { return false; }

}  // namespace rvn::png

#endif
