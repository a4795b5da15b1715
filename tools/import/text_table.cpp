#include "tools/import/text_table.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "tools/import/import_error.h"

namespace vimp {

namespace {

std::string trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::vector<std::string> file_lines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot read " + path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::vector<std::string> split_csv_line(const std::string& text, const std::string& file, int line)
{
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') cell += '"', ++i;
            else if (c == '"') quoted = false;
            else cell += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            cells.push_back(trim(cell));
            cell.clear();
        } else {
            cell += c;
        }
    }
    if (quoted) fail_at(file, line, "", "a double quote is not closed");
    cells.push_back(trim(cell));
    return cells;
}

std::vector<Row> read_csv(const std::string& path)
{
    std::vector<Row> rows;
    const auto lines = file_lines(path);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (trim(lines[i]).empty()) continue;
        rows.push_back({static_cast<int>(i + 1), split_csv_line(lines[i], path, static_cast<int>(i + 1))});
    }
    return rows;
}

std::vector<Row> read_words(const std::string& path)
{
    std::vector<Row> rows;
    const auto lines = file_lines(path);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string text = lines[i].substr(0, lines[i].find(';'));
        Row row{static_cast<int>(i + 1), {}};
        std::string word;
        for (char c : text + ' ') {
            if (std::isspace(static_cast<unsigned char>(c))) {
                if (!word.empty()) row.cells.push_back(word);
                word.clear();
            } else {
                word += c;
            }
        }
        if (!row.cells.empty()) rows.push_back(std::move(row));
    }
    return rows;
}

bool is_missing_word(const std::string& word) { return word.empty() || word == "-" || word == "NA" || word == "na"; }

bool is_number(const std::string& word)
{
    if (word.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(word.c_str(), &end);
    return *end == '\0' && std::isfinite(v);
}

bool is_positive_integer(const std::string& word)
{
    if (word.empty() || word.size() > 9) return false;
    for (char c : word)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return std::atoi(word.c_str()) > 0;
}

}  // namespace vimp
