// Line-by-line interpretation shared by the FIBD file and its "PED" file:
// the keyword lines, the individual and position lists, the matrix rows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vsk {

struct FibdCursor {
    std::string path;                       // as named in messages
    std::vector<std::string> lines;         // significant lines
    std::vector<int> numbers;               // file line of each (from 1, comment lines counted)
    std::size_t next = 0;                   // next line (0-based)
    std::vector<std::string_view> words;    // words of the last line read
};

// What the part before the matrix rows gives.
struct FibdHeader {
    int nind = 0;
    std::vector<std::string> names;         // file individuals, in file order
    std::vector<int> founder;               // 0-based founder matched by name, -1 none
    std::vector<int> chrom;                 // per position, 0-based
    std::vector<double> position;           // per position
};

// What the header is checked against.
struct FibdExpect {
    bool nanc_line = false;                 // P-matrices: a "nanc" line first
    int nanc = 0;
    int nind = -1;                          // -1: at most the number of founders ("PED" file)
    int npos = 0;
    int inbred = 0;
};

// The interpretation-error frame: heading before the own lines, tail after.
void fibd_error_heading(const FibdCursor& cur);
[[noreturn]] void fibd_error_end();

// Splits the next line into cur.words; returns the word count. Running out
// of lines is an interpretation error.
int fibd_next_line(FibdCursor& cur);

// Reads items 1 to 8 of the file (keyword lines, individuals matched to the
// founders with their warnings, positions, optional "inbred" line).
FibdHeader read_fibd_header(FibdCursor& cur, const FibdExpect& expect);

// Reads one matrix row (1-based `row` for messages) and checks its word
// count against `expected`.
void read_fibd_row(FibdCursor& cur, int row, int expected);

// Word `k` of the last row read as a probability: a whole number from 0 to 1;
// anything else is an interpretation error naming the line and column.
double fibd_probability(const FibdCursor& cur, int k);

// A matrix whose entry (r, c) differs from (c, r) is an interpretation error.
// `label` says which matrix (position or relationship matrix) for messages.
void check_symmetric(const FibdCursor& cur, const std::vector<std::vector<double>>& m, const char* label, int number);

// Word `k` of the last row read as a whole number of 0 or more (else an
// interpretation error).
int whole_count(const FibdCursor& cur, int k);

// File line of the last line read (from 1).
int fibd_line(const FibdCursor& cur);

}  // namespace vsk
