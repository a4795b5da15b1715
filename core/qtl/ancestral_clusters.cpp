// Founder alleles grouped into ancestral clusters at the IBD positions of the
// founder relationship file: which IBD position describes a QTL, the prior
// of the cluster allele states, drawing them and setting the founder allele
// states from them, their Gibbs step and the cluster-based allele
// frequencies. Model: every cluster carries one allele state, drawn from the
// frequencies of the base family of its first founder, conditioned on both
// states occurring when two or more clusters have members (docs/qtl.md).
#include <algorithm>
#include <cmath>

#include "core/numeric/variates.h"
#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr double kAtPosition = 1e-5;   // Morgan: an IBD position this close is the QTL's
constexpr int kMaxBetaDraws = 10;
constexpr double kFreqFloor = 0.025;
constexpr double kFreqCeiling = 0.975;

double ibd_coordinate(const FibdPosition& f) { return 100.0 * (f.chrom + 1) + 0.01 * f.position; }

int cluster_family(const QtlModel& m, const LabelClusters& lc, int k)
{
    return base_family(m, lc.first[static_cast<std::size_t>(k)] / 2);
}

bool polymorphic(const QtlModel& m, const Gene& g, const LabelClusters& lc)
{
    bool seen[2] = {false, false};
    for (int k = 0; k < lc.n; ++k) seen[g.alstate[static_cast<std::size_t>(lc.first[static_cast<std::size_t>(k)])] != 0] = true;
    return (seen[0] && seen[1]) || lc.n < 2 || m.p.n_founders == 0;
}

}  // namespace

bool plink_active(const QtlModel& m)
{
    return m.p.indicQTL == 1 && m.p.npos > 0 && m.fibd != nullptr && !m.fibd->empty();
}

void label_clusters(const QtlModel& m, int ibdpos, LabelClusters& lc)
{
    const FibdPosition& pos = (*m.fibd)[static_cast<std::size_t>(ibdpos - 1)];
    const int labels = 2 * m.p.n_founders;
    lc.of_label.assign(static_cast<std::size_t>(labels), -1);
    lc.index.assign(static_cast<std::size_t>(std::max(0, pos.n_clusters) + 1), -1);
    lc.first.clear();
    lc.n = 0;
    for (int l = 0; l < labels; ++l) {
        const int c = static_cast<std::size_t>(l) < pos.cluster.size() ? pos.cluster[static_cast<std::size_t>(l)] : 0;
        // An allele of unknown cluster stands alone.
        if (c < 1 || c > pos.n_clusters) {
            lc.of_label[static_cast<std::size_t>(l)] = lc.n++;
            lc.first.push_back(l);
            continue;
        }
        int& k = lc.index[static_cast<std::size_t>(c)];
        if (k < 0) {
            k = lc.n++;
            lc.first.push_back(l);
        }
        lc.of_label[static_cast<std::size_t>(l)] = k;
    }
}

double ibd_pick_left(double dl, double dr)
{
    if (dl < kAtPosition && dr < kAtPosition) return 0.5;
    if (dl < kAtPosition) return 1.0;
    if (dr < kAtPosition) return 0.0;
    return dr / (dl + dr);  // the nearer IBD position is the likelier
}

int ibd_position_of(QtlModel& m, const Gene& g)
{
    const std::vector<FibdPosition>& f = *m.fibd;
    int left = -1, right = -1;
    double cl = -1e300, cr = 1e300;
    for (int k = 0; k < static_cast<int>(f.size()); ++k) {
        if (f[static_cast<std::size_t>(k)].chrom != g.chrom) continue;
        const double x = ibd_coordinate(f[static_cast<std::size_t>(k)]);
        if (x <= g.pos && x > cl) cl = x, left = k;
        if (x >= g.pos && x < cr) cr = x, right = k;
    }
    if (left < 0 || right < 0) return -1;
    const double p_left = ibd_pick_left(g.pos - cl, cr - g.pos);
    const int pick = p_left >= 1.0 ? left : p_left <= 0.0 ? right : (m.rng.uniform() < p_left ? left : right);
    // No diversity: a single ancestral cluster cannot carry a segregating QTL.
    LabelClusters& lc = m.w.clusters_new;
    label_clusters(m, pick + 1, lc);
    if (lc.n < 2) return -2;
    return pick + 1;
}

