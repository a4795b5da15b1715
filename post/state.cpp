// The library-wide post-processing state and its small helpers.
#include "post/state.h"

#include <cstdlib>
#include <filesystem>

namespace rvn {

namespace {

bool is_whole_number(const std::string& text)
{
    std::size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i >= text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

}  // namespace

bool PostParams::writes_genotypes() const
{
    if (writeGTP == "none") return false;
    if (is_whole_number(writeGTP) && std::atol(writeGTP.c_str()) <= 0) return false;
    return true;
}

std::string PostState::path(const std::string& file) const
{
    if (project_dir.empty()) return file;
    return (std::filesystem::path(project_dir) / file).string();
}

PostState& state()
{
    static PostState instance;
    return instance;
}

void reset_state(PostState& st)
{
    std::string dir = std::move(st.project_dir);
    st = PostState{};
    st.project_dir = std::move(dir);
}

}  // namespace rvn
