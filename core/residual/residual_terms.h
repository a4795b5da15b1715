// The one place where each genetic term enters and leaves the residuals
// (docs/residual.md). A QTL or FPM step that changes a gene, and the
// infinitesimal step that changes an effect, go through these functions and
// nothing else writes `phe.residual`. Individuals whose phenotype flag is
// kUnknown are skipped (their residual is never read); observed and imputed
// ones move with the term.
#pragma once

#include "core/state/records.h"

namespace vsk {

// A QTL or FPM gene (`Polygene` is a `Gene`) enters the model: its genotypic value at every individual's
// genotype (gval[gtp[i]]) leaves the residual of every trait.
void add_gene_to_residuals(const Gene& g, Phe& ph, int n_traits);

// The gene leaves the model: its genotypic values go back into the residuals.
void remove_gene_from_residuals(const Gene& g, Phe& ph, int n_traits);

// Individual i (0-based row) of a gene in the model changes genotype: the old
// value goes back, the new one leaves, and gtp[i] becomes new_code.
void change_gene_genotype(Gene& g, int i, int new_code, Phe& ph, int n_traits);

// The infinitesimal additive and dominance effects of individual i (0-based
// row) on trait j become `additive` and `dominance`.
void change_infinitesimal_effects(Phe& ph, int i, int j, double additive, double dominance);

}  // namespace vsk
