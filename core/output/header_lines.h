// Helpers for the comment headers of the sample files: every header line is
// written as a newline followed by its text.
#pragma once

#include <cstdio>
#include <initializer_list>

#include "core/state/output_file.h"

namespace vsk {

inline void header_lines(std::FILE* f, std::initializer_list<const char*> texts)
{
    for (const char* t : texts) std::fprintf(f, "\n%s", t);
}

// The three lines that open the explanation of the columns.
inline void column_banner(std::FILE* f)
{
    header_lines(f, {"; ----------------------", "; Explanation of columns", "; ----------------------"});
}

// Opening of the per-cohort variance headers, down to the column banner.
inline void cohort_header_opening(std::FILE* f, const char* title)
{
    header_lines(f, {"; Comments are preceded by semicolon sign", ";", title,
                     "; Within-cohort variance of additive values as in Genet. Res. 77:83-94 (2001),",
                     "; page 85: mean of squared values minus squared mean within the cohort."});
    column_banner(f);
}

// Creates (truncates) `name` and writes through `write`.
template <class Write>
void create_file(const char* name, Write write)
{
    File f = open_output_file(name, "w");
    write(f.get());
}

}  // namespace vsk
