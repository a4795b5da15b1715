// voskara_import rqtl|cp [options]: reads the field format, checks it fully,
// then writes the project; on any error nothing is written.
#include "tools/import/cli.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "tools/import/cp.h"
#include "tools/import/import_error.h"
#include "tools/import/rqtl.h"
#include "tools/import/summary.h"

namespace vimp {

namespace {

struct Args {
    std::string command;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> positional;
};

Args parse(int argc, const char* const* argv)
{
    Args a;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            a.command = "help";
            return a;
        }
        if (arg.rfind("--", 0) == 0) {
            std::string key = arg.substr(2), value;
            const auto eq = key.find('=');
            if (eq != std::string::npos) {
                value = key.substr(eq + 1);
                key.resize(eq);
            } else {
                if (i + 1 >= argc) fail("option --" + key + " needs a value");
                value = argv[++i];
            }
            a.options.emplace_back(key, value);
        } else if (a.command.empty()) {
            a.command = arg;
        } else {
            a.positional.push_back(arg);
        }
    }
    return a;
}

void print_help(std::FILE* out)
{
    std::fprintf(out,
                 "usage: voskara_import rqtl --cross f2|bc|riself|dh|4way FILE.csv [--phenotypes FILE]\n"
                 "                           [--format auto|csv|csvr|csvs] [--ril-generations N]\n"
                 "       voskara_import cp --loc FILE.loc --map FILE.map --phenotypes FILE.csv\n"
                 "                         [--parents P1,P2]\n"
                 "common options: --traits A,B  --nuisance C[:random],D  --out DIR (default imported_project)\n"
                 "                --seed N (seed line of the parameter file, default 123454)\n\n"
                 "Writes voskara.par, voskara.dat and voskara.map into DIR; any malformed input\n"
                 "stops the program with its file, line and item, and nothing is written.\n");
}

int parse_int(const std::string& key, const std::string& value, long most = 1000)
{
    char* end = nullptr;
    const long v = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || v < 1 || v > most) fail("--" + key + " " + value + ": a whole number from 1");
    return static_cast<int>(v);
}

int run(const Args& a, std::FILE* out)
{
    if (a.command == "help" || a.command.empty()) {
        print_help(out);
        return a.command.empty() ? 1 : 0;
    }
    std::string dir = "imported_project", cross, seed = "123454";
    Choice choice;
    RqtlOptions r;
    CpOptions c;
    for (const auto& [key, value] : a.options) {
        if (key == "out") dir = value;
        else if (key == "seed") seed = std::to_string(parse_int(key, value, 999999999));
        else if (key == "traits") choice.traits = split_list(value);
        else if (key == "nuisance") choice.nuisance = split_list(value);
        else if (key == "phenotypes") r.phenotypes = c.phenotypes = value;
        else if (key == "cross" && a.command == "rqtl") cross = value;
        else if (key == "format" && a.command == "rqtl") r.layout = value;
        else if (key == "ril-generations" && a.command == "rqtl") r.ril_generations = parse_int(key, value);
        else if (key == "loc" && a.command == "cp") c.loc = value;
        else if (key == "map" && a.command == "cp") c.map = value;
        else if (key == "parents" && a.command == "cp") {
            const auto names = split_list(value);
            if (names.size() != 2) fail("--parents needs two names: FIRST,SECOND");
            c.first_parent = names[0], c.second_parent = names[1];
        } else {
            fail("unknown option --" + key + " for " + a.command + " (see --help)");
        }
    }
    Project p;
    if (a.command == "rqtl") {
        if (cross.empty()) fail("rqtl needs --cross f2|bc|riself|dh|4way");
        if (a.positional.size() != 1) fail("rqtl needs one cross file");
        r.cross = rqtl_cross(cross);
        r.file = a.positional[0];
        r.choice = choice;
        p = import_rqtl(r);
    } else if (a.command == "cp") {
        if (!a.positional.empty()) fail("unexpected argument '" + a.positional[0] + "'");
        if (c.loc.empty() || c.map.empty()) fail("cp needs --loc FILE and --map FILE");
        c.choice = choice;
        p = import_cp(c);
    } else {
        fail("unknown command '" + a.command + "': rqtl or cp (see --help)");
    }
    p.seed = seed;
    write_project(p, dir);
    print_summary(out, p, dir);
    return 0;
}

}  // namespace

int run_import_cli(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    try {
        return run(parse(argc, argv), out);
    } catch (const ImportError& e) {
        std::fprintf(err, "voskara_import: %s\n", e.what());
        return 1;
    }
}

}  // namespace vimp
