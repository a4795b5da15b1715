// Command line of the analysis program: optional pairs -d working_directory
// and -p parameter_file, and the move into the project directory.
#pragma once

#include <string>

namespace vsk {

// Longest directory or file name accepted from the command line (the names
// were once held in buffers of 260 bytes; longer names are refused rather
// than cut short).
inline constexpr std::size_t kMaxNameLength = 259;

struct CommandLine {
    std::string project_dir;                // current directory unless -d
    std::string par_file = "voskara.par";   // relative to project_dir unless absolute
};

// The current working directory. When it cannot be read, the runtime's error
// text is printed after "getcwd error" and "." (the current directory) is
// used, so the run goes on.
std::string current_directory();

// Reads the option pairs behind the program name into `line` (which holds
// the defaults). Only the second character of an option word counts (-dir is
// -d); d/D set the directory, p/P the parameter file; a later pair overrides
// an earlier one. A word in an option position that does not start with "-",
// has another second character, or has no value behind it prints the usage
// text with the invocation name and leaves with exit code 1. Names longer
// than kMaxNameLength characters are refused with a message (exit code 1).
void parse_command_line(int argc, const char* const* argv, CommandLine& line);

// Changes the working directory to `dir`; on failure prints
// "Unable to locate the directory: %s\n" and leaves with exit code 1.
// Returns the directory as an absolute path, so that names joined to it stay
// valid after the move (a relative -d would otherwise be applied twice).
std::string enter_project_directory(const std::string& dir);

}  // namespace vsk
