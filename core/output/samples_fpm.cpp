// Row formats of the finite-polygenic-model sample files: gene parameters
// ("ifpm.out"), genotypes of the selected individuals ("gfpm.out"), the
// within-cohort variance of all genes jointly ("cohfpm.out") and the genotype
// counters of a fixed set of genes ("cumgtp.out").
#include <algorithm>

#include "core/output/samples.h"

namespace vsk {

namespace {

constexpr int kEffectKinds = 3;        // additive, dominance, imprinted: eff rows 1..3
constexpr int kAdditiveRow = 1;
constexpr int kTallyClasses = 3;       // homozygous 0, heterozygous, homozygous 1

bool active(const Polygene& g) { return g.status != 0; }

int gene_count(const Par& p, const std::vector<Polygene>& fpm)
{
    return std::min(p.maximFPM, static_cast<int>(fpm.size()));
}

void write_gene(std::FILE* f, const Polygene& g, int F, int T)
{
    if (!active(g)) {
        for (int k = 0; k < F; ++k) std::fprintf(f, " %6d", 0);
        for (int k = 0; k < kEffectKinds * T; ++k) std::fprintf(f, " %9d", 0);
        return;
    }
    for (int k = 0; k < F; ++k) std::fprintf(f, " %6.3lf", cell(g.freq, k, 0));
    for (int kind = 1; kind <= kEffectKinds; ++kind)
        for (int t = 0; t < T; ++t) std::fprintf(f, " %9.4lf", cell(g.eff, kind, t));
}

}  // namespace

void write_ifpm_row(std::FILE* f, const Par& p, const std::vector<Polygene>& fpm)
{
    const int G = gene_count(p, fpm);
    std::fprintf(f, "\n%3d%3d", p.maximFPM, p.n_traits);
    static const Polygene kFree;
    for (int k = 0; k < p.maximFPM; ++k) write_gene(f, k < G ? fpm[k] : kFree, p.n_founder_cohorts, p.n_traits);
}

void write_gfpm_row(std::FILE* f, const Par& p, const std::vector<Polygene>& fpm, const std::vector<int>& selected)
{
    const int G = gene_count(p, fpm);
    std::fprintf(f, "\n");
    for (int k = 0; k < p.maximFPM; ++k) {
        std::fprintf(f, "  ");
        const bool present = k < G && active(fpm[k]);
        for (int i : selected) std::fprintf(f, " %d", present ? genotype_of(fpm[k].gtp, i) : kUnknown);
    }
}

void write_cohfpm_row(std::FILE* f, const Par& p, const std::vector<Obs>& o, const std::vector<Polygene>& fpm)
{
    const int C = p.n_cohorts;
    const int G = gene_count(p, fpm);
    std::vector<double> var, total;
    for (int t = 0; t < p.n_traits; ++t) {
        std::fprintf(f, t == 0 ? "\n" : " \t");
        total.assign(static_cast<std::size_t>(C), 0.0);
        for (int k = 0; k < G; ++k) {
            const Polygene& g = fpm[k];
            if (!active(g)) continue;
            const double a = cell(g.eff, kAdditiveRow, t);
            cohort_variances(
                o, C, [&](std::size_t i) { return additive_value(genotype_of(g.gtp, static_cast<int>(i) + 1), a); },
                var);
            for (int c = 0; c < C; ++c) total[c] += var[c];
        }
        for (double v : total) std::fprintf(f, " %8.3lf", v);
    }
}

void write_cumgtp_rows(std::FILE* f, const Par& p, const std::vector<Obs>& o, const std::vector<Polygene>& fpm)
{
    const int G = gene_count(p, fpm);
    for (std::size_t i = 0; i < o.size(); ++i) {
        std::fprintf(f, "\n%12s  ", o[i].name.c_str());
        for (int k = 0; k < G; ++k) {
            std::fprintf(f, "  ");
            for (int c = 0; c < kTallyClasses; ++c)
                std::fprintf(f, " %6d", cell(fpm[k].tally, static_cast<int>(i), c));
        }
    }
}

}  // namespace vsk
