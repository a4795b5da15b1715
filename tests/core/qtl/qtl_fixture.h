// Small QTL projects built in memory: a map of two linkage groups with
// unequal interval weights, a pedigree, one trait, and the QtlModel over
// them. Tests set segregation indicators and phenotypes by hand.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "core/qtl/qtl.h"

namespace qtl_test {

struct Project {
    vsk::Par p;
    std::vector<vsk::Obs> o;
    vsk::Phe phe;
    vsk::Mrk mk;
    std::vector<vsk::Chr> chr;
    std::vector<vsk::Mrkrlcs> mrk;
    std::vector<vsk::Gene> gene, temp;
    vsk::SiTable gpo0, gpo1;
    std::vector<vsk::Mrkrlcs2> mrk2;
    vsk::MarkerPhases mph;
    vsk::Boundary b;
    std::vector<vsk::FinalProgRec> fp;
    int acc_pos[24] = {};
    int acc_rj[4] = {};
    int acc_pv[4] = {};
    double twinv[14] = {0.3, 0.3, 0.2, 0.1, 0.1, 0.0, 0.0, 0.02, 0.03, 0.05, 0.1, 0.2, 0.0, 0.0};
    vsk::QtlWork w;
    vsk::Rng rng;
    std::unique_ptr<vsk::QtlModel> m;

