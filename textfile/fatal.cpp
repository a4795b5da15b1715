// Single exit route for fatal errors.
#include "textfile/fatal.h"

#include <cstdio>

namespace vsk {

void fatal_exit(int code)
{
    std::fflush(nullptr);
    throw FatalExit(code);
}

}  // namespace vsk
