// Which individuals the IBD matrices show, and the counters sized for them:
// pairs nobody will write are never counted.
#include "core/ibd/ibd.h"
#include "core/state/run_workspace.h"

namespace vsk {

namespace {

bool selfing_code(int mot) { return mot == kSelfed || mot == kDbhpld; }

}  // namespace

IbdCounts& ibd_counts() { return run_workspace().part<IbdCounts>(); }

bool selfed_first_progeny(const std::vector<Obs>& o, const Obs& ind)
{
    for (int first : {ind.pfP, ind.mfP})
        if (first > 0 && selfing_code(o[static_cast<std::size_t>(first - 1)].mot)) return true;
    return false;
}

bool dominance_eligible(const std::vector<Obs>& o, const Obs& ind)
{
    return !selfing_code(ind.mot) && ind.mot != kInbred && !selfed_first_progeny(o, ind);
}

void prepare_counts(const Par& p, const std::vector<Obs>& o, IbdCounts& c, const std::vector<int>& exported)
{
    const int n = p.n_individuals;
    c.exported = exported;
    c.gam.clear();
    c.dom.clear();
    if (!exported.empty()) {
        c.gam = exported;  // only "genomeFIBD.flx" shows pairs
    } else {
        for (int i = 1; i <= n; ++i) {
            const Obs& ind = o[static_cast<std::size_t>(i - 1)];
            if (!selfed_first_progeny(o, ind)) c.gam.push_back(i);
            if (dominance_eligible(o, ind)) c.dom.push_back(i);
        }
    }
    const int g = static_cast<int>(c.gam.size()), d = static_cast<int>(c.dom.size());
    c.fa.assign(2 * n, 2 * p.n_founders, 0);
    c.ibd.assign(2 * g, 2 * g, 0);
    c.dom_c.assign(d, d, 0);
    c.domi_c.assign(d, d, 0);
    c.sweeps = 0;
}

}  // namespace vsk
