// The data and map file keywords: names, lengths, existence, and the rule
// that a consistent-marker data file ("CM" + name) takes the data file's place.
#include <filesystem>

#include "core/state/console.h"
#include "core/state/parameters.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

bool file_exists(const ParamContext& ctx, const std::string& name)
{
    std::error_code ec;
    return !name.empty() && std::filesystem::is_regular_file(ctx.file_path(name), ec);
}

std::string read_datafile_name(const ParamContext& ctx)
{
    std::string name;
    if (!read_value(ctx.path, "datafile", name)) {
        cprint("\nERROR: pattern %-20s not in file %s\n\naborting Voskara", "datafile", ctx.name.c_str());
        fatal_exit(1);
    }
    if (static_cast<int>(name.size()) > kMaxDatafileName) {
        cprint("\nERROR\nlength of string too big ");
        cprint("\n '%-20s' (=%d)", name.c_str(), static_cast<int>(name.size()));
        cprint("\ndecrease length down to less than %d", 28);
        cprint("\n\n\naborting Voskara\n");
        fatal_exit(1);
    }
    return name;
}

// A data file whose markers were made consistent in an earlier run carries
// the "CM" prefix; when present it is used instead of the named file.
void choose_datafile(const ParamContext& ctx, Par& p, const std::string& name)
{
    bool named_exists = file_exists(ctx, name);
    if (!named_exists) cprint("\nWARNING: %s '%s' not found!", "datafile", name.c_str());
    std::string cm_name = "CM" + name;
    if (file_exists(ctx, cm_name)) {
        if (!named_exists)
            cprint("\nFile %s found INSTEAD of initial file %s!", cm_name.c_str(), name.c_str());
        else
            cprint("\nFile %s also found: overrules initial file %s!", cm_name.c_str(), name.c_str());
        p.datafile = cm_name;
        p.cm_datafile_used = 1;
        return;
    }
    if (!named_exists) {
        cprint("\nERROR: data files not found (%s or %s)", name.c_str(), cm_name.c_str());
        abort_voskara();
    }
    p.datafile = name;
}

void read_mapfile(const ParamContext& ctx, Par& p)
{
    std::string name;
    if (!read_value(ctx.path, "mapfile", name)) missing_mandatory(ctx, "mapfile");
    check_text_length(ctx, "mapfile", name, kMaxMapfileName);
    if (!file_exists(ctx, name)) {
        cprint("\nERROR: %s %s  not found!\naborting Voskara", "mapfile", name.c_str());
        cprint("\n tip : in case of analysis w/out markers also specify a %s", "mapfile");
        abort_voskara();
    }
    p.mapfile = name;
}

}  // namespace

void read_data_and_map_files(ParamContext& ctx, Par& p)
{
    choose_datafile(ctx, p, read_datafile_name(ctx));
    read_mapfile(ctx, p);
}

}  // namespace vsk
