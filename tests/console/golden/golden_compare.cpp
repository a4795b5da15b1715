// Token-wise comparison of expected and actual output texts.
#include "golden_compare.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace golden {

namespace {

struct Token {
    bool number = false;
    std::string text;
    double value = 0.0;
    int line = 1;
};

// Length of a number (optional sign, digits with an optional fraction, an
// optional exponent) starting at `at`, or 0.
std::size_t number_length(const std::string& s, std::size_t at)
{
    std::size_t i = at;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    const std::size_t digits_start = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    }
    const std::size_t mantissa = i - digits_start;
    if (mantissa == 0 || (mantissa == 1 && s[digits_start] == '.')) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '-' || s[j] == '+')) ++j;
        if (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
            i = j;
        }
    }
    return i - at;
}

std::vector<Token> tokens(const std::string& s)
{
    std::vector<Token> out;
    int line = 1;
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t n = number_length(s, i);
        if (n > 0) {
            const std::string text = s.substr(i, n);
            out.push_back({true, text, std::strtod(text.c_str(), nullptr), line});
            i += n;
            continue;
        }
        if (out.empty() || out.back().number) out.push_back({false, "", 0.0, line});
        if (s[i] == '\n') ++line;
        out.back().text += s[i];
        ++i;
    }
    return out;
}

bool close_enough(double a, double b, double tolerance)
{
    if (a == b) return true;
    if (!std::isfinite(a) || !std::isfinite(b)) return false;
    return std::fabs(a - b) <= tolerance * std::max(std::fabs(a), std::fabs(b));
}

std::string line_of(const std::string& s, int line)
{
    std::size_t at = 0;
    for (int k = 1; k < line && at != std::string::npos; ++k) {
        at = s.find('\n', at);
        if (at != std::string::npos) ++at;
    }
    if (at == std::string::npos) return "<end of text>";
    return s.substr(at, s.find('\n', at) - at);
}

std::string difference_at(const std::string& expected, const std::string& actual, int e_line, int a_line)
{
    return "line " + std::to_string(e_line) + "\n  expected: " + line_of(expected, e_line) + "\n  actual:   " +
           line_of(actual, a_line);
}

}  // namespace

std::string compare_texts(const std::string& expected, const std::string& actual, double relative_tolerance)
{
    const std::vector<Token> e = tokens(expected);
    const std::vector<Token> a = tokens(actual);
    const std::size_t n = std::min(e.size(), a.size());
    for (std::size_t k = 0; k < n; ++k) {
        const bool same = e[k].number == a[k].number &&
                          (e[k].number ? close_enough(e[k].value, a[k].value, relative_tolerance)
                                       : e[k].text == a[k].text);
        if (same) continue;
        // The line of the first differing character within the text tokens.
        int e_line = e[k].line, a_line = a[k].line;
        if (!e[k].number && !a[k].number) {
            const std::string& x = e[k].text;
            const std::string& y = a[k].text;
            for (std::size_t c = 0; c < std::min(x.size(), y.size()) && x[c] == y[c]; ++c)
                if (x[c] == '\n') ++e_line, ++a_line;
        }
        return difference_at(expected, actual, e_line, a_line);
    }
    if (e.size() != a.size()) {
        const int e_line = n < e.size() ? e[n].line : (e.empty() ? 1 : e.back().line);
        const int a_line = n < a.size() ? a[n].line : (a.empty() ? 1 : a.back().line);
        return "different length, " + difference_at(expected, actual, e_line, a_line);
    }
    return "";
}

}  // namespace golden
