// Test helpers: scratch directories, file I/O, program runs, stream capture.
#include "support/test_support.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "voskara-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void write_file(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string program(const std::string& name) { return std::string(VOSKARA_BIN_DIR) + "/" + name; }

std::filesystem::path source_path(const std::string& relative)
{
    return std::filesystem::path(VOSKARA_SOURCE_DIR) / relative;
}

RunResult run_command(const std::string& command_line)
{
    RunResult result;
    std::string full = command_line + " 2>&1";
    std::FILE* pipe = popen(full.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = pclose(pipe);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string shell_quoted(const std::string& text) { return "'" + text + "'"; }

RunResult run_program_in(const std::filesystem::path& dir, const std::string& name, const std::string& args)
{
    return run_command("cd " + shell_quoted(dir.string()) + " && SOURCE_DATE_EPOCH=1 " + shell_quoted(program(name)) +
                       " " + args);
}

CapturedStream::CapturedStream() : file_(std::tmpfile()) {}

CapturedStream::~CapturedStream()
{
    if (file_) std::fclose(file_);
}

std::string CapturedStream::text() const
{
    std::fflush(file_);
    long end = std::ftell(file_);
    std::string text(static_cast<std::size_t>(end > 0 ? end : 0), '\0');
    std::rewind(file_);
    std::size_t got = std::fread(text.data(), 1, text.size(), file_);
    text.resize(got);
    std::fseek(file_, 0, SEEK_END);
    return text;
}

ScopedCwd::ScopedCwd(const std::filesystem::path& dir) : previous_(std::filesystem::current_path())
{
    std::filesystem::current_path(dir);
}

ScopedCwd::~ScopedCwd()
{
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
}

}  // namespace testsupport
