// Internal interface of the finite polygenic model: a number of bi-allelic
// genes without map position whose genotypes descend through the pedigree by
// Mendelian transmission. The genes are QTL slots without position
// (`Polygene` is a `Gene`), sampled by the QTL model's steps on a QtlModel
// flagged `fpm`; this layer adds what differs: the descent strata, the
// initial genes, the new-gene proposal, the deletion check, the genotype
// tallies and the debug logs.
#pragma once

#include <vector>

#include "core/qtl/qtl.h"

namespace vsk {

// Run-scoped state of the finite polygenic model.
struct FpmWork {
    QtlWork w;                    // the QTL model's working storage for the FPM genes
    std::vector<Gene> temp;       // save buffer of the moves
    int dummy_acc_pos[24] = {};   // position-move counters (FPM genes have no position)
};

// Turns a model over FPM genes into the FPM model (flag and birth proposal).
void make_fpm(QtlModel& m);

// Descent strata: every founder allele descends only into its founder's
// descendants; the founder genotype step scores just that stratum. Fatal when
// there are more founder alleles than individuals.
void init_desc_strata_fpm(QtlModel& m);

// One gene entering the model at mode 0 (or re-initialised after a deletion
// with a fixed number of genes): frequencies, effects from their prior,
// founder genotypes and Mendelian origins; its values leave the residuals.
void init_fpm_gene(QtlModel& m, int s);
void init_fpm_genes(QtlModel& m);
// Birth proposal: frequencies (one p for every base family), founder
// genotypes, Mendelian origins without phenotypes.
void propose_fpm_gene(QtlModel& m, int s);
void draw_fpm_frequencies(QtlModel& m, Gene& g);
void draw_fpm_genotypes(QtlModel& m, int s);   // founder genotypes, then Mendelian origins

// Deletion of genes that stay monomorphic among the founders.
// The counters are m.w.mono, one per gene slot.
void fpm_deletion_check(QtlModel& m);

// Genotype tallies of a fixed number of genes (classes 0, 1-2, 3).
void tally_fpm_genotypes(QtlModel& m);

// One call of SampleFPM: mode 0 initialises and then sweeps once.
void sample_fpm(QtlModel& m, int mode);

// Debug logs (RJSdebug).
void log_fpm_move(const QtlModel& m, const char* file, int result, const int* counters);
void log_fpm_effects(const QtlModel& m);

}  // namespace vsk
