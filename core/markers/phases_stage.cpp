// The stages of the marker phase chain over the shared records: chain
// preparation (stage 2), the per-sweep samplers (stage 3), the final work
// (stage 4) and the IBD reset.
#include <algorithm>

#include "core/markers/block_sampler.h"
#include "core/markers/chain_prep.h"
#include "core/markers/phases.h"
#include "core/markers/phases_reports.h"
#include "core/markers/phases_tally.h"
#include "core/numeric/rng.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr int kBurnInPasses = 100;

// Block size of the run: markerblock within [1, min(markers, 12)], with a
// message when the setting had to change or a block spans linkage groups.
int block_size(const PhaseModel& m, bool report)
{
    const int wanted = m.par->markerblock;
    const int size = std::clamp(wanted, 1, std::max(1, std::min(m.n_loci(), kMaxBlockLoci)));
    if (!report) return size;
    if (size != wanted)
        cprint("\nWARNING: markerblock %d changed to %d (between 1 and the smaller of %d and the number of markers)",
               wanted, size, kMaxBlockLoci);
    for (const Chr& g : *m.groups)
        if (g.indiC && g.fMrkr >= 0 && g.lMrkr - g.fMrkr + 1 < size)
            cprint("\nWARNING: markerblock %d exceeds the %d markers of linkage group %s;"
                   " its blocks reach into the next group",
                   size, g.lMrkr - g.fMrkr + 1, g.name.c_str());
    return size;
}

// Locus order at the start of the chain: the marker block of the matrices
// (once per run), the rows of the QTL slots already in use.
void start_locus_order(PhaseModel& m)
{
    build_marker_recombination(par, mrkrlcs);
    mph.rf_pos.assign(gene.size(), -1.0);
    mph.qtl_row.assign(gene.size(), -1);
    par.n_lcs_rows = -1;
    refresh_rows(par, mrkrlcs2, mrkrlcs, gene, chr, mph, *m.gpo[0], *m.gpo[1]);
}

void delete_and_recount(const PhaseModel& m, bool (*remove)(const PhaseModel&))
{
    if (!remove(m)) return;
    report_heterozygosity(m, set_heterozygosity(m));
    report_traceability(m, mark_untraceable(m));
    set_all_si(m, true);
    report_segregation_indicators(m);
}

// The SI of every individual, and with writeSIP the patterns of the
// parents' offspring, at one round of the chain preparation.
void write_signal_files(const PhaseModel& m, int round)
{
    if (REDprint) return;
    write_si_signal(m, round);
    if (par.writeSIP > 0) write_si_patterns(m, "SIP_Population_" + std::to_string(round) + ".csv", par.writeSIP);
}

}  // namespace

void prepare_marker_chain()
{
    PhaseModel m = shared_phase_model();
    Rng& r = rng();
    start_locus_order(m);
    report_linkage_map(m);
    size_phase_tables(m);
    load_cleaned_genotypes(m);
    report_heterozygosity(m, set_heterozygosity(m));
    report_traceability(m, mark_untraceable(m));
    report_initial_phases(m, initial_phases(m));
    write_signal_files(m, 0);
    const int size = block_size(m, true);
    for (int pass = 0; pass < kBurnInPasses; ++pass) sample_phase_blocks(m, r, size, false);
    write_signal_files(m, 1);
    report_segregation_indicators(m);
    if (par.DeleteNIPH) report_deleted_phases(m, delete_uninformative_phases(m));
    report_recombinant_genotypes(m);
    report_informative_meioses(m);
    if (par.DeleteDR > 0) delete_and_recount(m, delete_double_recombinants);
    write_signal_files(m, 2);
}

void sample_marker_phases()
{
    PhaseModel m = shared_phase_model();
    Rng& r = rng();
    refresh_rows(par, mrkrlcs2, mrkrlcs, gene, chr, mph, *m.gpo[0], *m.gpo[1]);
    const int size = block_size(m, false);
    if (MRKdebug != 1) sample_phase_blocks(m, r, size, false);
    if (MRKdebug != 2) sample_phase_blocks(m, r, size, true);
    if ((par.cur_sweep + 1) % 20 == 0) update_allele_frequencies(m, mrkrlcs, r);
    if (!par.inbred_pop && !mph.tallies_closed) tally_phases(m, par);
}

void final_marker_work()
{
    PhaseModel m = shared_phase_model();
    if (!REDprint) write_haplotype_report(m);
    if (!REDprint && par.writeSIP > 0) write_si_patterns(m, "SIP_Population.csv", par.writeSIP);
    tally_phases(m, par);
    settle_phase_tallies(m, par);
    mph.tallies_closed = 1;
    report_final_segregation(m);
    if (par.lockMPhase == 1) write_locked_phases(m);
}

void reset_ibd_marker_tallies()
{
    PhaseModel m = shared_phase_model();
    reset_phase_tallies(m, par);
}

}  // namespace vsk
