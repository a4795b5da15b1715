// Absorbed final offspring at a QTL: grouped by their two parents, their
// phenotype likelihood summed over their four origin options enters the
// origin and genotype steps of every individual whose genotype sets a
// group's parents (the parents and all their ancestors within the steps),
// and their own origins are drawn afterwards from their exact conditional.
#include <algorithm>
#include <cmath>

#include "core/numeric/variates.h"
#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr int kOptions = 4;
constexpr int kCells = kGenotypes * kGenotypes;
const double kLogQuarter = std::log(0.25);

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// Groups of final offspring by (first parent, second parent), in order of
// the first offspring of each group.
void build_groups(QtlModel& m, std::vector<std::vector<int>>& members)
{
    QtlWork& w = m.w;
    w.fo_father.clear();
    w.fo_mother.clear();
    for (int c = 0; c < m.p.n_individuals; ++c) {
        const Obs& ind = m.o[at(c)];
        if (!ind.FP || ind.fat <= 0 || ind.mot_gen <= 0) continue;
        std::size_t g = 0;
        while (g < w.fo_father.size() && (w.fo_father[g] != ind.fat || w.fo_mother[g] != ind.mot_gen)) ++g;
        if (g == w.fo_father.size()) {
            w.fo_father.push_back(ind.fat);
            w.fo_mother.push_back(ind.mot_gen);
            members.emplace_back();
        }
        members[g].push_back(c);
    }
    w.fo_member_start.assign(1, 0);
    w.fo_members.clear();
    for (const std::vector<int>& list : members) {
        w.fo_members.insert(w.fo_members.end(), list.begin(), list.end());
        w.fo_member_start.push_back(static_cast<int>(w.fo_members.size()));
    }
}

// Per individual, the groups whose parents are the individual or one of its
// descendants: the groups its origin or genotype option can change.
void build_affected(QtlModel& m)
{
    QtlWork& w = m.w;
    const int n = m.p.n_individuals, groups = static_cast<int>(w.fo_father.size());
    std::vector<std::vector<int>> as_parent(at(n));
    for (int g = 0; g < groups; ++g) {
        as_parent[at(w.fo_father[at(g)] - 1)].push_back(g);
        if (w.fo_mother[at(g)] != w.fo_father[at(g)]) as_parent[at(w.fo_mother[at(g)] - 1)].push_back(g);
    }
    std::vector<int> stamp(at(groups), -1);
    w.fo_affected_start.assign(1, 0);
    w.fo_affected.clear();
    for (int c = 0; c < n; ++c) {
        const std::size_t begin = w.fo_affected.size();
        auto add = [&](int j) {
            for (int g : as_parent[at(j)])
                if (stamp[at(g)] != c) {
                    stamp[at(g)] = c;
                    w.fo_affected.push_back(g);
                }
        };
        add(c);
        for (int k = w.desc_start[at(c)]; k < w.desc_start[at(c + 1)]; ++k) add(w.desc[at(k)] - 1);
        std::sort(w.fo_affected.begin() + static_cast<std::ptrdiff_t>(begin), w.fo_affected.end());
        w.fo_affected_start.push_back(static_cast<int>(w.fo_affected.size()));
    }
}

// log sum_k exp(l[k]) of four values.
double log_sum4(const double* l)
{
    const double mx = std::max(std::max(l[0], l[1]), std::max(l[2], l[3]));
    double s = 0.0;
    for (int k = 0; k < kOptions; ++k) s += std::exp(l[k] - mx);
    return mx + std::log(s);
}

}  // namespace

bool has_final_offspring(const QtlModel& m) { return !m.w.fo_father.empty(); }

void build_final_offspring_groups(QtlModel& m)
{
    std::vector<std::vector<int>> members;
    build_groups(m, members);
    build_affected(m);
    m.w.fo_table.assign(static_cast<int>(m.w.fo_father.size()), kCells, 0.0);
}

// Table of every group: for each pair of parental genotype codes, the summed
// log-likelihood of its phenotyped offspring, each averaged over the four
// equally likely origin options. Needs the ll rows of the offspring.
void final_offspring_tables(QtlModel& m)
{
    QtlWork& w = m.w;
    for (int g = 0; g < w.fo_table.rows(); ++g) {
        double* row = w.fo_table[g];
        for (int cell = 0; cell < kCells; ++cell) {
            int f[2], mo[2];
            genotype_alleles(cell / kGenotypes, f[0], f[1]);
            genotype_alleles(cell % kGenotypes, mo[0], mo[1]);
            double sum = 0.0;
            for (int k = w.fo_member_start[at(g)]; k < w.fo_member_start[at(g + 1)]; ++k) {
                const int c = w.fo_members[at(k)];
                if (!phenotyped(m, c)) continue;
                double l[kOptions];
                for (int o = 0; o < kOptions; ++o) l[o] = w.ll[c][genotype_code(f[o / 2], mo[o % 2])];
                sum += kLogQuarter + log_sum4(l);
            }
            row[cell] = sum;
        }
    }
}

// Final-offspring terms of the groups individual i can change, at the
// current genotype codes of their parents.
double final_offspring_terms(const QtlModel& m, const Gene& g, int i)
{
    const QtlWork& w = m.w;
    if (w.fo_affected_start.size() <= at(i)) return 0.0;
    double sum = 0.0;
    for (int k = w.fo_affected_start[at(i - 1)]; k < w.fo_affected_start[at(i)]; ++k) {
        const int grp = w.fo_affected[at(k)];
        const int gf = g.gtp[at(w.fo_father[at(grp)] - 1)], gm = g.gtp[at(w.fo_mother[at(grp)] - 1)];
        sum += w.fo_table[grp][gf * kGenotypes + gm];
    }
    return sum;
}

// Final-offspring terms of every group at the current parental genotypes.
double final_offspring_total(const QtlModel& m, const Gene& g)
{
    const QtlWork& w = m.w;
    double sum = 0.0;
    for (int grp = 0; grp < w.fo_table.rows(); ++grp) {
        const int gf = g.gtp[at(w.fo_father[at(grp)] - 1)], gm = g.gtp[at(w.fo_mother[at(grp)] - 1)];
        sum += w.fo_table[grp][gf * kGenotypes + gm];
    }
    return sum;
}

// Origins of the absorbed final offspring given their parents: uniform
// without phenotypes, otherwise proportional to the offspring's likelihood
// at the genotype each option gives (the ll rows must be current).
void sample_final_offspring_origin(QtlModel& m, int s, bool with_phenotypes)
{
    Gene& g = m.gene[at(s)];
    for (int c = 0; c < m.p.n_individuals; ++c) {
        const Obs& ind = m.o[at(c)];
        if (!ind.FP || ind.fat == 0) continue;
        double lw[kOptions];
        for (int o = 0; o < kOptions; ++o) {
            g.gpori[0][c] = o / 2;
            g.gpori[1][c] = o % 2;
            derive_labels(m, g, c + 1);
            lw[o] = with_phenotypes && phenotyped(m, c) ? m.w.ll[c][g.gtp[at(c)]] : 0.0;
        }
        const int o = sample_discrete_log(lw, kOptions, m.rng.uniform());
        if (o < 0 || o >= kOptions) {
            cprint("\nerror gpori: qtl %d,ip %d,k2 %d,k3 %d", s + 1, c + 1, o / 2, o % 2);
            abort_voskara();
        }
        set_origin(m, g, c, o);
        derive_labels(m, g, c + 1);
    }
}

}  // namespace vsk
