// Inbreeding coefficients and Mendelian sampling variances of the pedigree
// recursion, in pedigree order; two distinct parents by the method of
// Meuwissen and Luo (the row of L = (I - P)^-1 over the ancestors).
#include <algorithm>

#include "core/polygenic/tim.h"
#include "core/state/console.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

// Row i of L restricted to i's ancestors: x_j = L_ij, visited from the
// youngest ancestor down so that each one is complete when it passes its
// value on to its parents.
struct AncestorWalk {
    std::vector<double> x;
    std::vector<int> heap;     // max-heap of touched indices
    std::vector<char> queued;
    std::vector<double> xf;    // L_ij over the related founders (their slots)

    explicit AncestorWalk(int n, int slots)
        : x(static_cast<std::size_t>(n), 0.0), queued(static_cast<std::size_t>(n), 0),
          xf(static_cast<std::size_t>(slots), 0.0)
    {
    }

    void add(int j, double v)
    {
        x[j] += v;
        if (queued[j]) return;
        queued[j] = 1;
        heap.push_back(j);
        std::push_heap(heap.begin(), heap.end());
    }

    // sum_j L_ij^2 d_j over i itself and its ancestors; related founders
    // contribute x_F' A_FF x_F instead.
    double diagonal_of(const TimPedigree& ped, int i)
    {
        add(i, 1.0);
        double sum = 0.0;
        while (!heap.empty()) {
            std::pop_heap(heap.begin(), heap.end());
            const int j = heap.back();
            heap.pop_back();
            const double v = x[j];
            const int slot = ped.founder_slot.empty() ? -1 : ped.founder_slot[j];
            if (slot >= 0)
                xf[slot] = v;
            else
                sum += v * v * ped.mendelian[j];
            if (ped.parent0[j] >= 0) add(ped.parent0[j], ped.coef0[j] * v);
            if (ped.parent1[j] >= 0) add(ped.parent1[j], ped.coef1[j] * v);
            x[j] = 0.0;
            queued[j] = 0;
        }
        for (std::size_t s = 0; s < xf.size(); ++s) {
            if (xf[s] == 0.0) continue;
            for (std::size_t g = 0; g < xf.size(); ++g) sum += xf[s] * xf[g] * ped.block_cov[s][g];
        }
        std::fill(xf.begin(), xf.end(), 0.0);
        return sum;
    }
};

bool same_parents(const TimPedigree& ped, int a, int b)
{
    return ped.kind[a] == ped.kind[b] && ped.parent0[a] == ped.parent0[b] && ped.parent1[a] == ped.parent1[b];
}

// d_i of the recursion given the parents' inbreeding (all 0 when unused).
double mendelian_variance(const TimPedigree& ped, int i, bool use_inbreeding)
{
    const auto F = [&](int j) { return use_inbreeding && j >= 0 ? ped.inbreeding[j] : 0.0; };
    const double fs = F(ped.parent0[i]), fd = F(ped.parent1[i]);
    switch (ped.kind[i]) {
    case TimKind::Founder: return 1.0;
    case TimKind::InbredFounder: return use_inbreeding ? 2.0 : 1.0;
    case TimKind::OneParent: return 0.75 - 0.25 * fs;
    case TimKind::TwoParents: return 0.5 - 0.25 * (fs + fd);
    case TimKind::Selfed: return 0.5 - 0.5 * fs;
    case TimKind::DoubledHaploid: return 1.0 - fs;
    }
    return 1.0;
}

double inbreeding_of(const TimPedigree& ped, int i, AncestorWalk& walk)
{
    const int s = ped.parent0[i];
    switch (ped.kind[i]) {
    case TimKind::Founder:
    case TimKind::OneParent: return 0.0;
    case TimKind::InbredFounder:
    case TimKind::DoubledHaploid: return 1.0;
    case TimKind::Selfed: return 0.5 * (1.0 + ped.inbreeding[s]);
    case TimKind::TwoParents:
        if (i > 0 && same_parents(ped, i, i - 1)) return ped.inbreeding[i - 1];  // full sibs
        return walk.diagonal_of(ped, i) - 1.0;
    }
    return 0.0;
}

}  // namespace

void compute_inbreeding(TimPedigree& ped, bool use_inbreeding)
{
    const int n = ped.n;
    ped.inbreeding.assign(static_cast<std::size_t>(n), 0.0);
    ped.mendelian.assign(static_cast<std::size_t>(n), 1.0);
    AncestorWalk walk(n, static_cast<int>(ped.block.size()));
    for (int i = 0; i < n; ++i) {
        // The walk reads d_i itself, so the variance comes first.
        ped.mendelian[i] = mendelian_variance(ped, i, use_inbreeding);
        if (!use_inbreeding) continue;
        const int slot = ped.founder_slot.empty() ? -1 : ped.founder_slot[i];
        ped.inbreeding[i] = slot >= 0 ? ped.block_cov[slot][slot] - 1.0 : inbreeding_of(ped, i, walk);
    }
}

double self_coancestry(const TimPedigree& ped, int i, int j)
{
    if (i != j) {
        cprint("\n Incorrect using coancest\n\n");
        fatal_exit(1);
    }
    return 0.5 * (1.0 + ped.inbreeding[i]);
}

}  // namespace vsk
