// Settings of a design by name, their help texts and the checks that make a
// design simulable before any draw is made.
#include "tools/simulate/design.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <unordered_map>

namespace vsim {

namespace {

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : text) {
        if (c == separator) {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

double to_double(const std::string& key, const std::string& text)
{
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v))
        throw SimError("setting '" + key + "': '" + text + "' is not a number");
    return v;
}

int to_int(const std::string& key, const std::string& text)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < -1000000000L || v > 1000000000L)
        throw SimError("setting '" + key + "': '" + text + "' is not an integer");
    return static_cast<int>(v);
}

bool to_bool(const std::string& key, const std::string& text)
{
    if (text == "1" || text == "yes" || text == "true") return true;
    if (text == "0" || text == "no" || text == "false") return false;
    throw SimError("setting '" + key + "': '" + text + "' is not 0/1");
}

std::vector<double> to_doubles(const std::string& key, const std::string& text, char sep = ',')
{
    std::vector<double> values;
    for (const std::string& part : split(text, sep)) values.push_back(to_double(key, part));
    return values;
}

std::vector<int> to_ints(const std::string& key, const std::string& text)
{
    std::vector<int> values;
    for (const std::string& part : split(text, ',')) values.push_back(to_int(key, part));
    return values;
}

Cross to_cross(const std::string& text)
{
    static const std::unordered_map<std::string, Cross> names{
        {"f1", Cross::F1}, {"f2", Cross::F2}, {"backcross", Cross::Backcross},
        {"bc", Cross::Backcross}, {"dh", Cross::DoubledHaploid},
        {"ril", Cross::RecombinantInbred}, {"outbred", Cross::Outbred}};
    auto it = names.find(text);
    if (it == names.end())
        throw SimError("setting 'design': '" + text + "' is not one of f1, f2, backcross, dh, ril, outbred");
    return it->second;
}

// "chr=1,pos=35,share=0.1,dom=0.5,freq=0.5" or "chr=2,pos=10,a=0.8/0.4,d=0.2".
QtlSpec to_qtl(const std::string& text)
{
    QtlSpec q;
    bool has_chr = false, has_pos = false;
    for (const std::string& field : split(text, ',')) {
        const auto eq = field.find('=');
        if (eq == std::string::npos) throw SimError("setting 'qtl': '" + field + "' is not key=value");
        const std::string k = field.substr(0, eq), v = field.substr(eq + 1);
        if (k == "chr") { q.chromosome = to_int("qtl chr", v); has_chr = true; }
        else if (k == "pos") { q.position_cm = to_double("qtl pos", v); has_pos = true; }
        else if (k == "freq") q.freq0 = to_double("qtl freq", v);
        else if (k == "a") q.additive = to_doubles("qtl a", v, '/');
        else if (k == "d") q.dominance = to_doubles("qtl d", v, '/');
        else if (k == "share") q.share = to_doubles("qtl share", v, '/');
        else if (k == "dom") q.dominance_ratio = to_double("qtl dom", v);
        else throw SimError("setting 'qtl': unknown field '" + k + "' (chr, pos, a, d, share, dom, freq)");
    }
    if (!has_chr || !has_pos) throw SimError("setting 'qtl': chr= and pos= are required");
    if (q.additive.empty() && q.share.empty()) throw SimError("setting 'qtl': give a= or share=");
    if (!q.additive.empty() && !q.share.empty()) throw SimError("setting 'qtl': give a= or share=, not both");
    if (!q.share.empty() && !q.dominance.empty()) throw SimError("setting 'qtl': with share= give dom= (d/a), not d=");
    return q;
}

// "LEVELS:VARIANCE"
FactorSpec to_factor(const std::string& key, const std::string& text, bool random)
{
    const auto parts = split(text, ':');
    if (parts.size() != 2) throw SimError("setting '" + key + "': expected LEVELS:VARIANCE, got '" + text + "'");
    return FactorSpec{to_int(key, parts[0]), to_double(key, parts[1]), random};
}

using Setter = std::function<void(Design&, const std::string&, const std::string&)>;

