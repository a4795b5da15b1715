// PrintSamples: appends one sample of the chain to every sample file whose
// model is in use, writing the headers and "wrtgtp.nms" at the first call.
#include "core/output/samples.h"

#include <algorithm>
#include <cstdlib>

#include "core/state/console.h"
#include "core/state/output_file.h"
#include "core/voskara.h"
#include "textfile/fatal.h"
#include "textfile/file.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {

// Appends through `write` to `name` (opened and closed around the write).
template <class Write>
void append_to(const char* name, Write write)
{
    File f = open_output_file(name, "a");
    write(f.get());
}

bool is_integer_text(const std::string& s)
{
    if (s.empty()) return false;
    char* end = nullptr;
    std::strtol(s.c_str(), &end, 10);
    return end && *end == '\0';
}

}  // namespace

SampleWriterState& sample_writer_state()
{
    return run_workspace().part<SampleWriterState>();
}

int genotype_selection(const Par& p, std::vector<int>& selected)
{
    selected.clear();
    const std::string& g = p.writeGTP;
    const int n = static_cast<int>(p.n_individuals);
    if (g == "NONE") return 0;
    if (g == "ALL") {
        for (int i = 1; i <= n; ++i) selected.push_back(i);
        return n;
    }
    if (g == "FOUNDERS") {
        selected.assign(p.founders.begin(), p.founders.begin() +
                                                std::min<std::size_t>(p.founders.size(),
                                                                      static_cast<std::size_t>(std::max(p.n_founders, 0))));
        return p.n_founders;
    }
    if (g == "NUISANCE") {
        selected = p.lwrtgtp;
        return static_cast<int>(selected.size());
    }
    const int N = is_integer_text(g) ? std::atoi(g.c_str()) : 0;
    if (N < -1 || N > n) {
        cprint("\nError wrtGTP %d", N);
        fatal_exit(1);
    }
    for (int i = 1; i <= N; ++i) selected.push_back(i);
    return N;
}

PhaseSources& phase_sources()
{
    return run_workspace().part<PhaseSources>();
}

namespace {

// Files without a header start empty with a new run as well, so that their
// rows stay in step with those of the files that do get one.
void restart_headerless_files(const Par& p, int W)
{
    const auto restart = [](const char* name) { File f = open_output_file(name, "w"); };
    // Level effects of variables too large for the description still get rows.
    if (any_nui2_rows(p) && nui2_headers_due(p) == 0) restart("nui2.out");
    if (p.indicQTL >= 1 && W > 0 && p.inbred_pop == 0) restart("phase.out");
    if (p.indicFPM == 2 && p.maximFPM < kCumGtpMaxGenes) restart("cumgtp.out");
    if (p.indicTIM >= 1 && W >= 1) restart("tim.out");
}

void append_phase_rows(const ChainRecords& r, const std::vector<int>& selected)
{
    const PhaseSources& src = phase_sources();
    append_to("phase.out", [&](std::FILE* f) {
        if (!src.marker_qtl_phases || !src.allele_text) return;
        std::vector<FlankPhase> table;
        const int Q = std::min(r.p.maximQTL, static_cast<int>(r.qtl.size()));
        for (int s = 0; s < Q; ++s) {
            if (r.qtl[s].status == 0) continue;
            table.assign(r.o.size(), FlankPhase{});
            src.marker_qtl_phases(s, table);
            write_phase_rows(f, r.p, r.markers, r.qtl[s], table, selected, src.allele_text);
        }
    });
}

void append_qtl_rows(const ChainRecords& r, int W, const std::vector<int>& selected)
{
    const Par& p = r.p;
    append_to("iqtl.out", [&](std::FILE* f) { write_iqtl_row(f, p, r.qtl); });
    if (W > 0) append_to("gqtl.out", [&](std::FILE* f) { write_gqtl_row(f, p, r.qtl, selected); });
    if (W > 0 && p.inbred_pop == 0) append_phase_rows(r, selected);
    if (VARgroup == 1 && p.n_cohorts >= 1)
        append_to("cohqtl.out", [&](std::FILE* f) { write_cohqtl_row(f, p, r.o, r.qtl); });
}

void append_fpm_rows(const ChainRecords& r, int W, const std::vector<int>& selected)
{
    const Par& p = r.p;
    append_to("ifpm.out", [&](std::FILE* f) { write_ifpm_row(f, p, r.fpm); });
    if (W > 0) append_to("gfpm.out", [&](std::FILE* f) { write_gfpm_row(f, p, r.fpm, selected); });
    if (VARgroup == 1 && p.n_cohorts >= 1)
        append_to("cohfpm.out", [&](std::FILE* f) { write_cohfpm_row(f, p, r.o, r.fpm); });
}

bool cumgtp_due(const Par& p)
{
    return p.indicFPM == 2 && p.maximFPM < kCumGtpMaxGenes && (p.cur_sweep + 1) % kCumGtpInterval == 0;
}

}  // namespace

void print_samples(const ChainRecords& r, SampleWriterState& state)
{
    const Par& p = r.p;
    std::vector<int> selected;
    const int W = genotype_selection(p, selected);
    if (!state.first_call_done) {
        state.first_call_done = true;
        if (p.headerOUT == 1) {
            write_sample_headers(p, W);
            restart_headerless_files(p, W);
        }
        if (W != 0 || !p.lwrtgtp.empty()) write_selected_names(p, r.o, selected);
    }
    const bool qtl_on = p.indicQTL >= 1;
    const bool fpm_on = p.indicFPM >= 1;
    const bool tim_on = p.indicTIM >= 1;

    append_to("genpar.out", [&](std::FILE* f) { write_genpar_row(f, p); });
    if (any_nui2_rows(p)) append_to("nui2.out", [&](std::FILE* f) { write_nui2_row(f, p); });
    if (qtl_on) append_qtl_rows(r, W, selected);
    if (fpm_on) append_fpm_rows(r, W, selected);
    if (cumgtp_due(p)) append_to("cumgtp.out", [&](std::FILE* f) { write_cumgtp_rows(f, p, r.o, r.fpm); });
    if (qtl_on || fpm_on) {
        append_to("POA.out", [&](std::FILE* f) { write_prior_rows(f, p, p.varPOA, p.addGENE, p.addFPM); });
        append_to("POD.out", [&](std::FILE* f) { write_prior_rows(f, p, p.varPOD, p.domGENE, p.domFPM); });
    }
    if (tim_on && W >= 1) append_to("tim.out", [&](std::FILE* f) { write_tim_row(f, p, r.o, r.ph, selected); });
    if (tim_on && p.n_cohorts >= 1 && VARgroup == 1)
        append_to("cohtim.out", [&](std::FILE* f) { write_cohort_tim_row(f, p, r.o, r.ph); });
}

void PrintSamples()
{
    print_samples(ChainRecords{par, obs, phe, gene, polygene, mrkrlcs}, sample_writer_state());
}

}  // namespace vsk
