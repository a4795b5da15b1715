// A minimal streaming JSON writer: objects, arrays, strings and finite
// numbers, indented two blanks per level, with commas placed for the caller.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vsim {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void begin_object(const char* key = nullptr) { open(key, '{'); }
    void end_object() { close('}'); }
    void begin_array(const char* key = nullptr) { open(key, '['); }
    void end_array() { close(']'); }
    // Short arrays of numbers stay on one line.
    void numbers(const char* key, const std::vector<double>& values);
    void integers(const char* key, const std::vector<int>& values);
    void strings(const char* key, const std::vector<std::string>& values);

    void value(const char* key, const std::string& text);
    void value(const char* key, const char* text) { value(key, std::string(text)); }
    void value(const char* key, double number);
    void value(const char* key, long number);
    void value(const char* key, int number) { value(key, static_cast<long>(number)); }
    void value(const char* key, bool flag);
    void null(const char* key);

    static std::string quoted(const std::string& text);
    static std::string number_text(double number);

private:
    void open(const char* key, char bracket);
    void close(char bracket);
    void item(const char* key);  // comma, newline, indent and "key": as needed

    std::ostream& out_;
    std::vector<bool> has_items_;  // per open level
};

}  // namespace vsim
