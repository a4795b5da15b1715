// The one way a fatal error leaves the programs: the message has already been
// printed where the error was found; fatal_exit flushes every stream and
// throws FatalExit, which each program's main turns into its exit code.
// Throwing (rather than calling exit) lets tests check error paths in-process.
#pragma once

#include <exception>

namespace vsk {

// Default visibility so that a throw inside either shared library is caught
// by the program's main (type identity across library boundaries).
class __attribute__((visibility("default"))) FatalExit : public std::exception {
public:
    explicit FatalExit(int code) noexcept : code_(code) {}
    int code() const noexcept { return code_; }
    const char* what() const noexcept override { return "fatal error, process ends"; }

private:
    int code_;
};

// Flushes all output streams and throws FatalExit(code).
[[noreturn]] void fatal_exit(int code = 1);

}  // namespace vsk
