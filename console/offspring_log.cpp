// Start of "check.log" by whichever offspring step writes to it first.
#include "console/offspring_log.h"
#include "core/state/output_file.h"

namespace vsk {

namespace {
bool g_started = false;
}  // namespace

File open_check_log_for_offspring()
{
    File f = open_output_file("check.log", g_started ? "a" : "w");
    g_started = true;
    return f;
}

void reset_check_log_start() { g_started = false; }

}  // namespace vsk
