// Reports written while the chain runs: the chain-start sections of
// "check.log", the progress report and the extreme residuals log.
#include <cmath>
#include <string>

#include "console/reports.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/datetime.h"
#include "textfile/file.h"
#include "textfile/textfile.h"
#include "core/state/output_file.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {

constexpr double kExtremeSds = 3.0;   // residuals beyond this many SDs are logged

const char* second_parent_text(const std::vector<Obs>& o, int mot)
{
    if (mot >= 1 && mot <= static_cast<int>(o.size())) return o[mot - 1].name.c_str();
    if (mot == kSelfed) return "SELFED";
    if (mot == kDbhpld) return "DBLHPLD";
    if (mot == kInbred) return "INBRED";
    return "0";
}

void gene_coding_system(std::FILE* f)
{
    std::fprintf(f, "\n\nGENE CODING SYSTEM");
    std::fprintf(f, "\ng_al[][][] (genotype=>alleles)");
    std::fprintf(f, "\n%d %d   %d %d   %d %d   %d %d \n%d %d   %d %d   %d %d   %d %d", 0, 0, 0, 1, 1, 0, 1,
                 1, 1, 1, 1, 2, 2, 0, 2, 1);
    std::fprintf(f, "\nal_g[][][] (alleles=>genotype)");
    std::fprintf(f, "\n%d     %d     %d     %d    \n%d     %d     %d     %d ", 0, 1, 2, 3, 3, 4, 5, 6);
}

bool printed_factor(const Par& p, int c) { return p.n_traits > 0 && p.indiN[c][0] >= 0; }

void individual_table(std::FILE* f, const Par& p, const std::vector<Obs>& o, const Phe& ph)
{
    printline(f, 2, 79, 1);
    std::fprintf(f, "INDIVIDUAL's INFO ON ITS PEDIGREE & PHENOTYPES");
    printline(f, 1, 79, 0);
    std::fprintf(f, "\nExplanation of abbreviations:");
    std::fprintf(f, "\n ind = individual");
    std::fprintf(f, "\n fat = father (1st parent)");
    std::fprintf(f, "\n mot = mother (2nd parent)");
    std::fprintf(f, "\n pfP = paternal First Progeny");
    std::fprintf(f, "\n mfP = maternal First Progeny");
    std::fprintf(f, "\n pSb = paternal Sib");
    std::fprintf(f, "\n mSb = maternal Sib");
    std::fprintf(f, "\n trt = trait phenotype");
    std::fprintf(f, "\n nui = nuisance class\n\n");
    std::fprintf(f, "%6s%12s%12s%12s", "", "ind", "fat", "mot");
    std::fprintf(f, "%8s%8s%8s%8s%8s,", "pfP", "mfP", "pSb", "mSb", "fpM");
    for (int j = 0; j < p.n_traits; ++j) std::fprintf(f, "%8s%-2d", "trt", j + 1);
    for (int c = 0; c < p.n_nuis; ++c)
        if (printed_factor(p, c)) std::fprintf(f, "%4s%-2d", "nui", c);
    for (std::size_t i = 0; i < o.size(); ++i) {
        const Obs& ind = o[i];
        std::fprintf(f, "\n%6d%12s", static_cast<int>(i) + 1, ind.name.c_str());
        const bool known = ind.fat >= 1 && ind.fat <= static_cast<int>(o.size());
        std::fprintf(f, "%12s%12s", known ? o[ind.fat - 1].name.c_str() : "0", second_parent_text(o, ind.mot));
        std::fprintf(f, "%8d%8d", ind.pfP, ind.mfP);
        std::fprintf(f, "%8d%8d", ind.pSb, ind.mSb);
        std::fprintf(f, "%8d", ind.fpM);
        for (int j = 0; j < p.n_traits; ++j) std::fprintf(f, "%10.3f", ph.residual[static_cast<int>(i)][j]);
        for (int c = 0; c < p.n_nuis; ++c) {
            if (!printed_factor(p, c)) continue;
            const int cls = ind.X_nuis[c];
            std::fprintf(f, "%6d", cls);
            const int row = cls >= 1 && c < static_cast<int>(p.level_first.size()) ? p.level_first[c] + cls - 1 : -1;
            std::string level = "  ";
            if (row >= 0 && row < static_cast<int>(p.level_flag.size()))
                level = " [" + std::to_string(p.level_flag[row]) + "]";
            std::fprintf(f, "%-6s", level.c_str());
        }
    }
}

double rate(int accepted, int proposed) { return proposed >= 1 ? static_cast<double>(accepted) / proposed : 0.0; }

// Birth and death lines of a reversible-jump move pair: counters are
// (death proposals, death acceptances, birth proposals, birth acceptances).
void birth_death_lines(const int* acc, int t)
{
    const double sweeps = t + 1.0;
    cprint("%40sBirth       ", "");
    cprint(" %.2lf", rate(acc[3], acc[2]));
    cprint("  [%.2lf]\n", sweeps > 0 ? acc[2] / sweeps : 0.0);
    cprint("%40sDeath       ", "");
    cprint(" %.2lf", rate(acc[1], acc[0]));
    cprint("  [%.2lf]\n", sweeps > 0 ? acc[0] / sweeps : 0.0);
}

