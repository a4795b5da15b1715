// Parent words of the data file: unknown marks, the second-parent codes and
// the single-parent rule shared by the pedigree ordering and the data reader.
#pragma once

#include <string_view>

namespace vsk {

// Names (individual and parents) are shorter than this many characters.
inline constexpr std::size_t kMaxNameChars = 31;

// Kind of a parent word, by the data reader's rule: integer value -1000 or
// INBRED, -777 or SELFED, -555 or DBHPLD (a later test overriding an earlier
// one); anything else is a name. "0" is the unknown parent.
enum class ParentKind { Unknown, Inbred, Selfed, Dbhpld, Name };
ParentKind parent_kind(std::string_view word);

// "*" and "-" mean an unknown parent, the same as "0".
std::string_view normalized_parent(std::string_view word);

// The pedigree ordering's notion of a second-parent code: a word starting
// with "-" or exactly INBRED, DBHPLD or SELFED.
bool is_second_parent_code(std::string_view word);

// Single-parent rule for an individual (1-based `number`) with normalised
// parents p1, p2: a known first parent needs a second one, and an individual
// without first parent is a founder (second parent 0) or an inbred founder.
// A violation prints its messages and ends the run with exit code 1.
void check_single_parent(std::string_view name, int number, std::string_view p1, std::string_view p2);

}  // namespace vsk
