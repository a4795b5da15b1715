// Text-file scanning shared by every reader of the system: one comment
// convention (";" starts a comment, "##" also ends a value part), keyword
// lookup, measuring a file, copying its effective lines and splitting items.
//
// Every fatal error prints its lines on standard output and leaves through
// vsk::fatal_exit(1). Lines are read whole, so no caller-supplied read
// buffer size is needed.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vsk {

// Lines of MAXLENGTHLINE - 1 characters or more are refused by filemaxline.
constexpr int MAXLENGTHLINE = 1000000;

// Effective content of a line: the text before the earliest of "##", ";" and
// a newline, without trailing blanks (space, tab, LF, CR).
std::string stripcomment(std::string_view line);

// Length of the longest line (without its newline) + 1; 0 for an empty file.
int filemaxlengthline(const std::string& path);
// Number of lines with non-empty effective content.
int filerows(const std::string& path);
// Length of the longest effective content + 1; 0 for an empty file.
int filewidth(const std::string& path);
// Appends the effective content of every non-empty line, in order, to
// `lines` (cleared first). A line beyond `rows`, or one whose content is
// `width` characters or more, is fatal. Returns the characters copied.
long copyfiletobuffer(const std::string& path, std::vector<std::string>& lines, int width, int rows);
// The same, also giving each copied line's number in the file (from 1,
// comment and empty lines counted), so messages can point at the line.
long copyfiletobuffer(const std::string& path, std::vector<std::string>& lines, std::vector<int>& numbers, int width,
                      int rows);

// Keyword line lookup. A line (cut at its first ";" or newline) matches when
// the keyword's first occurrence lies in the line's first word and either is
// followed by a space, tab or CR, or ends the cut text (then it must start
// the line, be at offset 1, or follow a blank). A keyword thus may end a
// longer first word ("nmrkrC" sets mrkrC) but never starts one ("lengthUDMax"
// is not "length") and never matches a later word ("namesT bodylength").
// Returns the number of matching lines, -1 if none or the file is empty;
// `line` receives the last matching line exactly as read (newline included).
int searchpattern(std::string_view keyword, const std::string& path, std::string& line);

// Value behind a keyword: the second whitespace-separated token of the
// effective content of the keyword's last line. Returns the number of tokens
// read from that line (1: keyword only, empty value; -1: keyword not found).
int getpatternvalue(std::string_view keyword, const std::string& path, std::string& value);

// The item separators of every input file: blanks, tabs, line ends, commas.
inline bool is_item_separator(char c)
{
    return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The one item splitter of the input files, without copying: the items of
// `text` in order (runs of separators count as one). A text ending in a
// separator after an item yields an empty last item. Returns their number.
int split_item_views(std::string_view text, std::vector<std::string_view>& items);
// The items of a line as strings, by the same splitter, without the empty
// item a trailing separator leaves: what a writer that repeats a data line's
// columns counts, so its columns are the reader's.
std::vector<std::string> item_words(std::string_view line);

// Splits text into items separated by blanks, tabs, line ends or commas.
// Returns the number of items (a text ending in a separator yields an empty
// last item; an empty text 0), -1 when more than max_items - 1 items are
// closed, -2 when an item reaches `width` characters.
int splititems(std::string_view text, std::vector<std::string>& items, int max_items, int width);

// 0-based index of the first occurrence of pattern; -1 if none or text empty.
int strpos(std::string_view text, std::string_view pattern);

// Distinct values other than 0, in first-seen order; returns their number.
int countdistinct(const int* values, int n, std::vector<int>& distinct);

// Word statistics of a file (words end at a blank, tab, LF or comma).
// -1 and "\nFile '%s' not available" when the file is missing.
int filemaxwords(const std::string& path);
int filemaxwordlength(const std::string& path);
int filemaxline(const std::string& path);

// Rule lines: `before` newlines, `length` dashes (or stars), `after` newlines.
void printline(std::FILE* stream, int before, int length, int after);
void printstars(std::FILE* stream, int before, int length, int after);
void printline_stdout(int before, int length, int after);

}  // namespace vsk
