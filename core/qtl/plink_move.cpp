// Position moves of a QTL whose founder alleles are tied by ancestral
// clusters: "P-Link" moves the QTL, takes the clusters of its new IBD
// position and proposes their allele states (softened by PLinkSoft), keeping
// the allele origins; "LocGtpF" draws the cluster states from their prior
// and the origins from the markers at the new position.
#include <algorithm>
#include <cmath>

#include "core/qtl/qtl.h"

namespace vsk {

namespace {

constexpr int kLocGtpFCounters = 8;
constexpr int kPLinkCounters = 20;
constexpr double kNoProbability = -1000.0;  // log of a proposal probability that is not positive

// Probability that a cluster's proposed state is drawn from its family's
// frequencies; otherwise it keeps the state its first founder allele carries
// now. PLinkSoft 0 draws every state afresh; larger values carry more over.
double fresh_share(double soft) { return 1.0 / (1.0 + std::max(0.0, soft)); }

double state_option(const Gene& g, int family, int carried, int x, double fresh)
{
    return fresh * g.freq[family][x] + (1.0 - fresh) * (x == carried ? 1.0 : 0.0);
}

bool both_states(const LabelClusters& lc, const std::vector<int>& states)
{
    bool seen[2] = {false, false};
    for (int k = 0; k < lc.n; ++k) seen[states[static_cast<std::size_t>(lc.first[static_cast<std::size_t>(k)])] != 0] = true;
    return lc.n < 2 || (seen[0] && seen[1]);
}

// log q(states | carried): the per-cluster mixture above, conditioned on
// both states occurring when two or more clusters have members.
double log_state_proposal(const QtlModel& m, const Gene& g, const LabelClusters& lc, const std::vector<int>& states,
                          const std::vector<int>& carried, double fresh)
{
    if (!both_states(lc, states)) return kNoProbability;
    double sum = 0.0, all0 = 0.0, all1 = 0.0;
    for (int k = 0; k < lc.n; ++k) {
        const int first = lc.first[static_cast<std::size_t>(k)];
        const int f = base_family(m, first / 2);
        const int c = carried[static_cast<std::size_t>(first)];
        const double q = state_option(g, f, c, states[static_cast<std::size_t>(first)], fresh);
        if (q <= 0.0) return kNoProbability;
        sum += std::log(q);
        all0 += std::log(std::max(1e-300, state_option(g, f, c, 0, fresh)));
        all1 += std::log(std::max(1e-300, state_option(g, f, c, 1, fresh)));
    }
    if (lc.n >= 2) {
        const double poly = 1.0 - std::exp(all0) - std::exp(all1);
        if (poly <= 0.0) return kNoProbability;
        sum -= std::log(poly);
    }
    return sum;
}

void draw_state_proposal(QtlModel& m, Gene& g, const LabelClusters& lc, const std::vector<int>& carried, double fresh)
{
    do {
        for (int k = 0; k < lc.n; ++k) {
            const int first = lc.first[static_cast<std::size_t>(k)];
            const int c = carried[static_cast<std::size_t>(first)];
            const bool draw = m.rng.uniform() < fresh;
            g.alstate[static_cast<std::size_t>(first)] =
                draw ? static_cast<int>(inbred_founder_state(m.rng, g.freq, base_family(m, first / 2))) : c;
        }
    } while (!both_states(lc, g.alstate));
    states_from_clusters(m, g, lc);
}

}  // namespace

int move_plink(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    if (g.status != 1 || g.ibdpos < 1) return kNotAttempted;
    const double fresh = fresh_share(m.p.PLinkSoft);
    apply_slot_values(m, g, -1);
    build_ll(m, g);
    save_slot(m, s);
    const Gene& old = m.temp[static_cast<std::size_t>(s)];
    LabelClusters& lc_old = m.w.clusters_old;
    LabelClusters& lc_new = m.w.clusters_new;
    label_clusters(m, g.ibdpos, lc_old);
    const int old_interval = g.interval;
    const double l_old_fixed = log_interval_weight(m, g) + log_cluster_prior(m, g, lc_old) + phenotype_terms(m, g);
    propose_position(m, s, 1);
    const int lo = std::min(old_interval, g.interval) - 1, hi = std::max(old_interval, g.interval);
    // Old transmission terms first: the slot still sits at its old row.
    const double l_old = l_old_fixed + transmission_terms(m, g, lo, hi);
    g.ibdpos = ibd_position_of(m, g);
    bool accept = false;
    if (g.ibdpos > 0) {
        recompute_rf(m, s);
        rebuild_locus_order(m);
        label_clusters(m, g.ibdpos, lc_new);
        draw_state_proposal(m, g, lc_new, old.alstate, fresh);
        const double forward = log_state_proposal(m, g, lc_new, g.alstate, old.alstate, fresh);
        const double reverse = log_state_proposal(m, g, lc_old, old.alstate, g.alstate, fresh);
        const double l_new = log_interval_weight(m, g) + log_cluster_prior(m, g, lc_new) + phenotype_terms(m, g) +
                             transmission_terms(m, g, lo, hi);
        accept = mh_accept(m.rng, (l_new + reverse) - (l_old + forward));
    }
    const bool other = g.interval != old_interval;
    if (!accept) restore_slot(m, s);
    apply_slot_values(m, g, +1);
    count_position_move(m.acc_pos + kPLinkCounters, accept, other);
    sample_allele_origin(m, s, true);
    return accept ? kAccepted : kRejected;
}

int move_loc_gtp_f(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    if (g.status != 1 || g.ibdpos < 1) return kNotAttempted;
    apply_slot_values(m, g, -1);
    build_ll(m, g);
    save_slot(m, s);
    const int old_interval = g.interval;
    const double l_old = log_interval_weight(m, g) + phenotype_terms(m, g);
    propose_position(m, s, 1);
    g.ibdpos = ibd_position_of(m, g);
    bool accept = false;
    if (g.ibdpos > 0) {
        recompute_rf(m, s);
        rebuild_locus_order(m);
        label_clusters(m, g.ibdpos, m.w.clusters_new);
        draw_cluster_states(m, g, m.w.clusters_new);
        sample_allele_origin(m, s, false);
        const double l_new = log_interval_weight(m, g) + phenotype_terms(m, g);
        accept = mh_accept(m.rng, l_new - l_old);
    }
    const bool other = g.interval != old_interval;
    if (!accept) restore_slot(m, s);
    apply_slot_values(m, g, +1);
    count_position_move(m.acc_pos + kLocGtpFCounters, accept, other);
    return accept ? kAccepted : kRejected;
}

}  // namespace vsk
