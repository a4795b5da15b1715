// PrintSamples: appends one sample of the chain to every sample file whose
// model is in use, writing the headers and "wrtgtp.nms" at the first call.
#include "core/output/samples.h"

#include <cstdlib>

#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/fatal.h"
#include "textfile/file.h"

namespace vsk {

namespace {

// Appends through `write` to `name` (opened and closed around the write).
template <class Write>
void append_to(const char* name, Write write)
{
    File f = open_file(name, "a");
    if (!f) return;
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
    static SampleWriterState state;
    return state;
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

void print_samples(const Par& p, const std::vector<Obs>& o, SampleWriterState& state)
{
    std::vector<int> selected;
    const int W = genotype_selection(p, selected);
    if (!state.first_call_done) {
        state.first_call_done = true;
        if (p.headerOUT == 1) write_sample_headers(p, W);
        if (W != 0 || !p.lwrtgtp.empty()) write_selected_names(p, o, selected);
    }
    const bool qtl_on = p.indicQTL >= 1;
    const bool fpm_on = p.indicFPM >= 1;
    const bool tim_on = p.indicTIM >= 1;

    append_to("genpar.out", [&](std::FILE* f) { write_genpar_row(f, p); });
    if (any_nui2_rows(p)) append_to("nui2.out", [&](std::FILE* f) { write_nui2_row(f, p); });
    // iqtl.out, gqtl.out, phase.out, cohqtl.out, ifpm.out, gfpm.out,
    // cohfpm.out and cumgtp.out follow here, in this order, once the gene
    // records carry their states.
    if (qtl_on || fpm_on) {
        append_to("POA.out", [&](std::FILE* f) { write_prior_rows(f, p, p.varPOA, p.addGENE, p.addFPM); });
        append_to("POD.out", [&](std::FILE* f) { write_prior_rows(f, p, p.varPOD, p.domGENE, p.domFPM); });
    }
    if (tim_on && W >= 1)
        append_to("tim.out", [&](std::FILE* f) { write_tim_row(f, p, o, selected); });
    if (tim_on && p.n_cohorts >= 1 && VARgroup == 1)
        append_to("cohtim.out", [&](std::FILE* f) { write_cohort_tim_row(f, p, o); });
}

void PrintSamples() { print_samples(par, obs, sample_writer_state()); }

}  // namespace vsk
