// Convergence and output parts of the run summary. Charts and tables that
// post-processing or other tools make from the samples are linked only when
// this run produced them.
#include <algorithm>
#include <initializer_list>

#include "core/output/xml_summary.h"

namespace vsk {

namespace {

// Captions followed by one file paragraph, all left out without the file.
void figure(XmlBlock& b, const LinkPolicy& links, std::initializer_list<const char*> captions, const char* type,
            const char* name)
{
    if (!links.output(name)) return;
    for (const char* c : captions) b.plain(c);
    b.file(type, name);
}

XmlBlock effective_chain_sizes()
{
    std::vector<std::pair<std::string, std::string>> entries;
    const int n = std::min<int>(ECCount, static_cast<int>(std::min(ECNames.size(), ECSizes.size())));
    for (int k = 0; k < n; ++k) entries.emplace_back(ECNames[k], format_text("%d", ECSizes[k]));
    XmlBlock b;
    if (entries.empty())
        b.lines("dictionary", {" Not Available, Check number of samples!"});
    else
        b.dictionary("dictionary", entries);
    b.plain("Recommendation: Values of Chain Size should be 100 or higher ");
    b.plain("For low values: Increase length of simulation chain OR verify quality of data to fit the model ");
    return b;
}

XmlBlock genotype_probabilities(const LinkPolicy& links, const char* note, const char* fsp, const char* fou,
                                const char* all)
{
    XmlBlock b;
    figure(b, links, {"The data underneath the following graphs are available in a csv file: "}, "link",
           "gtp_Genome.csv");
    figure(b, links, {"Genotype probabilities full sibs' parents"}, "image", fsp);
    figure(b, links, {"Genotype probabilities founders"}, "image", fou);
    figure(b, links, {"Genotype probabilities all"}, "image", all);
    if (b.empty()) return b;
    XmlBlock out;
    out.plain(note);
    out.append(b);
    return out;
}

XmlBlock breeding_values(const LinkPolicy& links)
{
    XmlBlock b;
    // A caption, then the links of its two tables that this run wrote.
    const auto tables = [&](const char* caption, const char* genome, const char* sum) {
        const bool g = links.output(genome), s = links.output(sum);
        if (!g && !s) return;
        b.plain(caption);
        if (g) b.file("link", genome);
        if (s) b.file("link", sum);
    };
    tables("'Genomic Prediction' breeding values based on ALL QTL positions, i.e., no threshold on QTL significance",
           "Gbv_Genome_gp.csv", "Gbv_Sum_gp.csv");
    tables("'Bayes Factor' breeding values based on those QTL positions with Bayes Factor > 2", "Gbv_Genome_bf.csv",
           "Gbv_Sum_bf.csv");
    figure(b, links, {"Genomic breeding values (bayes factor) full sibs' parents"}, "image", "gbv_genome_FSP.png");
    figure(b, links, {"Genomic breeding values (bayes factor) founders"}, "image", "gbv_genome_FOU.png");
    figure(b, links, {"Genomic breeding values (bayes factor) all"}, "image", "gbv_genome_ALL.png");
    return b;
}

XmlBlock prediction_accuracy(const LinkPolicy& links)
{
    XmlBlock b;
    figure(b, links, {"Phenotypes predictions population"}, "image", "phenotypes_pred_POP.png");
    figure(b, links, {"Phenotypes predictions full sibs families"}, "image", "phenotypes_pred_FSF.png");
    if (b.empty()) return b;
    XmlBlock out;
    out.plain("'The accuracy of phenotype predictions is given as the correlation (r) between observed and predicted "
              "phenotypes");
    out.append(b);
    return out;
}

}  // namespace

XmlBlock convergence_quality(const LinkPolicy& links)
{
    XmlBlock trace;
    figure(trace, links, {}, "link", "VC.lnd");
    figure(trace, links,
           {"Trace of sampled values for Residual Variance (left pane), Polygenic + QTL Variance (middle pane), and "
            "Heritability (right pane)"},
           "image", "trace_VarComp.png");
    XmlBlock positions;
    figure(positions, links, {}, "link", "genomet.lnd");
    figure(positions, links, {"Trace of samples of QTL positions"}, "image", "trace_positions.png");
    XmlBlock out;
    out.section("Trace Variance components", trace, "HELP_Variance_Component");
    out.section("Effective chain size", effective_chain_sizes(), "HELP_Effective_Chain_Size");
    out.section("Trace samples QTL positions", positions, "HELP_TracePlots");
    return out;
}

XmlBlock output_summary(const LinkPolicy& links)
{
    XmlBlock vc;
    figure(vc, links, {}, "link", "post_VarComp.csv");
    figure(vc, links,
           {"Posterior Density of Residual Variance (left pane), Polygenic + QTL Variance (middle pane), and "
            "Heritability (right pane)"},
           "image", "post_VarComp.png");
    XmlBlock pos;
    figure(pos, links, {}, "link", "post_genome.csv");
    figure(pos, links, {"Posterior probability QTL positions"}, "image", "post_positions.png");
    XmlBlock eff;
    figure(eff, links, {"Additive posterior distribution QTL effects"}, "image", "post_effectsAdd.png");
    if (par.domGENE > 0)
        figure(eff, links, {"Dominance posterior distribution QTL effects"}, "image", "post_effectsDom.png");
    XmlBlock out;
    out.section("Posterior Variance Components", vc);
    out.section("Posterior positions", pos);
    out.section("Posterior effects", eff);
    out.section("Genotype probabilities (strong evidence)",
                genotype_probabilities(links,
                                       "(strong evidence pertains to posterior probability thresholds that "
                                       "corresponds with a Bayes Factor > 5)",
                                       "gtp_genome_SE_FSP.png", "gtp_genome_SE_FOU.png", "gtp_genome_SE_ALL.png"));
    out.section("Genotype probabilities (positive evidence)",
                genotype_probabilities(links,
                                       "(positive evidence pertains to posterior probability thresholds that "
                                       "corresponds with a Bayes Factor > 2)",
                                       "gtp_genome_PE_FSP.png", "gtp_genome_PE_FOU.png", "gtp_genome_PE_ALL.png"));
    out.section("Genomic breeding values", breeding_values(links));
    out.section("Phenotypes prediction accuracy", prediction_accuracy(links));
    return out;
}

}  // namespace vsk
