// Failure messages of the tagged allocation helpers.
#include "core/state/allocation.h"

#include <cstdio>

#include "textfile/fatal.h"

namespace vsk {

void report_zero_request(const char* tag, std::size_t count, std::size_t size)
{
    std::printf("requested memory size is 0 (%s,%lu,%lu)\n", tag, static_cast<unsigned long>(count),
                static_cast<unsigned long>(size));
    fatal_exit(1);
}

void report_short_of_memory(const char* tag)
{
    std::printf("short of memory for %s\n", tag);
    fatal_exit(1);
}

}  // namespace vsk