    vsk::QtlModel& model() { return *m; }
};

// Marker positions in Morgan per group and the prior weight of each
// interval (per marker, the interval to its right; the last is unused).
struct MapLayout {
    std::vector<std::vector<double>> positions = {{0.0, 0.2, 0.5, 0.6}, {0.0, 0.4, 0.8}};
    std::vector<std::vector<double>> weights = {{1.0, 3.0, 0.5, 0.0}, {1.0, 2.0, 0.0}};
};

inline void build_map(Project& pr, const MapLayout& layout)
{
    double total = 0.0;
    int k = 0;
    for (std::size_t c = 0; c < layout.positions.size(); ++c) {
        vsk::Chr ch;
        ch.indiC = 1;
        ch.fMrkr = k;
        for (std::size_t j = 0; j < layout.positions[c].size(); ++j, ++k) {
            vsk::Mrkrlcs mk;
            mk.position = 100.0 * static_cast<double>(c + 1) + layout.positions[c][j];
            mk.chrom = static_cast<int>(c);
            mk.prior_weight = layout.weights[c][j];
            pr.mrk.push_back(mk);
        }
        ch.lMrkr = k - 1;
        ch.LowLim = pr.mrk[static_cast<std::size_t>(ch.fMrkr)].position;
        ch.UppLim = pr.mrk[static_cast<std::size_t>(ch.lMrkr)].position;
        pr.chr.push_back(ch);
    }
    for (std::size_t j = 0; j + 1 < pr.mrk.size(); ++j)
        if (pr.mrk[j].chrom == pr.mrk[j + 1].chrom) total += pr.mrk[j].prior_weight * (pr.mrk[j + 1].position - pr.mrk[j].position);
    for (vsk::Mrkrlcs& mk : pr.mrk) mk.prior_weight /= total;
    for (vsk::Chr& ch : pr.chr)
        for (int j = ch.fMrkr; j < ch.lMrkr; ++j)
            ch.prior_mass += pr.mrk[static_cast<std::size_t>(j)].prior_weight *
                             (pr.mrk[static_cast<std::size_t>(j + 1)].position - pr.mrk[static_cast<std::size_t>(j)].position);
}

// Founders 1..F, then offspring of consecutive founder pairs (or of the
// given parents). Every individual unphenotyped (flag 9).
inline void build_pedigree(Project& pr, int founders, const std::vector<std::pair<int, int>>& parents)
{
    const int n = founders + static_cast<int>(parents.size());
    pr.o.assign(static_cast<std::size_t>(n), vsk::Obs{});
    for (int i = 1; i <= n; ++i) {
        vsk::Obs& ind = pr.o[static_cast<std::size_t>(i - 1)];
        ind.cohort = 1;
        if (i > founders) {
            ind.fat = parents[static_cast<std::size_t>(i - founders - 1)].first;
            ind.mot = parents[static_cast<std::size_t>(i - founders - 1)].second;
            ind.mot_gen = ind.mot > 0 ? ind.mot : ind.fat;
        }
    }
    pr.phe.assign(n, 1);
    for (int c = 0; c < n; ++c) pr.phe.phenotype[c][0] = vsk::kUnknown;
    pr.p.n_individuals = n;
    pr.p.n_founders = founders;
    pr.p.founders.clear();
    for (int i = 1; i <= founders; ++i) pr.p.founders.push_back(i);
}

// A complete one-trait project with marginal-likelihood effects (addGENE 5)
// and every segregation indicator unknown.
inline std::unique_ptr<Project> make_project(int founders, const std::vector<std::pair<int, int>>& parents,
                                             const MapLayout& layout = MapLayout{}, int maximQTL = 4)
{
    auto pr = std::make_unique<Project>();
    build_map(*pr, layout);
    build_pedigree(*pr, founders, parents);
    vsk::Par& p = pr->p;
    p.indicQTL = 1;
    p.n_traits = 1;
    p.maximQTL = maximQTL;
    p.priorQTL = 1.5;
    p.addGENE = 5;
    p.domGENE = 0;
    p.addFPM = p.domFPM = 0;
    p.n_markers = static_cast<int>(pr->mrk.size());
    p.n_founder_cohorts = 1;
    p.max_gen_coeff = 0.0;  // no pruning unless a test asks for it
    p.n_phenotyped = 0;
    p.res_prec.assign(1, 1, 1.0);
    p.res_cov.assign(1, 1, 1.0);
    p.res_logdet = 0.0;
    p.pheno_var = {1.0};
    p.mean_prior_mean = {0.0};
    p.mean_prior_var = {1.0};
    p.varPOA.assign(1, 1, 0.3);
    p.varPOD.assign(1, 1, 0.3);
    p.nuis_effects.assign(1, 1, 0.0);
    p.qtl_cov.assign(1, 1, 0.0);
    const int rows = p.n_markers + maximQTL;
    for (vsk::Table<double>& t : p.rfmat) t.assign(rows, rows, 0.0);
    p.lcs_rows.assign(rows, 2, -1);
    pr->gpo0.assign(rows, p.n_individuals, vsk::kUnknown);
    pr->gpo1.assign(rows, p.n_individuals, vsk::kUnknown);
    pr->b.gene_lower = {-2.0};
    pr->b.gene_upper = {2.0};
    pr->rng.seed(12345);
    pr->m.reset(new vsk::QtlModel{pr->p,   pr->o,  pr->phe, pr->mk,    pr->chr,    pr->mrk,   pr->gene,   pr->temp,
                                  pr->gpo0, pr->gpo1,  pr->b,      pr->fp,    pr->mrk2,  pr->mph,  pr->acc_pos, pr->acc_rj,
                                  pr->acc_pv, pr->twinv, pr->w,    pr->rng});
    return pr;
}

// Offspring of founder pairs (1,2), (3,4), ... cycling, `n` of them.
inline std::vector<std::pair<int, int>> founder_pairs(int founders, int n)
{
    std::vector<std::pair<int, int>> v;
    for (int k = 0; k < n; ++k) {
        const int a = 1 + (2 * k) % founders;
        v.push_back({a, a % founders + 1});
    }
    return v;
}

// Residual of every phenotyped individual from scratch: Y minus the overall
// mean minus the genotypic values of every active slot.
inline double max_residual_error(const Project& pr)
{
    double worst = 0.0;
    for (int c = 0; c < pr.p.n_individuals; ++c) {
        if (pr.phe.phenotype[c][0] == vsk::kUnknown) continue;
        double fit = pr.p.nuis_effects[0][0];
        for (const vsk::Gene& g : pr.gene)
            if (g.status != 0) fit += g.gval[g.gtp[static_cast<std::size_t>(c)]][0];
        worst = std::max(worst, std::fabs(pr.phe.Y[c][0] - fit - pr.phe.residual[c][0]));
    }
    return worst;
}

}  // namespace qtl_test
