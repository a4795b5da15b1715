// The analysis's calls into the post-processing library.
#include "console/convergence.h"

#include "console/chain_length.h"
#include "console/end_sequence.h"
#include "core/voskara.h"
#include "post/ruvane.h"

namespace vsk {

int check_convergence(int length)
{
    const int n_traits = par.n_traits;
    const std::string dir = project_dirF;
    return convergence_check(length, par.ess, par.lengthUDMax,
                             [&] { return rvn::VoskaraECS(n_traits, dir); });
}

void fill_effective_chain_sizes()
{
    const int size = ecs_table_size(par.n_traits);
    ECNames.assign(size, std::string());
    ECSizes.assign(size, 0);
    ECCount = rvn::VoskaraECS2(par.n_traits, ECNames, ECSizes, project_dirF);
}

void free_effective_chain_sizes()
{
    ECNames.clear();
    ECNames.shrink_to_fit();
    ECSizes.clear();
    ECSizes.shrink_to_fit();
}

void post_process_project() { rvn::Ruvane(project_dirF, project_parF, true); }

}  // namespace vsk
