// Text-file scanning: effective lines, keyword lookup, item splitting.
#include "textfile/textfile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <new>
#include <stdexcept>

#include "textfile/fatal.h"

namespace vsk {

namespace {

// Lines are read whole, so a buffer may not be had for a huge line; that ends
// the run like any other fatal input error.
template <class F>
auto with_buffers(F&& body) -> decltype(body())
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    std::printf("Not enough memory to allocate buffer\n");
    fatal_exit(1);
}

}  // namespace


namespace {

bool is_trailing_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_word_end(char c) { return c == ' ' || c == '\t' || c == '\n' || c == ','; }

// Reads the next line without its newline; false at end of file.
bool next_line(std::ifstream& in, std::string& line) { return static_cast<bool>(std::getline(in, line)); }

std::ifstream open_or_die(const std::string& path, const char* function)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("\nERROR in function %s()", function);
        std::printf("\n file %s not found", path.c_str());
        std::printf("\n aborting");
        fatal_exit(1);
    }
    return in;
}

}  // namespace

std::string stripcomment(std::string_view line)
{
    std::size_t end = line.size();
    for (std::string_view stop : {std::string_view("##"), std::string_view(";"), std::string_view("\n")}) {
        std::size_t at = line.find(stop);
        if (at != std::string_view::npos) end = std::min(end, at);
    }
    while (end > 0 && is_trailing_blank(line[end - 1])) --end;
    return std::string(line.substr(0, end));
}

static int filemaxlengthline_unguarded(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("\nERROR in function filemaxlengthline()\n file %s not found!\n aborting", path.c_str());
        fatal_exit(1);
    }
    std::string line;
    std::size_t longest = 0;
    bool any = false;
    while (next_line(in, line)) {
        any = true;
        longest = std::max(longest, line.size());
    }
    return any ? static_cast<int>(longest) + 1 : 0;
}

static int filerows_unguarded(const std::string& path)
{
    std::ifstream in = open_or_die(path, "filerows");
    std::string line;
    int rows = 0;
    while (next_line(in, line))
        if (!stripcomment(line).empty()) ++rows;
    return rows;
}

static int filewidth_unguarded(const std::string& path)
{
    std::ifstream in = open_or_die(path, "filewidth");
    std::string line;
    std::size_t widest = 0;
    bool any = false;
    while (next_line(in, line)) {
        any = true;
        widest = std::max(widest, stripcomment(line).size());
    }
    return any ? static_cast<int>(widest) + 1 : 0;
}

static long copyfiletobuffer_unguarded(const std::string& path, std::vector<std::string>& lines, int width,
                                       int rows, std::vector<int>* numbers)
{
    std::ifstream in = open_or_die(path, "copyfiletobuffer");
    lines.clear();
    if (numbers) numbers->clear();
    std::string line;
    long copied = 0;
    int number = 0;
    while (next_line(in, line)) {
        ++number;
        std::string content = stripcomment(line);
        if (content.empty()) continue;
        if (numbers) numbers->push_back(number);
        if (static_cast<int>(lines.size()) >= rows) {
            std::printf("Error copyfiletobuffer() rows > %d\n", rows);
            fatal_exit(1);
        }
        if (static_cast<int>(content.size()) >= width) {
            std::printf("Error copyfiletobuffer() length > %d\n", width);
            fatal_exit(1);
        }
        copied += static_cast<long>(content.size());
        lines.push_back(std::move(content));
    }
    return copied;
}

namespace {

bool is_key_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Whether the cut line `text` is a line of `keyword` (see searchpattern).
bool keyword_line(std::string_view text, std::string_view keyword)
{
    std::size_t p = text.find(keyword);
    if (p == std::string_view::npos || keyword.empty()) return false;
    // The occurrence must lie in the line's first word.
    std::size_t first = text.find_first_not_of(" \t\r");
    for (std::size_t i = first; i < p; ++i)
        if (is_key_blank(text[i])) return false;
    std::size_t q = p + keyword.size();
    if (q < text.size()) return is_key_blank(text[q]);
    return p <= 1 || is_key_blank(text[p - 1]);
}

}  // namespace

static int searchpattern_unguarded(std::string_view keyword, const std::string& path, std::string& line)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("\nERROR in function searchpattern()");
        std::printf("\n file %s not found", path.c_str());
        std::printf("\n aborting");
        fatal_exit(1);
    }
    int matches = 0;
    std::string raw;
    while (std::getline(in, raw)) {
        std::string_view cut(raw);
        std::size_t stop = cut.find(';');
        if (stop != std::string_view::npos) cut = cut.substr(0, stop);
        if (!keyword_line(cut, keyword)) continue;
        ++matches;
        line = raw;
        if (!in.eof()) line += '\n';
    }
    return matches > 0 ? matches : -1;
}

static int getpatternvalue_unguarded(std::string_view keyword, const std::string& path, std::string& value)
{
    value.clear();
    std::string line;
    if (searchpattern(keyword, path, line) < 0) return -1;
    std::string content = stripcomment(line);
    std::size_t a = content.find_first_not_of(" \t\r\n\f\v");
    if (a == std::string::npos) return -1;
    std::size_t a_end = content.find_first_of(" \t\r\n\f\v", a);
    if (a_end == std::string::npos) return 1;
    std::size_t b = content.find_first_not_of(" \t\r\n\f\v", a_end);
    if (b == std::string::npos) return 1;
    std::size_t b_end = content.find_first_of(" \t\r\n\f\v", b);
    value = content.substr(b, b_end == std::string::npos ? std::string::npos : b_end - b);
    return 2;
}

