// The process's run workspace.
#include "core/state/run_workspace.h"

namespace vsk {

RunWorkspace& run_workspace()
{
    static RunWorkspace workspace;
    return workspace;
}

}  // namespace vsk
