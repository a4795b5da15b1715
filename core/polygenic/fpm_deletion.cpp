// Deletion of finite-polygenic-model genes that stay (nearly) monomorphic
// among the founders: such a gene only shifts the mean. A counter per gene
// slot grows with every sweep in which the founders look monomorphic and
// starts again otherwise; past its limit the gene leaves the model (with a
// fixed number of genes a new one takes its slot at once).
#include <algorithm>

#include "core/polygenic/fpm.h"
#include "textfile/file.h"

namespace vsk {

namespace {

constexpr double kRareShare = 0.01;   // "nearly monomorphic": at most 1 % of the founders differ

// Founders per genotype class: homozygous 0 (code 0), heterozygous, homozygous 1.
void founder_classes(const QtlModel& m, const Gene& g, int& n_aa, int& n_het, int& n_bb)
{
    n_aa = n_het = n_bb = 0;
    for (int k = 0; k < m.p.n_founders; ++k) {
        const int code = g.gtp[static_cast<std::size_t>(m.p.founders[static_cast<std::size_t>(k)] - 1)];
        (code == 0 ? n_aa : code == 3 ? n_bb : n_het)++;
    }
}

// A gene looks monomorphic when at most 1 % of the founders (rounded down,
// so with fewer than 100 founders none) differ from one homozygous class:
// founders homozygous for different alleles (inbred lines) still make the
// gene segregate in their offspring.
bool looks_monomorphic(const QtlModel& m, const Gene& g)
{
    int n_aa, n_het, n_bb;
    founder_classes(m, g, n_aa, n_het, n_bb);
    const int lim = static_cast<int>(kRareShare * m.p.n_founders);
    return n_het <= lim && (n_aa <= lim || n_bb <= lim);
}

void log_deletion(const QtlModel& m, const Gene& g, int s)
{
    if (REDprint) return;
    File f = open_file("check.log", "a");
    if (!f) return;
    std::fprintf(f.get(), "\n   Cycle   %8d  FPMgene %6d DELETED (HOM)", m.p.cur_sweep + 1, s + 1);
    for (int kind : {kAddRow, kDomRow})
        for (int t = 0; t < m.p.n_traits; ++t) std::fprintf(f.get(), " %10.4f", g.eff[kind][t]);
}

void delete_gene(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    log_deletion(m, g, s);
    apply_slot_values(m, g, -1);
    for (int r = 0; r < kGenotypes; ++r)
        for (int t = 0; t < m.p.n_traits; ++t) g.eff[r][t] = 0.0;
    compute_gval(m.p, g);
    free_slot(m, s);
    if (m.p.indicFPM == 2) init_fpm_gene(m, s);
    gene_count(m) = active_count(m);
}

}  // namespace

void fpm_deletion_check(QtlModel& m)
{
    if (m.p.max_gen_coeff < 1.0) return;  // no generation below the founders
    std::vector<int>& counter = m.w.mono;
    if (static_cast<int>(counter.size()) < slot_count(m)) counter.assign(static_cast<std::size_t>(slot_count(m)), 0);
    const int limit = 40 * m.p.inbred_pop + 10;   // 10 sweeps, 50 with inbred founders
    for (int s = 0; s < slot_count(m); ++s) {
        if (m.gene[static_cast<std::size_t>(s)].status != 1) continue;
        int& c = counter[static_cast<std::size_t>(s)];
        c = looks_monomorphic(m, m.gene[static_cast<std::size_t>(s)]) ? c + 1 : 0;
        if (c <= limit) continue;
        delete_gene(m, s);
        c = 0;
    }
}

}  // namespace vsk
