// The analysis's use of the post-processing library: the convergence check
// that lengthens the chain towards the target effective chain size, the
// effective-size tables of the run summary, and the post-processing of a
// finished QTL analysis.
#pragma once

namespace vsk {

// Convergence check at the second-to-last sweep of the current length:
// returns the new chain length from the smallest effective chain size of
// "genpar.out" (target `ess`, capped by `lengthUDMax`). Too few samples yet
// count as an unmet target.
int check_convergence(int length);

// Fills ECNames/ECSizes (ecs_table_size(n_traits) entries, or more when
// "genpar.out" has more columns) and ECCount for the run summary.
void fill_effective_chain_sizes();
// Releases ECNames/ECSizes after the run summary.
void free_effective_chain_sizes();

// Post-processing of the project just analysed (Ruvane).
void post_process_project();

}  // namespace vsk
