// Scratch project of the fuzz targets.
#include "fuzz/fuzz_project.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

#include "core/state/console.h"
#include "core/state/startup.h"
#include "core/voskara.h"
#include "post/console.h"

namespace fuzz {

namespace {

namespace fs = std::filesystem;

const char* const kBaseFiles[] = {"voskara.par", "voskara.dat", "voskara.map", "voskara.fibd", "voskaraQ.fibd"};

std::map<std::string, std::string>& base_files()
{
    static std::map<std::string, std::string> files;
    return files;
}

std::string read_text(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string& scratch_dir()
{
    static const std::string dir = [] {
        char pattern[] = "/tmp/voskara-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) std::abort();
        return std::string(made);
    }();
    return dir;
}

const fs::path& start_dir()
{
    static const fs::path dir = fs::current_path();
    return dir;
}

}  // namespace

ScratchScope::ScratchScope() { fs::current_path(scratch_dir()); }

ScratchScope::~ScratchScope()
{
    std::error_code ec;
    fs::current_path(start_dir(), ec);
}

ScratchScope prepare_project()
{
    static bool prepared = false;
    if (!prepared) {
        prepared = true;
        start_dir();
        const fs::path base = VOSKARA_FUZZ_BASE_DIR;
        for (const char* name : kBaseFiles) base_files()[name] = read_text(base / name);
        const std::string& dir = scratch_dir();
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(scratch_dir(), ec);
        });
        std::fprintf(stderr, "fuzz: scratch project %s\n", dir.c_str());
        const fs::path scratch = dir;
        for (const auto& [name, text] : base_files()) {
            std::ofstream out(scratch / name, std::ios::binary | std::ios::trunc);
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
        }
        vsk::project_dirF = dir;
        vsk::project_parF = "voskara.par";
        if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
        std::FILE* sink = std::fopen("/dev/null", "w");
        vsk::set_console_stream(sink);
        rvn::set_console_stream(sink);
    }
    return ScratchScope{};
}

void write_file(const std::string& name, std::string_view text)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void restore_base_file(const std::string& name) { write_file(name, base_text(name)); }

const std::string& base_text(const std::string& name) { return base_files().at(name); }

void reset_analysis_records() { vsk::reset_shared_records(); }

}  // namespace fuzz
