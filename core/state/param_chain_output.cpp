// Chain and sampler keywords: chain length and thinning, marker sampling
// options, allele-frequency margin, segregation-error settings and the
// IBD-mode settings.
#include "core/state/parameters.h"

namespace vsk {

namespace {

// fixQTLpos items are joined without separator ("2" "cM" -> "2cM").
void read_fixQTLpos(ParamContext& ctx, Par& p)
{
    const char* key = "fixQTLpos";
    std::string text;
    if (!read_list(ctx.path, key, text)) {
        warn_absent(ctx, key);
        return;
    }
    std::vector<std::string> items;
    int n = checked_items(ctx, key, text, items);
    std::string joined;
    for (int i = 0; i < n; ++i) joined += items[i];
    check_text_length(ctx, key, joined, kMaxTextValue);
    p.fixQTLpos = joined;
}

}  // namespace

void read_chain_keywords(ParamContext& ctx, Par& p)
{
    p.length = in_range(ctx, "length", mandatory_int(ctx, "length"), 0, kMaxChainLength);
    p.thinning = in_range(ctx, "thinning", mandatory_int(ctx, "thinning"), 1, kMaxThinning);
    p.lengthUDMax = in_range(ctx, "lengthUDMax", optional_int(ctx, "lengthUDMax", 0), 0, kMaxChainLength);
    p.ess = in_range(ctx, "ess", optional_int(ctx, "ess", 0), 0, kMaxEss);
    p.FormatMCMC = optional_int(ctx, "FormatMCMC", 0);
    p.markerblock = in_range(ctx, "markerblock", optional_int(ctx, "markerblock", 2), 1, kMaxMarkerBlock);
    p.skipSampleMarkers = optional_int(ctx, "skipSampleMarkers", 0);
    p.writeSIP = optional_int(ctx, "writeSIP", 0);
    p.nullalleleHidden = optional_int(ctx, "nullalleleHidden", 0);
    ctx.freqmargin = optional_real(ctx, "freqmargin", 0.05);  // range checked last
    p.distanceQTLs = optional_real(ctx, "distanceQTLs", 0.0);
    p.MSegAlpha = optional_real(ctx, "MSegAlpha", 0.0);
    p.MSegDelta = in_range(ctx, "MSegDelta", optional_int(ctx, "MSegDelta", 0), 0, 1);
    p.DeleteDR = in_range(ctx, "DeleteDR", optional_int(ctx, "DeleteDR", 0), 0, 1);
    p.DeleteNIPH = in_range(ctx, "DeleteNIPH", optional_int(ctx, "DeleteNIPH", 0), 0, 1);
    p.PrbHtzInb = optional_real(ctx, "PrbHtzInb", 0.001);
    p.writeMSI = optional_int(ctx, "writeMSI", 0);
    p.trellanV = optional_int(ctx, "trellanV", 0);
    read_fixQTLpos(ctx, p);
    p.lockMPhase = optional_int(ctx, "lockMPhase", 0);
    p.anchorMarker = optional_int(ctx, "anchorMarker", 0);
    p.headerOUT = in_range(ctx, "headerOUT", optional_int(ctx, "headerOUT", 0), 0, 1);
}

}  // namespace vsk
