// Founder-relationship keywords: the file name, how its matrices are used
// (FIBDthreshold, PLinkSoft) and the dimensions read from the file itself.
// "NA" as the file name, written or by default, means there is no such file.
#include <filesystem>

#include "core/state/console.h"
#include "core/state/parameters.h"
#include "textfile/number_text.h"

namespace vsk {

namespace {

[[noreturn]] void improper_value(const char* key, const std::string& value)
{
    cprint("\nERROR: pattern %s has improper value %s!\naborting Voskara", key, value.c_str());
    abort_voskara();
}

void read_fibd_threshold(ParamContext& ctx, Par& p)
{
    const char* key = "FIBDthreshold";
    std::string value;
    if (!read_value(ctx.path, key, value)) return;
    double t = to_real(ctx, key, value);
    if (t == 2.0)
        ctx.deferred.add("\nREMARK : pattern %-20s indicates use of P-matrices (=2)", key);
    else if (t > 1.0 && t < 2.0)
        ctx.deferred.add("\nREMARK : pattern %-20s indicates weighing Q-matrices (1<T<2)", key);
    else if (t > 0.0 && t <= 1.0)
        ctx.deferred.add("\nREMARK : pattern %-20s indicates sampling Q-matrices (0<T=<1)", key);
    else
        improper_value(key, value);
    p.FIBDthreshold = t;
}

void read_plink_soft(ParamContext& ctx, Par& p)
{
    const char* key = "PLinkSoft";
    std::string value;
    if (!read_value(ctx.path, key, value)) return;
    double s = to_real(ctx, key, value);
    if (s == -1.0)
        ctx.deferred.add("\nREMARK : pattern %-20s indicates exclusion of P_Link algorithm", key);
    else if (s == 0.0)
        ctx.deferred.add("\nREMARK : pattern %-20s indicates straight P_Link algorithm", key);
    else if (s > 0.0)
        ctx.deferred.add("\nREMARK : pattern %-20s indicates softening in P_Link algorithm", key);
    else
        improper_value(key, value);
    p.PLinkSoft = s;
}

// A value of the founder-relationship file, read by the parameter file's
// number rule; refusals name that file.
int fibd_int(const Par& p, const char* key, const std::string& value)
{
    int v = 0;
    const NumberText status = value.empty() ? NumberText::whole : read_int_text(value, v);
    if (status == NumberText::not_a_number || status == NumberText::out_of_range) {
        cprint("\nERROR: value '%s' of %s in file %s %s", value.c_str(), key, p.fibdfile.c_str(),
               number_text_problem(status));
        abort_voskara();
    }
    return v;
}

// A dimension that the founder-relationship file must state.
int fibd_mandatory(ParamContext& ctx, const Par& p, const char* key, std::string& value)
{
    if (!read_value(ctx.file_path(p.fibdfile), key, value)) {
        cprint("\nERROR: %s not found in file %s", key, p.fibdfile.c_str());
        abort_voskara();
    }
    return fibd_int(p, key, value);
}

void read_fibd_dimensions(ParamContext& ctx, Par& p)
{
    std::string value;
    p.npos = fibd_mandatory(ctx, p, "npos", value);
    p.nind = fibd_mandatory(ctx, p, "nind", value);
    if (p.npos < 1 || p.nind < 0 || p.nind > kMaxItems) {
        cprint("\nERROR: npos %d and nind %d in file %s: at least one position and at most %d individuals expected",
               p.npos, p.nind, p.fibdfile.c_str(), kMaxItems);
        abort_voskara();
    }
    // Ancestor clusters are stated only for P-matrices; the weighed and
    // sampled Q-matrices have one cluster per individual.
    if (p.FIBDthreshold > 0.0 && p.FIBDthreshold < 2.0) {
        p.nanc = p.nind;
    } else {
        p.nanc = fibd_mandatory(ctx, p, "nanc", value);
        if (p.nanc < 0 || p.nanc > kMaxItems) {
            cprint("\nERROR: nanc %s in file %s", value.c_str(), p.fibdfile.c_str());
            abort_voskara();
        }
    }
    if (read_value(ctx.file_path(p.fibdfile), "inbred", value)) {
        p.inbred = fibd_int(p, "inbred", value);
        if (p.inbred != 0 && p.inbred != 1) {
            cprint("\nERROR: inbred %s in file %s: 0 (outbred) or 1 (inbred founders) expected", value.c_str(),
                   p.fibdfile.c_str());
            abort_voskara();
        }
    } else {
        ctx.deferred.add("\nWARNING: %s not found in file %s (default taken: %d)", "inbred", p.fibdfile.c_str(), 0);
        p.inbred = 0;
    }
}

}  // namespace

void read_founder_relationship_keywords(ParamContext& ctx, Par& p)
{
    const char* key = "fibdfile";
    std::string name;
    if (!read_value(ctx.path, key, name)) {
        warn_absent(ctx, key);
        return;
    }
    if (name == "NA") return;
    check_text_length(ctx, key, name, kMaxTextValue);
    std::error_code ec;
    if (name.empty() || !std::filesystem::is_regular_file(ctx.file_path(name), ec)) {
        cprint("\nERROR: %s %s  not found!", key, name.c_str());
        abort_voskara();
    }
    p.fibdfile = name;
    read_fibd_threshold(ctx, p);
    read_plink_soft(ctx, p);
    read_fibd_dimensions(ctx, p);
}

}  // namespace vsk
