// Order of the analysis run.
#include "console/run.h"

#include "core/voskara.h"

namespace vsk {

int run_analysis(int /*argc*/, char** /*argv*/)
{
    return 0;
}

}  // namespace vsk
