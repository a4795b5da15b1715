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

}  // namespace

void prepare_project()
{
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    const fs::path base = VOSKARA_FUZZ_BASE_DIR;
    for (const char* name : kBaseFiles) base_files()[name] = read_text(base / name);
    char pattern[] = "/tmp/voskara-fuzz-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (dir == nullptr) std::abort();
    fs::current_path(dir);
    static const std::string scratch = dir;
    std::atexit([] {
        std::error_code ec;
        fs::current_path("/", ec);
        fs::remove_all(scratch, ec);
    });
    std::fprintf(stderr, "fuzz: scratch project %s\n", dir);
    for (const auto& [name, text] : base_files()) write_file(name, text);
    vsk::project_dirF = dir;
    vsk::project_parF = "voskara.par";
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    std::FILE* sink = std::fopen("/dev/null", "w");
    vsk::set_console_stream(sink);
    rvn::set_console_stream(sink);
}

void write_file(const std::string& name, std::string_view text)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void restore_base_file(const std::string& name) { write_file(name, base_text(name)); }

const std::string& base_text(const std::string& name) { return base_files().at(name); }

void reset_analysis_records()
{
    vsk::FreeGlobalVariables();
    vsk::par = vsk::Par{};
    vsk::obs.clear();
    vsk::chr.clear();
    vsk::mrkrlcs.clear();
    vsk::FinalProg.clear();
    vsk::FIBD.clear();
    vsk::FIBDNRM.clear();
    vsk::FIBDNRMi.clear();
    vsk::PNTstring.clear();
    vsk::PNTheld = 0;
}

}  // namespace fuzz
