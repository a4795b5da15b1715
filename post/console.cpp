// Console stream of the post-processing library and its shared message tails.
#include "post/console.h"

#include <cstdarg>

#include "post/ruvane.h"
#include "textfile/fatal.h"
#include "textfile/file.h"
#include "textfile/textfile.h"

namespace rvn {

namespace {
std::FILE* g_console = nullptr;
vsk::File g_console_file;  // owned when opened by set_ruvanedll_console_fp
}  // namespace

std::FILE* console() { return g_console ? g_console : stdout; }

void set_console_stream(std::FILE* stream)
{
    g_console = stream;
    if (g_console_file && g_console_file.get() != stream) g_console_file.reset();
}

bool console_redirected() { return g_console != nullptr && g_console != stdout; }

void set_ruvanedll_console_fp(const std::string& path)
{
    vsk::File file = vsk::open_file(path, "a");
    if (!file) {
        set_console_stream(nullptr);
        std::fprintf(stdout, "unable to open: %s as console output.\n", path.c_str());
        return;
    }
    g_console = file.get();
    g_console_file = std::move(file);
    rprint("\n---------------------------------------------\n");
    rprint("appending to ruvane_dll console output file:\n");
    rprint("---------------------------------------------\n\n");
}

void rprint(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::vfprintf(console(), format, args);
    va_end(args);
}

void rrule(int before, int length, int after) { vsk::printline(console(), before, length, after); }
void rstars(int before, int length, int after) { vsk::printstars(console(), before, length, after); }

void separator() { rrule(2, kRuleWidth, 1); }

void section_banner(const char* title)
{
    rstars(4, kRuleWidth, 1);
    rprint("%s", title);
    rstars(1, kRuleWidth, 0);
}

void exit_ruvane()
{
    rprint("\nNow exiting Ruvane(%s)\n", kVersion);
    vsk::fatal_exit(1);
}

void abort_ruvane()
{
    rprint("\naborting Ruvane %s\n", kVersion);
    vsk::fatal_exit(1);
}

void exit_file_not_available(const char* path)
{
    rprint("\n\nERROR:\nFile '%s' not available", path);
    exit_ruvane();
}

}  // namespace rvn
