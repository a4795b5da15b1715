// Console stream of the analysis library and the shared message tails.
#include "core/state/console.h"

#include <cstdarg>

#include "core/state/version.h"
#include "textfile/fatal.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {
std::FILE* g_console = nullptr;
}

std::FILE* console() { return g_console ? g_console : stdout; }

void set_console_stream(std::FILE* stream) { g_console = stream; }

bool console_chosen() { return g_console != nullptr; }

void cprint(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::vfprintf(console(), format, args);
    va_end(args);
}

void print_aborting() { cprint("\nAborting Voskara (%s,%s)\n", kVersion, kVersionDate); }

void abort_voskara()
{
    print_aborting();
    fatal_exit(1);
}

void crule(int before, int length, int after) { printline(console(), before, length, after); }
void cstars(int before, int length, int after) { printstars(console(), before, length, after); }

}  // namespace vsk
