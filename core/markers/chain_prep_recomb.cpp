// Double recombinants of the initial phases: the report, its two files and
// the optional deletion of the genotypes behind them.
#include <cmath>
#include <vector>

#include "core/markers/phases_reports.h"
#include "core/state/console.h"

namespace vsk {

namespace {

// Known SI of one gamete on one linkage group, as marker loci.
void known_loci(const PhaseModel& m, const Chr& g, int j, int side, std::vector<int>& out)
{
    out.clear();
    for (int k = g.fMrkr; k <= g.lMrkr; ++k)
        if (m.si(side, m.row(k), j) != kUnknown) out.push_back(k);
}

double cm_between(const PhaseModel& m, int a, int b) { return 100.0 * std::fabs((*m.loci)[b].position - (*m.loci)[a].position); }

void write_list(const PhaseModel& m, const char* name, const std::vector<DoubleRecombinant>& list, int four)
{
    File f = open_report(name, "w");
    std::fprintf(f.get(), "Individual,Parent,Side,Marker,LinkageGroup,LeftMarker,RightMarker,Flank_cM");
    for (const DoubleRecombinant& d : list) {
        if (four >= 0 && d.four != (four == 1)) continue;
        const auto& loci = *m.loci;
        const int parent = side_parent(m.ind(d.individual), d.side);
        std::fprintf(f.get(), "\n%s,%s,%d,%s,%s,%s,%s,%.3f", m.ind(d.individual).name.c_str(),
                     m.ind(parent).name.c_str(), d.side, loci[d.locus].name.c_str(),
                     (*m.groups)[loci[d.locus].chrom].name.c_str(), loci[d.left].name.c_str(),
                     loci[d.right].name.c_str(), cm_between(m, d.left, d.right));
    }
    std::fprintf(f.get(), "\n");
}

}  // namespace

std::vector<DoubleRecombinant> find_double_recombinants(const PhaseModel& m)
{
    std::vector<DoubleRecombinant> found;
    std::vector<int> known;
    for (const Chr& g : *m.groups) {
        if (!g.indiC || g.fMrkr < 0) continue;
        for (int j = 1; j <= m.n_ind(); ++j)
            for (int side = 0; side < 2; ++side) {
                if (!side_weighed(m, j, side)) continue;
                known_loci(m, g, j, side, known);
                auto si = [&](std::size_t t) { return static_cast<int>(m.si(side, m.row(known[t]), j)); };
                for (std::size_t t = 1; t + 1 < known.size(); ++t) {
                    if (si(t) == si(t - 1) || si(t) == si(t + 1)) continue;
                    DoubleRecombinant d;
                    d.individual = j;
                    d.side = side;
                    d.locus = known[t];
                    d.left = known[t - 1];
                    d.right = known[t + 1];
                    d.four = t >= 2 && t + 2 < known.size() && si(t - 2) == si(t - 1) && si(t + 2) == si(t + 1);
                    found.push_back(d);
                }
            }
    }
    return found;
}

void report_recombinant_genotypes(const PhaseModel& m)
{
    const std::vector<DoubleRecombinant> list = find_double_recombinants(m);
    long four = 0;
    for (const DoubleRecombinant& d : list) four += d.four;
    crule(2, 79, 1);
    cprint("RECOMBINANT MARKER GENOTYPES");
    cprint("\ndouble recombinants: %ld flanked by four agreeing loci, %ld ambiguous", four,
           static_cast<long>(list.size()) - four);
    if (REDprint) return;
    write_list(m, "DoubleRecombFour.csv", list, 1);
    write_list(m, "DoubleAmbiguousRecombFour.csv", list, 0);
    cprint("\n(see files '%s' and '%s')", "DoubleRecombFour.csv", "DoubleAmbiguousRecombFour.csv");
}

bool delete_double_recombinants(const PhaseModel& m)
{
    std::vector<DoubleRecombinant> deleted;
    for (const DoubleRecombinant& d : find_double_recombinants(m))
        if (d.four) deleted.push_back(d);
    MarkerPhases& ph = *m.ph;
    for (const DoubleRecombinant& d : deleted) {
        ph.pat_allele[d.locus][d.individual - 1] = static_cast<signed char>(kMissingAllele);
        ph.mat_allele[d.locus][d.individual - 1] = static_cast<signed char>(kMissingAllele);
        // The cleaned data file shows the genotype as deleted.
        if (d.locus < mrk.code1.rows()) {
            mrk.code1[d.locus][d.individual - 1] = mrk.code2[d.locus][d.individual - 1] = kMissingAllele;
            mrk.gtp_status[d.locus][d.individual - 1] = kObservedError;
        }
    }
    ++ph.genotype_revision;
    crule(2, 79, 1);
    cprint("DELETION OF DOUBLE RECOMBINANTS");
    cprint("\ngenotypes deleted (double recombinants flanked by four agreeing loci): %d", static_cast<int>(deleted.size()));
    write_list(m, "DoubleRecomb.csv", deleted, -1);
    return !deleted.empty();
}

}  // namespace vsk
