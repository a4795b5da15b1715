// Keyword lookup and value conversion for the parameter interpreter: present
// / absent / mandatory handling and the messages that go with it.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "core/state/console.h"
#include "core/state/parameters.h"
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

int to_int(const std::string& text)
{
    long v = std::strtol(text.c_str(), nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

double to_real(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

void missing_mandatory(const ParamContext& ctx, const char* key)
{
    cprint("\nERROR: pattern %-20s not in file %s", key, ctx.name.c_str());
    abort_voskara();
}

int mandatory_int(const ParamContext& ctx, const char* key)
{
    std::string value;
    if (!read_value(ctx.path, key, value)) missing_mandatory(ctx, key);
    return to_int(value);
}

double mandatory_real(const ParamContext& ctx, const char* key)
{
    std::string value;
    if (!read_value(ctx.path, key, value)) missing_mandatory(ctx, key);
    return to_real(value);
}

void warn_absent(ParamContext& ctx, const char* key)
{
    ctx.deferred.add("\nWARNING: pattern %-20s not in file %s", key, ctx.name.c_str());
}

int optional_int(ParamContext& ctx, const char* key, int fallback)
{
    std::string value;
    if (read_value(ctx.path, key, value)) return to_int(value);
    warn_absent(ctx, key);
    return fallback;
}

double optional_real(ParamContext& ctx, const char* key, double fallback)
{
    std::string value;
    if (read_value(ctx.path, key, value)) return to_real(value);
    warn_absent(ctx, key);
    return fallback;
}

int silent_int(const ParamContext& ctx, const char* key, int fallback)
{
    std::string value;
    return read_value(ctx.path, key, value) ? to_int(value) : fallback;
}

double silent_real(const ParamContext& ctx, const char* key, double fallback)
{
    std::string value;
    return read_value(ctx.path, key, value) ? to_real(value) : fallback;
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
