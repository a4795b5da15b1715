// Text helpers of the input readers: loading a project file's significant
// lines, splitting a line into words without copying, and the number
// conversions the input files are read with.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vsk {

// A file of the project directory (the readers address their inputs through
// `project_dirF`, so they do not depend on the current directory).
std::string project_file(const std::string& name);

// The significant lines of a file (comment text and trailing blanks removed,
// empty lines dropped). A missing file, or a line whose content reaches
// `width` characters, ends the run with the text utilities' message.
std::vector<std::string> load_significant_lines(const std::string& path, int width);
// The same with each line's number in the file (from 1, comment lines
// counted) in `numbers`.
std::vector<std::string> load_significant_lines(const std::string& path, int width, std::vector<int>& numbers);

// Splits a line into words separated by blanks, tabs, line ends or commas;
// runs of separators count as one. A text ending in a separator yields an
// empty last word, exactly as the item splitter of the text utilities
// counts, so word counts agree with the parameter file's pre-scan.
// At most `max_words` words are produced (the rest of the line is ignored);
// returns the number of words produced.
int split_words(std::string_view line, std::vector<std::string_view>& words, int max_words = -1);

// Conversions as the input files have always been read: leading blanks, a
// sign and the longest numeric prefix; no number reads 0.
int int_value(std::string_view word);
double real_value(std::string_view word);

// Whole-word conversion: true only when the entire word is a finite number
// in decimal notation ("nan", "inf" and hexadecimal are not numbers).
bool parse_real(std::string_view word, double& value);

}  // namespace vsk
