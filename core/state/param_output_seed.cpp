// Output keywords (genotype writing, relationship matrices, printing and
// debug flags, null-allele texts) and the random seed.
#include <algorithm>
#include <cerrno>
#include <cctype>
#include <climits>
#include <cstdlib>

#include "core/state/console.h"
#include "core/state/parameters.h"
#include "textfile/number_text.h"

namespace vsk {

namespace {

// Lower-case selector words are stored in upper case; "0" means none.
std::string normalised_writeGTP(const std::string& value)
{
    if (value == "0") return "NONE";
    if (value == "none" || value == "all" || value == "founders" || value == "nuisance") {
        std::string upper = value;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        return upper;
    }
    return value;
}

// "NUISANCE" needs an indiN column of kind 3, and such a column needs it.
void read_writeGTP(ParamContext& ctx, Par& p)
{
    const char* key = "writeGTP";
    std::string value;
    if (!read_value(ctx.path, key, value)) {
        warn_absent(ctx, key);
        return;
    }
    check_text_length(ctx, key, value, kMaxTextValue);
    p.writeGTP = normalised_writeGTP(value);
    bool column = std::find(ctx.indiN.begin(), ctx.indiN.end(), 3) != ctx.indiN.end();
    bool nuisance = p.writeGTP == "NUISANCE";
    if (nuisance == column) return;
    if (nuisance) {
        cprint("\nERROR: Variable 'writeGTP' equal to %s with no column specified", p.writeGTP.c_str());
    } else {
        cprint("\nWARNING: Variable 'writeGTP' equal to %s", p.writeGTP.c_str());
        cprint(" with nuisance column specified as indicator");
    }
    cprint("\nCheck variable 'indiN' in parameter file %s", ctx.name.c_str());
    abort_voskara();
}

void read_writeNRM(ParamContext& ctx, Par& p)
{
    p.writeNRM = optional_int(ctx, "writeNRM", 0);
    if (p.writeNRM > 2) {
        ctx.deferred.add("\nWARNING: value for %-20s invalid in file %s", "writeNRM", ctx.name.c_str());
        ctx.deferred.add(" (default value 0 imposed)");
        p.writeNRM = 0;
    }
}

// A flag outside [0, highest] becomes 0.
int flag_in_range(int value, int highest) { return (value >= 0 && value <= highest) ? value : 0; }

// Debug flags: an absent one prints a single blank at once.
int debug_flag(ParamContext& ctx, const char* key, int highest)
{
    std::string value;
    if (!read_value(ctx.path, key, value)) {
        cprint(" ");
        return 0;
    }
    return flag_in_range(to_int(ctx, key, value), highest);
}

std::string null_allele_text(ParamContext& ctx, const char* key, const std::string& fallback)
{
    std::string value;
    if (!read_value(ctx.path, key, value)) {
        warn_absent(ctx, key);
        return fallback;
    }
    check_text_length(ctx, key, value, kMaxTextValue);
    return value;
}

// The last seed line counts; a value beyond the int range is refused rather
// than wrapped.
int read_seed(ParamContext& ctx)
{
    const char* key = "seed";
    std::string value;
    if (!read_value(ctx.path, key, value)) {
        warn_absent(ctx, key);
        return kDefaultSeed;
    }
    int seed = 0;
    if (read_int_text(value, seed) == NumberText::out_of_range) {
        cprint("\nERROR: Overflow condition occurred on %s.\n", key);
        cprint("\n Decrease value in file %s", ctx.name.c_str());
        cprint("\n - Suggestion: Value must have less than 10 digits. -");
        abort_voskara();
    }
    return to_int(ctx, key, value);
}

}  // namespace

void read_output_keywords(ParamContext& ctx, Par& p)
{
    read_writeGTP(ctx, p);
    read_writeNRM(ctx, p);
    p.maxnwrtNUI = optional_int(ctx, "maxnwrtNUI", 0);
    ctx.REDprint = flag_in_range(silent_int(ctx, "REDprint", 0), 1);
    ctx.VARgroup = flag_in_range(silent_int(ctx, "VARgroup", 0), 1);
    p.absorbFP = in_range(ctx, "absorbFP", optional_int(ctx, "absorbFP", 0), 0, 1);
    p.nullalleleP = null_allele_text(ctx, "nullalleleP", "$");
    p.nullalleleC = null_allele_text(ctx, "nullalleleC", "$$");
    ctx.RJSdebug = debug_flag(ctx, "RJSdebug", 1);
    ctx.MRKdebug = debug_flag(ctx, "MRKdebug", 3);
    ctx.seed = read_seed(ctx);
}

}  // namespace vsk
