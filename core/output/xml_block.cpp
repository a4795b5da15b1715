// Building blocks of the run summary: escaping, paragraphs, sections and the
// rule for which files may be linked.
#include "core/output/xml_block.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <system_error>

namespace vsk {

void XmlBlock::plain(std::string_view text)
{
    text_ += format_text("<Paragraph Type=\"%s\">%s</Paragraph>\n", "plain", xml_escape(text).c_str());
}

void XmlBlock::file(const char* type, std::string_view name)
{
    text_ += format_text("<Paragraph Type=\"%s\">%s</Paragraph>\n", type, xml_escape(name).c_str());
}

void XmlBlock::dictionary(const char* type, const std::vector<std::pair<std::string, std::string>>& entries)
{
    if (entries.empty()) return;
    text_ += format_text("<Paragraph Type=\"%s\">\n", type);
    for (const auto& [key, value] : entries)
        text_ += format_text("%s , %s\n", xml_escape(key).c_str(), xml_escape(value).c_str());
    text_ += "</Paragraph>\n";
}

void XmlBlock::lines(const char* type, const std::vector<std::string>& rows)
{
    text_ += format_text("<Paragraph Type=\"%s\">\n", type);
    for (const std::string& r : rows) text_ += xml_escape(r) + "\n";
    text_ += "</Paragraph>\n";
}

void XmlBlock::section(const char* title, const XmlBlock& body, const char* help)
{
    if (body.empty()) return;
    if (help)
        text_ += format_text("<Section Title=\"%s\" HelpTag=\"%s\">\n", title, help);
    else
        text_ += format_text("<Section Title=\"%s\">\n", title);
    text_ += body.text_;
    text_ += "</Section>\n";
}

bool LinkPolicy::input(const std::string& name) const
{
    std::error_code ec;
    return !name.empty() && std::filesystem::is_regular_file(dir / name, ec);
}

bool LinkPolicy::output(const std::string& name) const
{
    if (!input(name)) return false;
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(dir / name, ec);
    return !ec && written >= since;
}

}  // namespace vsk
