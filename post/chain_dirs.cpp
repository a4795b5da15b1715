// Names and listing of the chain directories of a project.
#include "post/chain_dirs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

namespace rvn {

namespace {

constexpr const char* kPrefix = "chain_";

// The chain number of a directory name, or -1 when it is not one.
long chain_number(const std::string& name)
{
    const std::string prefix = kPrefix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 9) return -1;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    return std::stol(digits);
}

}  // namespace

std::filesystem::path chains_root(const std::filesystem::path& project_dir) { return project_dir / "chains"; }

int chain_number_width(int count)
{
    int width = 1;
    for (int c = count; c >= 10; c /= 10) ++width;
    return std::max(2, width);
}

std::string chain_dir_name(int k, int width)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%0*d", kPrefix, width, k);
    return text;
}

std::vector<std::filesystem::path> list_chain_dirs(const std::filesystem::path& root)
{
    std::vector<std::pair<long, std::filesystem::path>> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(root, ec)) {
        if (!entry.is_directory()) continue;
        const long k = chain_number(entry.path().filename().string());
        if (k >= 0) found.emplace_back(k, entry.path());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::filesystem::path> dirs;
    for (auto& f : found) dirs.push_back(std::move(f.second));
    return dirs;
}

}  // namespace rvn
