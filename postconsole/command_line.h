// Command line of the post-processing program: optional pairs
// -d working_directory and -p parameter_file, and the switches --no-report
// and --chains.
#pragma once

#include <string>

namespace rvc {

struct CommandLine {
    std::string project_dir;               // current directory unless -d
    std::string par_file = "voskara.par";  // relative to the project directory
    bool report = true;                    // write report.html (off: --no-report)
    bool chains = false;                   // pool the chains in project/chains (--chains)
};

// The current working directory; when it cannot be read, the runtime's error
// text is printed after "getcwd error" and "." is used.
std::string current_directory();

// Reads the option pairs behind the program name ("--no-report" stands
// alone and switches the report off; "--chains" stands alone too). Only the second character
// of an option word counts; d/D set the directory, p/P the parameter file; a
// later pair overrides an earlier one. A word that does not start with "-",
// has another second character, or has no value behind it prints the usage
// text and returns false.
bool parse_command_line(int argc, char** argv, CommandLine& line);

// Changes into `dir`; on failure prints "Unable to locate the directory" and
// returns false. On success `dir` becomes the absolute directory, so file
// names joined to it stay valid after the move.
bool enter_project_directory(std::string& dir);

}  // namespace rvc
