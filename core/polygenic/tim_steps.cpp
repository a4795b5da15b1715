// The infinitesimal model's step: set-up of the pedigree recursion with the
// inbreeding coefficients (mode 0), then one sweep over the effects followed
// by the polygenic covariance (modes 0 and 1), and, for one trait in a
// pedigree of inbred lines with TIMnumrm 3, the dominance effects and their
// variance.
#include "core/ibd/ibd.h"
#include "core/polygenic/tim.h"
#include "core/polygenic/tim_dominance.h"
#include "core/state/console.h"
#include "core/state/run_workspace.h"
#include "core/voskara.h"

namespace vsk {

namespace {

constexpr int kIbdAnalysis = 2;   // indicQTL of the IBD analysis: no sampling

void size_work(TimWork& w, int t)
{
    for (Table<double>* m : {&w.Rinv, &w.Ginv, &w.C}) m->assign(t, t);
    for (auto* v : {&w.rhs, &w.w, &w.z, &w.e}) v->assign(static_cast<std::size_t>(t), 0.0);
}

// The dominance relationships are drawn here, at set-up, and only in runs
// that model dominance, so no other run's random stream changes.
void set_up_dominance(const Par& p, Rng& r, TimState& s)
{
    s.dom = TimDominance{};
    if (!tim_dominance_applies(p, s.ped)) return;
    build_tim_dominance(s.ped, r, s.dom, REDprint != 0);
    if (!REDprint) cprint("\nstart GCSdom %d", static_cast<int>(s.dom.carriers.size()));
}

void set_up(const Par& p, const std::vector<Obs>& o, Rng& r, TimState& s)
{
    // Inbred lines need their inbreeding in the relationships; an outbred
    // pedigree uses it when the coefficients are asked for.
    const bool inbred = p.inbred_pop != 0;
    build_tim_pedigree(o, TIMnumrm >= 1 || inbred, s.ped);
    // Inbred lines related through the founder-relationship file.
    if (inbred && p.nind > 0 && !FIBDNRMi.empty()) relate_founders(s.ped, p.founders, FIBDNRM, FIBDNRMi);
    if (inbred && s.ped.raised > 0) {
        cprint("\nFailure of Cholesky DC in 'CalcNRMaIL()'");
        cprint("\nNow use modified Cholesky (=increase diagonals)");
    }
    if (TIMnumrm >= 1) write_inbreeding_file(o, s.ped, "inbrcoef.out");
    if (inbred && p.writeNRM != 0) write_relationship_files(s.ped, p.writeNRM);
    set_up_dominance(p, r, s);
    size_work(s.work, p.n_traits);
    s.ready = true;
}

void sweep(Par& p, const std::vector<Obs>& o, Phe& ph, Rng& r, TimState& s)
{
    const int t = p.n_traits;
    TimWork& w = s.work;
    mat_copy(p.res_prec, w.Rinv, t, t);
    mat_copy(p.tim_cov, w.Ginv, t, t);
    if (invert(w.Ginv, t, w.lin) != 0) {
        cprint("\nWarning: singular TIM variance, cycle %d", p.cur_sweep + 1);
        return;
    }
    sample_tim_effects(p, s.ped, o, ph, r, w, p.inbred_pop ? "SampleEffInbredTIM()" : "SampleEffOutbredTIM()");
    sample_tim_variance(p, s.ped, ph, r);
    if (s.dom.active) {
        sample_tim_dominance(p, s.dom, ph, r);
        sample_tim_dominance_variance(p, s.dom, ph, r);
    }
}

}  // namespace

// Run-scoped: the teardown releases it (the dense dominance precision of a
// few thousand individuals is large).
TimState& tim_state() { return run_workspace().part<TimState>(); }

void sample_tim(Par& p, const std::vector<Obs>& o, Phe& ph, Rng& r, TimState& s, int mode)
{
    if (p.n_traits < 1) return;
    if (mode == 0 || !s.ready || s.ped.n != static_cast<int>(o.size())) set_up(p, o, r, s);
    // The IBD analysis only needs the relationships: at set-up it writes the
    // founder representation and samples nothing.
    if (p.indicQTL == kIbdAnalysis) {
        if (mode == 0) write_founder_representation(p, o);
        return;
    }
    sweep(p, o, ph, r, s);
}

void SampleTIM(int mode) { sample_tim(par, obs, phe, rng(), tim_state(), mode); }

}  // namespace vsk
