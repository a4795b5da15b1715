// Truth file of a simulated project (JSON): the design, the markers with
// their founder allele frequencies, the QTL with their effects, positions and
// variance shares, the nuisance effects, and every individual's true QTL
// genotypes and genetic values.
#include <algorithm>
#include <fstream>

#include "tools/simulate/json_writer.h"
#include "tools/simulate/simulate.h"
#include "tools/simulate/writers.h"

namespace vsim {

namespace {

constexpr double kCmPerMorgan = 100.0;
constexpr double kGroupOffset = 100.0;  // map coordinate = 100 x group + Morgan

// Parents listed behind at least one of their offspring in the data file.
int parents_after_offspring(const Population& pop)
{
    const auto& inds = pop.pedigree.individuals;
    std::vector<std::size_t> line(inds.size());
    for (std::size_t k = 0; k < pop.file_order.size(); ++k) line[static_cast<std::size_t>(pop.file_order[k])] = k;
    std::vector<bool> late(inds.size(), false);
    for (std::size_t i = 0; i < inds.size(); ++i)
        for (int parent : {inds[i].father, inds[i].mother})
            if (parent >= 0 && line[static_cast<std::size_t>(parent)] > line[i]) late[static_cast<std::size_t>(parent)] = true;
    return static_cast<int>(std::count(late.begin(), late.end(), true));
}

void write_design(JsonWriter& j, const Population& pop)
{
    const Design& d = pop.design;
    int genotyped = 0, phenotyped = 0;
    for (const Individual& ind : pop.pedigree.individuals) {
        genotyped += ind.genotyped;
        phenotyped += ind.phenotyped;
    }
    j.begin_object("design");
    j.value("cross", cross_name(d.cross));
    j.value("families", d.families);
    j.value("offspring", d.offspring);
    if (d.cross == Cross::RecombinantInbred) j.value("ril_generations", d.ril_generations);
    if (d.cross == Cross::Backcross) j.value("backcross_parent", d.backcross_parent);
    if (d.cross == Cross::Outbred) {
        j.value("founders", d.founders);
        j.value("generations", d.generations);
    } else {
        j.value("line_cross", d.line_cross);
    }
    j.value("individuals", static_cast<int>(pop.pedigree.individuals.size()));
    j.value("genotyped", genotyped);
    j.value("phenotyped", phenotyped);
    j.value("cohort", d.cohort_by_family ? "family" : "generation");
    j.value("shuffle", d.shuffle);
    j.value("parents_after_offspring", parents_after_offspring(pop));
    j.value("effect_scaling", d.realised_scaling ? "realised" : "expected");
    j.end_object();
    j.begin_object("files");
    j.value("parameter", d.parameter_file);
    j.value("data", d.data_file);
    j.value("map", d.map_file);
    j.end_object();
}

double map_coordinate(int chromosome, double position_cm)
{
    return kGroupOffset * chromosome + position_cm / kCmPerMorgan;
}

// Every marker with the founder frequencies its alleles were drawn from; the
// frequencies of the visible alleles and of a null allele sum to 1.
void write_marker_list(JsonWriter& j, const Population& pop)
{
    j.begin_array("list");
    for (const MarkerDef& m : pop.genome.markers) {
        j.begin_object();
        j.value("name", m.name);
        j.value("chromosome", m.chromosome + 1);
        j.value("position_cM", m.position_cm);
        j.value("map_coordinate", map_coordinate(m.chromosome + 1, m.position_cm));
        j.strings("alleles", m.allele_text);
        j.numbers("founder_freq", std::vector<double>(m.freq.begin(), m.freq.begin() + m.visible_alleles()));
        j.value("null_freq", m.has_null ? m.freq.back() : 0.0);
        j.end_object();
    }
    j.end_array();
}

void write_genome(JsonWriter& j, const Population& pop)
{
    const Design& d = pop.design;
    j.begin_array("chromosomes");
    for (std::size_t c = 0; c < d.chromosome_cm.size(); ++c) {
        j.begin_object();
        j.value("name", std::to_string(c + 1));
        j.value("length_cM", d.chromosome_cm[c]);
        j.value("markers", marker_count(d, static_cast<int>(c)));
        j.end_object();
    }
    j.end_array();
    j.begin_object("markers");
    j.value("type", d.marker_kind == MarkerKind::Snp ? "snp" : "multi");
    j.value("missing_rate", d.missing_markers);
    j.value("error_rate", d.genotype_errors);
    j.value("scored_genotypes", pop.score_stats.scored);
    j.value("missing_genotypes", pop.score_stats.missing);
    j.value("erroneous_genotypes", pop.score_stats.errors);
    j.value("hidden_null_genotypes", pop.score_stats.hidden_null);
    j.begin_array("with_null_allele");
    for (const MarkerDef& m : pop.genome.markers)
        if (m.has_null) j.value(nullptr, m.name);
    j.end_array();
    j.value("polygenic_loci", pop.genome.polygenic_loci);
    write_marker_list(j, pop);
    j.end_object();
}

void write_traits(JsonWriter& j, const Population& pop)
{
    const Design& d = pop.design;
    const auto nt = static_cast<std::size_t>(d.traits);
    const Realised& r = pop.realised;
    j.begin_array("traits");
    for (std::size_t t = 0; t < nt; ++t) {
        const double vp = pop.model.expected_phenotypic_variance[t];
        j.begin_object();
        j.value("name", trait_name(d, static_cast<int>(t)));
        j.value("mean", trait_value(d.means, static_cast<int>(t)));
        j.value("residual_variance", pop.model.residual_cov[t * nt + t]);
        j.value("expected_phenotypic_variance", vp);
        j.value("expected_heritability", vp > 0.0 ? 1.0 - pop.model.residual_cov[t * nt + t] / vp : 0.0);
        j.value("polygenic_share_target", trait_value(d.polygenic_share, static_cast<int>(t)));
        j.begin_object("realised");
        j.value("genetic_variance", r.genetic_variance[t]);
        j.value("polygenic_variance", r.polygenic_variance[t]);
        j.value("residual_variance", r.residual_variance[t]);
        j.value("phenotypic_variance", r.phenotypic_variance[t]);
        j.value("heritability", r.heritability[t]);
        j.end_object();
        j.end_object();
    }
    j.end_array();
    j.begin_array("residual_covariance");
    for (std::size_t t = 0; t < nt; ++t)
        j.numbers(nullptr, std::vector<double>(pop.model.residual_cov.begin() + static_cast<long>(t * nt),
                                               pop.model.residual_cov.begin() + static_cast<long>((t + 1) * nt)));
    j.end_array();
}

// Allele-0 frequency among the founders as drawn.
double founder_freq0(const Population& pop, std::size_t q)
{
    const auto locus = static_cast<std::size_t>(pop.genome.qtl_index[q]);
    double zeros = 0.0, alleles = 0.0;
    for (std::size_t i = 0; i < pop.pedigree.individuals.size(); ++i) {
        if (!pop.pedigree.individuals[i].is_founder()) continue;
        zeros += (pop.genotypes[i].paternal[locus] == 0) + (pop.genotypes[i].maternal[locus] == 0);
        alleles += 2.0;
    }
    return alleles > 0.0 ? zeros / alleles : 0.0;
}

void write_qtl(JsonWriter& j, const Population& pop)
{
    const Design& d = pop.design;
    j.begin_array("qtl");
    for (std::size_t q = 0; q < d.qtl.size(); ++q) {
        const QtlSpec& plan = d.qtl[q];
        j.begin_object();
        j.value("index", static_cast<int>(q + 1));
        j.value("chromosome", plan.chromosome);
        j.value("position_cM", plan.position_cm);
        j.value("map_coordinate", map_coordinate(plan.chromosome, plan.position_cm));
        j.numbers("additive", pop.model.additive[q]);
        j.numbers("dominance", pop.model.dominance[q]);
        if (plan.share.empty()) j.null("target_share");
        else j.numbers("target_share", pop.model.target_share[q]);
        j.numbers("realised_share", pop.realised.qtl_share[q]);
        j.numbers("realised_variance", pop.realised.qtl_variance[q]);
        j.value("freq_allele0_design", is_inbred(d.cross) && d.line_cross ? 0.5 : plan.freq0);
        j.value("freq_allele0_founders", founder_freq0(pop, q));
        j.value("freq_allele0_phenotyped", pop.realised.qtl_freq0[q]);
        j.end_object();
    }
    j.end_array();
}

void write_nuisance(JsonWriter& j, const Population& pop)
{
    j.begin_array("nuisance");
    for (std::size_t f = 0; f < pop.design.factors.size(); ++f) {
        const FactorSpec& plan = pop.design.factors[f];
        j.begin_object();
        j.value("column", static_cast<int>(f + 1));
        j.value("kind", plan.random ? "random" : "fixed");
        j.value("levels", plan.levels);
        j.value("variance", plan.variance);
        j.begin_array("effects");
        for (const auto& level : pop.model.factor_effect[f]) j.numbers(nullptr, level);
        j.end_array();
        j.end_object();
    }
    j.end_array();
}

// Per marker (map order) the homologue of the parent that one side's allele
// came from: '0' the parent's first-parent homologue, '1' its second-parent
// one, '-' where the allele is not scored or the parent unknown.
std::string origin_text(const Population& pop, std::size_t i, int side)
{
    const std::size_t markers = pop.genome.markers.size();
    std::string text(markers, '-');
    const Genotype& from = pop.origins[i];
    const Haplotype& bits = side == 0 ? from.paternal : from.maternal;
    if (bits.empty() || i >= pop.scores.size()) return text;
    for (std::size_t k = 0; k < markers; ++k) {
        const std::int16_t score = pop.scores[i][2 * k + static_cast<std::size_t>(side)];
        const std::int16_t other = pop.scores[i][2 * k + static_cast<std::size_t>(1 - side)];
        if (score == kMissingScore || other == kMissingScore) continue;
        text[k] = bits[static_cast<std::size_t>(pop.genome.marker_index[k])] ? '1' : '0';
    }
    return text;
}

void write_individuals(JsonWriter& j, const Population& pop)
{
    j.begin_array("individuals");
    for (std::size_t i = 0; i < pop.pedigree.individuals.size(); ++i) {
        j.begin_object();
        const Individual& ind = pop.pedigree.individuals[i];
        j.value("name", ind.name);
        j.value("generation", ind.generation);
        j.value("genotyped", ind.genotyped);
        j.value("phenotyped", ind.phenotyped);
        j.integers("qtl_genotypes", pop.values.qtl_code[i]);
        j.numbers("genetic_value", pop.values.genetic[i]);
        j.numbers("polygenic_value", pop.values.polygenic[i]);
        if (!pop.origins.empty()) {
            j.value("origin_first_parent", origin_text(pop, i, 0));
            j.value("origin_second_parent", origin_text(pop, i, 1));
        }
        j.end_object();
    }
    j.end_array();
}

}  // namespace

void write_truth_file(const Population& pop, const std::filesystem::path& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw SimError("cannot write " + path.string());
    JsonWriter j(out);
    j.begin_object();
    j.value("generator", "voskara_simulate");
    j.value("preset", pop.design.name);
    // Seeds beyond 2^53 would lose digits as JSON numbers.
    if (pop.seed < (std::uint64_t{1} << 53)) j.value("seed", static_cast<long>(pop.seed));
    else j.value("seed", std::to_string(pop.seed));
    j.value("genotype_codes", "2 x allele from first parent + allele from second parent; "
                              "allele 0 adds the additive effect");
    write_design(j, pop);
    write_genome(j, pop);
    write_traits(j, pop);
    write_qtl(j, pop);
    write_nuisance(j, pop);
    write_individuals(j, pop);
    j.end_object();
    out.flush();
    if (!out) throw SimError("error while writing " + path.string());
}

}  // namespace vsim
