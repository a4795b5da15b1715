// SampleFPM: mode 0 sets up the finite polygenic model (descent strata,
// initial genes, birth and death probabilities, the effect path) and then,
// like every other mode, runs one sweep: a birth, a death, or an update of
// every gene (effects, allele origins, founder genotypes, frequencies),
// followed by the effect variances, the deletion check, the FPM covariance
// and the genotype tallies.
#include <algorithm>

#include "core/polygenic/fpm.h"
#include "core/state/run_workspace.h"
#include "core/voskara.h"

namespace vsk {

namespace {

constexpr int kFixedCount = 2;   // indicFPM 2: the number of genes is fixed
constexpr double kMoveProbability = 0.4;

bool prior_draw_setting(int s) { return s >= 1 && s <= 3; }

void mode_zero(QtlModel& m)
{
    Par& p = m.p;
    init_desc_strata_fpm(m);
    for (int s = 0; s < slot_count(m); ++s) free_slot(m, s);
    if (p.indicFPM == kFixedCount) p.nfpm = p.maximFPM;
    m.w.marginal = !(prior_draw_setting(add_setting(m)) || prior_draw_setting(dom_setting(m)));
    init_fpm_genes(m);
    m.w.mono.assign(static_cast<std::size_t>(slot_count(m)), 0);
    m.w.p_birth = m.w.p_death = p.indicFPM == kFixedCount ? 0.0 : kMoveProbability;
    if (p.indicFPM == kFixedCount)
        for (Gene& g : m.gene) g.tally.assign(p.n_individuals, 3, 0);
    m.w.ready = true;
}

void update_genes(QtlModel& m)
{
    if (m.w.marginal) {
        sample_gtp_par_mv(m);
        if (RJSdebug) log_fpm_effects(m);
    }
    for (int s = 0; s < slot_count(m); ++s) {
        if (m.gene[static_cast<std::size_t>(s)].status != 1) continue;
        sample_allele_origin(m, s, true);
        sample_founder_genotypes(m, s);
        if (!m.w.marginal) sample_gtp_par(m, s);
        if (m.b.freq_upper - m.b.freq_lower > 0.2) sample_allele_frequencies(m, s);
    }
}

// Effect (co)variances of the FPM genes when no QTL model samples them.
void effect_variances(QtlModel& m)
{
    Par& p = m.p;
    if (p.indicQTL != 0) return;
    if (p.nfpm > p.n_traits + 2) {
        if (p.addFPM == 2) sample_var_po(m, kAddRow);
        if (p.domFPM == 2) sample_var_po(m, kDomRow);
    }
    if (p.nfpm == 0) return;
    if (p.addFPM == 5) {
        m.acc_pv[1] += effect_variance_move(m, kAddRow);
        ++m.acc_pv[0];
    }
    if (p.domFPM == 5) {
        m.acc_pv[3] += effect_variance_move(m, kDomRow);
        ++m.acc_pv[2];
    }
}

void jump(QtlModel& m, bool death)
{
    int* acc = m.acc_rj + (death ? 0 : 2);
    int r;
    if (death) r = m.w.marginal ? rjs_death(m) : rev_jump(m, 1);
    else r = m.w.marginal ? rjs_birth(m) : rev_jump(m, 0);
    ++acc[0];
    if (r > 0) acc[1] += r;
    // The marginal-likelihood moves write their own full log blocks.
    if (RJSdebug && !m.w.marginal) log_fpm_move(m, death ? "RJSdeathFPM.log" : "RJSbirthFPM.log", r, acc);
}

}  // namespace

void tally_fpm_genotypes(QtlModel& m)
{
    const int n = m.p.n_individuals;
    for (int s = 0; s < slot_count(m); ++s) {
        Gene& g = m.gene[static_cast<std::size_t>(s)];
        if (g.status != 1) continue;
        if (g.tally.rows() != n) g.tally.assign(n, 3, 0);
        for (int c = 0; c < n; ++c) {
            const int code = g.gtp[static_cast<std::size_t>(c)];
            ++g.tally[c][code == 0 ? 0 : code == 3 ? 2 : 1];
        }
    }
}

void sample_fpm(QtlModel& m, int mode)
{
    Par& p = m.p;
    if (mode == 0 || !m.w.ready) mode_zero(m);
    const double u = m.rng.uniform();
    if (u > 1.0 - m.w.p_death) jump(m, true);
    else if (u < m.w.p_birth) jump(m, false);
    else update_genes(m);
    p.nfpm = active_count(m);
    effect_variances(m);
    fpm_deletion_check(m);
    p.nfpm = active_count(m);
    qtl_covariance(m);
    if (p.indicFPM == kFixedCount) tally_fpm_genotypes(m);
}

void SampleFPM(int mode)
{
    FpmWork& fw = run_workspace().part<FpmWork>();
    QtlModel m{par,      obs,      phe,    mrk,     chr,           mrkrlcs, polygene,  fw.temp,   GPOarray0, GPOarray1,
               boundary, FinalProg, mrkrlcs2, mph, fw.dummy_acc_pos, acc_RJfpm, acc_PVqtl, twinv, fw.w,      rng()};
    make_fpm(m);
    sample_fpm(m, mode);
}

}  // namespace vsk
