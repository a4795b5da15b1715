// Input part of the run summary: input files, pedigree, nuisance and trait
// columns, markers, model settings and chain settings.
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/output/xml_summary.h"

namespace vsk {

namespace {

XmlBlock input_files(const LinkPolicy& links)
{
    std::vector<std::pair<std::string, std::string>> entries;
    if (links.input(project_parF)) entries.emplace_back("Input parameters file", project_parF);
    if (links.input(par.datafile)) entries.emplace_back("Data file", par.datafile);
    if (links.input(par.mapfile)) entries.emplace_back("Map file", par.mapfile);
    XmlBlock b;
    b.dictionary("linkedDictionary", entries);
    return b;
}

// Mean, variance, minimum and maximum of the observed records of trait 0.
struct TraitStats {
    double mean = 0.0, var = 0.0, lo = 0.0, hi = 0.0;
    int n = 0;
};

TraitStats first_trait_stats()
{
    TraitStats s;
    if (phe.Y.cols() < 1) return s;
    double sum = 0.0, sq = 0.0;
    s.lo = std::numeric_limits<double>::max();
    s.hi = std::numeric_limits<double>::lowest();
    for (int i = 0; i < phe.Y.rows(); ++i) {
        if (phe.phenotype[i][0] != 1) continue;
        const double y = phe.Y[i][0];
        sum += y;
        sq += y * y;
        s.lo = std::min(s.lo, y);
        s.hi = std::max(s.hi, y);
        ++s.n;
    }
    if (s.n < 1) return TraitStats{};
    s.mean = sum / s.n;
    s.var = s.n > 1 ? (sq - sum * sum / s.n) / (s.n - 1) : 0.0;
    return s;
}

}  // namespace

GenerationCounts count_generations(const std::vector<Obs>& individuals, double max_gen_coeff)
{
    const int m = static_cast<int>(std::trunc(max_gen_coeff)) + 3;
    GenerationCounts c;
    c.discrete.assign(static_cast<std::size_t>(m), 0);
    c.interval.assign(static_cast<std::size_t>(m - 1), 0);
    for (const Obs& o : individuals) {
        const double g = o.gen_coeff;
        if (g < 0.0 || g >= m) continue;
        const int k = static_cast<int>(std::floor(g));
        if (g == k)
            ++c.discrete[static_cast<std::size_t>(k)];
        else if (k < m - 1)
            ++c.interval[static_cast<std::size_t>(k)];
    }
    return c;
}

XmlBlock pedigree_block()
{
    XmlBlock b;
    b.plain("General statistics");
    b.dictionary("dictionary", {{"Number of individuals", format_text("%6d", par.n_individuals)},
                                {"Number of founders", format_text("%6d", par.n_founders)},
                                {"Number of base families", format_text("%6d", par.n_founder_cohorts)},
                                {"Max generation coeff.", format_text("%6.2f", par.max_gen_coeff)},
                                {"Number of descendants", format_text("%6d", par.n_descv)}});
    b.plain("\n\n");
    b.plain("Individuals per generation");
    const GenerationCounts c = count_generations(obs, par.max_gen_coeff);
    std::string head = "discrete", counts = "counts";
    for (std::size_t k = 0; k < c.discrete.size(); ++k) {
        head += format_text(",%d", static_cast<int>(k));
        counts += format_text(",%d", c.discrete[k]);
    }
    b.table({head, counts});
    head = "interval";
    counts = "counts";
    for (std::size_t k = 0; k < c.interval.size(); ++k) {
        head += format_text(",%d-%d", static_cast<int>(k), static_cast<int>(k) + 1);
        counts += format_text(",%d", c.interval[k]);
    }
    b.table({head, counts});
    return b;
}

XmlBlock nuisance_block()
{
    std::string columns = "Nuisance column", indicator = "Indicator", names = "Name";
    for (int c = 0; c < par.n_nuis; ++c) {
        columns += format_text(",%d", c + 1);
        indicator += format_text(",%d", par.indiN.cols() > 0 ? par.indiN[c][0] : 0);
        names += "," + (static_cast<std::size_t>(c) < par.namesN.size() ? par.namesN[c] : std::string());
    }
    XmlBlock b;
    b.plain("Nuisance (=non-genetic) variables in dataset");
    b.table({columns, indicator, names});
    b.plain("Interpretation of Nuisance 'Indicator' values:");
    b.table({"value,result", "-1,variable excluded from model", " 0,variable included into model with prior being Uniform",
             " 1,variable included into model with prior being Normal",
             " 3,variable used to identify individuals whose genotypes to be written to file"});
    return b;
}

XmlBlock trait_block(const LinkPolicy& links)
{
    std::string columns = "Trait column", indicator = "Indicator", names = "Name";
    for (int c = 0; c < par.ncolT; ++c) {
        columns += format_text(",%d", c + 1);
        indicator += format_text(",%d", static_cast<std::size_t>(c) < par.indiT.size() ? par.indiT[c] : 0);
        names += "," + (static_cast<std::size_t>(c) < par.namesT.size() ? par.namesT[c] : std::string());
    }
    XmlBlock b;
    b.plain("Traits in dataset");
    b.table({columns, indicator, names});
    const TraitStats s = first_trait_stats();
    if (s.n > 0) {
        b.plain("Phenotypes population: summary");
        b.dictionary("dictionary", {{"mean", format_text("%.3f", s.mean)},
                                    {"variance", format_text("%.3f", s.var)},
                                    {"minimum", format_text("%.3f", s.lo)},
                                    {"maximum", format_text("%.3f", s.hi)}});
    }
    if (links.output("phenotypes_hist_POP.png")) {
        b.plain("Phenotypes population: histogram");
        b.file("image", "phenotypes_hist_POP.png");
    }
    if (links.output("phenotypes_hist_FSF.png")) {
        b.plain("Phenotypes histograms full sibs families");
        b.file("image", "phenotypes_hist_FSF.png");
    }
    return b;
}

XmlBlock marker_block(const LinkPolicy& links)
{
    const int n = static_cast<int>(chr.size());
    std::string ids = "Chromosome IDs", incl = "Inclusion indicator", markers = "Number of markers",
                prior = "Prior probability";
    double genome = 0.0;
    for (int c = 0; c < n; ++c) {
        ids += format_text(",%d", c + 1);
        incl += format_text(",%d", chr[c].indiC);
        markers += format_text(",%d", chr[c].mrkrC);
        prior += format_text(",%.2lf", chr[c].prior_mass);
        genome += chr[c].chr_length;
    }
    XmlBlock b;
    b.plain("chromosome information");
    b.table({ids, incl, markers, prior});
    b.dictionary("dictionary", {{"Total length of genome", format_text("%8.2f Morgan", genome)}});
    std::vector<std::pair<std::string, std::string>> meioses;
    if (links.output("mconsistency.csv"))
        meioses.emplace_back("Consistency segregation parent-offspring", "mconsistency.csv");
    if (links.output("genomeIM.csv")) meioses.emplace_back("Meioses information along genome", "genomeIM.csv");
    if (!meioses.empty()) {
        b.plain("genome meioses analyses");
        b.dictionary("linkedDictionary", meioses);
    }
    if (links.output("genomeIM.png")) {
        b.plain("Informative Meioses per marker ");
        b.plain(" LEGEND: upward-triangle=1st parent; downward triangle=2nd parent");
        b.file("image", "genomeIM.png");
    }
    if (links.output("genomeDR.png")) {
        b.plain(" LEGEND: upward-triangle=1st parent; downward triangle=2nd parent");
        b.plain(" LEGEND: black color = Expected; red color = Observed");
        b.file("image", "genomeDR.png");
    }
    return b;
}

XmlBlock input_summary(const LinkPolicy& links)
{
    XmlBlock out;
    out.section("Input files", input_files(links));
    out.section("Pedigreed population", pedigree_block());
    out.section("Nuisance data", nuisance_block());
    out.section("Trait data", trait_block(links));
    out.section("Marker data", marker_block(links));
    out.section("Model settings", model_block());
    out.section("MCMC parameters", mcmc_block());
    return out;
}

}  // namespace vsk
