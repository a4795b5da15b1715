// Console stream of the post-processing library: every message goes through
// rprint, to standard output unless a host redirected it to a file.
#pragma once

#include <cstdio>

namespace rvn {

inline constexpr const char* kVersion = "0.99130";
inline constexpr const char* kVersionDate = "16.FEB.2016";

// Width of the library's rule lines.
inline constexpr int kRuleWidth = 78;

// The current console stream (standard output unless redirected).
std::FILE* console();
// Redirects the console stream to a stream the caller keeps open (nullptr:
// back to standard output); used by tests.
void set_console_stream(std::FILE* stream);
// True when the console stream is not standard output.
bool console_redirected();

// printf-style print on the console stream.
void rprint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Rule lines on the console: `before` newlines, `length` dashes or stars,
// `after` newlines.
void rrule(int before, int length, int after);
void rstars(int before, int length, int after);

// The common separator of sections: two newlines, 78 dashes, a newline.
void separator();
// Section banner: 4 newlines, 78 stars, a newline, the title, a newline and
// 78 stars.
void section_banner(const char* title);

// "\nNow exiting Ruvane(version)" and the fatal exit (code 1).
[[noreturn]] void exit_ruvane();
// "\naborting Ruvane version" and the fatal exit (code 1).
[[noreturn]] void abort_ruvane();
// "\n\nERROR:\nFile '%s' not available", then exit_ruvane().
[[noreturn]] void exit_file_not_available(const char* path);

}  // namespace rvn
