// QTL location prior: marker exclusion by weight 0 and the normalised
// piecewise-constant density per marker interval.
#include "console/map_file.h"
#include "core/state/console.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

[[noreturn]] void end_marker_excluded(const char* which, int group)
{
    cprint("\n\nABORTION: Improper specification on Exclusion of Markers in map file");
    cprint("\n Exclusion NOT allowed for first and last marker of a chromosome!");
    if (which[0] == 'F') cprint("\n First marker on chromosome = %d", group);
    else cprint("\n Last marker on chromosome = %d", group);
    fatal_exit(1);
}

bool has_markers(const Chr& c) { return c.indiC && c.fMrkr >= 0 && c.lMrkr >= c.fMrkr; }

}  // namespace

void exclude_markers(const std::vector<Chr>& groups, std::vector<Mrkrlcs>& loci)
{
    bool any = false;
    for (std::size_t j = 0; j < groups.size(); ++j) {
        const Chr& c = groups[j];
        if (!has_markers(c)) continue;
        if (loci[c.fMrkr].prior_weight == 0.0) end_marker_excluded("First", static_cast<int>(j) + 1);
        if (loci[c.lMrkr].prior_weight == 0.0) end_marker_excluded("Last", static_cast<int>(j) + 1);
        loci[c.fMrkr].excluded = 0;
        loci[c.lMrkr].excluded = 0;
        for (int l = c.fMrkr + 1; l < c.lMrkr; ++l) {
            loci[l].excluded = loci[l].prior_weight == 0.0 ? 1 : 0;
            if (loci[l].excluded) {
                loci[l].prior_weight = loci[l - 1].prior_weight;
                any = true;
            }
        }
    }
    if (!any) return;
    cprint("\n\nNEW option to exclude (few) markers in the analysis:\n");
    for (std::size_t l = 0; l < loci.size(); ++l)
        if (loci[l].excluded) cprint("\nExcluded: %d %s", static_cast<int>(l) + 1, loci[l].name.c_str());
    cprint("\n NOTE:\nExclusion done by NON-informative marker scores\n=> monomorphic marker!\n");
}

double normalise_location_prior(std::vector<Chr>& groups, std::vector<Mrkrlcs>& loci)
{
    double mass = 0.0;
    for (const Chr& c : groups) {
        if (!has_markers(c)) continue;
        for (int l = c.fMrkr; l < c.lMrkr; ++l) mass += (loci[l + 1].position - loci[l].position) * loci[l].prior_weight;
    }
    cprint("\n\nTotal unnormalized prior mass QTL locations %.5lf", mass);
    cprint("\nNormalized prior mass QTL location");
    for (Chr& c : groups) {
        c.prior_mass = 0.0;
        if (!has_markers(c) || mass <= 0.0) continue;
        for (int l = c.fMrkr; l < c.lMrkr; ++l) {
            loci[l].prior_weight /= mass;
            c.prior_mass += (loci[l + 1].position - loci[l].position) * loci[l].prior_weight;
        }
    }
    return mass;
}

}  // namespace vsk
