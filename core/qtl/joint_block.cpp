// Joint block of marker phases and QTL allele origins: the phases of an
// individual over a block and the origins of its two alleles at a QTL row
// inside the block are drawn together from their full conditional, the SI
// chains through the block (the QTL row included) times the phenotype
// likelihood of the individual and its descendants under the QTL genotypes
// the origins imply.
#include "core/qtl/joint_block.h"

#include <algorithm>

namespace vsk {

namespace {

constexpr int kOrigins = 4;

int first_qtl_row(const PhaseModel& pm, const PhaseBlock& b)
{
    for (int row = b.first_row; row <= b.last_row; ++row)
        if (pm.par->lcs_rows[row][0] == kQtlRow) return row;
    return -1;
}

bool joint_individual(const Obs& o) { return o.fat > 0 && o.mot > 0 && !o.FP; }

bool eligible(const PhaseModel& pm, int i)
{
    if (pm.ph->phase_status[0][i - 1] == 4) return false;
    return pm.ph->locked.empty() || !pm.ph->locked[i - 1];
}

// Phenotype log-likelihood of i and its descendants under the current
// origins (labels and genotypes re-derived along the way), with the terms of
// the absorbed final-offspring groups whose parents' genotypes i changes.
double genotype_terms(QtlModel& qm, Gene& g, int i)
{
    const int c = i - 1;
    derive_labels(qm, g, i);
    double sum = phenotyped(qm, c) && !qm.o[static_cast<std::size_t>(c)].FP ? qm.w.ll[c][g.gtp[static_cast<std::size_t>(c)]] : 0.0;
    for (int k = qm.w.desc_start[static_cast<std::size_t>(c)]; k < qm.w.desc_start[static_cast<std::size_t>(c + 1)]; ++k) {
        const int d = qm.w.desc[static_cast<std::size_t>(k)];
        derive_labels(qm, g, d);
        if (phenotyped(qm, d - 1)) sum += qm.w.ll[d - 1][g.gtp[static_cast<std::size_t>(d - 1)]];
    }
    return sum + final_offspring_terms(qm, g, i);
}

void put_origins(QtlModel& qm, Gene& g, int i, int option)
{
    set_origin(qm, g, i - 1, option);
    derive_labels(qm, g, i);
    rederive_descendants(qm, g, i);
}

}  // namespace

void joint_block_weights(const PhaseModel& pm, QtlModel& qm, Gene& g, const PhaseBlock& b, int i, const int* het,
                         int h, double* logw)
{
    marker_qtl_block_weights(pm, i, b, het, h, g.lcsrow, logw);
    const int c = i - 1;
    const int current = 2 * g.gpori[0][c] + g.gpori[1][c];
    double pheno[kOrigins];
    for (int option = 0; option < kOrigins; ++option) {
        set_origin(qm, g, c, option);
        pheno[option] = genotype_terms(qm, g, i);
    }
    put_origins(qm, g, i, current);
    for (int option = 0; option < kOrigins; ++option) {
        const int high = (option / 2) << h | (option % 2) << (h + 1);
        for (int config = 0; config < (1 << h); ++config) logw[config | high] += pheno[option];
    }
}

bool sample_joint_block(const PhaseModel& pm, QtlModel& qm, const PhaseBlock& b, Rng& rng)
{
    const int row = first_qtl_row(pm, b);
    if (row < 0) return false;
    const int slot = pm.par->lcs_rows[row][1];
    if (slot < 0 || slot >= static_cast<int>(qm.gene.size())) return false;
    Gene& g = qm.gene[static_cast<std::size_t>(slot)];
    if (g.status != 1 || g.lcsrow != row || qm.w.desc_start.empty()) return false;
    apply_slot_values(qm, g, -1);
    build_ll(qm, g);
    int het[kMaxBlockLoci];
    double logw[1 << kMaxConfigBits];
    for (int i = 1; i <= pm.n_ind(); ++i) {
        if (!eligible(pm, i)) continue;
        const int h = block_het_loci(pm, i, b, het);
        if (!joint_individual(pm.ind(i))) {
            if (h == 0) continue;
            marker_block_weights(pm, i, b, het, h, logw);
            set_block_config(pm, i, het, h, draw_config(logw, 1 << h, rng.uniform()));
            continue;
        }
        joint_block_weights(pm, qm, g, b, i, het, h, logw);
        const int config = draw_config(logw, 1 << (h + 2), rng.uniform());
        set_block_config(pm, i, het, h, config & ((1 << h) - 1));
        put_origins(qm, g, i, 2 * ((config >> h) & 1) + ((config >> (h + 1)) & 1));
    }
    // Absorbed final offspring follow their parents' new labels (their own
    // origins are the origin step's).
    derive_all_genotypes(qm, g);
    apply_slot_values(qm, g, +1);
    return true;
}

bool sample_joint_block_shared(const PhaseModel& pm, const PhaseBlock& b, Rng& rng)
{
    QtlModel& qm = global_qtl_model();
    // Only the phase model over the same records as the QTL model.
    if (pm.par != &qm.p || pm.ph != &qm.mph) return false;
    return sample_joint_block(pm, qm, b, rng);
}

}  // namespace vsk
