// Genes of the finite polygenic model entering the chain: the descent strata
// of the founder alleles, the initial genes drawn from their priors, and the
// new gene a birth proposes.
#include <cmath>

#include "core/polygenic/fpm.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr double kInitUniformScale = 0.05;  // initial uniform-prior effects: 5 % of a draw within the bounds
constexpr double kFreqRoom = 0.2;           // frequencies are drawn only when the margins leave this room

// Initial effects of one kind: z sqrt(V_tt) with a normal prior, 5 % of a
// uniform draw between the bounds with the bounded-uniform prior.
void initial_effects(QtlModel& m, Gene& g, int kind, int setting)
{
    const int T = m.p.n_traits;
    for (int t = 0; t < T; ++t) {
        double e = 0.0;
        if (setting >= 2) {
            e = m.rng.normal() * std::sqrt(effect_prior_matrix(m.p, kind)[t][t]);
        } else if (setting == 1) {
            const double lo = m.b.gene_lower[static_cast<std::size_t>(t)], hi = m.b.gene_upper[static_cast<std::size_t>(t)];
            e = kInitUniformScale * (lo + (hi - lo) * m.rng.uniform());
        }
        g.eff[kind][t] = e;
    }
}

}  // namespace

void make_fpm(QtlModel& m)
{
    m.fpm = true;
    m.propose_gene = &propose_fpm_gene;
}

void init_desc_strata_fpm(QtlModel& m)
{
    if (2 * m.p.n_founders > m.p.n_individuals) {
        cprint("\nERROR: function InitDescStrateFPM()");
        cprint("\nn_founderalleles > nindividuals");
        fatal_exit(1);
    }
    init_qtl_slots(m);
    build_descendants(m);
    build_final_offspring_groups(m);
}

void draw_fpm_frequencies(QtlModel& m, Gene& g)
{
    const double lo = m.b.freq_lower, hi = m.b.freq_upper;
    const double q = hi - lo > kFreqRoom ? lo + (hi - lo) * m.rng.uniform() : 0.5;
    for (int f = 0; f < g.freq.rows(); ++f) {
        g.freq[f][0] = q;
        g.freq[f][1] = 1.0 - q;
    }
}

// Founder genotypes from the frequencies, then origins by Mendelian
// transmission alone.
void draw_fpm_genotypes(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    draw_founder_states(m, g);
    sample_allele_origin(m, s, false);
    derive_all_genotypes(m, g);
}

void propose_fpm_gene(QtlModel& m, int s)
{
    draw_fpm_frequencies(m, m.gene[static_cast<std::size_t>(s)]);
    draw_fpm_genotypes(m, s);
}

void init_fpm_gene(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    g.status = 1;
    g.lcsrow = -1;
    for (int r = 0; r < kGenotypes; ++r)
        for (int t = 0; t < m.p.n_traits; ++t) g.eff[r][t] = 0.0;
    draw_fpm_frequencies(m, g);
    initial_effects(m, g, kAddRow, add_setting(m));
    g.eff[kAddRow][0] = std::fabs(g.eff[kAddRow][0]);
    initial_effects(m, g, kDomRow, dom_setting(m));
    compute_gval(m.p, g);
    draw_fpm_genotypes(m, s);
    apply_slot_values(m, g, +1);
}

void init_fpm_genes(QtlModel& m)
{
    const int count = std::min(gene_count(m), slot_count(m));
    for (int s = 0; s < count; ++s)
        if (m.gene[static_cast<std::size_t>(s)].status == 0) init_fpm_gene(m, s);
    gene_count(m) = active_count(m);
}

}  // namespace vsk
