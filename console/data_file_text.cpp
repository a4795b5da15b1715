// Text helpers of the input readers.
#include "console/data_file_text.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "core/voskara.h"
#include "textfile/number_text.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Longest words the conversions look at; longer numbers are not meaningful.
constexpr std::size_t kNumberText = 127;

}  // namespace

std::string project_file(const std::string& name)
{
    if (project_dirF.empty()) return name;
    return (std::filesystem::path(project_dirF) / name).string();
}

std::vector<std::string> load_significant_lines(const std::string& path, int width)
{
    std::vector<std::string> lines;
    copyfiletobuffer(path, lines, width, INT_MAX);
    return lines;
}

std::vector<std::string> load_significant_lines(const std::string& path, int width, std::vector<int>& numbers)
{
    std::vector<std::string> lines;
    copyfiletobuffer(path, lines, numbers, width, INT_MAX);
    return lines;
}

int split_words(std::string_view line, std::vector<std::string_view>& words, int max_words)
{
    split_item_views(line, words);
    if (max_words >= 0 && static_cast<int>(words.size()) > max_words) words.resize(static_cast<std::size_t>(max_words));
    return static_cast<int>(words.size());
}

int int_value(std::string_view word)
{
    std::size_t i = 0;
    while (i < word.size() && is_blank(word[i])) ++i;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
    long long value = 0;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
        value = value * 10 + (word[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double real_value(std::string_view word)
{
    std::string text(word.substr(0, kNumberText));
    return std::strtod(text.c_str(), nullptr);
}

bool parse_real(std::string_view word, double& value)
{
    if (word.empty() || word.size() > kNumberText) return false;
    return whole_real(word, value);
}

}  // namespace vsk
