// Text helpers shared by the XML and HTML writers of both programs.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace vsk {

// Replaces the characters XML and HTML reserve (&, <, >, ") by their
// entities, so a trait, nuisance or file name cannot break the document.
std::string xml_escape(std::string_view text);

// printf into a std::string.
std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string vformat_text(const char* format, std::va_list args);

}  // namespace vsk
