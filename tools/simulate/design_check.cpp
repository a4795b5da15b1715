// Checks that make a design simulable, and the sizes derived from it.
#include "tools/simulate/design.h"

#include <cmath>

namespace vsim {

namespace {

// Tolerance on cM positions built by repeated addition.
constexpr double kPositionSlackCm = 1e-9;
// Longest file name the analysis accepts for its data file.
constexpr std::size_t kMaxDataFileName = 29;
// Most words the analysis accepts on one data-file line.
constexpr long kMaxDataLineWords = 50000;

void require(bool ok, const std::string& message)
{
    if (!ok) throw SimError(message);
}

void require_rate(double rate, const char* key)
{
    require(rate >= 0.0 && rate < 1.0, std::string("setting '") + key + "' must lie in [0, 1)");
}

void require_per_trait(std::size_t size, int traits, const std::string& what)
{
    require(size == 1 || size == static_cast<std::size_t>(traits),
            what + ": give one value or one per trait (" + std::to_string(traits) + ")");
}

void check_population(const Design& d)
{
    require(d.families >= 1, "setting 'families' must be at least 1");
    require(d.offspring >= 1, "setting 'offspring' must be at least 1");
    require(d.intermediate_offspring >= 0, "setting 'intermediate-offspring' must not be negative");
    require(d.ril_generations >= 1, "setting 'ril-generations' must be at least 1");
    require(d.backcross_parent == 1 || d.backcross_parent == 2, "setting 'backcross-parent' must be 1 or 2");
    require(d.shuffle >= 0.0 && d.shuffle <= 1.0, "setting 'shuffle' must lie in [0, 1]");
    if (d.cross == Cross::Outbred) {
        require(d.founders >= 2, "setting 'founders' must be at least 2");
        require(d.generations >= 1, "setting 'generations' must be at least 1");
        require(d.parents_kept >= 1, "setting 'parents-kept' must be at least 1");
        const int earlier = d.intermediate_offspring > 0 ? d.intermediate_offspring : d.offspring;
        require(d.generations == 1 || earlier >= d.parents_kept,
                "outbred families of earlier generations need at least 'parents-kept' offspring");
    }
}

void check_genome(const Design& d)
{
    const int groups = static_cast<int>(d.chromosome_cm.size());
    require(groups >= 1, "setting 'chromosomes': at least one linkage group");
    for (double len : d.chromosome_cm) require(len > 0.0, "setting 'chromosomes': lengths must be positive");
    if (d.marker_counts.empty()) {
        require(d.marker_spacing_cm > 0.0, "setting 'marker-spacing' must be positive");
    } else {
        require(d.marker_counts.size() == 1 || static_cast<int>(d.marker_counts.size()) == groups,
                "setting 'markers': one count or one per linkage group");
    }
    // The analysis refuses a linkage group with a single marker.
    for (int c = 0; c < groups; ++c)
        require(marker_count(d, c) >= 2, "every linkage group needs at least 2 markers");
    if (d.marker_kind == MarkerKind::MultiAllelic)
        require(d.alleles >= 2 && d.alleles <= 90, "setting 'alleles' must lie in 2..90");
    require(d.min_allele_freq > 0.0 && d.min_allele_freq <= 0.5, "setting 'min-allele-freq' must lie in (0, 0.5]");
    require_rate(d.missing_markers, "missing-markers");
    require_rate(d.genotype_errors, "genotype-errors");
    require(d.null_alleles >= 0.0 && d.null_alleles <= 1.0, "setting 'null-alleles' must lie in [0, 1]");
    require(d.null_freq > 0.0 && d.null_freq < 1.0, "setting 'null-freq' must lie in (0, 1)");
}

void check_qtl(const Design& d, const QtlSpec& q, std::size_t index)
{
    const std::string what = "QTL " + std::to_string(index + 1);
    require(q.chromosome >= 1 && q.chromosome <= static_cast<int>(d.chromosome_cm.size()),
            what + ": no linkage group " + std::to_string(q.chromosome));
    const auto pos = marker_positions(d, q.chromosome - 1);
    require(q.position_cm >= 0.0 && q.position_cm <= pos.back() + kPositionSlackCm,
            what + ": position outside the marker map of its linkage group");
    require(q.freq0 > 0.0 && q.freq0 < 1.0, what + ": freq must lie in (0, 1)");
    if (!q.additive.empty()) require_per_trait(q.additive.size(), d.traits, what + " a=");
    if (!q.dominance.empty()) require_per_trait(q.dominance.size(), d.traits, what + " d=");
    if (!q.share.empty()) {
        require_per_trait(q.share.size(), d.traits, what + " share=");
        for (double s : q.share) require(s >= 0.0 && s < 1.0, what + ": share must lie in [0, 1)");
    }
}

void check_traits(const Design& d)
{
    require(d.traits >= 1 && d.traits <= 50, "setting 'traits' must lie in 1..50");
    require(d.trait_names.empty() || static_cast<int>(d.trait_names.size()) == d.traits,
            "setting 'trait-names': one name per trait");
    for (const auto& name : d.trait_names)
        require(!name.empty() && name.size() < 80 && name.find_first_of(" \t;#") == std::string::npos,
                "setting 'trait-names': names must be single words shorter than 80 characters");
    require_per_trait(d.means.size(), d.traits, "setting 'mean'");
    const std::size_t n = static_cast<std::size_t>(d.traits);
    require(d.residual_cov.empty() || d.residual_cov.size() == n * n,
            "setting 'residual-cov': traits x traits values");
    for (std::size_t i = 0; i < n && !d.residual_cov.empty(); ++i) {
        require(d.residual_cov[i * n + i] > 0.0, "setting 'residual-cov': variances must be positive");
        for (std::size_t j = 0; j < i; ++j)
            require(d.residual_cov[i * n + j] == d.residual_cov[j * n + i], "setting 'residual-cov' must be symmetric");
    }
    require_per_trait(d.polygenic_share.size(), d.traits, "setting 'polygenic-share'");
    require(d.polygenic_loci >= 1, "setting 'polygenic-loci' must be at least 1");
    for (std::size_t i = 0; i < d.qtl.size(); ++i) check_qtl(d, d.qtl[i], i);
    for (int t = 0; t < d.traits; ++t) {
        double total = trait_value(d.polygenic_share, t);
        require(total >= 0.0, "setting 'polygenic-share' must not be negative");
        for (const auto& q : d.qtl)
            if (!q.share.empty()) total += trait_value(q.share, t);
        require(total < 1.0, "trait " + std::to_string(t + 1) + ": QTL and polygenic shares must sum below 1");
    }
    for (const auto& f : d.factors)
        require(f.levels >= 1 && f.variance >= 0.0, "nuisance factors need LEVELS >= 1 and VARIANCE >= 0");
    require_rate(d.missing_phenotypes, "missing-phenotypes");
}

void check_files(const Design& d)
{
    require(d.length >= 1 && d.thinning >= 1, "settings 'length' and 'thinning' must be at least 1");
    for (const std::string* name : {&d.parameter_file, &d.data_file, &d.map_file, &d.truth_file})
        require(!name->empty() && name->find_first_of("/ \t;") == std::string::npos,
                "file names must be plain single words: '" + *name + "'");
    require(d.error_file.find_first_of("/ \t;") == std::string::npos,
            "file names must be plain single words: '" + d.error_file + "'");
    require(d.data_file.size() <= kMaxDataFileName, "setting 'data-file': at most 29 characters");
    long markers = 0;
    for (int c = 0; c < static_cast<int>(d.chromosome_cm.size()); ++c) markers += marker_count(d, c);
    const long words = 4 + static_cast<long>(d.factors.size()) + d.traits + 2 * markers;
    require(words <= kMaxDataLineWords, "a data-file line would hold " + std::to_string(words) +
                                            " words; the analysis reads at most 50000 (fewer markers)");
    require(d.map_file.size() <= 63, "setting 'map-file': at most 63 characters");
    for (const auto& [key, value] : d.parameters)
        require(key.find_first_of(" \t;") == std::string::npos, "setting 'param': bad keyword '" + key + "'");
}

}  // namespace

void check_design(const Design& design)
{
    check_population(design);
    check_genome(design);
    check_traits(design);
    check_files(design);
}

int marker_count(const Design& design, int chromosome)
{
    if (!design.marker_counts.empty())
        return design.marker_counts.size() == 1 ? design.marker_counts[0]
                                                 : design.marker_counts[static_cast<std::size_t>(chromosome)];
    const double len = design.chromosome_cm[static_cast<std::size_t>(chromosome)];
    const int steps = static_cast<int>(std::floor(len / design.marker_spacing_cm + kPositionSlackCm));
    const bool ends_on_grid = std::fabs(steps * design.marker_spacing_cm - len) < 1e-6;
    return steps + 1 + (ends_on_grid ? 0 : 1);
}

// Markers span the whole group: with a spacing that does not divide the
// length, a last marker sits at the group's end so the map keeps its length.
std::vector<double> marker_positions(const Design& design, int chromosome)
{
    const double len = design.chromosome_cm[static_cast<std::size_t>(chromosome)];
    const int n = marker_count(design, chromosome);
    std::vector<double> pos(static_cast<std::size_t>(std::max(n, 0)));
    for (int m = 0; m < n; ++m) {
        if (design.marker_counts.empty())
            pos[static_cast<std::size_t>(m)] = std::min(m * design.marker_spacing_cm, len);
        else
            pos[static_cast<std::size_t>(m)] = n > 1 ? len * m / (n - 1) : 0.0;
    }
    return pos;
}

double trait_value(const std::vector<double>& values, int trait)
{
    if (values.empty()) return 0.0;
    return values.size() == 1 ? values[0] : values[static_cast<std::size_t>(trait)];
}

std::string trait_name(const Design& design, int trait)
{
    if (!design.trait_names.empty()) return design.trait_names[static_cast<std::size_t>(trait)];
    return "trait" + std::to_string(trait + 1);
}

bool is_inbred(Cross cross) { return cross != Cross::Outbred; }

const char* cross_name(Cross cross)
{
    switch (cross) {
    case Cross::F1: return "f1";
    case Cross::F2: return "f2";
    case Cross::Backcross: return "backcross";
    case Cross::DoubledHaploid: return "dh";
    case Cross::RecombinantInbred: return "ril";
    case Cross::Outbred: return "outbred";
    }
    return "?";
}

}  // namespace vsim
