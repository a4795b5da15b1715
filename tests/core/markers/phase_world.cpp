// Simulated pedigrees for the phase-chain tests.
#include "phase_world.h"

#include <algorithm>
#include <cmath>

#include "core/markers/phases_rows.h"

namespace phasetest {

using namespace vsk;

namespace {

void link_offspring(std::vector<Obs>& ind)
{
    const int n = static_cast<int>(ind.size());
    std::vector<int> last_first(n + 1, 0), last_second(n + 1, 0);
    for (int i = 0; i < n; ++i) {
        Obs& o = ind[i];
        if (o.fat <= 0) continue;
        int& lf = last_first[o.fat];
        (lf ? ind[lf - 1].pSb : ind[o.fat - 1].pfP) = i + 1;
        lf = i + 1;
        const int second = side_parent(o, 1);
        if (second <= 0) continue;
        int& ls = last_second[second];
        (ls ? ind[ls - 1].mSb : ind[second - 1].mfP) = i + 1;
        ls = i + 1;
    }
}

// One gamete of parent p along every group: the homologue taken per locus.
void gamete(World& w, int p, std::mt19937& g, std::vector<int>& take)
{
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (const Chr& c : w.groups) {
        int h = u(g) < 0.5 ? 1 : 0;
        for (int k = c.fMrkr; k <= c.lMrkr; ++k) {
            if (k > c.fMrkr && u(g) < haldane_between(w.loci[k].position, w.loci[k - 1].position)) h = 1 - h;
            take[k] = h;
        }
    }
    (void)p;
}

}  // namespace

void link_offspring_lists(std::vector<Obs>& ind) { link_offspring(ind); }

std::vector<Member> outbred_pedigree(int founders, int per_family, int grandchildren)
{
    std::vector<Member> ped(static_cast<std::size_t>(founders));
    std::vector<int> first_kids;
    for (int f = 1; f + 1 <= founders; f += 2)
        for (int c = 0; c < per_family; ++c) {
            ped.push_back({f, f + 1});
            if (c == 0 && first_kids.size() < 2) first_kids.push_back(static_cast<int>(ped.size()));
        }
    if (first_kids.size() == 2)
        for (int c = 0; c < grandchildren; ++c) ped.push_back({first_kids[0], first_kids[1]});
    return ped;
}

void build_world(World& w, const Design& d)
{
    std::mt19937 g(d.seed);
    const int n = static_cast<int>(d.pedigree.size());
    int m = 0;
    for (int c : d.group_markers) m += c;
    w.obs.assign(n, Obs{});
    for (int i = 0; i < n; ++i) {
        Obs& o = w.obs[i];
        o.name = "ind" + std::to_string(i + 1);
        o.fat = d.pedigree[i].fat;
        o.mot = d.pedigree[i].mot;
        o.mot_gen = o.mot > 0 ? o.mot : (o.fat > 0 && o.mot < 0 ? o.fat : 0);
    }
    link_offspring(w.obs);
    w.groups.clear();
    w.loci.assign(m, Mrkrlcs{});
    int k = 0;
    for (std::size_t c = 0; c < d.group_markers.size(); ++c) {
        Chr ch;
        ch.name = "LG" + std::to_string(c + 1);
        ch.indiC = 1;
        ch.fMrkr = k;
        for (int j = 0; j < d.group_markers[c]; ++j, ++k) {
            Mrkrlcs& l = w.loci[k];
            l.name = "M" + std::to_string(k + 1);
            l.chrom = static_cast<int>(c);
            l.position = 100.0 * static_cast<double>(c + 1) + j * d.spacing_cm / 100.0;
            l.freq.assign(d.n_alleles, 1.0 / d.n_alleles);
            l.nfreq.assign(d.n_alleles, 0);
        }
        ch.lMrkr = k - 1;
        w.groups.push_back(ch);
    }
    w.loci2.assign(m, Mrkrlcs2{});
    w.genes.assign(d.qtl_slots, Gene{});
    w.par = Par{};
    w.par.n_markers = m;
    w.par.n_individuals = n;
    w.par.markerblock = d.markerblock;
    w.par.maximQTL = d.qtl_slots;
    const int rows = m + d.qtl_slots;
    for (Table<double>& t : w.par.rfmat) t.assign(rows, rows, 0.0);
    w.par.lcs_rows.assign(rows, 2, -1);
    w.gpo0.assign(rows, n, static_cast<si_t>(kUnknown));
    w.gpo1.assign(rows, n, static_cast<si_t>(kUnknown));
    w.ph = MarkerPhases{};

    // Truth by transmission.
    for (Table<int>* t : {&w.true_pat, &w.true_mat, &w.true_si0, &w.true_si1}) t->assign(m, n, kUnknown);
    std::uniform_int_distribution<int> allele(1, d.n_alleles);
    std::vector<int> take(m), take2(m);
    for (int i = 1; i <= n; ++i) {
        const Obs& o = w.obs[i - 1];
        if (o.fat <= 0) {
            for (int l = 0; l < m; ++l) {
                w.true_pat[l][i - 1] = allele(g);
                w.true_mat[l][i - 1] = o.mot == kInbred ? w.true_pat[l][i - 1] : allele(g);
            }
            continue;
        }
        const int f = o.fat, s = side_parent(o, 1);
        gamete(w, f, g, take);
        if (o.mot == kDbhpld) take2 = take; else if (s > 0) gamete(w, s, g, take2);
        for (int l = 0; l < m; ++l) {
            w.true_pat[l][i - 1] = take[l] ? w.true_mat[l][f - 1] : w.true_pat[l][f - 1];
            w.true_si0[l][i - 1] = take[l];
            if (s > 0) {
                w.true_mat[l][i - 1] = take2[l] ? w.true_mat[l][s - 1] : w.true_pat[l][s - 1];
                w.true_si1[l][i - 1] = take2[l];
            } else {
                w.true_mat[l][i - 1] = allele(g);
            }
        }
    }
    // Unphased, partly unscored genotypes.
    PhaseModel pm = w.model();
    size_phase_tables(pm);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<int> a1(n), a2(n);
    for (int l = 0; l < m; ++l) {
        for (int c = 0; c < n; ++c) {
            const bool swap = u(g) < 0.5, lost = u(g) < d.missing;
            a1[c] = lost ? kMissingAllele : swap ? w.true_mat[l][c] : w.true_pat[l][c];
            a2[c] = lost ? kMissingAllele : swap ? w.true_pat[l][c] : w.true_mat[l][c];
        }
        load_locus_genotypes(pm, l, a1.data(), a2.data());
    }
    set_heterozygosity(pm);
    mark_untraceable(pm);
    build_marker_recombination(w.par, w.loci);
    w.par.n_lcs_rows = -1;
    refresh_rows(w.par, w.loci2, w.loci, w.genes, w.groups, w.ph, w.gpo0, w.gpo1);
}

}  // namespace phasetest
