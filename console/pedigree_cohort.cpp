// Cohort step: the cohort list, each individual's cohort position, the report.
#include "console/pedigree_cohort.h"

#include <algorithm>
#include <map>

#include "core/state/console.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr int kNoCohort = -1;

bool is_cohort(int number) { return number != 0 && number != kNoCohort; }

struct CohortTally {
    int individuals = 0;
    int founders = 0;
};

}  // namespace

void set_cohorts(Par& p, std::vector<Obs>& individuals)
{
    std::map<int, CohortTally> tally;   // every distinct number, ascending
    for (const Obs& o : individuals) {
        CohortTally& t = tally[o.cohort];
        ++t.individuals;
        if (o.fat == 0) ++t.founders;
    }
    std::vector<int> with_founder, without_founder;
    for (const auto& [number, t] : tally) {
        if (!is_cohort(number)) continue;
        (t.founders > 0 ? with_founder : without_founder).push_back(number);
    }
    const int n_cohorts = static_cast<int>(with_founder.size() + without_founder.size());
    if (n_cohorts != p.n_cohorts) {
        cprint("\nERROR in function Setlcohort() ");
        cprint("\nnow exiting Voskara\n");
        fatal_exit(1);
    }
    std::vector<int> list = with_founder;
    list.insert(list.end(), without_founder.begin(), without_founder.end());
    p.lcohort = list;
    p.lcohort_count.assign(list.size(), 0);
    for (std::size_t k = 0; k < with_founder.size(); ++k) p.lcohort_count[k] = 1;

    std::map<int, int> position;
    for (std::size_t k = 0; k < list.size(); ++k) position[list[k]] = static_cast<int>(k) + 1;
    for (Obs& o : individuals) o.cohort = is_cohort(o.cohort) ? position[o.cohort] : kNoCohort;

    cprint("\nNumber of cohorts               %-6d ", static_cast<int>(tally.size()));
    cprint("\nNumber of cohorts with founders %-6d ", static_cast<int>(with_founder.size()));
    if (tally.size() < 2) return;
    cprint("\n%8s %8s %8s %8s", "id.coh", "w.fndr", "n.coh", "n.fndr");
    for (std::size_t k = 0; k < list.size(); ++k) {
        const CohortTally& t = tally[list[k]];
        cprint("\n%8d %8d %8d %8d", list[k], p.lcohort_count[k], t.individuals, t.founders);
    }
}

}  // namespace vsk
