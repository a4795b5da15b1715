// Console stream of the analysis library. Every library message goes through
// cprint so that a host may redirect all of them (set_console_file /
// set_voskaradll_console_fp); standard output otherwise.
#pragma once

#include <cstdio>

namespace vsk {

// The current console stream (standard output unless redirected).
std::FILE* console();
// Redirects the console stream (nullptr: back to standard output). The
// caller keeps ownership of the stream.
void set_console_stream(std::FILE* stream);
// True once a host or start-up has chosen a console stream.
bool console_chosen();

// printf-style print on the console stream.
void cprint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The common tail of fatal library messages:
// "\nAborting Voskara (0.99130,16.FEB.2016)".
void print_aborting();

// Prints the aborting line, then leaves through the fatal path (exit code 1).
[[noreturn]] void abort_voskara();

// Rule line on the console: `before` newlines, `length` dashes, `after` newlines.
void crule(int before, int length, int after);
// Same with stars (banner and disclaimer frames).
void cstars(int before, int length, int after);

}  // namespace vsk
