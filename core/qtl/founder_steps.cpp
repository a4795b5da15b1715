// Founder genotypes and allele frequencies at a QTL: the allele states of
// each founder's two labels drawn from the family frequencies, its own
// phenotype and its descendants' phenotypes; then Beta draws of the
// frequencies from the founder allele counts.
#include <algorithm>
#include <cmath>

#include "core/numeric/variates.h"
#include "core/qtl/qtl.h"

namespace vsk {

namespace {

constexpr int kMaxBetaDraws = 10;
constexpr int kMaxBetaDrawsFpm = 100;  // FPM genes: then the frequency stays as it was
constexpr double kFreqFloor = 0.025;
constexpr double kFreqCeiling = 0.975;

// Phenotypes weigh the founder draws in the QTL analysis and for every FPM
// gene; the IBD analysis draws from transmission alone.
bool weighs_phenotypes(const QtlModel& m) { return m.fpm || m.p.indicQTL == 1; }

double founder_option(QtlModel& m, Gene& g, int k, int code)
{
    const int i = m.p.founders[static_cast<std::size_t>(k)];
    const int f = base_family(m, k);
    int a1, a2;
    genotype_alleles(code, a1, a2);
    if (m.p.inbred_pop == 1 && a1 != a2) return kExcluded;
    g.alstate[static_cast<std::size_t>(2 * k)] = a1;
    g.alstate[static_cast<std::size_t>(2 * k + 1)] = a2;
    derive_labels(m, g, i);
    double w = std::log(g.freq[f][a1] * g.freq[f][a2]);
    const Obs& ind = m.o[static_cast<std::size_t>(i - 1)];
    const bool with_phenotypes = weighs_phenotypes(m);
    if (with_phenotypes && phenotyped(m, i - 1) && !ind.FP) w += m.w.ll[i - 1][code];
    if (with_phenotypes) {
        const int c = i - 1;
        for (int d = m.w.desc_start[static_cast<std::size_t>(c)]; d < m.w.desc_start[static_cast<std::size_t>(c + 1)]; ++d) {
            const int j = m.w.desc[static_cast<std::size_t>(d)];
            derive_labels(m, g, j);
            if (phenotyped(m, j - 1)) w += m.w.ll[j - 1][g.gtp[static_cast<std::size_t>(j - 1)]];
        }
        w += final_offspring_terms(m, g, i);
    }
    return w;
}

}  // namespace

void sample_founder_genotypes(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    const bool qtl_mode = weighs_phenotypes(m);
    if (qtl_mode) {
        apply_slot_values(m, g, -1);
        build_ll(m, g);
    }
    draw_founder_genotypes(m, s);
    if (qtl_mode) apply_slot_values(m, g, +1);
}

// Founder genotypes, then allele origins with phenotypes, on one ll table:
// neither step changes the slot's genotypic values or the residuals with
// the slot's values added back, so the table built once serves both.
void sample_slot_genotypes(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    apply_slot_values(m, g, -1);
    build_ll(m, g);
    draw_founder_genotypes(m, s);
    // The residuals take the subtract-and-add-back path of the two steps run
    // apart, so that they stay the same to the last digit.
    apply_slot_values(m, g, +1);
    apply_slot_values(m, g, -1);
    draw_allele_origins(m, s, true);
    apply_slot_values(m, g, +1);
}

// The founder draws (and the final offspring after them); where phenotypes
// weigh them the slot's values must be out of the residuals and its ll
// table built.
void draw_founder_genotypes(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    const bool qtl_mode = weighs_phenotypes(m);
    double lw[kGenotypes];
    for (int k = 0; k < m.p.n_founders; ++k) {
        for (int code = 0; code < kGenotypes; ++code) lw[code] = founder_option(m, g, k, code);
        const int code = sample_discrete_log(lw, kGenotypes, m.rng.uniform());
        int a1, a2;
        genotype_alleles(code, a1, a2);
        g.alstate[static_cast<std::size_t>(2 * k)] = a1;
        g.alstate[static_cast<std::size_t>(2 * k + 1)] = a2;
        const int i = m.p.founders[static_cast<std::size_t>(k)];
        derive_labels(m, g, i);
        rederive_descendants(m, g, i);
    }
    if (has_final_offspring(m)) sample_final_offspring_origin(m, s, qtl_mode);
}

void sample_allele_frequencies(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    const double lo = m.b.freq_lower, hi = m.b.freq_upper;
    for (int f = 0; f < g.freq.rows(); ++f) {
        int c0 = 0, c1 = 0;
        for (int k = 0; k < m.p.n_founders; ++k) {
            if (base_family(m, k) != f) continue;
            for (int h = 0; h < 2; ++h) (g.alstate[static_cast<std::size_t>(2 * k + h)] == 0 ? c0 : c1)++;
        }
        double p = 0.5;
        if (m.fpm) {
            bool inside = false;
            for (int tries = 0; tries < kMaxBetaDrawsFpm && !inside; ++tries) {
                p = beta(m.rng, static_cast<float>(c0 + 1), static_cast<float>(c1 + 1));
                inside = p > lo && p < hi;
            }
            if (!inside) continue;
            g.freq[f][0] = p;
            g.freq[f][1] = 1.0 - p;
            continue;
        }
        for (int tries = 0; tries < kMaxBetaDraws; ++tries) {
            p = beta(m.rng, static_cast<float>(c0 + 1), static_cast<float>(c1 + 1));
            if (p > lo && p < hi) break;
        }
        if (p <= lo) p = std::max(kFreqFloor, lo);
        if (p >= hi) p = std::min(kFreqCeiling, hi);
        g.freq[f][0] = p;
        g.freq[f][1] = 1.0 - p;
    }
}

}  // namespace vsk
