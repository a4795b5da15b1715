// Owning FILE handle: files are opened around each use and closed on every
// path out, including a fatal exit.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace vsk {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept
    {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

inline File open_file(const std::string& path, const char* mode)
{
    return File(std::fopen(path.c_str(), mode));
}

}  // namespace vsk
