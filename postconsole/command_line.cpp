// Command line of the post-processing program.
#include "postconsole/command_line.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace rvc {

std::string current_directory()
{
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::current_path(ec);
    if (ec) {
        std::printf("getcwd error: %s\n", ec.message().c_str());
        return ".";
    }
    return dir.string();
}

bool parse_command_line(int argc, char** argv, CommandLine& line)
{
    for (int i = 1; i < argc; i += 2) {
        const char* word = argv[i];
        if (std::strcmp(word, "--no-report") == 0) {
            line.report = false;
            --i;  // a switch without a value
            continue;
        }
        if (std::strcmp(word, "--chains") == 0) {
            line.chains = true;
            --i;
            continue;
        }
        const char option = word[0] == '-' ? word[1] : '\0';
        const bool known = option == 'd' || option == 'D' || option == 'p' || option == 'P';
        if (!known || i + 1 >= argc) {
            std::printf("\nUsage: %s [-d working_directory] [-p parameter_file] [--no-report] [--chains]", argv[0]);
            return false;
        }
        if (option == 'd' || option == 'D')
            line.project_dir = argv[i + 1];
        else
            line.par_file = argv[i + 1];
    }
    return true;
}

bool enter_project_directory(std::string& dir)
{
    if (chdir(dir.c_str()) != 0) {
        std::printf("Unable to locate the directory: %s\n", dir.c_str());
        return false;
    }
    dir = current_directory();
    return true;
}

}  // namespace rvc