const std::unordered_map<std::string, Setter>& setters()
{
    static const std::unordered_map<std::string, Setter> table{
        {"design", [](Design& d, auto&, auto& v) { d.cross = to_cross(v); }},
        {"families", [](Design& d, auto& k, auto& v) { d.families = to_int(k, v); }},
        {"offspring", [](Design& d, auto& k, auto& v) { d.offspring = to_int(k, v); }},
        {"intermediate-offspring", [](Design& d, auto& k, auto& v) { d.intermediate_offspring = to_int(k, v); }},
        {"ril-generations", [](Design& d, auto& k, auto& v) { d.ril_generations = to_int(k, v); }},
        {"backcross-parent", [](Design& d, auto& k, auto& v) { d.backcross_parent = to_int(k, v); }},
        {"line-cross", [](Design& d, auto& k, auto& v) { d.line_cross = to_bool(k, v); }},
        {"founders", [](Design& d, auto& k, auto& v) { d.founders = to_int(k, v); }},
        {"generations", [](Design& d, auto& k, auto& v) { d.generations = to_int(k, v); }},
        {"parents-kept", [](Design& d, auto& k, auto& v) { d.parents_kept = to_int(k, v); }},
        {"cohort", [](Design& d, auto&, auto& v) {
             if (v != "generation" && v != "family") throw SimError("setting 'cohort': generation or family");
             d.cohort_by_family = v == "family"; }},
        {"shuffle", [](Design& d, auto& k, auto& v) { d.shuffle = to_double(k, v); }},
        {"genotype-founders", [](Design& d, auto& k, auto& v) { d.genotype_founders = to_bool(k, v); }},
        {"phenotype-founders", [](Design& d, auto& k, auto& v) { d.phenotype_founders = to_bool(k, v); }},
        {"chromosomes", [](Design& d, auto& k, auto& v) { d.chromosome_cm = to_doubles(k, v); }},
        {"marker-spacing", [](Design& d, auto& k, auto& v) { d.marker_spacing_cm = to_double(k, v); d.marker_counts.clear(); }},
        {"markers", [](Design& d, auto& k, auto& v) { d.marker_counts = to_ints(k, v); }},
        {"marker-type", [](Design& d, auto&, auto& v) {
             if (v != "snp" && v != "multi") throw SimError("setting 'marker-type': snp or multi");
             d.marker_kind = v == "snp" ? MarkerKind::Snp : MarkerKind::MultiAllelic; }},
        {"alleles", [](Design& d, auto& k, auto& v) { d.alleles = to_int(k, v); }},
        {"min-allele-freq", [](Design& d, auto& k, auto& v) { d.min_allele_freq = to_double(k, v); }},
        {"missing-markers", [](Design& d, auto& k, auto& v) { d.missing_markers = to_double(k, v); }},
        {"genotype-errors", [](Design& d, auto& k, auto& v) { d.genotype_errors = to_double(k, v); }},
        {"null-alleles", [](Design& d, auto& k, auto& v) { d.null_alleles = to_double(k, v); }},
        {"null-freq", [](Design& d, auto& k, auto& v) { d.null_freq = to_double(k, v); }},
        {"null-scoring", [](Design& d, auto&, auto& v) {
             if (v != "hidden" && v != "marked") throw SimError("setting 'null-scoring': hidden or marked");
             d.null_marked = v == "marked"; }},
        {"traits", [](Design& d, auto& k, auto& v) { d.traits = to_int(k, v); }},
        {"trait-names", [](Design& d, auto&, auto& v) { d.trait_names = split(v, ','); }},
        {"mean", [](Design& d, auto& k, auto& v) { d.means = to_doubles(k, v); }},
        {"residual-cov", [](Design& d, auto& k, auto& v) { d.residual_cov = to_doubles(k, v); }},
        {"qtl", [](Design& d, auto&, auto& v) {
             if (v == "none") d.qtl.clear(); else d.qtl.push_back(to_qtl(v)); }},
        {"polygenic-share", [](Design& d, auto& k, auto& v) { d.polygenic_share = to_doubles(k, v); }},
        {"polygenic-loci", [](Design& d, auto& k, auto& v) { d.polygenic_loci = to_int(k, v); }},
        {"fixed", [](Design& d, auto& k, auto& v) {
             if (v == "none") std::erase_if(d.factors, [](const FactorSpec& f) { return !f.random; });
             else d.factors.push_back(to_factor(k, v, false)); }},
        {"random", [](Design& d, auto& k, auto& v) {
             if (v == "none") std::erase_if(d.factors, [](const FactorSpec& f) { return f.random; });
             else d.factors.push_back(to_factor(k, v, true)); }},
        {"missing-phenotypes", [](Design& d, auto& k, auto& v) { d.missing_phenotypes = to_double(k, v); }},
        {"effect-scaling", [](Design& d, auto&, auto& v) {
             if (v != "expected" && v != "realised") throw SimError("setting 'effect-scaling': expected or realised");
             d.realised_scaling = v == "realised"; }},
        {"length", [](Design& d, auto& k, auto& v) { d.length = to_int(k, v); }},
        {"thinning", [](Design& d, auto& k, auto& v) { d.thinning = to_int(k, v); }},
        {"param", [](Design& d, auto&, auto& v) {
             if (v == "none") { d.parameters.clear(); return; }
             const auto eq = v.find('=');
             if (eq == std::string::npos || eq == 0) throw SimError("setting 'param': expected KEYWORD=VALUE");
             d.parameters[v.substr(0, eq)] = v.substr(eq + 1); }},
        {"parameter-file", [](Design& d, auto&, auto& v) { d.parameter_file = v; }},
        {"data-file", [](Design& d, auto&, auto& v) { d.data_file = v; }},
        {"map-file", [](Design& d, auto&, auto& v) { d.map_file = v; }},
        {"truth-file", [](Design& d, auto&, auto& v) { d.truth_file = v; }},
        {"error-file", [](Design& d, auto&, auto& v) { d.error_file = v; }},
        {"truth-origins", [](Design& d, auto& k, auto& v) { d.truth_origins = to_bool(k, v); }},
    };
    return table;
}

}  // namespace

