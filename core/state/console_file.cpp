// Redirection of the library's console stream to a file chosen by a host.
#include <cstdio>
#include <string>

#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/file.h"

namespace vsk {

namespace {

// The console file this library opened; closed when replaced or released.
File g_console_file;

// Makes `file` the console stream and closes the one it replaces.
void adopt_console_file(File file)
{
    set_console_stream(file ? file.get() : stdout);
    g_console_file = std::move(file);
}

File open_console_file(const std::string& path)
{
    File file = open_file(path, "a");
    // Unbuffered, so that nothing written before an abnormal end is lost.
    if (file) std::setvbuf(file.get(), nullptr, _IONBF, 0);
    return file;
}

}  // namespace

// Returns 0 when the file has become the console stream; -1 when it cannot be
// opened, in which case the console stream is left as it was.
int set_console_file(const std::string& path)
{
    File file = open_console_file(path);
    if (!file) return -1;
    adopt_console_file(std::move(file));
    return 0;
}

// Closes a console file opened by this library; the console stream returns to
// standard output (the standard streams themselves are never closed).
void close_console_file()
{
    if (!g_console_file) return;
    set_console_stream(nullptr);
    g_console_file.reset();
}

void set_voskaradll_console_fp(const std::string& path)
{
    File file = open_console_file(path);
    if (!file) {
        adopt_console_file(nullptr);
        std::printf("unable to open: %s as console output.\n", path.c_str());
        return;
    }
    adopt_console_file(std::move(file));
    cprint("\n---------------------------------------------\n");
    cprint("appending to voskara_dll console output file:\n");
    cprint("---------------------------------------------\n\n");
}

}  // namespace vsk
