// Warnings and remarks of the parameter interpreter are collected while the
// file is read and printed together once reading is done, so the reader sees
// them as one block just before the allocation heading.
#pragma once

#include <string>

namespace vsk {

class DeferredMessages {
public:
    // Appends one printf-formatted piece to the buffer.
    void add(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool empty() const { return text_.empty(); }
    const std::string& text() const { return text_; }
    // Prints the collected block as "\n%s" on the console; nothing when empty.
    void print() const;

private:
    std::string text_;
};

}  // namespace vsk
