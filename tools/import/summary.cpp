#include "tools/import/summary.h"

namespace vimp {

void print_summary(std::FILE* out, const Project& p, const std::string& dir)
{
    int founders = 0;
    for (const Line& l : p.lines)
        if (l.first == "0") ++founders;
    std::fprintf(out, "wrote %s: %s\n", dir.c_str(), p.design.c_str());
    std::fprintf(out, "  individuals: %zu (%d founders)\n", p.lines.size(), founders);
    std::fprintf(out, "  markers: %d on %zu linkage groups\n", p.marker_total(), p.groups.size());
    for (std::size_t g = 0; g < p.groups.size(); ++g)
        std::fprintf(out, "    group %-12s %4zu markers%s\n", p.groups[g].name.c_str(), p.groups[g].markers.size(),
                     p.analysed[g] ? "" : " (not analysed)");
    const Tally& t = p.tally;
    std::fprintf(out, "  genotype codes: %ld converted, %ld partial kept with one allele, %ld partial lost, %ld missing\n",
                 t.converted, t.partial, t.partial_lost, t.missing);
    std::string codes;
    for (const auto& [code, n] : t.by_code) codes += " " + code + ":" + std::to_string(n);
    std::fprintf(out, "    by code:%s\n", codes.c_str());
    if (t.unexpected)
        std::fprintf(out, "  WARNING: %ld codes the design cannot produce were kept for the analysis to check\n",
                     t.unexpected);
    std::string traits;
    for (const auto& n : p.trait_names) traits += " " + n;
    std::fprintf(out, "  traits:%s\n", traits.c_str());
    if (!p.nuisance.empty()) {
        std::string nuis;
        for (const auto& n : p.nuisance) nuis += " " + n.name + (n.random ? "(random)" : "(fixed)");
        std::fprintf(out, "  nuisance:%s\n", nuis.c_str());
    }
    for (const auto& note : t.notes) std::fprintf(out, "  note: %s\n", note.c_str());
}

}  // namespace vimp
