// Exported interface of the post-processing library ruvane_dll.
#pragma once

#include <string>
#include <vector>

#include "post/ruvane_api.h"

namespace rvn {

// Runs the whole post-processing of a finished project.
RUVANE_API int Ruvane(const std::string& project_dir, const std::string& par_file);

// Redirects the post-processing console stream to a file (appending).
RUVANE_API void set_ruvanedll_console_fp(const std::string& path);

// Effective chain size of the current "genpar.out" (smallest over chains).
RUVANE_API int VoskaraECS(int n_traits, const std::string& project_dir);

// Fills chain names and effective sizes; returns the number filled.
RUVANE_API int VoskaraECS2(int n_traits, std::vector<std::string>& names, std::vector<int>& sizes,
                           const std::string& project_dir);

}  // namespace rvn
