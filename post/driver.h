// The order of a post-processing run on an already prepared state.
#pragma once

#include <string>

#include "post/sample_readers.h"
#include "post/state.h"

namespace rvn {

// Everything Ruvane does after setting the project directory: tests run it
// on their own state.
// Returns false when too few samples exist and `short_samples` allowed that.
bool run_post_processing(PostState& st, const std::string& par_file,
                         ShortSamples short_samples = ShortSamples::Fatal);

}  // namespace rvn
