// Turns true marker genotypes into observed scores.
#include "tools/simulate/scoring.h"

#include <utility>

namespace vsim {

namespace {

// Observed pair of a scored genotype before errors: a null allele is
// invisible, so (x, null) reads as x x (or x $ when marked), (null, null)
// fails to amplify.
std::pair<std::int16_t, std::int16_t> visible_pair(const MarkerDef& m, int a1, int a2, bool marked)
{
    const int null = m.null_allele();
    if (a1 == null && a2 == null) return {kMissingScore, kMissingScore};
    if (a1 == null) std::swap(a1, a2);
    if (a2 == null) return {static_cast<std::int16_t>(a1), marked ? kNullScore : static_cast<std::int16_t>(a1)};
    return {static_cast<std::int16_t>(a1), static_cast<std::int16_t>(a2)};
}

// Replaces one visible allele by another visible allele, uniformly.
void make_error(const MarkerDef& m, std::int16_t& s1, std::int16_t& s2, Rng& rng)
{
    const int n = m.visible_alleles();
    std::int16_t* slot = (s2 >= 0 && rng.bernoulli(0.5)) ? &s2 : &s1;
    auto other = static_cast<std::int16_t>(rng.below(static_cast<std::uint64_t>(n - 1)));
    if (other >= *slot) ++other;
    *slot = other;
}

}  // namespace

std::vector<std::vector<std::int16_t>> score_markers(const Design& d, const Genome& g, const Pedigree& ped,
                                                     const std::vector<Genotype>& gts, Rng& rng,
                                                     ScoreStats* stats)
{
    ScoreStats local;
    std::vector<std::vector<std::int16_t>> scores(ped.individuals.size(),
                                                  std::vector<std::int16_t>(2 * g.markers.size(), kMissingScore));
    for (std::size_t i = 0; i < ped.individuals.size(); ++i) {
        if (!ped.individuals[i].genotyped) continue;
        for (std::size_t k = 0; k < g.markers.size(); ++k) {
            const MarkerDef& m = g.markers[k];
            const auto locus = static_cast<std::size_t>(g.marker_index[k]);
            ++local.scored;
            if (rng.bernoulli(d.missing_markers)) {
                ++local.missing;
                continue;
            }
            const int a1 = gts[i].paternal[locus], a2 = gts[i].maternal[locus];
            if (m.has_null && (a1 == m.null_allele()) != (a2 == m.null_allele())) ++local.hidden_null;
            auto [s1, s2] = visible_pair(m, a1, a2, d.null_marked);
            if (s1 == kMissingScore) {
                ++local.missing;
                continue;
            }
            if (m.visible_alleles() > 1 && rng.bernoulli(d.genotype_errors)) {
                make_error(m, s1, s2, rng);
                ++local.errors;
                local.error_cells.emplace_back(static_cast<int>(i), static_cast<int>(k));
            }
            if (rng.bernoulli(0.5)) std::swap(s1, s2);
            scores[i][2 * k] = s1;
            scores[i][2 * k + 1] = s2;
        }
    }
    if (stats) *stats = local;
    return scores;
}

std::string score_text(const MarkerDef& marker, std::int16_t score)
{
    if (score == kMissingScore) return "-";
    if (score == kNullScore) return "$";
    return marker.allele_text[static_cast<std::size_t>(score)];
}

}  // namespace vsim
