// Whole-word number reading shared by every reader.
#include "textfile/number_text.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

namespace vsk {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::size_t skip_blanks(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    return i;
}

std::size_t skip_digits(std::string_view text, std::size_t i)
{
    while (i < text.size() && is_digit(text[i])) ++i;
    return i;
}

// Length of the decimal real at the start of `text` (0: none).
std::size_t decimal_real_length(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t int_start = i;
    i = skip_digits(text, i);
    bool digits = i > int_start;
    if (i < text.size() && text[i] == '.') {
        const std::size_t frac_start = ++i;
        i = skip_digits(text, i);
        digits = digits || i > frac_start;
    }
    if (!digits) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t exp_start = j;
        j = skip_digits(text, j);
        if (j > exp_start) i = j;
    }
    return i;
}

bool ends_number(std::string_view rest)
{
    for (char c : rest)
        if (!is_blank(c)) return false;
    return true;
}

}  // namespace

NumberText read_int_text(std::string_view text, int& value)
{
    text.remove_prefix(skip_blanks(text));
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t start = i;
    long long v = 0;
    bool overflow = false;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) overflow = true, v = static_cast<long long>(INT_MAX) + 1;
    }
    if (i == start) return NumberText::not_a_number;
    if (negative) v = -v;
    if (overflow || v > INT_MAX || v < INT_MIN) return NumberText::out_of_range;
    value = static_cast<int>(v);
    return ends_number(text.substr(i)) ? NumberText::whole : NumberText::trailing;
}

NumberText read_real_text(std::string_view text, double& value)
{
    text.remove_prefix(skip_blanks(text));
    const std::size_t n = decimal_real_length(text);
    if (n == 0) return NumberText::not_a_number;
    const std::string number(text.substr(0, n));
    errno = 0;
    const double v = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(v) || (errno == ERANGE && std::fabs(v) > 1.0)) return NumberText::out_of_range;
    value = v;
    return ends_number(text.substr(n)) ? NumberText::whole : NumberText::trailing;
}

bool whole_int(std::string_view word, int& value)
{
    int v = 0;
    if (read_int_text(word, v) != NumberText::whole) return false;
    value = v;
    return true;
}

bool whole_real(std::string_view word, double& value)
{
    double v = 0.0;
    if (read_real_text(word, v) != NumberText::whole) return false;
    value = v;
    return true;
}

const char* number_text_problem(NumberText status)
{
    switch (status) {
    case NumberText::whole: return "is a number";
    case NumberText::trailing: return "is a number followed by other text";
    case NumberText::not_a_number: return "is not a number";
    case NumberText::out_of_range: return "is a number out of range";
    }
    return "";
}

}  // namespace vsk
