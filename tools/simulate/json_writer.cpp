// Minimal JSON output for the truth file.
#include "tools/simulate/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vsim {

std::string JsonWriter::quoted(const std::string& text)
{
    std::string q = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            q += '\\';
            q += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
            q += buffer;
        } else {
            q += c;
        }
    }
    return q + "\"";
}

// The shortest text that reads back as the same double; JSON has no NaN.
std::string JsonWriter::number_text(double number)
{
    if (!std::isfinite(number)) return "null";
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

void JsonWriter::item(const char* key)
{
    if (!has_items_.empty()) {
        if (has_items_.back()) out_ << ',';
        has_items_.back() = true;
        out_ << '\n' << std::string(2 * has_items_.size(), ' ');
    }
    if (key) out_ << quoted(key) << ": ";
}

void JsonWriter::open(const char* key, char bracket)
{
    item(key);
    out_ << bracket;
    has_items_.push_back(false);
}

void JsonWriter::close(char bracket)
{
    const bool had_items = has_items_.back();
    has_items_.pop_back();
    if (had_items) out_ << '\n' << std::string(2 * has_items_.size(), ' ');
    out_ << bracket;
    if (has_items_.empty()) out_ << '\n';
}

void JsonWriter::numbers(const char* key, const std::vector<double>& values)
{
    item(key);
    out_ << '[';
    for (std::size_t i = 0; i < values.size(); ++i) out_ << (i ? ", " : "") << number_text(values[i]);
    out_ << ']';
}

void JsonWriter::integers(const char* key, const std::vector<int>& values)
{
    item(key);
    out_ << '[';
    for (std::size_t i = 0; i < values.size(); ++i) out_ << (i ? ", " : "") << values[i];
    out_ << ']';
}

void JsonWriter::strings(const char* key, const std::vector<std::string>& values)
{
    item(key);
    out_ << '[';
    for (std::size_t i = 0; i < values.size(); ++i) out_ << (i ? ", " : "") << quoted(values[i]);
    out_ << ']';
}

void JsonWriter::value(const char* key, const std::string& text)
{
    item(key);
    out_ << quoted(text);
}

void JsonWriter::value(const char* key, double number)
{
    item(key);
    out_ << number_text(number);
}

void JsonWriter::value(const char* key, long number)
{
    item(key);
    out_ << number;
}

void JsonWriter::value(const char* key, bool flag)
{
    item(key);
    out_ << (flag ? "true" : "false");
}

void JsonWriter::null(const char* key)
{
    item(key);
    out_ << "null";
}

}  // namespace vsim
