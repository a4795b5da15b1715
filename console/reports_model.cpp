// Console reports of the chain settings and of the model settings with
// its checks of the gene-effect priors.
#include <cmath>

#include "console/reports.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr int kSkipDigitsMax = 4;   // chains shorter than 10^4 print every 10^k sweeps

// The lower triangle row by row; rows after the first on a new line.
void print_prior_matrix(const Table<double>& m, int t)
{
    for (int i = 0; i < t; ++i) {
        if (i > 0) cprint("\n");
        for (int j = 0; j <= i; ++j) cprint("%12.5f", (i < m.rows() && j < m.cols()) ? m[i][j] : 0.0);
    }
}

void additive_prior(const Par& p)
{
    cprint("\nP(add)");
    const int a = p.addGENE;
    if (a < 1) cprint(" excluded");
    else if (a == 1) cprint("= U[]");
    else if (a == 2) cprint("= N(random)");
    else if (a == 3) cprint("= N(known),user-defined");
    else if (a == 4) cprint("= N(known),data-dependent  & dependent on Nq");
    else if (a == 5) cprint("= N(random),data-dependent & dependent on Nq");
    else if (a == 6) cprint("= N(random),data-dependent");
    else {
        cprint("\nIll-defined prior");
        fatal_exit(1);
    }
    if (a <= 1) return;
    print_prior_matrix(p.varPOA, p.n_traits);
    cprint(a == 3 || a == 4 ? " (fixed values)" : " (initial values)");
}

void dominance_prior(const Par& p)
{
    cprint("\nP(dom)");
    const int d = p.domGENE;
    if (d < 1) cprint(" excluded");
    else if (d == 1) cprint("= U[]");
    else if (d == 2) cprint("= N(random)");
    else if (d == 3) cprint("= N(known),user-defined");
    else if (d == 4) cprint("= N(known),data-dependent");
    else if (d == 5) cprint("= N(random),data-dependent & dependent on Nq");
    else if (d == 6) cprint("= N(random),data-dependent");
    else {
        cprint("\t\tIll-defined prior");
        fatal_exit(1);
    }
    if (d <= 1) return;
    print_prior_matrix(p.varPOD, p.n_traits);
    cprint(d == 3 || d == 4 ? " (fixed values)" : " (initial values)");
}

void gene_effect_priors(const Par& p)
{
    crule(2, 79, 1);
    cprint("PRIOR DISTRIBUTION OF GENE EFFECTS (QTL/FPM MODELS)");
    // The imprinted-effect switch has no setting of its own and counts as 0.
    if (p.addGENE == 0 && p.domGENE == 0) {
        cprint("\n ERROR: no effects (add/dom/imp) defined");
        fatal_exit(1);
    }
    additive_prior(p);
    dominance_prior(p);
    crule(2, 79, 1);
    cprint("PRIOR DISTRIBUTION OF ALLELE FREQ (QTL/FPM MODELS)");
    cprint("\nP(allele) ~ U[%4.2lf,%4.2lf]", boundary.freq_lower, 1.0 - boundary.freq_lower);
}

}  // namespace

void print_mcmc_parameters(const Par& p)
{
    crule(2, 79, 1);
    cprint("MCMC PARAMETERS");
    if (p.length >= 1) {
        const int k = static_cast<int>(std::log10(static_cast<double>(p.length)));
        if (k < kSkipDigitsMax) skipP = static_cast<int>(std::pow(10.0, k));
    }
    cprint("\nMCMC sweeps  :%10d", p.length);
    cprint("\nMCMC thinning:%10d", p.thinning);
    if (REDprint) cprint("\nThin stdout  :%10d", p.thinning * 200);
    else cprint("\nThin screen  :%10d", p.thinning * 20);
    cprint("\nSkip markers :%10d", p.skipSampleMarkers);
    cprint(p.skipSampleMarkers > 0 ? "\t\t (updating not every MCMC sweep)" : "\t\t (updating every MCMC sweep");
    if (p.ess > 0) {
        cprint("\nESS minimum  :%10d", p.ess);
        cprint("\nMax length   :%10d", p.lengthUDMax);
    }
}

void print_model_specification(Par& p)
{
    crule(2, 79, 1);
    cprint("MODEL SPECIFICATION");
    if (p.maximFPM < p.nfpm) {
        cprint("\nToo many genes: par.n_fpm = %d", p.nfpm);
        fatal_exit(1);
    }
    if (p.indicFPM == 2) p.nfpm = p.maximFPM;
    cprint(p.indicTIM ? "\nTIM: included" : "\nTIM: excluded");
    if (p.indicQTL == 2) {
        cprint("\nQTL: included for IBD probability estimation, MAX=1");
        if (p.maximQTL != 1) cprint("Corrected(!)");
    } else if (p.indicQTL == 1) {
        cprint("\nQTL: included\tMAX=%-3d\tE(prior)=%-4.0f", p.maximQTL, p.priorQTL);
    } else {
        cprint("\nQTL: excluded");
    }
    if (p.indicFPM == 1) cprint("\nFPM: included\tMAX=%-3d\tE(prior)=%-4.0f", p.maximFPM, p.priorFPM);
    else if (p.indicFPM == 2) cprint("\nFPM: included\tMAX=%-3d (fixed#)", p.maximFPM);
    else cprint("\nFPM: excluded");
    if (p.nqtl != 0) cprint("\n(initial)# QTLs : %9d", p.nqtl);
    if (p.indicQTL == 1 || p.indicFPM != 0) gene_effect_priors(p);
    if (p.absorbFP) cprint("\n\nAbsorption of Final Progeny");
}

}  // namespace vsk
