// A small SVG plotting kit for the HTML report: a plot frame with linear
// axes, lines, bars, points and shaded bands. Every coordinate it writes is
// clamped into the frame, so a value off the axes never draws outside the
// figure.
#pragma once

#include <string>
#include <vector>

namespace rvn::report {

// Text with the characters XML reserves replaced by entities.
std::string escape(const std::string& text);
// printf-style formatting into a string.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Axis ticks: about `wanted` round values covering [lo, hi].
std::vector<double> nice_ticks(double lo, double hi, int wanted);

class Plot {
public:
    // A figure of width x height pixels; the data area leaves room for the
    // tick labels. Ranges with lo == hi are widened.
    Plot(int width, int height, double x0, double x1, double y0, double y1, double pad = 0.0);

    double x(double value) const;
    double y(double value) const;

    void axes(const std::string& x_label, const std::string& y_label, int x_ticks = 6, int y_ticks = 4);
    // A polyline through the points (non-finite values break the line).
    void line(const std::vector<double>& xs, const std::vector<double>& ys, const std::string& css_class);
    void hline(double value, const std::string& css_class, const std::string& label);
    void vline(double value, const std::string& css_class);
    void band(double from, double to, const std::string& css_class, const std::string& title);
    void bar(double x_from, double x_to, double height, const std::string& css_class, const std::string& title);
    void point(double px, double py, const std::string& css_class, const std::string& title);
    void tick_marks(const std::vector<double>& xs, const std::vector<std::string>& titles);
    void text(double px, double py, const std::string& label, const std::string& css_class);

    // The finished <svg> element.
    std::string svg(const std::string& title) const;

private:
    int width_, height_;
    double left_ = 56, right_ = 12, top_ = 12, bottom_ = 36;
    double x0_, x1_, y0_, y1_;
    std::string body_;
};

}  // namespace rvn::report
