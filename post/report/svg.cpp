// SVG plots of the HTML report.
#include "post/report/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "textfile/markup_text.h"

namespace rvn::report {

std::string escape(const std::string& text) { return vsk::xml_escape(text); }

std::string format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string out = vsk::vformat_text(fmt, args);
    va_end(args);
    return out;
}

std::vector<double> nice_ticks(double lo, double hi, int wanted)
{
    std::vector<double> ticks;
    if (!(hi > lo) || wanted < 1) return ticks;
    const double raw = (hi - lo) / wanted;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * magnitude) {
            step = m * magnitude;
            break;
        }
    // Multiples of the step, not sums of it, so no rounding drift builds up.
    for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9; k += 1.0)
        ticks.push_back(k == 0.0 ? 0.0 : k * step);
    return ticks;
}

namespace {

void widen(double& lo, double& hi)
{
    if (!std::isfinite(lo) || !std::isfinite(hi)) lo = 0.0, hi = 1.0;
    if (hi <= lo) {
        const double pad = lo == 0.0 ? 1.0 : std::fabs(lo) * 0.1;
        lo -= pad;
        hi += pad;
    }
}

std::string label_of(double v)
{
    const double a = std::fabs(v);
    if (a != 0.0 && (a >= 1e5 || a < 1e-3)) return format("%.0e", v);
    return format("%g", v);
}

}  // namespace

Plot::Plot(int width, int height, double x0, double x1, double y0, double y1, double pad)
    : width_(width), height_(height), x0_(x0), x1_(x1), y0_(y0), y1_(y1)
{
    widen(x0_, x1_);
    widen(y0_, y1_);
    const double dx = (x1_ - x0_) * pad, dy = (y1_ - y0_) * pad;
    x0_ -= dx, x1_ += dx, y0_ -= dy, y1_ += dy;
}

double Plot::x(double value) const
{
    const double px = left_ + (value - x0_) / (x1_ - x0_) * (width_ - left_ - right_);
    return std::clamp(std::isfinite(px) ? px : left_, left_, width_ - right_);
}

double Plot::y(double value) const
{
    const double py = height_ - bottom_ - (value - y0_) / (y1_ - y0_) * (height_ - top_ - bottom_);
    return std::clamp(std::isfinite(py) ? py : height_ - bottom_, top_, height_ - bottom_);
}

void Plot::axes(const std::string& x_label, const std::string& y_label, int x_ticks, int y_ticks)
{
    const double bx = height_ - bottom_, lx = left_, rx = width_ - right_;
    body_ += format("<path class=\"axis\" d=\"M%.1f %.1fV%.1fH%.1f\"/>", lx, top_, bx, rx);
    for (double t : nice_ticks(x0_, x1_, x_ticks)) {
        body_ += format("<path class=\"axis\" d=\"M%.1f %.1fv4\"/>", x(t), bx);
        body_ += format("<text class=\"tick\" x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%s</text>", x(t), bx + 14,
                        escape(label_of(t)).c_str());
    }
    for (double t : nice_ticks(y0_, y1_, y_ticks)) {
        body_ += format("<path class=\"grid\" d=\"M%.1f %.1fH%.1f\"/>", lx, y(t), rx);
        body_ += format("<text class=\"tick\" x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%s</text>", lx - 4, y(t) + 4,
                        escape(label_of(t)).c_str());
    }
    body_ += format("<text class=\"label\" x=\"%.1f\" y=\"%d\" text-anchor=\"middle\">%s</text>", (lx + rx) / 2,
                    height_ - 4, escape(x_label).c_str());
    body_ += format("<text class=\"label\" x=\"12\" y=\"%.1f\" text-anchor=\"middle\" transform=\"rotate(-90 12 %.1f)\">%s</text>",
                    (top_ + bx) / 2, (top_ + bx) / 2, escape(y_label).c_str());
}

void Plot::line(const std::vector<double>& xs, const std::vector<double>& ys, const std::string& css_class)
{
    std::string d;
    bool pen_down = false;
    const std::size_t n = std::min(xs.size(), ys.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) {
            pen_down = false;
            continue;
        }
        d += format("%c%.1f %.1f", pen_down ? 'L' : 'M', x(xs[i]), y(ys[i]));
        pen_down = true;
    }
    if (!d.empty()) body_ += "<path class=\"" + css_class + "\" d=\"" + d + "\"/>";
}

void Plot::hline(double value, const std::string& css_class, const std::string& label)
{
    body_ += format("<path class=\"%s\" d=\"M%.1f %.1fH%.1f\"><title>%s</title></path>", css_class.c_str(), left_,
                    y(value), width_ - right_, escape(label).c_str());
}

void Plot::vline(double value, const std::string& css_class)
{
    body_ += format("<path class=\"%s\" d=\"M%.1f %.1fV%.1f\"/>", css_class.c_str(), x(value), top_,
                    height_ - bottom_);
}

void Plot::band(double from, double to, const std::string& css_class, const std::string& title)
{
    const double a = x(from), b = x(to);
    body_ += format("<rect class=\"%s\" x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\"><title>%s</title></rect>",
                    css_class.c_str(), a, top_, std::max(1.0, b - a), height_ - top_ - bottom_,
                    escape(title).c_str());
}

void Plot::bar(double x_from, double x_to, double height, const std::string& css_class, const std::string& title)
{
    const double a = x(x_from), b = x(x_to), top = y(height), base = y(std::max(0.0, y0_));
    body_ += format("<rect class=\"%s\" x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\"><title>%s</title></rect>",
                    css_class.c_str(), a, std::min(top, base), std::max(0.0, b - a), std::fabs(base - top),
                    escape(title).c_str());
}

void Plot::point(double px, double py, const std::string& css_class, const std::string& title)
{
    body_ += format("<circle class=\"%s\" cx=\"%.1f\" cy=\"%.1f\" r=\"2.5\"><title>%s</title></circle>",
                    css_class.c_str(), x(px), y(py), escape(title).c_str());
}

void Plot::tick_marks(const std::vector<double>& xs, const std::vector<std::string>& titles)
{
    const double base = height_ - bottom_;
    for (std::size_t i = 0; i < xs.size(); ++i)
        body_ += format("<path class=\"marker\" d=\"M%.1f %.1fv-7\"><title>%s</title></path>", x(xs[i]), base,
                        i < titles.size() ? escape(titles[i]).c_str() : "");
}

void Plot::text(double px, double py, const std::string& label, const std::string& css_class)
{
    body_ += format("<text class=\"%s\" x=\"%.1f\" y=\"%.1f\">%s</text>", css_class.c_str(), x(px), y(py),
                    escape(label).c_str());
}

std::string Plot::svg(const std::string& title) const
{
    return format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
                  "role=\"img\"><title>",
                  width_, height_, width_, height_) +
           escape(title) + "</title>" + body_ + "</svg>";
}

}  // namespace rvn::report
