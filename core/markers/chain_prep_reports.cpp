// Console and "marker.log" sections of the chain preparation.
#include <cmath>
#include <vector>

#include "core/markers/phases_reports.h"
#include "core/state/console.h"

namespace vsk {

namespace {

void heading(const char* title)
{
    crule(2, 79, 1);
    cprint("%s", title);
}

double cm_in_group(const Mrkrlcs& locus) { return (locus.position - std::floor(locus.position / 100.0) * 100.0) * 100.0; }

}  // namespace

void report_linkage_map(const PhaseModel& m)
{
    if (REDprint || m.n_loci() >= 102) return;
    heading("MARKER LINKAGE MAP");
    cprint("\n%-20s %10s %10s", "marker", "cM", "r(next)");
    const auto& loci = *m.loci;
    for (int k = 0; k < m.n_loci(); ++k) {
        cprint("\n%-20s %10.3f", loci[k].name.c_str(), cm_in_group(loci[k]));
        if (k + 1 < m.n_loci() && loci[k + 1].chrom == loci[k].chrom)
            cprint(" %10.5f", m.par->rfmat[0][k][k + 1]);
    }
}

void report_heterozygosity(const PhaseModel& m, long heterozygous)
{
    heading("SET MARKER HETEROZYGOSITY");
    long scored = 0;
    for (int k = 0; k < m.n_loci(); ++k)
        for (int c = 0; c < m.n_ind(); ++c) scored += m.ph->pat_allele[k][c] != kMissingAllele;
    cprint("\nheterozygous genotypes: %ld of %ld scored (%.1f%%)", heterozygous, scored,
           scored > 0 ? 100.0 * static_cast<double>(heterozygous) / static_cast<double>(scored) : 0.0);
}

void report_traceability(const PhaseModel& m, int excluded)
{
    heading("SET TRACEABILITY MARKER ORIGIN");
    cprint("\nindividuals without a scored marker (excluded from phase sampling): %d of %d", excluded, m.n_ind());
}

void report_initial_phases(const PhaseModel& m, const InitialPhaseCounts& counts)
{
    (void)m;
    heading("MARKER PHASES PARENTS");
    cprint("\nheterozygous genotypes phased by what the parents can transmit: %ld", counts.from_parents);
    heading("UPDATE AMBIGUOUS PHASES OFFSPRING");
    cprint("\nheterozygous genotypes phased by fewest recombinations: %ld", counts.by_linkage);
    if (counts.contradictions > 0)
        cprint("\nheterozygous genotypes that no order makes consistent with the parents: %ld", counts.contradictions);
    if (counts.si_contradictions > 0)
        cprint("\nWARNING: %ld alleles contradict their parent's phased alleles (locked phases or genotypes left"
               " inconsistent; see the ERROR setgpori() lines); their segregation indicators stay unknown",
               counts.si_contradictions);
}

void report_segregation_indicators(const PhaseModel& m)
{
    heading("SEGREGATION INDICATORS (SI)");
    cprint("\n%-20s %8s %10s %10s %12s %12s", "linkage group", "gametes", "known SI", "recombin.", "per gamete",
           "map (Morgan)");
    for (const Chr& g : *m.groups) {
        if (!g.indiC || g.fMrkr < 0) continue;
        long gametes = 0, known = 0, changes = 0;
        const int first = m.row(g.fMrkr), last = m.row(g.lMrkr);
        for (int j = 1; j <= m.n_ind(); ++j)
            for (int side = 0; side < 2; ++side) {
                if (!side_weighed(m, j, side)) continue;
                ++gametes;
                int prev = kUnknown;
                for (int row = first; row <= last; ++row) {
                    const int si = m.si(side, row, j);
                    if (si == kUnknown) continue;
                    ++known;
                    changes += prev != kUnknown && si != prev;
                    prev = si;
                }
            }
        const double length = (*m.loci)[g.lMrkr].position - (*m.loci)[g.fMrkr].position;
        cprint("\n%-20s %8ld %10ld %10ld %12.3f %12.3f", g.name.c_str(), gametes, known, changes,
               gametes > 0 ? static_cast<double>(changes) / static_cast<double>(gametes) : 0.0, length);
    }
}

void report_informative_meioses(const PhaseModel& m)
{
    heading("INFORMATIVE MEIOSES COUNT");
    long total[2] = {0, 0};
    std::vector<long> per_locus(static_cast<std::size_t>(m.n_loci()) * 2, 0);
    for (int k = 0; k < m.n_loci(); ++k)
        for (int side = 0; side < 2; ++side)
            for (int j = 1; j <= m.n_ind(); ++j)
                if (side_weighed(m, j, side) && m.si(side, m.row(k), j) != kUnknown) {
                    ++per_locus[2 * k + side];
                    ++total[side];
                }
    cprint("\ninformative meioses (known SI): %ld from first parents, %ld from second parents", total[0], total[1]);
    if (REDprint) return;
    File log = open_report("marker.log", "a");
    std::fprintf(log.get(), "\n\n");
    for (int i = 0; i < 79; ++i) std::fputc('-', log.get());
    std::fprintf(log.get(), "\nINFORMATIVE MEIOSES COUNT\n%-20s %10s %10s", "marker", "first", "second");
    for (int k = 0; k < m.n_loci(); ++k)
        std::fprintf(log.get(), "\n%-20s %10ld %10ld", (*m.loci)[k].name.c_str(), per_locus[2 * k], per_locus[2 * k + 1]);
}

long delete_uninformative_phases(const PhaseModel& m)
{
    MarkerPhases& ph = *m.ph;
    long deleted = 0;
    for (int k = 0; k < m.n_loci(); ++k) {
        const int row = m.row(k);
        for (int i = 1; i <= m.n_ind(); ++i) {
            if (ph.heterozygous[k][i - 1] != 1 || ph.phase_status[k][i - 1] == 5) continue;
            const Obs& o = m.ind(i);
            bool informed = m.si(0, row, i) != kUnknown || m.si(1, row, i) != kUnknown;
            for (int c = o.pfP; c > 0 && !informed; c = m.ind(c).pSb) informed = m.si(0, row, c) != kUnknown;
            for (int c = o.mfP; c > 0 && !informed; c = m.ind(c).mSb) informed = m.si(1, row, c) != kUnknown;
            if (informed) continue;
            ph.phase_status[k][i - 1] = 5;
            ++deleted;
        }
    }
    ++ph.genotype_revision;
    return deleted;
}

void report_deleted_phases(const PhaseModel& m, long deleted)
{
    (void)m;
    heading("DELETION OF NON-INFORMATIVE PHASES");
    cprint("\nheterozygous genotypes whose phase no relative informs (no longer sampled): %ld", deleted);
}

}  // namespace vsk
