// Reading the command line of voskara_chains.
#include "tools/chains/cli.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace vch {

namespace {

constexpr int kMaxChains = 10000;

void usage(std::FILE* f)
{
    std::fprintf(f,
                 "Usage: voskara_chains -d PROJECT -n CHAINS [-p PARAMETER_FILE] [-j JOBS] [--overwrite]\n"
                 "                      [--no-merge] [--slurm [--submit] [--sbatch-option TEXT]...]\n"
                 "                      [--console PATH] [--ruvane PATH]\n"
                 "Runs CHAINS independent chains of the project in PROJECT/chains (JOBS at a time, default\n"
                 "one per core), then pools them with 'ruvane_console -d PROJECT --chains'. --slurm writes a\n"
                 "Slurm job array and a dependent merge step instead, --submit also submits them.\n");
}

bool whole_number(const char* text, int low, int high, int& value)
{
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

}  // namespace

bool parse_options(int argc, char** argv, Options& o, bool& help, std::FILE* out, std::FILE* err)
{
    help = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto take = [&](std::string& field) {
            if (value == nullptr) return false;
            field = value;
            ++i;
            return true;
        };
        bool ok = true;
        if (word == "--help" || word == "-h") {
            usage(out);
            help = true;
            return false;
        } else if (word == "-d" || word == "-D") {
            ok = take(o.project_dir);
        } else if (word == "-p" || word == "-P") {
            ok = take(o.par_file);
        } else if (word == "-n") {
            ok = whole_number(value, 1, kMaxChains, o.chains) && ++i;
        } else if (word == "-j") {
            ok = whole_number(value, 1, kMaxChains, o.jobs) && ++i;
        } else if (word == "--slurm") {
            o.slurm = true;
        } else if (word == "--submit") {
            o.submit = o.slurm = true;
        } else if (word == "--overwrite") {
            o.overwrite = true;
        } else if (word == "--no-merge") {
            o.merge = false;
        } else if (word == "--console") {
            ok = take(o.console);
        } else if (word == "--ruvane") {
            ok = take(o.ruvane);
        } else if (word == "--sbatch-option") {
            std::string text;
            ok = take(text);
            o.sbatch_options.push_back(text);
        } else {
            std::fprintf(err, "voskara_chains: unknown argument '%s'\n", word.c_str());
            usage(err);
            return false;
        }
        if (!ok) {
            std::fprintf(err, "voskara_chains: '%s' needs a valid value%s\n", word.c_str(),
                         word == "-n" || word == "-j" ? " (a whole number from 1 to 10000)" : "");
            return false;
        }
    }
    if (o.chains < 1) {
        std::fprintf(err, "voskara_chains: the number of chains (-n) is required\n");
        usage(err);
        return false;
    }
    return true;
}

}  // namespace vch
