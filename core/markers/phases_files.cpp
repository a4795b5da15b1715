// Files of the marker phase chain: segregation-indicator signals and
// patterns, phased haplotypes and the final phase probabilities.
#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "core/markers/allele_text.h"
#include "core/markers/phases_reports.h"
#include "core/markers/phases_tally.h"
#include "core/markers/si.h"
#include "core/state/console.h"
#include "textfile/fatal.h"

namespace vsk {

File open_report(const char* name, const char* mode)
{
    File f = open_file(name, mode);
    if (!f) {
        cprint("\nERROR: cannot open file %s for writing", name);
        fatal_exit(1);
    }
    return f;
}

namespace {

char si_char(int si) { return si == kUnknown ? '-' : static_cast<char>('0' + si); }

void marker_header(std::FILE* f, const PhaseModel& m, const char* first)
{
    std::fprintf(f, "%s", first);
    for (int k = 0; k < m.n_loci(); ++k) std::fprintf(f, ",%s", (*m.loci)[k].name.c_str());
}

}  // namespace

void write_si_signal(const PhaseModel& m, int round)
{
    const std::string name = "GPOsignal" + std::to_string(round) + ".csv";
    File f = open_report(name.c_str(), "w");
    marker_header(f.get(), m, "Individual");
    for (int j = 1; j <= m.n_ind(); ++j) {
        std::fprintf(f.get(), "\n%s", m.ind(j).name.c_str());
        for (int k = 0; k < m.n_loci(); ++k)
            std::fprintf(f.get(), ",%c%c", si_char(m.si(0, m.row(k), j)), si_char(m.si(1, m.row(k), j)));
    }
    std::fprintf(f.get(), "\n");
}

void write_si_patterns(const PhaseModel& m, const std::string& name, int min_offspring)
{
    // (parent, offspring, side) of every weighed gamete, by parent; then the
    // parents with enough offspring.
    std::vector<std::tuple<int, int, int>> gametes;
    for (int j = 1; j <= m.n_ind(); ++j)
        for (int side = 0; side < 2; ++side)
            if (side_weighed(m, j, side)) gametes.emplace_back(side_parent(m.ind(j), side), j, side);
    std::stable_sort(gametes.begin(), gametes.end(),
                     [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
    File f = open_report(name.c_str(), "w");
    marker_header(f.get(), m, "Parent,Offspring,Side");
    std::fprintf(f.get(), ",Crossovers");
    for (std::size_t begin = 0, end = 0; begin < gametes.size(); begin = end) {
        const int parent = std::get<0>(gametes[begin]);
        while (end < gametes.size() && std::get<0>(gametes[end]) == parent) ++end;
        if (static_cast<int>(end - begin) < min_offspring) continue;
        for (std::size_t g = begin; g < end; ++g) {
            const auto [p, j, side] = gametes[g];
            std::fprintf(f.get(), "\n%s,%s,%s", m.ind(p).name.c_str(), m.ind(j).name.c_str(),
                         side == 0 ? "first-parent" : "second-parent");
            int crossovers = 0;
            for (const Chr& group : *m.groups) {
                if (group.fMrkr < 0) continue;
                int last = kUnknown;
                for (int k = group.fMrkr; k <= group.lMrkr; ++k) {
                    const int si = m.si(side, m.row(k), j);
                    if (si == kUnknown) continue;
                    if (last != kUnknown && si != last) ++crossovers;
                    last = si;
                }
            }
            for (int k = 0; k < m.n_loci(); ++k) std::fprintf(f.get(), ",%c", si_char(m.si(side, m.row(k), j)));
            std::fprintf(f.get(), ",%d", crossovers);
        }
    }
    std::fprintf(f.get(), "\n");
}

void write_haplotype_report(const PhaseModel& m)
{
    File f = open_report("haplotypes.csv", "w");
    marker_header(f.get(), m, "Individual,Homologue");
    for (int j = 1; j <= m.n_ind(); ++j)
        for (int side = 0; side < 2; ++side) {
            std::fprintf(f.get(), "\n%s,%s", m.ind(j).name.c_str(), side == 0 ? "first-parent" : "second-parent");
            for (int k = 0; k < m.n_loci(); ++k) {
                const int a = side == 0 ? m.ph->pat_allele[k][j - 1] : m.ph->mat_allele[k][j - 1];
                if (a == kMissingAllele)
                    std::fprintf(f.get(), ",-");
                else
                    std::fprintf(f.get(), ",%d", a);
            }
        }
    std::fprintf(f.get(), "\n");
}

void write_locked_phases(const PhaseModel& m)
{
    File f = open_report("lockedphases_new.dat", "w");
    for (int i = 1; i <= m.n_ind(); ++i) {
        std::fprintf(f.get(), "%s%s", i > 1 ? "\n" : "", m.ind(i).name.c_str());
        for (int k = 0; k < m.n_loci(); ++k) {
            const Mrkrlcs& locus = (*m.loci)[k];
            for (int a : {static_cast<int>(m.ph->pat_allele[k][i - 1]), static_cast<int>(m.ph->mat_allele[k][i - 1])}) {
                if (a == kMissingAllele)
                    std::fprintf(f.get(), " -");
                else if (locus.excluded && a - 1 < static_cast<int>(locus.allele_value.size()))
                    std::fprintf(f.get(), " %d", locus.allele_value[a - 1]);
                else
                    std::fprintf(f.get(), " %s", allele_text(*m.par, locus, a).c_str());
            }
        }
    }
    std::fprintf(f.get(), "\n");
    cprint("\nPhases written to file %s (read with lockMPhase 2 as %s)", "lockedphases_new.dat", "lockedphases.dat");
}

void report_final_segregation(const PhaseModel& m)
{
    crule(2, 79, 1);
    cprint("FINAL SEGREGATION REPORT");
    cprint("\nphase tallies: %d sweeps", m.par->n_si_tallies);
    if (REDprint || m.par->n_si_tallies <= 0) return;
    File log = open_report("marker.log", "a");
    std::fprintf(log.get(), "\n\nFINAL SEGREGATION REPORT\n%-20s %10s %10s %10s", "marker", "phased", "certain",
                 "mean P");
    File csv = open_report("phaseprob.csv", "w");
    marker_header(csv.get(), m, "Individual");
    for (int k = 0; k < m.n_loci(); ++k) {
        long phased = 0, certain = 0;
        double sum = 0.0;
        for (int i = 1; i <= m.n_ind(); ++i) {
            const double p = same_phase_probability(m, k, i);
            if (p < 0.0) continue;
            ++phased;
            const double q = p > 0.5 ? p : 1.0 - p;
            certain += q >= 0.95;
            sum += q;
        }
        std::fprintf(log.get(), "\n%-20s %10ld %10ld %10.3f", (*m.loci)[k].name.c_str(), phased, certain,
                     phased > 0 ? sum / static_cast<double>(phased) : 0.0);
    }
    for (int i = 1; i <= m.n_ind(); ++i) {
        std::fprintf(csv.get(), "\n%s", m.ind(i).name.c_str());
        for (int k = 0; k < m.n_loci(); ++k) {
            const double p = same_phase_probability(m, k, i);
            if (p < 0.0)
                std::fprintf(csv.get(), ",");
            else
                std::fprintf(csv.get(), ",%.3f", p);
        }
    }
    std::fprintf(csv.get(), "\n");
}

}  // namespace vsk
