// Text of the run summary "voskara.xml", built a section at a time in memory
// so that a section whose every paragraph was left out is left out too.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "textfile/markup_text.h"

namespace vsk {

// One block of report text: paragraphs and nested sections.
class XmlBlock {
public:
    bool empty() const { return text_.empty(); }
    const std::string& str() const { return text_; }

    void plain(std::string_view text);
    // A paragraph holding one file name (Type "link" or "image").
    void file(const char* type, std::string_view name);
    // "dictionary" / "linkedDictionary" paragraph of "key , value" lines.
    void dictionary(const char* type, const std::vector<std::pair<std::string, std::string>>& entries);
    // "table" paragraph: CSV lines, the first the header (cells pre-joined).
    void table(const std::vector<std::string>& rows) { lines("table", rows); }
    // A paragraph of `type` holding the given lines.
    void lines(const char* type, const std::vector<std::string>& rows);
    // Appends `body` framed as a section; nothing when the body is empty.
    void section(const char* title, const XmlBlock& body, const char* help = nullptr);
    void append(const XmlBlock& other) { text_ += other.text_; }

private:
    std::string text_;
};

// Which files the report may link: input files that exist, and outputs
// written during this run (modified not before `since`), so a file left by
// an earlier run is never shown as this run's.
struct LinkPolicy {
    std::filesystem::path dir;
    std::filesystem::file_time_type since = std::filesystem::file_time_type::min();

    bool input(const std::string& name) const;
    bool output(const std::string& name) const;
};

}  // namespace vsk
