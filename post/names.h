// Names of the individuals whose genotypes or breeding values were written
// (wrtgtp.nms), with the user's selection of whom to report (wrtgtp.inp).
#pragma once

#include "post/state.h"

namespace rvn {

// Fills st.names and st.print_flag; optional files only warn.
void ReadNamesGtp(PostState& st);

// Individuals the names must match: those of tim.out if any, else of
// gfpm.out, else of gqtl.out.
int individuals_with_genotypes(const PostState& st);

}  // namespace rvn