double log_cluster_prior(const QtlModel& m, const Gene& g, const LabelClusters& lc)
{
    if (!polymorphic(m, g, lc)) return -1e300;
    double sum = 0.0, all0 = 0.0, all1 = 0.0;
    for (int k = 0; k < lc.n; ++k) {
        const int f = cluster_family(m, lc, k);
        const int s = g.alstate[static_cast<std::size_t>(lc.first[static_cast<std::size_t>(k)])];
        sum += std::log(g.freq[f][s]);
        all0 += std::log(g.freq[f][0]);
        all1 += std::log(g.freq[f][1]);
    }
    if (lc.n >= 2) sum -= std::log1p(-(std::exp(all0) + std::exp(all1)));
    return sum;
}

void states_from_clusters(QtlModel& m, Gene& g, const LabelClusters& lc)
{
    for (int l = 0; l < 2 * m.p.n_founders; ++l)
        g.alstate[static_cast<std::size_t>(l)] =
            g.alstate[static_cast<std::size_t>(lc.first[static_cast<std::size_t>(lc.of_label[static_cast<std::size_t>(l)])])];
    derive_all_genotypes(m, g);
}

void draw_cluster_states(QtlModel& m, Gene& g, const LabelClusters& lc)
{
    do {
        for (int k = 0; k < lc.n; ++k)
            g.alstate[static_cast<std::size_t>(lc.first[static_cast<std::size_t>(k)])] =
                static_cast<int>(inbred_founder_state(m.rng, g.freq, cluster_family(m, lc, k)));
    } while (!polymorphic(m, g, lc));
    states_from_clusters(m, g, lc);
}

// Gibbs step of every cluster's state given everything else: the prior
// (conditioned on both states occurring) and the phenotypes of all
// individuals whose genotype the cluster reaches.
void sample_cluster_states(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    if (g.ibdpos < 1) return;
    LabelClusters& lc = m.w.clusters_old;
    label_clusters(m, g.ibdpos, lc);
    apply_slot_values(m, g, -1);
    build_ll(m, g);
    double lw[2];
    for (int k = 0; k < lc.n; ++k) {
        const int first = lc.first[static_cast<std::size_t>(k)];
        for (int x = 0; x < 2; ++x) {
            g.alstate[static_cast<std::size_t>(first)] = x;
            states_from_clusters(m, g, lc);
            lw[x] = log_cluster_prior(m, g, lc) + phenotype_terms(m, g);
        }
        const int x = sample_discrete_log(lw, 2, m.rng.uniform());
        g.alstate[static_cast<std::size_t>(first)] = x;
        states_from_clusters(m, g, lc);
    }
    if (has_final_offspring(m)) sample_final_offspring_origin(m, s, true);
    apply_slot_values(m, g, +1);
}

// Allele frequencies from the cluster states: each cluster counts once, for
// the base family of its first founder.
void sample_cluster_frequencies(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    if (g.ibdpos < 1) return;
    LabelClusters& lc = m.w.clusters_old;
    label_clusters(m, g.ibdpos, lc);
    const double lo = m.b.freq_lower, hi = m.b.freq_upper;
    for (int f = 0; f < g.freq.rows(); ++f) {
        int c[2] = {0, 0};
        for (int k = 0; k < lc.n; ++k)
            if (cluster_family(m, lc, k) == f) ++c[g.alstate[static_cast<std::size_t>(lc.first[static_cast<std::size_t>(k)])] != 0];
        double p = 0.5;
        for (int tries = 0; tries < kMaxBetaDraws; ++tries) {
            p = beta(m.rng, static_cast<float>(c[0] + 1), static_cast<float>(c[1] + 1));
            if (p > lo && p < hi) break;
        }
        if (p <= lo) p = std::max(kFreqFloor, lo);
        if (p >= hi) p = std::min(kFreqCeiling, hi);
        g.freq[f][0] = p;
        g.freq[f][1] = 1.0 - p;
    }
}

// A position (prior draw, mode 0, or random walk, mode 1) that has an IBD
// position, then cluster states drawn from their prior.
void propose_plink_position(QtlModel& m, int s, int mode)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    const double x = g.pos;
    const int chrom = g.chrom, interval = g.interval;
    for (int tries = 0; tries < kMaxIbdRedraws; ++tries) {
        g.pos = x;
        g.chrom = chrom;
        g.interval = interval;
        propose_position(m, s, mode);
        g.ibdpos = ibd_position_of(m, g);
        if (g.ibdpos > 0) {
            label_clusters(m, g.ibdpos, m.w.clusters_new);
            draw_cluster_states(m, g, m.w.clusters_new);
            return;
        }
    }
    cprint("\nERROR: NO-diversity or NO-information at flanking markers");
    cprint("\n no QTL position found with two or more ancestral clusters in %d draws", kMaxIbdRedraws);
    abort_voskara();
}

}  // namespace vsk
