// Command line of the analysis program and the move into the project directory.
#include "console/command_line.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "core/state/console.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

[[noreturn]] void usage(const char* program)
{
    cprint("\nUsage: %s [-d working_directory] [-p parameter_file]", program);
    cprint("\n");
    fatal_exit(1);
}

void check_name_length(const char* what, const std::string& name)
{
    if (name.size() <= kMaxNameLength) return;
    cprint("\nERROR: %s name too long (%zu characters, at most %zu allowed):\n%s\n", what, name.size(),
           kMaxNameLength, name.c_str());
    fatal_exit(1);
}

}  // namespace

std::string current_directory()
{
    std::error_code error;
    std::filesystem::path cwd = std::filesystem::current_path(error);
    if (error) {
        cprint("getcwd error: %s\n", error.message().c_str());
        return ".";
    }
    return cwd.string();
}

void parse_command_line(int argc, const char* const* argv, CommandLine& line)
{
    const char* program = argc > 0 ? argv[0] : "voskara_console";
    for (int i = 1; i < argc; i += 2) {
        const char* option = argv[i];
        if (option[0] != '-' || i + 1 >= argc) usage(program);
        switch (option[1]) {
        case 'd':
        case 'D':
            line.project_dir = argv[i + 1];
            break;
        case 'p':
        case 'P':
            line.par_file = argv[i + 1];
            break;
        default:
            usage(program);
        }
    }
    check_name_length("directory", line.project_dir);
    check_name_length("parameter file", line.par_file);
}

std::string enter_project_directory(const std::string& dir)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(dir, error);
    if (error || dir.empty() || chdir(dir.c_str()) != 0) {
        cprint("Unable to locate the directory: %s\n", dir.c_str());
        fatal_exit(1);
    }
    absolute = absolute.lexically_normal();
    // ".." after a symbolic link leads chdir to the link target's parent, not
    // to the lexical parent: names joined to the directory must then use the
    // directory actually entered.
    std::filesystem::path entered = std::filesystem::current_path(error);
    if (!error && !std::filesystem::equivalent(absolute, entered, error)) absolute = entered;
    std::string text = absolute.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace vsk
