// The effective-size exports the analysis calls: during the run, to decide
// whether the chain must grow (VoskaraECS), and once at its end, for the run
// summary (VoskaraECS2). Each call reads genpar.out anew.
#include <cstdio>

#include "post/console.h"
#include "post/ess.h"
#include "post/ruvane.h"
#include "post/sample_readers.h"

namespace rvn {

namespace {

// Reads genpar.out and estimates the burn-in; false when too few samples
// exist yet (the analysis must go on, so this never ends the process).
bool prepare_chains(PostState& st, int n_traits, const std::string& project_dir)
{
    reset_state(st);
    st.project_dir = project_dir;
    st.par.n_traits = n_traits;
    st.chain_names = chain_names(n_traits);
    if (!read_genpar(st, ShortSamples::Report)) return false;
    calc_burnin(st, true);
    return true;
}

}  // namespace

int VoskaraECS(int n_traits, const std::string& project_dir)
{
    PostState& st = state();
    int smallest = kEssTooShort;
    if (prepare_chains(st, n_traits, project_dir)) {
        const std::vector<ChainEss> chains = chains_ess(st);
        print_ess_table(st, chains);
        smallest = smallest_ecs(chains);
    }
    reset_state(st);
    return smallest;
}

int VoskaraECS2(int n_traits, std::vector<std::string>& names, std::vector<int>& sizes,
                const std::string& project_dir)
{
    PostState& st = state();
    int filled = 0;
    if (prepare_chains(st, n_traits, project_dir)) {
        for (const ChainEss& c : chains_ess(st)) {
            if (c.code == kEssZeroVariance) continue;
            // The caller sized the tables for the named chains; extra
            // columns of genpar.out get room rather than overrunning them.
            if (filled >= static_cast<int>(names.size())) names.resize(filled + 1);
            if (filled >= static_cast<int>(sizes.size())) sizes.resize(filled + 1);
            names[filled] = chain_name(st, c.column);
            sizes[filled] = c.code;
            ++filled;
        }
    }
    reset_state(st);
    return filled;
}

}  // namespace rvn