int split_item_views(std::string_view text, std::vector<std::string_view>& items)
{
    items.clear();
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        while (i < n && is_item_separator(text[i])) ++i;
        if (i == n) {
            if (!items.empty()) items.emplace_back();  // separator after the last item
            break;
        }
        const std::size_t start = i;
        while (i < n && !is_item_separator(text[i])) ++i;
        items.push_back(text.substr(start, i - start));
    }
    return static_cast<int>(items.size());
}

std::vector<std::string> item_words(std::string_view line)
{
    std::vector<std::string_view> views;
    split_item_views(line, views);
    if (!views.empty() && views.back().empty()) views.pop_back();
    return {views.begin(), views.end()};
}

// Checks in text order: an item reaching `width` characters, or an item
// closed by a separator beyond max_items - 1 items, fails the split.
static int splititems_unguarded(std::string_view text, std::vector<std::string>& items, int max_items,
                                int width)
{
    items.clear();
    std::vector<std::string_view> views;
    const int count = split_item_views(text, views);
    for (int k = 0; k < count; ++k) {
        if (static_cast<int>(views[k].size()) >= width) return -2;
        const bool closed = k + 1 < count || is_item_separator(text.back());
        if (closed && !views[k].empty() && k >= max_items - 1) return -1;
    }
    for (std::string_view v : views) items.emplace_back(v);
    return count;
}

int strpos(std::string_view text, std::string_view pattern)
{
    if (text.empty()) return -1;
    std::size_t at = text.find(pattern);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int countdistinct(const int* values, int n, std::vector<int>& distinct)
{
    distinct.clear();
    for (int i = 0; i < n; ++i) {
        if (values[i] == 0) continue;
        if (std::find(distinct.begin(), distinct.end(), values[i]) == distinct.end()) distinct.push_back(values[i]);
    }
    return static_cast<int>(distinct.size());
}

namespace {

struct WordStats {
    int max_words = 0;
    int max_word_length = 0;
    int max_line = 0;
};

// Scans a file for its word statistics; false when it is missing.
bool word_stats(const std::string& path, WordStats& stats)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("\nFile '%s' not available", path.c_str());
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (static_cast<long>(line.size()) >= MAXLENGTHLINE - 1) {
            std::printf("\nERROR");
            std::printf("\ntoo many characters on one line in file %s: ", path.c_str());
            std::printf("\nIncrease MAXLENGTHLINE (current value %d", MAXLENGTHLINE);
            fatal_exit(1);
        }
        stats.max_line = std::max(stats.max_line, static_cast<int>(line.size()));
        int words = 0, length = 0;
        for (char c : line) {
            if (is_word_end(c)) {
                if (length > 0) ++words;
                length = 0;
            } else {
                stats.max_word_length = std::max(stats.max_word_length, ++length);
            }
        }
        if (length > 0) ++words;
        stats.max_words = std::max(stats.max_words, words);
    }
    return true;
}

}  // namespace

static int filemaxwords_unguarded(const std::string& path)
{
    WordStats stats;
    return word_stats(path, stats) ? stats.max_words : -1;
}

static int filemaxwordlength_unguarded(const std::string& path)
{
    WordStats stats;
    return word_stats(path, stats) ? stats.max_word_length : -1;
}

static int filemaxline_unguarded(const std::string& path)
{
    WordStats stats;
    return word_stats(path, stats) ? stats.max_line : -1;
}

namespace {
void rule(std::FILE* stream, int before, char mark, int length, int after)
{
    for (int i = 0; i < before; ++i) std::fputc('\n', stream);
    for (int i = 0; i < length; ++i) std::fputc(mark, stream);
    for (int i = 0; i < after; ++i) std::fputc('\n', stream);
}
}  // namespace

void printline(std::FILE* stream, int before, int length, int after) { rule(stream, before, '-', length, after); }
void printstars(std::FILE* stream, int before, int length, int after) { rule(stream, before, '*', length, after); }
void printline_stdout(int before, int length, int after) { rule(stdout, before, '-', length, after); }

// Public entries: the scanning routines above, each behind the buffer guard.
int filemaxlengthline(const std::string& path)
{
    return with_buffers([&] { return filemaxlengthline_unguarded(path); });
}

int filerows(const std::string& path)
{
    return with_buffers([&] { return filerows_unguarded(path); });
}

int filewidth(const std::string& path)
{
    return with_buffers([&] { return filewidth_unguarded(path); });
}

long copyfiletobuffer(const std::string& path, std::vector<std::string>& lines, int width, int rows)
{
    return with_buffers([&] { return copyfiletobuffer_unguarded(path, lines, width, rows, nullptr); });
}

long copyfiletobuffer(const std::string& path, std::vector<std::string>& lines, std::vector<int>& numbers, int width,
                      int rows)
{
    return with_buffers([&] { return copyfiletobuffer_unguarded(path, lines, width, rows, &numbers); });
}

int searchpattern(std::string_view keyword, const std::string& path, std::string& line)
{
    return with_buffers([&] { return searchpattern_unguarded(keyword, path, line); });
}

int getpatternvalue(std::string_view keyword, const std::string& path, std::string& value)
{
    return with_buffers([&] { return getpatternvalue_unguarded(keyword, path, value); });
}

int splititems(std::string_view text, std::vector<std::string>& items, int max_items, int width)
{
    return with_buffers([&] { return splititems_unguarded(text, items, max_items, width); });
}

int filemaxwords(const std::string& path)
{
    return with_buffers([&] { return filemaxwords_unguarded(path); });
}

int filemaxwordlength(const std::string& path)
{
    return with_buffers([&] { return filemaxwordlength_unguarded(path); });
}

int filemaxline(const std::string& path)
{
    return with_buffers([&] { return filemaxline_unguarded(path); });
}

}  // namespace vsk
