// Model and chain settings of the run summary: which genetic effects are
// fitted, their priors, and the chain length, thinning and marker schedule.
#include "core/output/xml_summary.h"

namespace vsk {

namespace {

// The console's progress line comes every thinning x 10 sweeps (x 100 with
// reduced printing); the report states the interval actually used.
constexpr int kProgressFactor = 10;
constexpr int kReducedProgressFactor = 100;

std::string qtl_row()
{
    if (par.indicQTL == 2) return std::string("QTL, IBD! , fixed, 1") + (par.maximQTL != 1 ? "Corrected(!)" : "");
    if (par.indicQTL == 1) return format_text("QTL , included,%.1f", par.priorQTL) + format_text(",%d", par.maximQTL);
    return "QTL , excluded, , ";
}

std::string fpm_row()
{
    if (par.indicFPM == 1)
        return std::string("FPM , included,") + format_text("%.1f", par.priorFPM) + "," + format_text("%d", par.maximFPM);
    if (par.indicFPM == 2) return std::string("FPM , included,") + format_text("fixed , %d", par.maximFPM);
    return "FPM , excluded, , ";
}

}  // namespace

const char* effect_prior_text(int code)
{
    if (code < 1) return ",excluded,";
    switch (code) {
    case 1: return ",Uniform []";
    case 2: return ",Normal (random)";
    case 3: return ",Normal (known) - user-defined";
    case 4: return ",Normal (known) - data-dependent and dependent on number of QTL in model";
    case 5: return ",Normal (random) - data-dependent and dependent on number of QTL in model";
    case 6: return ",Normal (random) - data-dependent";
    default: return ",Ill-defined prior";
    }
}

XmlBlock model_block()
{
    XmlBlock b;
    b.plain("Explanation of genetic effects that can be fitted");
    b.table({"key,model,remarks",
             "QTL,Quantitative Trait Locus (Model), genomic locus effects accounting for pedigree and marker information",
             "FPM,Finite Polygenic Model   , 'anonymous' locus effects accounting for pedigree information (no markers)",
             "TIM,The Infinitissimal Model , polygenic effects accounting for pedigree-based Relationship Matrix"});
    b.plain("Parameter specification of genetic effects");
    b.table({"key,Inclusion, a priori number, maximum number", qtl_row(), fpm_row(),
             par.indicTIM ? "TIM , included, , " : "TIM , excluded"});
    if (par.indicQTL == 1 || par.indicFPM) {
        b.plain("Prior distribution of QTL effects");
        if (par.addGENE >= 1 || par.domGENE >= 1)
            b.table({"effect,included,prior", format_text("additive,%d", par.addGENE) + effect_prior_text(par.addGENE),
                     format_text("dominance,%d", par.domGENE) + effect_prior_text(par.domGENE)});
        b.plain("QTL allele frequency");
        b.table({"prior,lowerbound,upperbound",
                 format_text("Uniform,%.2lf,%.2lf", boundary.freq_lower, boundary.freq_upper)});
    }
    return b;
}

XmlBlock mcmc_block()
{
    const char* screen = "interval for printing info to screen";
    std::vector<std::string> rows = {
        "key, value, remarks", format_text("MCMC sweeps , %d,%s", par.length, "length of the Markov chain"),
        format_text("MCMC thinning , %d,%s", par.thinning, "interval between writing samples to file")};
    if (REDprint)
        rows.push_back(format_text("Thin stdout, %d,%s", kReducedProgressFactor * par.thinning, screen));
    else
        rows.push_back(format_text("Thin screen , %d,%s", kProgressFactor * par.thinning, screen));
    rows.push_back(format_text("Skip markers , %d", par.skipSampleMarkers) +
                   (par.skipSampleMarkers >= 1
                        ? ", not updating every MCMC sweep to save time in case of many markers"
                        : ", updating every MCMC sweep can be time-consuming in case of many markers"));
    if (par.ess > 0) {
        rows.push_back(format_text("ESS minimum , %d", par.ess));
        rows.push_back(format_text("Max length , %d", par.lengthUDMax));
    }
    XmlBlock b;
    b.table(rows);
    return b;
}

}  // namespace vsk
