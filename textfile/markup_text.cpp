#include "textfile/markup_text.h"

#include <cstdio>

namespace vsk {

std::string xml_escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string vformat_text(const char* format, std::va_list args)
{
    std::va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, args);
    return out;
}

std::string format_text(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string out = vformat_text(format, args);
    va_end(args);
    return out;
}

}  // namespace vsk
