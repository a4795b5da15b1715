// Post-processing driver.
#include "post/ruvane.h"

namespace rvn {

int Ruvane(const std::string& /*project_dir*/, const std::string& /*par_file*/) { return 0; }

}  // namespace rvn
