// The one error type of the importer: a message naming the file, the line and
// the item at fault. The program prints it and exits with code 1 before any
// file of the project is written.
#pragma once

#include <stdexcept>
#include <string>

namespace vimp {

class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "FILE, line N, item 'X': reason" (line 0 and an empty item are left out).
[[noreturn]] void fail_at(const std::string& file, int line, const std::string& item, const std::string& reason);
[[noreturn]] void fail(const std::string& reason);

}  // namespace vimp
