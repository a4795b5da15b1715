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

bool column_has_code(const Par& p, int c, int min_code) { return column_has_code(p.indiN, p.n_traits, c, min_code); }

int random_slot_of(const Par& p, int c) { return random_slot_of(p.indiN, p.n_traits, c); }

void print_matrix_rows(const Table<double>& m, int n)
{
    for (int i = 0; i < n; ++i) {
        cprint("\n");
        for (int j = 0; j < n; ++j) cprint("\t %10.4f", m[i][j]);
    }
}

}  // namespace vsk
