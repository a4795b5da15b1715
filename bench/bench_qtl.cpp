// Cost of one QTL sweep (SampleQTL mode 1, marginal-likelihood path) on
// 2,000 outbred individuals (100 founders, two generations of offspring)
// with 600 markers on three linkage groups, informative segregation
// indicators and three QTL in the model at the start; also the sweep rate
// with one and five QTL.
#include <cstdio>
#include <memory>
#include <vector>

#include "core/qtl/qtl.h"
#include "bench/bench_timing.h"
#include "core/state/console.h"

namespace {

constexpr int kFounders = 100;
constexpr int kIndividuals = 2000;
constexpr int kGroups = 3;
constexpr int kMarkersPerGroup = 200;

struct Records {
    vsk::Par p;
    std::vector<vsk::Obs> o;
    vsk::Phe phe;
    vsk::Mrk mk;
    std::vector<vsk::Chr> chr;
    std::vector<vsk::Mrkrlcs> mrk;
    std::vector<vsk::Gene> gene, temp;
    vsk::SiTable gpo0, gpo1;
    vsk::Boundary b;
    std::vector<vsk::FinalProgRec> fp;
    std::vector<vsk::Mrkrlcs2> mrk2;
    vsk::MarkerPhases mph;
    int acc_pos[24] = {}, acc_rj[4] = {}, acc_pv[4] = {};
    double twinv[14] = {0.3, 0.3, 0.2, 0.1, 0.1, 0, 0, 0.001, 0.0015, 0.0025, 0.005, 0.01, 0, 0};
    vsk::QtlWork w;
    vsk::Rng rng;
    std::unique_ptr<vsk::QtlModel> m;
};

void build_map(Records& r)
{
    double total = 0.0;
    for (int c = 0; c < kGroups; ++c) {
        vsk::Chr ch;
        ch.indiC = 1;
        ch.fMrkr = c * kMarkersPerGroup;
        ch.lMrkr = ch.fMrkr + kMarkersPerGroup - 1;
        for (int k = 0; k < kMarkersPerGroup; ++k) {
            vsk::Mrkrlcs mk;
            mk.position = 100.0 * (c + 1) + 0.005 * k;
            mk.chrom = c;
            r.mrk.push_back(mk);
        }
        ch.LowLim = r.mrk[static_cast<std::size_t>(ch.fMrkr)].position;
        ch.UppLim = r.mrk[static_cast<std::size_t>(ch.lMrkr)].position;
        r.chr.push_back(ch);
        total += ch.UppLim - ch.LowLim;
    }
    for (vsk::Mrkrlcs& mk : r.mrk) mk.prior_weight = 1.0 / total;
    for (vsk::Chr& ch : r.chr) ch.prior_mass = (ch.UppLim - ch.LowLim) / total;
}

std::unique_ptr<Records> build(int nqtl)
{
    auto r = std::make_unique<Records>();
    build_map(*r);
    vsk::Rng g;
    g.seed(7);
    r->o.assign(kIndividuals, vsk::Obs{});
    r->phe.assign(kIndividuals, 1);
    for (int i = 1; i <= kIndividuals; ++i) {
        vsk::Obs& ind = r->o[static_cast<std::size_t>(i - 1)];
        ind.cohort = 1;
        if (i > kFounders) {
            const int pool = i <= 1000 ? kFounders : 1000;
            ind.fat = 1 + static_cast<int>(g.uniform() * pool);
            do ind.mot = 1 + static_cast<int>(g.uniform() * pool);
            while (ind.mot == ind.fat);
            ind.mot_gen = ind.mot;
            r->phe.phenotype[i - 1][0] = 1;
            r->phe.Y[i - 1][0] = r->phe.residual[i - 1][0] = g.normal();
        } else {
            r->phe.phenotype[i - 1][0] = vsk::kUnknown;
            r->p.founders.push_back(i);
        }
    }
    vsk::Par& p = r->p;
    p.n_individuals = kIndividuals;
    p.n_founders = kFounders;
    p.indicQTL = 1;
    p.n_traits = 1;
    p.maximQTL = 8;
    p.priorQTL = 3;
    p.nqtl = nqtl;
    p.addGENE = 5;
    p.n_markers = kGroups * kMarkersPerGroup;
    p.n_founder_cohorts = 1;
    p.n_phenotyped = kIndividuals - kFounders;
    p.res_prec.assign(1, 1, 1.0);
    p.pheno_var = {1.0};
    p.mean_prior_mean = {0.0};
    p.mean_prior_var = {1.0};
    p.varPOA.assign(1, 1, 0.3);
    p.varPOD.assign(1, 1, 0.3);
    p.nuis_effects.assign(1, 1, 0.0);
    const int rows = p.n_markers + p.maximQTL;
    for (vsk::Table<double>& t : p.rfmat) t.assign(rows, rows, 0.0);
    p.lcs_rows.assign(rows, 2, -1);
    r->gpo0.assign(rows, kIndividuals, vsk::kUnknown);
    r->gpo1.assign(rows, kIndividuals, vsk::kUnknown);
    for (int k = 0; k < p.n_markers; ++k)
        for (int c = kFounders; c < kIndividuals; ++c) {
            r->gpo0[k][c] = g.uniform() < 0.5 ? 0 : 1;
            r->gpo1[k][c] = g.uniform() < 0.5 ? 0 : 1;
        }
    r->b.gene_lower = {-2.0};
    r->b.gene_upper = {2.0};
    r->rng.seed(11);
    r->m.reset(new vsk::QtlModel{r->p,    r->o,     r->phe,    r->mk,     r->chr,    r->mrk,   r->gene,
                                 r->temp, r->gpo0,  r->gpo1,   r->b,      r->fp,     r->mrk2,  r->mph,
                                 r->acc_pos, r->acc_rj, r->acc_pv, r->twinv, r->w,     r->rng});
    return r;
}

// Processor ms per sweep after a warm-up in which the scratch space grows
// to the largest model; heap allocations inside the timed sweeps.
double ms_per_sweep(int nqtl, int sweeps, double& mean_k, long& allocations)
{
    auto r = build(nqtl);
    vsk::sample_qtl(*r->m, 0);
    for (int s = 0; s < 20; ++s) vsk::sample_qtl(*r->m, 1);
    const long before = bench::allocations();
    const bench::Stopwatch watch;
    double k = 0;
    for (int s = 0; s < sweeps; ++s) {
        r->p.cur_sweep = s;
        vsk::sample_qtl(*r->m, 1);
        k += r->p.nqtl;
    }
    mean_k = k / sweeps;
    allocations = bench::allocations() - before;
    return 1e3 * watch.cpu() / sweeps;
}

}  // namespace

int main()
{
    std::FILE* sink = std::tmpfile();
    vsk::set_console_stream(sink);
    std::printf("QTL sweep (SampleQTL mode 1), %d individuals, %d markers\n", kIndividuals, kGroups * kMarkersPerGroup);
    for (int q : {1, 3, 5}) {
        double mean_k = 0;
        long allocations = 0;
        const double ms = ms_per_sweep(q, 200, mean_k, allocations);
        std::printf("  start with %d QTL: %8.2f ms per sweep (mean number of QTL %.2f), %ld heap allocations\n", q, ms,
                    mean_k, allocations);
    }
    vsk::set_console_stream(nullptr);
    std::fclose(sink);
    return 0;
}
