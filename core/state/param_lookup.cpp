// Keyword lookup and value conversion for the parameter interpreter: present
// / absent / mandatory handling and the messages that go with it.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/state/console.h"
#include "core/state/parameters.h"
#include "textfile/number_text.h"
#include "textfile/textfile.h"

namespace vsk {

ParamContext::ParamContext(std::string directory, std::string file_name)
    : dir(std::move(directory)), name(std::move(file_name))
{
    path = file_path(name);
}

std::string ParamContext::file_path(const std::string& file) const
{
    if (dir.empty()) return file;
    return (std::filesystem::path(dir) / file).string();
}

bool read_value(const std::string& file, const char* key, std::string& value)
{
    return getpatternvalue(key, file, value) >= 1;
}

bool read_list(const std::string& file, const char* key, std::string& value_text)
{
    value_text.clear();
    std::string line;
    if (searchpattern(key, file, line) < 0) return false;
    std::string content = stripcomment(line);
    const char* blanks = " \t\r\n\f\v";
    std::size_t word = content.find_first_not_of(blanks);
    if (word == std::string::npos) return true;
    std::size_t after = content.find_first_of(blanks, word);
    if (after == std::string::npos) return true;
    std::size_t value = content.find_first_not_of(blanks, after);
    if (value != std::string::npos) value_text = content.substr(value);
    return true;
}

int checked_items(const ParamContext& ctx, const char* key, const std::string& value_text,
                  std::vector<std::string>& items)
{
    int n = splititems(value_text, items, kMaxItems, kItemWidth);
    if (n >= 0) return n;
    cprint("\nERROR: pattern %s in file %s holds more than %d items or an item of %d characters or more",
           key, ctx.name.c_str(), kMaxItems - 1, kItemWidth);
    abort_voskara();
}

namespace {

// A value that is not a number at all, or does not fit its type, is refused
// with a message naming the keyword; a number followed by other text keeps
// the number part with a deferred warning.
[[noreturn]] void refuse_value(const ParamContext& ctx, const char* key, const std::string& text, NumberText status)
{
    cprint("\nERROR: value '%s' of %s in file %s %s", text.c_str(), key, ctx.name.c_str(), number_text_problem(status));
    abort_voskara();
}

void warn_trailing(ParamContext& ctx, const char* key, const std::string& text, const std::string& read_as)
{
    ctx.deferred.add("\nWARNING: value '%s' of %s in file %s is a number followed by other text, read as %s",
                     text.c_str(), key, ctx.name.c_str(), read_as.c_str());
}

}  // namespace

int to_int(ParamContext& ctx, const char* key, const std::string& text)
{
    if (text.empty()) return 0;   // a keyword without a value reads 0
    int value = 0;
    const NumberText status = read_int_text(text, value);
    if (status == NumberText::not_a_number || status == NumberText::out_of_range) refuse_value(ctx, key, text, status);
    if (status == NumberText::trailing) warn_trailing(ctx, key, text, std::to_string(value));
    return value;
}

double to_real(ParamContext& ctx, const char* key, const std::string& text)
{
    if (text.empty()) return 0.0;
    double value = 0.0;
    const NumberText status = read_real_text(text, value);
    if (status == NumberText::not_a_number || status == NumberText::out_of_range) refuse_value(ctx, key, text, status);
    if (status == NumberText::trailing) {
        char shown[64];
        std::snprintf(shown, sizeof shown, "%g", value);
        warn_trailing(ctx, key, text, shown);
    }
    return value;
}

int in_range(const ParamContext& ctx, const char* key, int value, int lowest, int highest)
{
    if (value >= lowest && value <= highest) return value;
    cprint("\nERROR: value %d of %s in file %s is out of range: %d to %d are allowed", value, key, ctx.name.c_str(),
           lowest, highest);
    abort_voskara();
}

void missing_mandatory(const ParamContext& ctx, const char* key)
{
    cprint("\nERROR: pattern %-20s not in file %s", key, ctx.name.c_str());
    abort_voskara();
}

int mandatory_int(ParamContext& ctx, const char* key)
{
    std::string value;
    if (!read_value(ctx.path, key, value)) missing_mandatory(ctx, key);
    return to_int(ctx, key, value);
}

double mandatory_real(ParamContext& ctx, const char* key)
{
    std::string value;
    if (!read_value(ctx.path, key, value)) missing_mandatory(ctx, key);
    return to_real(ctx, key, value);
}

void warn_absent(ParamContext& ctx, const char* key)
{
    ctx.deferred.add("\nWARNING: pattern %-20s not in file %s", key, ctx.name.c_str());
}

int optional_int(ParamContext& ctx, const char* key, int fallback)
{
    std::string value;
    if (read_value(ctx.path, key, value)) return to_int(ctx, key, value);
    warn_absent(ctx, key);
    return fallback;
}

double optional_real(ParamContext& ctx, const char* key, double fallback)
{
    std::string value;
    if (read_value(ctx.path, key, value)) return to_real(ctx, key, value);
    warn_absent(ctx, key);
    return fallback;
}

int silent_int(ParamContext& ctx, const char* key, int fallback)
{
    std::string value;
    return read_value(ctx.path, key, value) ? to_int(ctx, key, value) : fallback;
}

double silent_real(ParamContext& ctx, const char* key, double fallback)
{
    std::string value;
    return read_value(ctx.path, key, value) ? to_real(ctx, key, value) : fallback;
}

void check_text_length(const ParamContext& ctx, const char* key, const std::string& value, int max_length)
{
    if (static_cast<int>(value.size()) <= max_length) return;
    cprint("\nERROR: value of '%s' in file %s is too long: '%s' (%d characters)", key, ctx.name.c_str(),
           value.c_str(), static_cast<int>(value.size()));
    cprint("\nAt most %d characters are allowed", max_length);
    abort_voskara();
}

}  // namespace vsk
