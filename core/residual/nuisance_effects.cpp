// The nuisance effects table and the column helpers shared by the samplers,
// the sample writer and the start-up step.
#include "core/residual/residual.h"
#include "core/state/console.h"

namespace vsk {

void init_nuisance_effects(Par& p, int n_levels, int n_traits)
{
    p.n_levels = n_levels > 0 ? n_levels : 0;
    if (p.n_levels == 0) {
        p.nuis_effects.clear();
        p.level_flag.clear();
        return;
    }
    p.nuis_effects.assign(p.n_levels, n_traits, 0.0);
    p.level_flag.assign(static_cast<std::size_t>(p.n_levels), -1);
}

bool column_has_code(const Par& p, int c, int min_code)
{
    for (int j = 0; j < p.n_traits; ++j)
        if (p.indiN[c][j] >= min_code) return true;
    return false;
}

int random_slot_of(const Par& p, int c)
{
    if (!column_has_code(p, c, 1)) return -1;
    int slot = 0;
    for (int k = 0; k < c; ++k)
        if (column_has_code(p, k, 1)) ++slot;
    return slot;
}

void print_matrix_rows(const Table<double>& m, int n)
{
    for (int i = 0; i < n; ++i) {
        cprint("\n");
        for (int j = 0; j < n; ++j) cprint("\t %10.4f", m[i][j]);
    }
}

}  // namespace vsk
