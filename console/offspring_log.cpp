// Start of "check.log" by whichever offspring step writes to it first.
#include "console/offspring_log.h"
#include "core/state/output_file.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {
struct OffspringLogState {
    bool started = false;
};
bool& started() { return run_workspace().part<OffspringLogState>().started; }
}  // namespace

File open_check_log_for_offspring()
{
    File f = open_output_file("check.log", started() ? "a" : "w");
    started() = true;
    return f;
}

void reset_check_log_start() { started() = false; }

}  // namespace vsk
