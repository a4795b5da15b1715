// Command line: a preset, then settings that override it, then the output
// directory and seed. Every design setting is an option of its own name.
#include "tools/simulate/cli.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tools/simulate/exports.h"
#include "tools/simulate/simulate.h"

namespace vsim {

namespace {

constexpr const char* kDefaultPreset = "f2-small";
constexpr const char* kDefaultOut = "simulated_project";
constexpr std::uint64_t kDefaultSeed = 1;

struct Options {
    std::string preset = kDefaultPreset;
    std::string out = kDefaultOut;
    std::uint64_t seed = kDefaultSeed;
    std::vector<std::pair<std::string, std::string>> settings;
    std::vector<std::string> exports;  // field formats written next to the project
    bool list_presets = false;
    bool help = false;
};

std::uint64_t parse_seed(const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || !std::isdigit(static_cast<unsigned char>(text[0])) || errno == ERANGE)
        throw SimError("--seed: '" + text + "' is not a non-negative integer below 2^64");
    return v;
}

Options parse(int argc, const char* const* argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--list-presets") { o.list_presets = true; continue; }
        if (arg == "--help" || arg == "-h") { o.help = true; continue; }
        if (arg.rfind("--", 0) != 0) throw SimError("unexpected argument '" + arg + "' (see --help)");
        std::string key = arg.substr(2), value;
        const auto eq = key.find('=');
        if (eq != std::string::npos) {
            value = key.substr(eq + 1);
            key.resize(eq);
        } else {
            if (i + 1 >= argc) throw SimError("option --" + key + " needs a value");
            value = argv[++i];
        }
        if (key == "preset") o.preset = value;
        else if (key == "out") o.out = value;
        else if (key == "seed") o.seed = parse_seed(value);
        else if (key == "export") o.exports.push_back(value);
        else if (key == "set") {
            const auto e = value.find('=');
            if (e == std::string::npos) throw SimError("--set needs SETTING=VALUE");
            o.settings.emplace_back(value.substr(0, e), value.substr(e + 1));
        } else {
            o.settings.emplace_back(key, value);
        }
    }
    return o;
}

void print_help(std::FILE* out)
{
    std::fprintf(out,
                 "usage: voskara_simulate [--preset NAME] [--out DIR] [--seed N] [--export rqtl|cp] [--SETTING VALUE ...]\n"
                 "       voskara_simulate --list-presets\n\n"
                 "Writes a project (parameter, data and map files) and a truth file into DIR\n"
                 "(default %s) from preset NAME (default %s) with seed N (default %llu).\n"
                 "Every setting below overrides the preset; --set SETTING=VALUE and\n"
                 "--SETTING=VALUE work as well. The same settings and seed give the same files.\n\nsettings:\n",
                 kDefaultOut, kDefaultPreset, static_cast<unsigned long long>(kDefaultSeed));
    for (const SettingHelp& h : setting_help()) std::fprintf(out, "  --%-24s %s\n", h.key, h.text);
}

void print_summary(std::FILE* out, const Population& pop, const std::string& dir)
{
    const Design& d = pop.design;
    std::fprintf(out, "wrote %s: %s design '%s', seed %llu\n", dir.c_str(), cross_name(d.cross), d.name.c_str(),
                 static_cast<unsigned long long>(pop.seed));
    std::fprintf(out, "  %zu individuals (%d phenotyped), %zu markers on %zu linkage groups, %zu QTL\n",
                 pop.pedigree.individuals.size(), pop.realised.phenotyped, pop.genome.markers.size(),
                 d.chromosome_cm.size(), d.qtl.size());
    for (int t = 0; t < d.traits; ++t)
        std::fprintf(out, "  %s: realised heritability %.3f\n", trait_name(d, t).c_str(),
                     pop.realised.heritability[static_cast<std::size_t>(t)]);
}

}  // namespace

int run_simulate_cli(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    try {
        const Options o = parse(argc, argv);
        if (o.help) {
            print_help(out);
            return 0;
        }
        if (o.list_presets) {
            for (const PresetInfo& p : presets()) std::fprintf(out, "%-16s %s\n", p.name.c_str(), p.description.c_str());
            return 0;
        }
        Design design = preset_design(o.preset);
        for (const auto& [key, value] : o.settings) apply_setting(design, key, value);
        for (const std::string& format : o.exports) check_export(design, format);
        const Population pop = simulate(design, o.seed);
        write_project(pop, o.out);
        print_summary(out, pop, o.out);
        for (const std::string& format : o.exports) write_export(pop, o.out, format, out);
        return 0;
    } catch (const SimError& e) {
        std::fprintf(err, "voskara_simulate: %s\n", e.what());
        return 1;
    }
}

}  // namespace vsim
