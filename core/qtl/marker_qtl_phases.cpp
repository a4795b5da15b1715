// Marker alleles that flank a QTL on each of an individual's two homologues,
// the rows of "phase.out": per individual the nearest marker on either side
// of the QTL at which it is heterozygous with phased alleles, and the allele
// at that marker on the homologue that carries QTL allele 0 (the allele that
// raises trait 1) first.
#include <algorithm>
#include <string>

#include "core/markers/allele_text.h"
#include "core/markers/marker_data.h"
#include "core/output/samples.h"
#include "core/qtl/qtl.h"
#include "core/voskara.h"

namespace vsk {

namespace {

constexpr int kNoAllele = 0;          // not an allele code: written as "-1"
constexpr int kFavourableState = 0;   // QTL allele state that raises trait 1

bool allele_code(int a) { return a != kMissingAllele && a != kNoAllele; }

// Marker k separates individual c's two homologues: both alleles phased and
// different, on a marker that takes part in the analysis.
bool informative_flank(const QtlModel& m, int k, int c)
{
    const MarkerPhases& ph = m.mph;
    if (k >= ph.pat_allele.rows() || c >= ph.pat_allele.cols()) return false;
    if (m.mrk[static_cast<std::size_t>(k)].excluded) return false;
    const int a = ph.pat_allele[k][c], b = ph.mat_allele[k][c];
    return allele_code(a) && allele_code(b) && a != b;
}

// Nearest informative marker of individual c from marker `from` in
// direction `step` within [first, last]; -1 when there is none.
int nearest_flank(const QtlModel& m, int c, int from, int step, int first, int last)
{
    for (int k = from; k >= first && k <= last; k += step)
        if (informative_flank(m, k, c)) return k;
    return -1;
}

// Homologue order of individual c: the one carrying allele 0 first (the
// paternal one when both do); `carrier` false when neither does.
void homologue_order(const Gene& g, int c, int order[2], bool& carrier)
{
    const int s0 = g.alstate[static_cast<std::size_t>(g.fal[0][c])];
    const int s1 = g.alstate[static_cast<std::size_t>(g.fal[1][c])];
    const bool maternal_first = s0 != kFavourableState && s1 == kFavourableState;
    order[0] = maternal_first ? 1 : 0;
    order[1] = maternal_first ? 0 : 1;
    carrier = s0 == kFavourableState || s1 == kFavourableState;
}

void fill_flank(const QtlModel& m, int k, int c, const int order[2], bool carrier, int& marker, int allele[2])
{
    if (k < 0) return;
    marker = k + 1;
    for (int h = 0; h < 2; ++h) {
        const Table<signed char>& side = order[h] == 0 ? m.mph.pat_allele : m.mph.mat_allele;
        allele[h] = side[k][c];
    }
    // Without allele 0 the individual has no homologue to trace it on.
    if (!carrier) allele[0] = kNoAllele;
}

}  // namespace

void marker_qtl_phases(const QtlModel& m, int s, std::vector<FlankPhase>& table)
{
    const Gene& g = m.gene[static_cast<std::size_t>(s)];
    if (g.status == 0 || g.chrom < 0 || g.interval < 0) return;
    const Chr& ch = m.chr[static_cast<std::size_t>(g.chrom)];
    const int n = std::min(m.p.n_individuals, static_cast<int>(table.size()));
    for (int c = 0; c < n; ++c) {
        int order[2];
        bool carrier = false;
        homologue_order(g, c, order, carrier);
        FlankPhase& f = table[static_cast<std::size_t>(c)];
        fill_flank(m, nearest_flank(m, c, g.interval - 1, -1, ch.fMrkr, ch.lMrkr), c, order, carrier, f.left,
                   f.left_allele);
        fill_flank(m, nearest_flank(m, c, g.interval, +1, ch.fMrkr, ch.lMrkr), c, order, carrier, f.right,
                   f.right_allele);
    }
}

void MrkrQtlPhases(int slot, std::vector<FlankPhase>& table) { marker_qtl_phases(global_qtl_model(), slot, table); }

namespace {

std::string phase_allele_text(int marker, int code)
{
    if (code == kNoAllele) return "-1";
    return allele_text(par, mrkrlcs[static_cast<std::size_t>(marker)], code);
}

}  // namespace

void register_phase_sources()
{
    PhaseSources& src = phase_sources();
    src.marker_qtl_phases = MrkrQtlPhases;
    src.allele_text = phase_allele_text;
}

}  // namespace vsk
