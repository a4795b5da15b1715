// Trait and nuisance keywords: data-file columns, which of them are analysed,
// their names, scaling, missing-value marks and the nuisance prior kinds.
#include "core/state/console.h"
#include "core/state/parameters.h"
#include "core/state/version.h"
#include "textfile/fatal.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {

[[noreturn]] void name_too_long(const std::string& value_text)
{
    cprint("\nERROR: name of trait variable too long: \n%s", value_text.c_str());
    cprint("\nMaximum character length of name = %d", kItemWidth);
    cprint("\n\nAborting Voskara (%s,%s)\n", kVersion, kVersionDate);
    fatal_exit(1);
}

// Mandatory list keyword split into items.
int mandatory_items(ParamContext& ctx, const char* key, std::vector<std::string>& items)
{
    std::string text;
    if (!read_list(ctx.path, key, text)) missing_mandatory(ctx, key);
    return checked_items(ctx, key, text, items);
}

// Names given on a keyword's line; a name of kItemWidth characters or more is
// fatal. Returns -1 when the keyword is absent.
int read_names(ParamContext& ctx, const char* key, std::vector<std::string>& names)
{
    std::string text;
    if (!read_list(ctx.path, key, text)) {
        warn_absent(ctx, key);
        return -1;
    }
    int n = splititems(text, names, kMaxItems, kItemWidth);
    if (n == -2) name_too_long(text);
    if (n < 0) return checked_items(ctx, key, text, names);
    return n;
}

void read_indiT(ParamContext& ctx, Par& p)
{
    std::vector<std::string> items;
    int n = mandatory_items(ctx, "indiT", items);
    if (n != p.ncolT) {
        cprint("\nERROR: %s # traits (%d vs %d) in %s", "indiT", p.ncolT, n, ctx.name.c_str());
        abort_voskara();
    }
    p.indiT.clear();
    p.n_traits = 0;
    for (const std::string& item : items) {
        p.indiT.push_back(in_range(ctx, "indiT", to_int(ctx, "indiT", item), 0, 1));
        if (p.indiT.back() == 1) ++p.n_traits;
    }
    if (p.ncolT < 1 || p.n_traits == 0) {
        cprint("\nERROR: At least 1 trait should be included!, see file %s", ctx.name.c_str());
        cprint("\n       Check variable '%s'", "indiT");
        abort_voskara();
    }
}

// A namesT line with another number of names than trait columns leaves the
// default names in place.
void read_namesT(ParamContext& ctx, Par& p)
{
    p.namesT.clear();
    for (int c = 1; c <= p.ncolT; ++c) p.namesT.push_back("trait" + std::to_string(c));
    std::vector<std::string> names;
    if (read_names(ctx, "namesT", names) == p.ncolT) p.namesT = std::move(names);
}

void read_scaleT(ParamContext& ctx, Par& p)
{
    p.scaleT = optional_int(ctx, "scaleT", 0);
    if (p.scaleT > 1) {
        ctx.deferred.add("\nWARNING: pattern '%s' incorrect value %d", "scaleT", p.scaleT);
        ctx.deferred.add(" (default taken %d)", 0);
        p.scaleT = 0;
    }
}

void read_misvalT(ParamContext& ctx, Par& p)
{
    std::string text;
    if (!read_list(ctx.path, "misvalT", text)) {
        warn_absent(ctx, "misvalT");
        return;
    }
    std::vector<std::string> items;
    int n = checked_items(ctx, "misvalT", text, items);
    std::string joined;
    for (int i = 0; i < n; ++i) {
        joined += ' ';
        joined += items[i];
    }
    if (static_cast<int>(joined.size()) > kMaxMissingText) {
        cprint("too many strings for missing values");
        abort_voskara();
    }
    p.misvalT = joined;
}

void read_indiN(ParamContext& ctx, int ncolN)
{
    std::vector<std::string> items;
    int n = mandatory_items(ctx, "indiN", items);
    if (n != ncolN) {
        cprint("\nERROR: %s # nuisances (%d vs %d) in %s", "indiN", ncolN, n, ctx.name.c_str());
        abort_voskara();
    }
    ctx.indiN.clear();
    for (int c = 0; c < n; ++c) {
        int kind = to_int(ctx, "indiN", items[c]);
        if (kind == 3) {
            cprint("\n\nNOTE: Nuisance column %d used for assignment individuals", c + 1);
            cprint("\n      whose genotypes will be printed to file\n");
        }
        if (kind < -1 || kind > 3) {
            cprint("\nERROR in value (=%d) for nuisance variable %d", kind, c + 1);
            cprint("\nCheck parameter file %s", ctx.name.c_str());
            abort_voskara();
        }
        ctx.indiN.push_back(kind);
    }
}

void read_namesN(ParamContext& ctx, int ncolN)
{
    ctx.namesN.clear();
    for (int c = 1; c <= ncolN; ++c) ctx.namesN.push_back("nuisance" + std::to_string(c));
    std::vector<std::string> names;
    int n = read_names(ctx, "namesN", names);
    if (n < 0) return;
    if (n != ncolN) {
        cprint("\nERROR: %s # nuisances (%d vs %d) in %s", "namesN", ncolN, n, ctx.name.c_str());
        abort_voskara();
    }
    ctx.namesN = std::move(names);
}

}  // namespace

void read_trait_keywords(ParamContext& ctx, Par& p)
{
    p.ncolT = in_range(ctx, "ncolT", mandatory_int(ctx, "ncolT"), 0, kMaxItems);
    read_indiT(ctx, p);
    read_namesT(ctx, p);
    read_scaleT(ctx, p);
    read_misvalT(ctx, p);
}

void read_nuisance_keywords(ParamContext& ctx, Par& p)
{
    int ncolN = in_range(ctx, "ncolN", mandatory_int(ctx, "ncolN"), 0, kMaxItems);
    read_indiN(ctx, ncolN);  // bounds ncolN by the item count
    p.n_nuis = ncolN + 1;
    read_namesN(ctx, ncolN);
}

}  // namespace vsk
