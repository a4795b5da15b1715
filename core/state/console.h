// Console stream of the analysis library. Every library message goes through
// cprint so that a host may redirect all of them (set_console_file /
// set_voskaradll_console_fp); standard output otherwise. Exported, so the
// analysis program prints its own messages through the same stream.
#pragma once

#include <cstdio>

#include "core/voskara_api.h"

namespace vsk {

// The current console stream (standard output unless redirected).
VOSKARA_API std::FILE* console();
// Redirects the console stream (nullptr: back to standard output). The
// caller keeps ownership of the stream.
VOSKARA_API void set_console_stream(std::FILE* stream);
// True once a host or start-up has chosen a console stream.
VOSKARA_API bool console_chosen();

// printf-style print on the console stream.
VOSKARA_API void cprint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The common tail of fatal library messages:
// "\nAborting Voskara (0.99130,16.FEB.2016)\n" (the line is ended, so a shell
// prompt starts on a line of its own).
VOSKARA_API void print_aborting();

// Prints the aborting line, then leaves through the fatal path (exit code 1).
[[noreturn]] VOSKARA_API void abort_voskara();

// Rule line on the console: `before` newlines, `length` dashes, `after` newlines.
VOSKARA_API void crule(int before, int length, int after);
// Same with stars (banner and disclaimer frames).
VOSKARA_API void cstars(int before, int length, int after);

}  // namespace vsk
