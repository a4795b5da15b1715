// Whole-word reading of numbers for every reader of the system: the
// parameter file (analysis and post-processing alike), the map, data,
// founder-relationship and sample files. A word is a number when it starts
// with an optional sign and decimal digits (reals: also a decimal point and
// an exponent); "nan", "inf", hexadecimal and any other text are not.
#pragma once

#include <string_view>

namespace vsk {

enum class NumberText {
    whole,          // the entire word is the number
    trailing,       // a number followed by other text ("12abc"): value of the number part
    not_a_number,   // no number at the start ("abc", "NaN", "inf", "")
    out_of_range,   // a number that does not fit the type (or is not finite)
};

// Integer as the files are read: leading blanks, optional sign, decimal
// digits. The value is set for `whole` and `trailing` only.
NumberText read_int_text(std::string_view text, int& value);
// Finite real in decimal notation (digits, optional point, optional
// exponent). The value is set for `whole` and `trailing` only.
NumberText read_real_text(std::string_view text, double& value);

// True when the word is entirely a number of the type (status `whole`).
bool whole_int(std::string_view word, int& value);
bool whole_real(std::string_view word, double& value);

// Text of a status for messages ("is not a number", ...).
const char* number_text_problem(NumberText status);

}  // namespace vsk
