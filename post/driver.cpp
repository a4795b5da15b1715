// Ruvane: the order of a post-processing run, from the parameter file and
// the sample files to the summaries.
#include <chrono>
#include <cstdio>
#include <new>

#include "post/driver.h"
#include "post/breeding_values.h"
#include "post/charts.h"
#include "post/console.h"
#include "post/genomic_values.h"
#include "post/haplotypes.h"
#include "post/ess.h"
#include "post/intensity.h"
#include "post/names.h"
#include "post/params.h"
#include "post/qtl_number.h"
#include "post/regions.h"
#include "post/plots/figures.h"
#include "post/report/report.h"
#include "post/ruvane.h"
#include "post/sample_readers.h"
#include "post/summary.h"
#include "post/trace_charts.h"
#include "textfile/datetime.h"
#include "textfile/fatal.h"

namespace rvn {

int maximQTL = 0;
int nchromosomes = 0;
std::vector<std::vector<double>> prioprob;
std::vector<std::vector<double>> postprob;
std::vector<std::vector<double>> bayesfac;

namespace {

// The start and finish lines also reach standard output when the console
// stream is a file, so a user watching the program sees them.
void print_time_line(const char* label, const std::string& time)
{
    rprint("%s%s\n", label, time.c_str());
    if (console_redirected()) std::printf("%s%s\n", label, time.c_str());
}

void print_input_files()
{
    rprint("\n\nRequired input files:");
    rprint("\n  voskara.par (=same file as used by Voskara)");
    rprint("\n  'map file'  (=same file as used by Voskara)");
    rprint("\n  genpar.out  (=output file from Voskara)");
    rprint("\n\nOptional input files (MODEL-dependent)");
    rprint("\n  iqtl.out    (=output file from Voskara)");
    rprint("\n  gqtl.out    (=output file from Voskara)");
    rprint("\n  ifpm.out    (=output file from Voskara)");
    rprint("\n  gfpm.out    (=output file from Voskara)");
    rprint("\n   tim.out    (=output file from Voskara)");
    rprint("\n  nui2.out    (=output file from Voskara)");
    rprint("\n\nOptional input files ('WRTGTP'-variable dependent)");
    rprint("\n  wrtgtp.nms  (=output file from Voskara)");
    rprint("\n\nOptional input files (model-dependent)");
    rprint("\n  MQTRegions.inp (user-modified 'MQTRegions.new' = output file from Voskara)");
    rprint("\n\nOptional input files ('VARcohort'-variable dependent)");
    rprint("\n  cohqtl.out  (=output file from Voskara, if QTL model included)");
    rprint("\n  cohfpm.out  (=output file from Voskara, if FPM model included)");
    rprint("\n  cohtim.out  (=output file from Voskara, if TIM model included)");
}

void print_banner()
{
    rprint("\nRuvane");
    rprint("\n  %-20s", kVersion);
    rprint("\n  %-20s", kVersionDate);
    separator();
    rprint("\nProcessing the output from a Markov chain Monte Carlo simulation");
    separator();
    print_input_files();
    separator();
}

// The QTL tables are laid out in slots; without a slot or a trait nothing
// could be read back.
void check_dimensions(PostState& st)
{
    PostParams& p = st.par;
    if ((p.qtl_on() || p.fpm_on() || p.tim_on()) && p.n_traits < 1) {
        rprint("\nERROR no trait selected by 'indiT' (ncolT = %d)", p.ncolT);
        abort_ruvane();
    }
    if (p.qtl_on() && p.maximQTL < 1) {
        rprint("\nWARNING maximQTL equals %d: no QTL samples to process", p.maximQTL);
        p.indicQTL = 0;
    }
    if (p.fpm_on() && p.maximFPM < 1) {
        rprint("\nWARNING maximFPM equals %d: no FPM samples to process", p.maximFPM);
        p.indicFPM = 0;
    }
}

bool read_samples(PostState& st, ShortSamples short_samples)
{
    const PostParams& p = st.par;
    if (!read_genpar(st, short_samples)) return false;
    const int T = p.n_traits;
    const int triangle = T * (T + 1) / 2;
    st.s.n_var_blocks = triangle > 0 ? (st.s.V() - T - 2) / triangle : 0;
    // The values are T means, whole variance triangles and two gene counts:
    // another width means the file was written for other traits.
    if (triangle > 0 && (st.s.V() - T - 2 < 0 || (st.s.V() - T - 2) % triangle != 0)) {
        rprint("\nERROR in reading file %s", st.path("genpar.out").c_str());
        rprint("\n%d value columns do not form the means and variances of %d traits (see indiT)", st.s.V(), T);
        exit_ruvane();
    }

    bool any_zero = false;
    for (int v : p.indiN) any_zero = any_zero || v == 0;
    if (any_zero) read_nuisance(st);

    const bool genotypes = p.writes_genotypes();
    if (p.qtl_on()) {
        read_qtl(st);
        if (genotypes) read_qtl_genotypes(st);
        if (p.VARgroup) read_qtl_cohorts(st);
    }
    if (p.fpm_on()) {
        read_fpm(st);
        if (genotypes) read_fpm_genotypes(st);
        if (p.VARgroup) read_fpm_cohorts(st);
    }
    if (p.tim_on() && genotypes) read_tim(st);
    if (p.tim_on() && p.VARgroup) read_tim_cohorts(st);
    keep_complete_samples(st);
    if ((p.qtl_on() || p.fpm_on() || p.tim_on()) && genotypes) ReadNamesGtp(st);
    return true;
}

std::vector<ChainEss> convergence_section(PostState& st)
{
    st.chain_names = chain_names(st.par.n_traits);
    rstars(4, kRuleWidth, 0);
    rprint("\nCONVERGENCE ISSUES");
    rstars(1, kRuleWidth, 0);
    calc_burnin(st, false);
    std::vector<ChainEss> chains = chains_ess(st);
    print_ess_table(st, chains);
    if (st.par.qtl_on()) calc_convergence_rate(st);
    return chains;
}

void qtl_inferences(PostState& st)
{
    section_banner("POSTERIOR INFERENCE  QUANTITATIVE TRAIT LOCI");
    // Bayes factors of the number of QTL come first, then the samples below
    // feed the counts, HPI thresholds, intensities and marked regions.
    number_of_qtl(st);
    prioprob = st.nqtl.prior;
    postprob = st.nqtl.posterior;
    bayesfac = st.nqtl.bayes;
    extract_qtl_samples(st);
    count_qtl_per_bin(st);
    hpi_thresholds(st);
    write_intensity_files(st);
    write_intensity_charts(st);
    SummarizeHPDRegionsQTLpositions(st);
    read_regions(st);
    write_region_genotypes(st);
    write_qtl_trace_charts(st);
}

void print_figures(const std::vector<std::string>& files)
{
    for (const std::string& f : files) rprint("\nFigure written: %s", f.c_str());
}

void print_finish(const std::string& start)
{
    rstars(2, kRuleWidth, 1);
    print_time_line("START :  ", start);
    print_time_line("FINISH: ", vsk::datetime_text());
    rstars(0, kRuleWidth, 2);
}

}  // namespace

RunStart begin_run(PostState& st, const std::string& par_file)
{
    RunStart run{vsk::datetime_text(), std::chrono::steady_clock::now()};
    rstars(0, kRuleWidth, 1);
    print_time_line("START: ", run.start);
    rstars(0, kRuleWidth, 1);
    print_banner();

    GetVoskaraPar(st, st.path(par_file));
    check_dimensions(st);
    maximQTL = st.par.maximQTL;
    prioprob.clear();
    postprob.clear();
    bayesfac.clear();
    nchromosomes = static_cast<int>(st.groups.size());
    return run;
}

bool read_sample_files(PostState& st, ShortSamples short_samples) { return read_samples(st, short_samples); }

void infer_and_finish(PostState& st, const RunStart& run, ReportInputs& report)
{
    section_banner("POSTERIOR INFERENCE  GENERAL VARIABLES");
    print_genpar_summary(st);
    write_parameter_charts(st);
    print_nuisance_summary(st);
    if (st.par.qtl_on()) qtl_inferences(st);
    if (st.par.fpm_on()) number_of_fpm_genes(st);
    if (st.par.qtl_on() || st.par.fpm_on() || st.par.tim_on()) {
        breeding_values(st, &report.values);
        if (st.par.VARgroup) cohort_variances(st);
    }
    if (st.par.qtl_on()) CalcQtlHaplotype(st);
    GenomicValues genomic;
    if (st.par.qtl_on()) {
        genomic = genomic_values(st);
        write_genomic_values(st, genomic);
    }
    print_figures(write_figures(st, genomic));

    XmlSummarizeRuvaneOutput(st.project_dir, run.start);
    if (report_enabled()) {
        report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - run.clock).count();
        write_report(st, report);
    }
    reset_state(st);
    print_finish(run.start);
}

bool run_post_processing(PostState& st, const std::string& par_file, ShortSamples short_samples)
{
    const RunStart run = begin_run(st, par_file);
    ReportInputs report;
    report.par_file = par_file;
    report.start = run.start;
    if (!read_samples(st, short_samples)) {
        rprint("\nPost-processing skipped: run a longer chain, then 'ruvane_console' on this project");
        reset_state(st);
        print_finish(run.start);
        return false;
    }
    report.ess = convergence_section(st);
    infer_and_finish(st, run, report);
    return true;
}

int Ruvane(const std::string& project_dir, const std::string& par_file, bool after_analysis)
{
    PostState& st = state();
    reset_state(st);
    st.project_dir = project_dir;
    const ShortSamples short_samples = after_analysis ? ShortSamples::Report : ShortSamples::Fatal;
    bool done = false;
    try {
        done = run_post_processing(st, par_file, short_samples);
    } catch (const std::bad_alloc&) {
        reset_state(st);
        std::printf("short of memory for %s\n", "Ruvane");
        vsk::fatal_exit(1);
    }
    return done ? 0 : -1;
}

}  // namespace rvn
