// The pedigree recursion of the infinitesimal model: how each individual's
// effect descends from its parents, the Mendelian sampling variances, the
// precisions and the offspring lists that the sparse A^-1 is read from.
#include <algorithm>

#include "core/polygenic/tim.h"

namespace vsk {

namespace {

constexpr double kHalf = 0.5;   // path coefficient of each of two distinct parents
constexpr double kWhole = 1.0;  // path coefficient of the one parent of a selfing or doubled haploid

TimKind kind_of(const Obs& ind)
{
    if (ind.fat <= 0) return ind.mot == kInbred ? TimKind::InbredFounder : TimKind::Founder;
    if (ind.mot == kDbhpld) return TimKind::DoubledHaploid;
    // A parent named twice is a selfing, as is the INBRED code behind a
    // known first parent.
    if (ind.mot == kSelfed || ind.mot == kInbred || ind.mot == ind.fat) return TimKind::Selfed;
    if (ind.mot <= 0) return TimKind::OneParent;
    return TimKind::TwoParents;
}

void set_parents(const Obs& ind, int i, TimPedigree& ped)
{
    const TimKind k = ped.kind[i];
    ped.parent0[i] = ped.parent1[i] = -1;
    ped.coef0[i] = ped.coef1[i] = 0.0;
    if (k == TimKind::Founder || k == TimKind::InbredFounder) return;
    ped.parent0[i] = ind.fat - 1;
    ped.coef0[i] = (k == TimKind::Selfed || k == TimKind::DoubledHaploid) ? kWhole : kHalf;
    if (k == TimKind::TwoParents) {
        ped.parent1[i] = ind.mot - 1;
        ped.coef1[i] = kHalf;
    }
}

void build_offspring_lists(TimPedigree& ped)
{
    const int n = ped.n;
    ped.offspring_start.assign(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 0; i < n; ++i)
        for (int p : {ped.parent0[i], ped.parent1[i]})
            if (p >= 0) ++ped.offspring_start[p + 1];
    for (int i = 0; i < n; ++i) ped.offspring_start[i + 1] += ped.offspring_start[i];
    ped.offspring.assign(static_cast<std::size_t>(ped.offspring_start[n]), -1);
    std::vector<int> next(ped.offspring_start.begin(), ped.offspring_start.end() - 1);
    for (int i = 0; i < n; ++i)  // ascending, so every list is sorted
        for (int p : {ped.parent0[i], ped.parent1[i]})
            if (p >= 0) ped.offspring[next[p]++] = i;
}

}  // namespace

void compute_precisions(TimPedigree& ped)
{
    const int n = ped.n;
    ped.precision.assign(static_cast<std::size_t>(n), 1.0);
    ped.raised = 0;
    for (int i = 0; i < n; ++i) {
        double d = ped.mendelian[i];
        if (d < kMinMendelianVariance) {
            d = kMinMendelianVariance;
            ++ped.raised;
        }
        ped.precision[i] = 1.0 / d;
    }
    ped.diagonal = ped.precision;
    for (std::size_t a = 0; a < ped.block.size(); ++a) ped.diagonal[ped.block[a]] = ped.block_precision[a][a];
    for (int o = 0; o < n; ++o) {
        if (ped.parent0[o] >= 0) ped.diagonal[ped.parent0[o]] += ped.precision[o] * ped.coef0[o] * ped.coef0[o];
        if (ped.parent1[o] >= 0) ped.diagonal[ped.parent1[o]] += ped.precision[o] * ped.coef1[o] * ped.coef1[o];
    }
}

void relate_founders(TimPedigree& ped, const std::vector<int>& founders, const Table<double>& A_FF,
                     const Table<double>& Ainv_FF)
{
    const int slots = std::min({static_cast<int>(founders.size()), A_FF.rows(), Ainv_FF.rows()});
    for (int s = 0; s < slots; ++s) {
        const int i = founders[s] - 1;
        if (i < 0 || i >= ped.n || ped.parent0[i] >= 0) return;  // not a founder: keep them unrelated
    }
    ped.block.clear();
    ped.founder_slot.assign(static_cast<std::size_t>(ped.n), -1);
    ped.block_precision.assign(slots, slots);
    ped.block_cov.assign(slots, slots);
    for (int s = 0; s < slots; ++s) {
        const int i = founders[s] - 1;
        ped.block.push_back(i);
        ped.founder_slot[i] = s;
        for (int g = 0; g < slots; ++g) {
            ped.block_precision[s][g] = Ainv_FF[s][g];
            ped.block_cov[s][g] = A_FF[s][g];
        }
    }
    compute_inbreeding(ped, ped.use_inbreeding);
    compute_precisions(ped);
}

void build_tim_pedigree(const std::vector<Obs>& o, bool use_inbreeding, TimPedigree& ped)
{
    const int n = static_cast<int>(o.size());
    ped.n = n;
    ped.kind.resize(static_cast<std::size_t>(n));
    for (auto* v : {&ped.parent0, &ped.parent1}) v->assign(static_cast<std::size_t>(n), -1);
    for (auto* v : {&ped.coef0, &ped.coef1}) v->assign(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) {
        ped.kind[i] = kind_of(o[i]);
        set_parents(o[i], i, ped);
    }
    ped.use_inbreeding = use_inbreeding;
    ped.block.clear();
    ped.founder_slot.assign(static_cast<std::size_t>(n), -1);
    ped.block_precision.clear();
    ped.block_cov.clear();
    compute_inbreeding(ped, use_inbreeding);
    compute_precisions(ped);
    build_offspring_lists(ped);
}

}  // namespace vsk
