// Fast reading of the numeric sample files (two passes: measure, then fill
// a table allocated once; no allocation per item).
#include "post/sample_file.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "post/console.h"
#include "textfile/fatal.h"
#include "textfile/file.h"
#include "textfile/textfile.h"

namespace rvn {

namespace {

// Hot path of the sample readers: items walked in place, without views.
bool is_separator(char c) { return vsk::is_item_separator(c); }

// Line reader over a FILE*, reusing one buffer for the whole file.
class LineReader {
public:
    explicit LineReader(std::FILE* file) : file_(file) {}
    ~LineReader() { std::free(buffer_); }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Next data line: its effective content (before ";" or "##"), or false at
    // the end of the file. Lines without an item are skipped.
    bool next_data_line(const char*& begin, const char*& end)
    {
        ssize_t got;
        while ((got = getline(&buffer_, &capacity_, file_)) >= 0) {
            ++line_;
            begin = buffer_;
            end = buffer_ + got;
            cut_comment(begin, end);
            const char* p = begin;
            while (p < end && is_separator(*p)) ++p;
            if (p < end) return true;
        }
        return false;
    }

    // File line (from 1, comment lines counted) of the last line read.
    int line() const { return line_; }

private:
    static void cut_comment(const char* begin, const char*& end)
    {
        for (const char* p = begin; p < end; ++p) {
            if (*p == ';' || (*p == '#' && p + 1 < end && p[1] == '#')) {
                end = p;
                return;
            }
        }
    }

    std::FILE* file_;
    char* buffer_ = nullptr;
    std::size_t capacity_ = 0;
    int line_ = 0;
};

// Calls item(first, last) for every item of the text; returns the count.
template <class F>
int for_each_item(const char* p, const char* end, F&& item)
{
    int count = 0;
    while (p < end) {
        while (p < end && is_separator(*p)) ++p;
        if (p >= end) break;
        const char* start = p;
        while (p < end && !is_separator(*p)) ++p;
        item(start, p);
        ++count;
    }
    return count;
}

int count_items(const char* p, const char* end)
{
    return for_each_item(p, end, [](const char*, const char*) {});
}

bool parse_number(const char* first, const char* last, double& value)
{
    if (first < last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last;
}

bool parse_number(const char* first, const char* last, signed char& value)
{
    if (first < last && *first == '+') ++first;
    int read = 0;
    auto [ptr, ec] = std::from_chars(first, last, read);
    if (ec != std::errc() || ptr != last || read < -128 || read > 127) return false;
    value = static_cast<signed char>(read);
    return true;
}

bool all_numbers(const char* p, const char* end)
{
    bool ok = true;
    for_each_item(p, end, [&](const char* a, const char* b) {
        double v;
        if (!parse_number(a, b, v)) ok = false;
    });
    return ok;
}

// Digits after the decimal point of the last item of a line, -1 without a
// point.
int last_item_decimals(const std::string& line)
{
    const char* begin = line.data();
    const char* end = begin + line.size();
    const char* first = nullptr;
    const char* last = nullptr;
    for_each_item(begin, end, [&](const char* a, const char* b) {
        first = a;
        last = b;
    });
    if (!first) return -1;
    for (const char* p = first; p < last; ++p)
        if (*p == '.') return static_cast<int>(last - p - 1);
    return -1;
}

// Every fixed-point column is written with a fixed number of decimals, so a
// last item with fewer decimals than the row before it has in that column
// was cut while being written ("0.12" of "0.1234", or "12." of "12.5000").
// A column that switches between a whole number and a fixed-point one (slots
// not in use) is never taken for a cut.
bool last_item_cut(const std::string& last_line, const std::string& previous_line)
{
    const int expected = last_item_decimals(previous_line);
    const int found = last_item_decimals(last_line);
    return expected > 0 && found >= 0 && found < expected;
}

void bad_item(const std::string& path, const char* a, const char* b, int line, int col)
{
    rprint("\nERROR in reading file %s", path.c_str());
    rprint("\nitem '%.*s' at line %d, column %d is not a valid value", static_cast<int>(b - a), a, line, col + 1);
    exit_ruvane();
}

// Columns below lead_cols go to `lead` (when given), the others to `rest`.
template <class T>
void fill_rows(const std::string& path, const SampleFileShape& shape, int lead_cols, vsk::Table<double>* lead,
               vsk::Table<T>& rest)
{
    const int width = shape.cols - lead_cols;
    rest.assign(shape.rows, width > 0 ? width : 0);
    if (lead) lead->assign(shape.rows, lead_cols);
    vsk::File file = vsk::open_file(path, "rb");
    if (!file) return;
    LineReader reader(file.get());
    const char* begin;
    const char* end;
    for (int r = 0; r < shape.rows && reader.next_data_line(begin, end); ++r) {
        T* row = rest[r];
        double* lead_row = lead ? (*lead)[r] : nullptr;
        int c = 0;
        for_each_item(begin, end, [&](const char* a, const char* b) {
            if (c < lead_cols) {
                if (lead_row && !parse_number(a, b, lead_row[c])) bad_item(path, a, b, reader.line(), c);
            } else if (c < shape.cols) {
                if (!parse_number(a, b, row[c - lead_cols])) bad_item(path, a, b, reader.line(), c);
            }
            ++c;
        });
    }
}

}  // namespace

SampleFileShape measure_sample_file(const std::string& path)
{
    SampleFileShape shape;
    vsk::File file = vsk::open_file(path, "rb");
    if (!file) return shape;
    shape.found = true;
    LineReader reader(file.get());
    const char* begin;
    const char* end;
    std::string last_line, previous_line;
    int rows = 0, last_items = 0, previous_items = 0;
    while (reader.next_data_line(begin, end)) {
        const int items = count_items(begin, end);
        if (rows == 0) shape.cols = items;
        if (items != shape.cols && shape.bad_row < 0) {
            shape.bad_row = rows;
            shape.bad_line = reader.line();
            shape.bad_cols = items;
        }
        previous_items = last_items;
        last_items = items;
        previous_line.swap(last_line);
        last_line.assign(begin, end);
        ++rows;
    }
    shape.rows = rows;
    if (rows < 2) return shape;
    // A cut can only shorten the last row: fewer items, or a half-written one.
    const bool last_is_only_fault = shape.bad_row < 0 || shape.bad_row == rows - 1;
    const bool fewer = last_items < shape.cols;
    const bool garbled = !all_numbers(last_line.data(), last_line.data() + last_line.size()) ||
                         (previous_items == last_items && last_item_cut(last_line, previous_line));
    if (last_is_only_fault && (fewer || (last_items == shape.cols && garbled))) {
        shape.last_row_cut = true;
        shape.cut_items = last_items;
        shape.rows = rows - 1;
        shape.bad_row = -1;
        shape.bad_line = 0;
        shape.bad_cols = 0;
    }
    return shape;
}

void read_sample_rows(const std::string& path, const SampleFileShape& shape, int skip_cols,
                      vsk::Table<double>& table)
{
    fill_rows<double>(path, shape, skip_cols, nullptr, table);
}

void read_sample_rows(const std::string& path, const SampleFileShape& shape, int skip_cols,
                      vsk::Table<signed char>& table)
{
    fill_rows<signed char>(path, shape, skip_cols, nullptr, table);
}

void read_sample_rows_split(const std::string& path, const SampleFileShape& shape, int lead_cols,
                            vsk::Table<double>& lead, vsk::Table<signed char>& rest)
{
    fill_rows<signed char>(path, shape, lead_cols, &lead, rest);
}

}  // namespace rvn
