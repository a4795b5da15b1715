// Small finite-polygenic-model projects in memory: the QTL fixture's
// pedigree and records with the model's genes made FPM genes (no position).
#pragma once

#include <memory>
#include <vector>

#include "../qtl/qtl_fixture.h"
#include "core/polygenic/fpm.h"

namespace fpm_test {

// One trait, no phenotypes; `maximFPM` gene slots with a truncated Poisson
// prior of mean 1.5 on their number; effect prior setting `add` (5 marginal
// likelihood, 1 or 2 prior draws).
inline std::unique_ptr<qtl_test::Project> make_project(int founders, int offspring, int maximFPM, int add)
{
    auto pr = qtl_test::make_project(founders, qtl_test::founder_pairs(founders, offspring), qtl_test::MapLayout{}, 0);
    vsk::Par& p = pr->p;
    p.indicQTL = 0;
    p.indicFPM = 1;
    p.maximFPM = maximFPM;
    p.priorFPM = 1.5;
    p.nfpm = 0;
    p.addFPM = add;
    p.domFPM = 0;
    p.fpm_cov.assign(1, 1, 0.0);
    pr->b.freq_lower = 0.05;
    pr->b.freq_upper = 0.95;
    vsk::make_fpm(pr->model());
    return pr;
}

}  // namespace fpm_test