void variance_move_lines(const Par& p)
{
    const int t = p.n_traits > 0 ? p.n_traits : 1;
    if (p.addGENE == 5) {
        cprint("%40sVAR Pr(add) ", "");
        cprint(" %.2lf\n", rate(acc_PVqtl[1], acc_PVqtl[0]) / t);
    }
    if (p.domGENE == 5) {
        cprint("%40sVAR Pr(dom) ", "");
        cprint(" %.2lf\n", rate(acc_PVqtl[3], acc_PVqtl[2]) / t);
    }
}

void qtl_move_block(const Par& p, int t)
{
    crule(1, 79, 1);
    cprint("%40sAccepted RJS_QTL (%%proposed)\n", "");
    birth_death_lines(acc_RJqtl, t);
    cprint("%40sAccepted QTL moves (to other interval)\n", "");
    // "[0] Loc      ", "[1] LocGtp   ", ... : each name padded to nine characters.
    static const char* const kMoves[] = {"Loc", "LocGtp", "LocGtpF", "ShRange", "LoRange"};
    // acc_pos holds four counters per move kind: proposed and accepted of
    // the move, then proposed and accepted of its moves to another interval.
    for (int m = 0; m < 5; ++m) {
        const int* a = acc_pos + 4 * m;
        cprint("%40s", "");
        cprint("[%d] %-9s%8.3lf    (%8.3lf)\n", m, kMoves[m], rate(a[1], a[0]), rate(a[3], a[2]));
    }
    if (p.npos != 0) {
        const int* a = acc_pos + 4 * 5;
        cprint("%40s", "");
        cprint("[6] P-Link   %8.3lf    (%8.3lf)\n", rate(a[1], a[0]), rate(a[3], a[2]));
    }
    variance_move_lines(p);
}

}  // namespace

void write_chain_start_sections(std::FILE* f, const Par& p, const std::vector<Obs>& o, const Phe& ph)
{
    // The putative QTL locations and the initial QTL values are written by
    // the map and QTL parts ahead of these sections.
    if (p.indicQTL == 1) gene_coding_system(f);
    individual_table(f, p, o, ph);
}

void write_chain_start_sections(const Par& p, const std::vector<Obs>& o, const Phe& ph)
{
    if (REDprint) return;
    File f = open_output_file("check.log", "a");
    write_chain_start_sections(f.get(), p, o, ph);
}

void print_progress_report(const Par& p, int t)
{
    cprint("\ncycle %-7d LogL %-8.1f   ", t + 1, p.loglik);
    cprint("%s", datetime_text().c_str());
    if (p.indicQTL == 1) qtl_move_block(p, t);
    if (p.indicFPM == 1) {
        cprint("%40sAccepted RJS_FPM (%%proposed)\n", "");
        birth_death_lines(acc_RJfpm, t);
        if (p.indicQTL == 0) variance_move_lines(p);
    }
}

void write_extreme_residuals(std::FILE* f, const Par& p, const std::vector<Obs>& o, const Phe& ph,
                             bool& header_written)
{
    const int t = p.n_traits;
    std::vector<double> limit(static_cast<std::size_t>(t));
    for (int k = 0; k < t; ++k) limit[k] = kExtremeSds * std::sqrt(p.pheno_var[k]);
    if (!header_written) {
        header_written = true;
        std::fprintf(f, "; Comments are preceded by semicolon sign");
        std::fprintf(f, "\n; Thresholds for Residual Effects (%5.2lf*std.phenot)", kExtremeSds);
        for (int k = 0; k < t; ++k) {
            std::fprintf(f, "\n;   Trait %d:", k + 1);
            std::fprintf(f, " %12.3lf ", limit[k]);
        }
        std::fprintf(f, "\n; ----------------------");
        std::fprintf(f, "\n; Explanation of columns");
        std::fprintf(f, "\n; ----------------------");
        std::fprintf(f, "\n; col 1 : MCMC iteration");
        std::fprintf(f, "\n; col 2 : id individual");
        std::fprintf(f, "\n; col 3 : name individual");
        std::fprintf(f, "\n; col 4 : id trait");
        std::fprintf(f, "\n; col 5 : residual");
    }
    for (std::size_t i = 0; i < o.size(); ++i) {
        const Obs& ind = o[i];
        const int row = static_cast<int>(i);
        for (int k = 0; k < t; ++k) {
            if (ph.phenotype[row][k] == kUnknown) continue;
            const double r = ph.residual[row][k];
            if (r > limit[k] || r < -limit[k])
                std::fprintf(f, "\n%8d %8d  %-32s %8d %16.3lf", p.cur_sweep + 1, static_cast<int>(i) + 1,
                             ind.name.c_str(), k + 1, r);
        }
    }
}

namespace {
struct ExtremeLogState {
    bool header_written = false;
};
}  // namespace

void write_extreme_residuals(const Par& p, const std::vector<Obs>& o, const Phe& ph)
{
    bool& header_written = run_workspace().part<ExtremeLogState>().header_written;
    File f = open_output_file("extremeP.log", "a");
    write_extreme_residuals(f.get(), p, o, ph, header_written);
}

}  // namespace vsk
