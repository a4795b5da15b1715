// Several chains of one project pooled for the post-processing: each chain's
// sample files read, cut to a common window after the burn-in, judged by
// R-hat and effective sizes across the chains, and joined into one sample
// table set for the usual inferences.
#pragma once

#include <string>
#include <vector>

#include "post/chain_diagnostics.h"
#include "post/state.h"

namespace rvn {

struct PooledChains {
    std::vector<std::string> dirs;   // the chain directories, by number
    std::vector<int> rows;           // complete samples per chain
    std::vector<int> burnin;         // burn-in estimate per chain
    int first = 0;                   // common window: rows first..last-1 of every chain
    int last = 0;
    std::vector<QuantityConvergence> quantities;
    std::string verdict;             // the verdict line
};

// Diagnostics over the rows first..last-1 of every chain of: each genpar.out
// value column (the number of QTL in the genome among them) and the number
// of QTL on each included group (its QTL intensity summed over the group).
// `states` are the chains' own post-processing states.
std::vector<QuantityConvergence> chains_convergence(const std::vector<PostState>& states, int first, int last);

// The verdict line: "CONVERGENCE: converged ..." or "CONVERGENCE: not
// converged ...", naming the quantity that holds it back.
std::string verdict_line(const std::vector<QuantityConvergence>& rows, int chains);

// Appends rows first..last-1 of every table of `from` to `into` (which
// takes its layout from the first chain appended).
void append_sample_rows(Samples& into, const Samples& from, int first, int last);

// Reads the chains under PROJECT/chains into st (whose project directory is
// PROJECT/chains and whose parameters are read), prints the per-chain
// section and the convergence table with its verdict; st then holds the
// pooled rows with burn-in 0. Fatal when no chain exists, the chains differ
// in layout, or the common window is too short.
PooledChains pool_chains(PostState& st, const std::string& par_file);

}  // namespace rvn
