// Segregation indicators of marker rows and the log-likelihood of their
// patterns.
#include "core/markers/si.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/state/console.h"

namespace vsk {

PhaseModel shared_phase_model()
{
    return PhaseModel{&par, &obs, &chr, &mrkrlcs, &mrkrlcs2, &mph, {&GPOarray0, &GPOarray1}};
}

int side_parent(const Obs& o, int side)
{
    if (o.fat <= 0) return 0;
    if (side == 0) return o.fat;
    if (o.mot > 0) return o.mot;
    return (o.mot == kSelfed || o.mot == kDbhpld) ? o.fat : 0;
}

bool side_weighed(const PhaseModel& m, int i, int side)
{
    const Obs& o = m.ind(i);
    if (side_parent(o, side) == 0) return false;
    if (side == 0 || o.mot > 0) return true;
    return !m.ph->weigh_second.empty() && m.ph->weigh_second[i - 1];
}

void set_second_side_weights(const PhaseModel& m)
{
    MarkerPhases& ph = *m.ph;
    ph.weigh_second.assign(static_cast<std::size_t>(m.n_ind()), 0);
    for (int i = 1; i <= m.n_ind(); ++i) {
        const Obs& o = m.ind(i);
        if (o.mot != kSelfed || o.fat <= 0) continue;
        for (int k = 0; k < m.n_loci() && !ph.weigh_second[i - 1]; ++k) ph.weigh_second[i - 1] = ph.heterozygous[k][i - 1];
    }
}

int selfing_matrix(const Obs& o) { return o.mot == kSelfed ? 1 : 0; }

int si_from_parent(int allele, int pp, int pm, bool* consistent)
{
    *consistent = true;
    if (allele == kMissingAllele || pp == kMissingAllele) return kUnknown;
    if (pp == pm) {
        *consistent = allele == pp;
        return kUnknown;
    }
    if (allele == pp) return 0;
    if (allele == pm) return 1;
    *consistent = false;
    return kUnknown;
}

int set_si(const PhaseModel& m, int k, int i, bool report)
{
    const MarkerPhases& ph = *m.ph;
    const int row = m.row(k);
    const Obs& o = m.ind(i);
    const int alleles[2] = {ph.pat_allele[k][i - 1], ph.mat_allele[k][i - 1]};
    int contradictions = 0;
    for (int side = 0; side < 2; ++side) {
        const int p = side_parent(o, side);
        int si = kUnknown;
        if (p > 0) {
            bool consistent = true;
            si = si_from_parent(alleles[side], ph.pat_allele[k][p - 1], ph.mat_allele[k][p - 1], &consistent);
            contradictions += !consistent;
        }
        m.si(side, row, i) = static_cast<si_t>(si);
    }
    if (contradictions > 0 && report) {
        const auto& ind = *m.obs;
        const int f = side_parent(o, 0), g = side_parent(o, 1);
        cprint("\nERROR setgpori(): %s %12s", (*m.loci)[k].name.c_str(), o.name.c_str());
        cprint(" %d %d", alleles[0], alleles[1]);
        cprint(" %12s(f)", f > 0 ? ind[f - 1].name.c_str() : "-");
        cprint(" %d %d", f > 0 ? ph.pat_allele[k][f - 1] : kMissingAllele, f > 0 ? ph.mat_allele[k][f - 1] : kMissingAllele);
        cprint(" %12s(m)", g > 0 ? ind[g - 1].name.c_str() : "-");
        cprint(" %d %d", g > 0 ? ph.pat_allele[k][g - 1] : kMissingAllele, g > 0 ? ph.mat_allele[k][g - 1] : kMissingAllele);
    }
    return contradictions;
}

int set_all_si(const PhaseModel& m, bool report)
{
    int contradictions = 0;
    for (int k = 0; k < m.n_loci(); ++k)
        for (int i = 1; i <= m.n_ind(); ++i) contradictions += set_si(m, k, i, report);
    return contradictions;
}

double side_loglik(const PhaseModel& m, int j, int side, int first_row, int last_row)
{
    const int selfing = selfing_matrix(m.ind(j));
    double ll = 0.0;
    int prev_row = -1, prev_si = kUnknown;
    for (int row = first_row; row <= last_row; ++row) {
        const int si = m.si(side, row, j);
        if (si == kUnknown) continue;
        if (prev_row >= 0) {
            const double r = std::max(1e-6, row_recombination(*m.par, prev_row, row, selfing));
            ll += si != prev_si ? std::log(r) : std::log(1.0 - r);
        }
        prev_row = row;
        prev_si = si;
    }
    return ll;
}

double founder_allele_logfreq(const Mrkrlcs& locus, int allele)
{
    const int code = allele - 1;
    const double f = code >= 0 && code < static_cast<int>(locus.freq.size()) ? locus.freq[code] : 0.0;
    return std::log(std::max(f, 1e-6));
}

bool founder_allele_side(const PhaseModel& m, int j, int side, int k)
{
    const int allele = side == 0 ? m.ph->pat_allele[k][j - 1] : m.ph->mat_allele[k][j - 1];
    if (allele == kMissingAllele) return false;
    const int p = side_parent(m.ind(j), side);
    return p == 0 || m.ph->pat_allele[k][p - 1] == kMissingAllele;
}

double phase_state_logprob(const PhaseModel& m)
{
    const MarkerPhases& ph = *m.ph;
    double lp = 0.0;
    for (int j = 1; j <= m.n_ind(); ++j) {
        const Obs& o = m.ind(j);
        for (int side = 0; side < 2; ++side) {
            for (int k = 0; k < m.n_loci(); ++k) {
                const int allele = side == 0 ? ph.pat_allele[k][j - 1] : ph.mat_allele[k][j - 1];
                const int p = side_parent(o, side);
                if (p > 0) {
                    bool consistent = true;
                    si_from_parent(allele, ph.pat_allele[k][p - 1], ph.mat_allele[k][p - 1], &consistent);
                    if (!consistent) return -std::numeric_limits<double>::infinity();
                }
                if (founder_allele_side(m, j, side, k)) lp += founder_allele_logfreq((*m.loci)[k], allele);
            }
            if (!side_weighed(m, j, side)) continue;
            for (const Chr& g : *m.groups) {
                if (!g.indiC || g.fMrkr < 0) continue;
                lp += side_loglik(m, j, side, m.row(g.fMrkr), m.row(g.lMrkr));
            }
        }
    }
    return lp;
}

}  // namespace vsk
