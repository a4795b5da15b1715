// Linkage-group keywords (groups, analysed groups, markers per group) and the
// model keywords: QTL, FPM and infinitesimal switches and the effect priors.
#include <algorithm>

#include "core/state/console.h"
#include "core/state/parameters.h"

namespace vsk {

namespace {

std::vector<int> group_list(ParamContext& ctx, const char* key, int nchrom, bool leading_newline)
{
    std::string text;
    if (!read_list(ctx.path, key, text)) missing_mandatory(ctx, key);
    std::vector<std::string> items;
    int n = checked_items(ctx, key, text, items);
    if (n != nchrom) {
        if (leading_newline) cprint("\n");
        cprint("ERROR: %s # chromosomes (%d vs %d) in %s", key, nchrom, n, ctx.name.c_str());
        abort_voskara();
    }
    std::vector<int> values;
    for (const std::string& item : items) values.push_back(to_int(ctx, key, item));
    return values;
}

void check_marker_counts(const ParamContext& ctx, Par& p)
{
    constexpr long long kCap = 4LL * kMaxItems;   // far beyond any data line; keeps the sum in range
    long long markers = 0, on_line = 0;
    for (int g = 0; g < p.nchrom; ++g) {
        if (ctx.mrkrC[g] < 0 || ctx.mrkrC[g] > kMaxMarkersPerGroup) {
            cprint("\nERROR: %s holds a negative or too large number of markers (%d) for group %d in %s", "mrkrC",
                   ctx.mrkrC[g], g + 1, ctx.name.c_str());
            abort_voskara();
        }
        const long long group_markers = static_cast<long long>(ctx.indiC[g]) * ctx.mrkrC[g];
        if (group_markers == 1) {
            cprint("\nERROR");
            cprint("\nincorrect specification of linkage groups in '%s'", ctx.name.c_str());
            cprint("\nLinkage groups require at least 2 marker loci, check group %d", g + 1);
            abort_voskara();
        }
        markers = std::clamp(markers + group_markers, -kCap, kCap);
        on_line = std::min(kCap, on_line + ctx.mrkrC[g]);
    }
    // Too many markers for a data line are reported by the data-file scan;
    // only a count it cannot see (negative, or inflated by indiC) stops here.
    if (markers < 0 || (markers > kMaxItems && 2 * on_line <= kMaxItems)) {
        cprint("\nERROR: %s and %s give %lld markers to analyse in %s", "indiC", "mrkrC", markers, ctx.name.c_str());
        abort_voskara();
    }
    p.n_markers = static_cast<int>(markers);
}

// An effect-prior kind outside 0..5 is reset to 0 with a deferred warning.
int effect_prior(ParamContext& ctx, const char* key)
{
    int kind = mandatory_int(ctx, key);
    if (kind >= 0 && kind <= 5) return kind;
    ctx.deferred.add("\nWARNING: Input variable has improper value!");
    ctx.deferred.add("\npattern %-20s in file %s ", key, ctx.name.c_str());
    ctx.deferred.add("\nvalue reset to '0'");
    return 0;
}

// Additive and dominance effects share one prior kind when both are on.
void reconcile_effect_priors(ParamContext& ctx, Par& p)
{
    if (p.addGENE >= 1 && p.domGENE >= 1 && p.addGENE != p.domGENE) {
        p.domGENE = p.addGENE;
        ctx.deferred.add("\nWARNING: Input variables 'addGENE' and 'domGENE' must have");
        ctx.deferred.add("\n         similar values in case both not equal to ZERO");
        ctx.deferred.add("\n         Value of addGENE changed into '%d'", p.addGENE);
    }
}

void read_priorh2QTL(ParamContext& ctx, Par& p)
{
    const char* key = "priorh2QTL";
    std::string value;
    if (!read_value(ctx.path, key, value)) {
        ctx.deferred.add("\nWARNING:");
        ctx.deferred.add("\npattern %-20s not in file %s", key, ctx.name.c_str());
        ctx.deferred.add("\nA pre-set value (=%.2lf) will be used!", 0.30);
        p.priorh2QTL = 0.3;
        return;
    }
    p.priorh2QTL = to_real(ctx, key, value);
    if (!(p.priorh2QTL > 0.0 && p.priorh2QTL < 1.0)) {
        cprint("\nERROR: Value incorrect! (=%.2lf)", p.priorh2QTL);
        cprint("\nFile '%s'\nVar  '%s'", ctx.name.c_str(), key);
        cprint(": allowed values between <0.0 - 1.0>, excluding boundaries!");
        abort_voskara();
    }
}

// n_traits x n_traits prior matrix, row by row; `file_label` names the
// parameter file in the count message.
std::vector<double> prior_matrix(ParamContext& ctx, const Par& p, const char* key, const std::string& file_label)
{
    std::string text;
    std::vector<double> values;
    if (!read_list(ctx.path, key, text)) {
        warn_absent(ctx, key);
        return values;
    }
    std::vector<std::string> items;
    int n = checked_items(ctx, key, text, items);
    int expected = p.n_traits * p.n_traits;
    if (n != expected) {
        cprint("\n\nERROR!\nFile:     %s\nVariable: %s", file_label.c_str(), key);
        cprint("\nExpected number of input values: %d", expected);
        cprint("\nObserved number of input values: %d", n);
        abort_voskara();
    }
    for (const std::string& item : items) values.push_back(to_real(ctx, key, item));
    return values;
}

}  // namespace

void read_linkage_group_keywords(ParamContext& ctx, Par& p)
{
    p.nchrom = in_range(ctx, "nchrom", mandatory_int(ctx, "nchrom"), 0, kMaxItems);
    ctx.indiC = group_list(ctx, "indiC", p.nchrom, false);
    for (int v : ctx.indiC) in_range(ctx, "indiC", v, 0, 1);
    ctx.mrkrC = group_list(ctx, "mrkrC", p.nchrom, true);
    check_marker_counts(ctx, p);
}

void read_model_keywords(ParamContext& ctx, Par& p)
{
    p.indicQTL = mandatory_int(ctx, "indicQTL");
    p.maximQTL = in_range(ctx, "maximQTL", mandatory_int(ctx, "maximQTL"), 0, kMaxGeneSlots);
    p.priorQTL = mandatory_real(ctx, "priorQTL");
    p.indicFPM = mandatory_int(ctx, "indicFPM");
    p.maximFPM = in_range(ctx, "maximFPM", mandatory_int(ctx, "maximFPM"), 0, kMaxGeneSlots);
    p.priorFPM = mandatory_real(ctx, "priorFPM");
    p.indicTIM = mandatory_int(ctx, "indicTIM");
    ctx.TIMnumrm = silent_int(ctx, "TIMnumrm", 0);
    if (ctx.TIMnumrm < 0 || ctx.TIMnumrm > 3) ctx.TIMnumrm = 0;

    p.addGENE = effect_prior(ctx, "addGENE");
    p.domGENE = effect_prior(ctx, "domGENE");
    reconcile_effect_priors(ctx, p);
    p.addFPM = p.addGENE;
    p.domFPM = p.domGENE;

    if (p.addGENE == 4 || p.domGENE == 4) read_priorh2QTL(ctx, p);
    if (p.addGENE == 3) ctx.varPOA = prior_matrix(ctx, p, "varPOA", ctx.name);
    if (p.domGENE == 3) ctx.varPOD = prior_matrix(ctx, p, "varPOD", ctx.path);
}

}  // namespace vsk