void apply_setting(Design& design, const std::string& key, const std::string& value)
{
    auto it = setters().find(key);
    if (it == setters().end()) throw SimError("unknown setting '" + key + "' (see --help)");
    it->second(design, key, value);
}

const std::vector<SettingHelp>& setting_help()
{
    static const std::vector<SettingHelp> help{
        {"design", "f1 | f2 | backcross | dh | ril | outbred"},
        {"families", "crosses (inbred designs) or full-sib families per generation (outbred)"},
        {"offspring", "offspring per cross (inbred designs; lines for ril) or per family of the last outbred generation"},
        {"intermediate-offspring", "offspring per family in earlier outbred generations (0: as offspring)"},
        {"ril-generations", "selfing generations after the F1 for recombinant inbred lines"},
        {"backcross-parent", "recurrent parent of a backcross: 1 or 2"},
        {"line-cross", "1: the two inbred parents of a cross differ at every QTL and marker"},
        {"founders", "outbred founders"},
        {"generations", "outbred generations of full-sib families"},
        {"parents-kept", "offspring per outbred family that may become parents later"},
        {"cohort", "cohort column by generation or by family"},
        {"shuffle", "share of parents (0..1) moved behind their offspring in the data file"},
        {"genotype-founders", "0/1: founders carry marker scores"},
        {"phenotype-founders", "0/1: founders carry phenotypes"},
        {"chromosomes", "lengths of the linkage groups in cM, e.g. 100,120,80"},
        {"marker-spacing", "distance between markers in cM"},
        {"markers", "markers per linkage group (one value for all, or one per group)"},
        {"marker-type", "snp (letter alleles) | multi (integer alleles)"},
        {"alleles", "alleles of a multi-allelic marker"},
        {"min-allele-freq", "smallest minor-allele frequency of a SNP"},
        {"missing-markers", "rate of missing marker scores"},
        {"genotype-errors", "rate of genotyping errors"},
        {"null-alleles", "share of markers carrying a null allele"},
        {"null-freq", "founder frequency of a null allele"},
        {"null-scoring", "hidden (x,null scored x x) | marked (scored x $)"},
        {"traits", "number of traits"},
        {"trait-names", "comma-separated trait names"},
        {"mean", "trait means (one value for all traits, or one per trait)"},
        {"residual-cov", "residual covariance matrix, row by row (traits x traits values)"},
        {"qtl", "add a QTL: chr=C,pos=CM,(a=A[/A2..][,d=D] | share=S[/S2..][,dom=D/A])[,freq=P0]; none clears"},
        {"polygenic-share", "share of phenotypic variance of the polygenic background per trait"},
        {"polygenic-loci", "unlinked small-effect loci forming the polygenic background"},
        {"fixed", "add a fixed nuisance factor LEVELS:VARIANCE; none clears"},
        {"random", "add a random nuisance factor LEVELS:VARIANCE; none clears"},
        {"missing-phenotypes", "rate of missing phenotypes"},
        {"effect-scaling", "expected (design's genotype frequencies) | realised (simulated genotypes)"},
        {"length", "chain length written to the parameter file"},
        {"thinning", "thinning written to the parameter file"},
        {"param", "set any parameter-file keyword: KEYWORD=VALUE; none clears"},
        {"parameter-file", "name of the parameter file"},
        {"data-file", "name of the data file"},
        {"map-file", "name of the map file"},
        {"truth-file", "name of the truth file"},
        {"error-file", "file listing the genotypes given an error (individual, marker), none by default"},
        {"truth-origins", "0/1: the truth file gives, per individual and marker, the parent's homologue each scored allele came from"},
    };
    return help;
}

}  // namespace vsim
