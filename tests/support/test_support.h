// Helpers shared by the test programs: scratch directories, file I/O,
// running the built programs and capturing what a stream receives.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "textfile/table.h"

namespace testsupport {

// Row r of a table as a vector of T (for comparisons in expectations).
template <class T, class U>
std::vector<T> row_of(const vsk::Table<U>& table, int r)
{
    return std::vector<T>(table[r], table[r] + table.cols());
}

// A fresh directory under the system temp directory, removed on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void write_file(const std::filesystem::path& path, const std::string& text);
std::string read_file(const std::filesystem::path& path);

// Path of a built program (bin directory of the build tree).
std::string program(const std::string& name);
// Path inside the source tree.
std::filesystem::path source_path(const std::string& relative);

struct RunResult {
    int exit_code = -1;
    std::string output;  // standard output and standard error, interleaved
};
// Runs a shell command line, capturing its output and exit code.
RunResult run_command(const std::string& command_line);

// `text` in single quotes for a shell command line.
std::string shell_quoted(const std::string& text);

// A built program run in directory `dir` with `args` (already quoted where
// needed) and SOURCE_DATE_EPOCH set, so its outputs are reproducible.
RunResult run_program_in(const std::filesystem::path& dir, const std::string& name, const std::string& args);

// A temporary FILE* whose contents can be read back as text.
class CapturedStream {
public:
    CapturedStream();
    ~CapturedStream();
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;
    std::FILE* stream() const { return file_; }
    std::string text() const;

private:
    std::FILE* file_;
};

// Changes the working directory for the lifetime of the object.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::filesystem::path& dir);
    ~ScopedCwd();

private:
    std::filesystem::path previous_;
};

}  // namespace testsupport
