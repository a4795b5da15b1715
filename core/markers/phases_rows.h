// Locus order of the chain: the row table (markers of the analysed linkage
// groups in map order, each active QTL just before the marker that closes
// its interval), the two recombination matrices and the row moves of the
// segregation-indicator tables when the order changes.
#pragma once

#include <type_traits>
#include <vector>

#include "core/state/records.h"

namespace vsk {

// Element and table type of the segregation-indicator tables.
using SiTable = std::remove_cvref_t<decltype(GPOarray0)>;
using si_t = std::remove_cvref_t<decltype(*GPOarray0.data())>;

// Row kinds in par.lcs_rows[row][0].
inline constexpr int kQtlRow = 0;
inline constexpr int kMarkerRow = 1;

// Index of a locus into the recombination matrices: marker k is k, QTL slot
// q is n_markers + q. The matrices are indexed by this id, not by row, so the
// marker x marker block never moves when a QTL enters, leaves or moves.
inline int locus_id(const Par& p, int row)
{
    const int* r = p.lcs_rows[row];
    return r[0] == kMarkerRow ? r[1] : p.n_markers + r[1];
}

// Recombination fraction between two rows; `selfing` 1 takes the matrix of
// individuals whose second parent is SELFED, 2r/(1+2r).
inline double row_recombination(const Par& p, int row_a, int row_b, int selfing)
{
    return p.rfmat[selfing][locus_id(p, row_a)][locus_id(p, row_b)];
}

// Haldane fraction between two map coordinates (Morgan); 1e-8 at distance 0.
double haldane_between(double pos_a, double pos_b);

// Fills the marker x marker block of both matrices. Run once, in the chain
// preparation; nothing in the chain changes it.
void build_marker_recombination(Par& p, const std::vector<Mrkrlcs>& loci);

// Recomputes row and column of QTL slot `slot` in both matrices (against
// every marker and every other active slot) from gene[slot].pos.
void refresh_qtl_recombination(Par& p, const std::vector<Gene>& genes, int slot,
                               const std::vector<Mrkrlcs>& loci);

// A slot takes part in the locus order while it holds a QTL (status 1 or 2)
// on an analysed linkage group.
bool qtl_slot_active(const Gene& g, const std::vector<Chr>& groups);

// Rebuilds the row table (par.lcs_rows, par.n_lcs_rows), every marker's row
// (mrkrlcs2[k].index), the slots in map order (par.qtl_sorted, par.qtl_rank)
// and ph.qtl_row[slot] (-1 inactive), and moves the rows of both segregation-indicator tables with their
// loci: marker rows keep their indicators, a slot that was already in the
// order keeps its row content, a new slot's row starts at 9. Returns true
// when the order changed.
bool rebuild_locus_order(Par& p, std::vector<Mrkrlcs2>& loci2, const std::vector<Mrkrlcs>& loci,
                         const std::vector<Gene>& genes, const std::vector<Chr>& groups, MarkerPhases& ph,
                         SiTable& gpo0, SiTable& gpo1);

// Row refresh of a phase-sampling call: rebuilds the order when a slot was
// added, removed or moved, and refreshes the matrix rows of every active slot
// whose position differs from the one its rows were computed for
// (ph.rf_pos). Costs O(slots) when nothing changed.
void refresh_rows(Par& p, std::vector<Mrkrlcs2>& loci2, const std::vector<Mrkrlcs>& loci,
                  const std::vector<Gene>& genes, const std::vector<Chr>& groups, MarkerPhases& ph,
                  SiTable& gpo0, SiTable& gpo1);

// First and last row of the linkage group of marker k (rows of its first and
// last marker).
int group_first_row(const std::vector<Chr>& groups, const std::vector<Mrkrlcs>& loci,
                    const std::vector<Mrkrlcs2>& loci2, int k);
int group_last_row(const std::vector<Chr>& groups, const std::vector<Mrkrlcs>& loci,
                   const std::vector<Mrkrlcs2>& loci2, int k);

}  // namespace vsk
