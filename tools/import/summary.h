// The report printed at the end of an import.
#pragma once

#include <cstdio>
#include <string>

#include "tools/import/project.h"

namespace vimp {

void print_summary(std::FILE* out, const Project& project, const std::string& dir);

}  // namespace vimp
