// SampleQTL: mode 0 prepares the QTL model before the chain (working
// storage, the effect path, the random initial model); modes 1 and 2 run one
// sweep: a birth, a death, or an update sweep of every QTL.
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/ibd/ibd.h"
#include "core/qtl/joint_block.h"
#include "core/qtl/qtl.h"
#include "core/state/console.h"
#include "core/state/run_workspace.h"
#include "core/voskara.h"

namespace vsk {

namespace {

constexpr int kMarginalBound = 3;   // settings 1..3 use the prior-draw moves
constexpr double kInitScale = 0.1;
constexpr int kUpdateSlot = -1;

bool prior_draw_setting(int s) { return s >= 1 && s <= kMarginalBound; }

double genome_length(const QtlModel& m)
{
    double g = 0.0;
    for (const Chr& c : m.chr)
        if (c.indiC == 1 && c.fMrkr >= 0) g += c.UppLim - c.LowLim;
    return g;
}

void trim_initial_count(QtlModel& m)
{
    Par& p = m.p;
    const double G = genome_length(m);
    if (p.distanceQTLs <= 0.0 || p.nqtl <= G / p.distanceQTLs) return;
    p.nqtl = static_cast<int>(G * 0.5 / p.distanceQTLs);
    cprint("\n\nWARNING: function RandomInitQTL()");
    cprint("\nInitial number of QTL in model decreased");
    cprint(" due to insufficient space at linkage map");
    cprint("\nGenome length %.3lf Morgan", G);
    cprint("\nMin.distance  %.3lf Morgan", p.distanceQTLs);
    cprint("\nInitial number of QTL %d", p.nqtl);
}

void prepare_work(QtlModel& m)
{
    QtlWork& w = m.w;
    init_qtl_slots(m);
    compute_het_flags(m);
    build_descendants(m);
    build_final_offspring_groups(m);
    w.mono.assign(static_cast<std::size_t>(std::max(0, m.p.maximQTL)), 0);
    const int T = std::max(1, m.p.n_traits);
    w.prior_chol.assign(T, T, 0.0);
    w.wishart_scale.assign(T, T, 0.0);
    w.wishart_draw.assign(T, T, 0.0);
    w.prior_z.assign(static_cast<std::size_t>(T), 0.0);
    w.gibbs_c.assign(T, T, 0.0);
    w.gibbs_sxr.assign(static_cast<std::size_t>(T), 0.0);
    w.gibbs_mean.assign(static_cast<std::size_t>(T), 0.0);
    w.ll.assign(m.p.n_individuals, kGenotypes, 0.0);
    w.qtl_row_logs.assign(m.p.n_markers + std::max(0, m.p.maximQTL), 4, 0.0);
    reserve_marginal_work(m);
    w.ready = true;
}

void mode_zero(QtlModel& m, double position)
{
    Par& p = m.p;
    m.w.p_birth = m.w.p_death = p.indicQTL == 2 ? 0.0 : 0.4;
    m.w.marginal = !(prior_draw_setting(p.addGENE) || prior_draw_setting(p.domGENE));
    prepare_work(m);
    set_joint_qtl_block_sampler(&sample_joint_block_shared);
    for (int s = 0; s < p.maximQTL; ++s) free_slot(m, s);
    start_locus_order(m);
    if (p.indicQTL == 2) start_ibd_position(m, position);
    if (p.indicQTL != 1) return;
    if (p.nqtl > 0) {
        random_init_qtl(m);
        if (m.w.marginal) sample_gtp_par_mv(m);
    }
    rebuild_locus_order(m);
}

void update_sweep(QtlModel& m)
{
    Par& p = m.p;
    prune_monomorphic(m);
    const bool plink = plink_active(m);
    for (int s = 0; s < p.maximQTL; ++s) {
        if (!plink)
            move_loc_gtp(m, s);
        else if (p.PLinkSoft >= 0.0)
            move_plink(m, s);
        else
            move_loc_gtp_f(m, s);
    }
    for (int s = 0; s < p.maximQTL; ++s) {
        if (m.gene[static_cast<std::size_t>(s)].status != 1) continue;
        if (plink) {
            sample_cluster_states(m, s);
            sample_allele_origin(m, s, true);
        } else {
            sample_slot_genotypes(m, s);
            move_loc(m, s);
        }
        if (!m.w.marginal) sample_gtp_par(m, s);
        if (m.b.freq_upper - m.b.freq_lower > 0.2)
            plink ? sample_cluster_frequencies(m, s) : sample_allele_frequencies(m, s);
    }
    for (int s = 0; s < p.maximQTL; ++s)
        if (m.gene[static_cast<std::size_t>(s)].status == 1)
            m.w.marginal ? long_range_update(m, s, 1) : short_range_prior_draw(m, s);
    if (m.w.marginal && p.n_phenotyped > 0 && p.nqtl > 0) long_range_update(m, kUpdateSlot, 0);
    const int genes = p.nqtl + p.nfpm;
    if (genes > p.n_traits + 2) {
        if (p.addGENE == 2) sample_var_po(m, kAddRow);
        if (p.domGENE == 2) sample_var_po(m, kDomRow);
    }
    if (genes != 0) {
        if (p.addGENE == 5) {
            m.acc_pv[1] += effect_variance_move(m, kAddRow);
            ++m.acc_pv[0];
        }
        if (p.domGENE == 5) {
            m.acc_pv[3] += effect_variance_move(m, kDomRow);
            ++m.acc_pv[2];
        }
    }
}

}  // namespace

void random_init_qtl(QtlModel& m)
{
    Par& p = m.p;
    trim_initial_count(m);
    p.nqtl = std::min(p.nqtl, p.maximQTL);
    for (int s = 0; s < p.nqtl; ++s) {
        Gene& g = m.gene[static_cast<std::size_t>(s)];
        g.status = 1;
        for (int r = 0; r < kGenotypes; ++r)
            for (int t = 0; t < p.n_traits; ++t) g.eff[r][t] = 0.0;
        draw_prior_effects(m, g, kInitScale, "RandomInitQTL");
        new_qtl_proposal(m, s, 0);
        apply_slot_values(m, g, +1);
    }
}

void sample_qtl(QtlModel& m, int mode, double position)
{
    Par& p = m.p;
    if (mode == 0 || !m.w.ready) {
        mode_zero(m, position);
        return;
    }
    if (p.indicQTL == 2) {
        ibd_sweep(m, mode);
        return;
    }
    if (p.indicQTL != 1) return;
    const double u = m.rng.uniform();
    if (u > 1.0 - m.w.p_death) {
        const int r = m.w.marginal ? rjs_death(m) : rev_jump(m, 1);
        ++m.acc_rj[0];
        if (r > 0) m.acc_rj[1] += r;
    } else if (u < m.w.p_birth) {
        const int r = m.w.marginal ? rjs_birth(m) : rev_jump(m, 0);
        ++m.acc_rj[2];
        if (r > 0) m.acc_rj[3] += r;
    } else {
        update_sweep(m);
    }
    p.nqtl = active_count(m);
    qtl_covariance(m);
}

namespace {

// The run's QTL working storage and the model over the process-wide records;
// kept in the run workspace so a second analysis in the process starts afresh.
struct QtlRunState {
    QtlWork work;
    std::optional<QtlModel> model;
};

}  // namespace

QtlModel& global_qtl_model()
{
    QtlRunState& st = run_workspace().part<QtlRunState>();
    if (!st.model)
        st.model.emplace(QtlModel{par,       obs,      phe,      mrk,     chr,       mrkrlcs,   gene,
                                  tempgene,  GPOarray0, GPOarray1, boundary, FinalProg, mrkrlcs2, mph,
                                  acc_pos,   acc_RJqtl, acc_PVqtl, twinv,    st.work,   rng()});
    st.model->fibd = &FIBD;
    return *st.model;
}

void SampleQTL(int mode, double position)
{
    if (mode == 0) register_phase_sources();
    sample_qtl(global_qtl_model(), mode, position);
}

void WriteInitialQTLValues() { write_initial_qtl_values(global_qtl_model()); }

}  // namespace vsk
