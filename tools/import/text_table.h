// Reading the field formats' text files: comma-separated tables (with
// double-quoted cells) and blank-separated word files with ';' comments.
#pragma once

#include <string>
#include <vector>

namespace vimp {

struct Row {
    int line = 0;                  // 1-based line in the file
    std::vector<std::string> cells;
};

// Rows of a comma-separated file, cells trimmed of blanks and quotes; blank
// lines are skipped. Throws ImportError when the file cannot be read or a
// quote is left open.
std::vector<Row> read_csv(const std::string& path);

// Splits one comma-separated line (exposed for tests).
std::vector<std::string> split_csv_line(const std::string& text, const std::string& file, int line);

// Rows of blank/tab-separated words, text after ';' dropped, empty lines
// skipped.
std::vector<Row> read_words(const std::string& path);

// True for the words the field formats use for a missing value.
bool is_missing_word(const std::string& word);
// True when the whole word reads as a finite number.
bool is_number(const std::string& word);
bool is_positive_integer(const std::string& word);

}  // namespace vimp
