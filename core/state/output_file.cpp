// Opening of the run's output files with one failure message.
#include "core/state/output_file.h"

#include <cerrno>
#include <cstring>

#include "core/state/console.h"

namespace vsk {

File open_output_file(const std::string& path, const char* mode)
{
    File f = open_file(path, mode);
    if (f) return f;
    const int reason = errno;
    cprint("\nERROR: unable to open file '%s' for writing: %s", path.c_str(), std::strerror(reason));
    cprint("\n  (is the project directory writable?)");
    abort_voskara();
}

}  // namespace vsk
