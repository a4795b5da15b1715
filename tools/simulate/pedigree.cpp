// Pedigrees of line crosses (F1, F2 by selfing, backcross, doubled haploids,
// single-seed-descent inbred lines) and of outbred full-sib families over
// several generations whose parents are earlier offspring.
#include "tools/simulate/pedigree.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace vsim {

namespace {

__attribute__((format(printf, 1, 2))) std::string format_name(const char* format, ...)
{
    char buffer[64];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

int cohort_of(const Design& d, int generation, int family)
{
    return d.cohort_by_family ? family + 1 : generation + 1;
}

int add(Pedigree& ped, Individual ind)
{
    ped.individuals.push_back(std::move(ind));
    return static_cast<int>(ped.individuals.size()) - 1;
}

Individual founder(const Design& d, std::string name, SecondParent second)
{
    Individual ind;
    ind.name = std::move(name);
    ind.cohort = cohort_of(d, 0, 0);
    ind.second = second;
    ind.genotyped = d.genotype_founders;
    ind.phenotyped = d.phenotype_founders;
    return ind;
}

Individual offspring_of(const Design& d, std::string name, int generation, int family, int father,
                        int mother, SecondParent second)
{
    Individual ind;
    ind.name = std::move(name);
    ind.generation = generation;
    ind.family = family;
    ind.cohort = cohort_of(d, generation, family);
    ind.father = father;
    ind.mother = second == SecondParent::Parent ? mother : father;
    ind.second = second;
    ind.genotyped = true;
    ind.phenotyped = true;
    return ind;
}

// A chain of selfings from an F1 seed to the final inbred line; only the
// line itself is scored, as in single-seed descent.
void add_inbred_line(const Design& d, Pedigree& ped, int family, int f1, int line)
{
    int parent = f1;
    for (int s = 1; s <= d.ril_generations; ++s) {
        const bool last = s == d.ril_generations;
        std::string name = last ? format_name("RIL_%d_%03d", family, line)
                                : format_name("RIL_%d_%03d_S%d", family, line, s);
        Individual ind = offspring_of(d, std::move(name), 1 + s, family, parent, parent, SecondParent::Selfed);
        ind.genotyped = ind.phenotyped = last;
        parent = add(ped, std::move(ind));
    }
}

void build_line_crosses(const Design& d, Pedigree& ped)
{
    for (int k = 1; k <= d.families; ++k) {
        const int p1 = add(ped, founder(d, format_name("P%d", 2 * k - 1), SecondParent::Inbred));
        const int p2 = add(ped, founder(d, format_name("P%d", 2 * k), SecondParent::Inbred));
        if (d.cross == Cross::F1) {
            for (int j = 1; j <= d.offspring; ++j)
                add(ped, offspring_of(d, format_name("F1_%d_%03d", k, j), 1, k, p1, p2, SecondParent::Parent));
            continue;
        }
        Individual f1ind = offspring_of(d, format_name("F1_%d", k), 1, k, p1, p2, SecondParent::Parent);
        f1ind.phenotyped = false;  // an F1 parent does not segregate
        const int f1 = add(ped, std::move(f1ind));
        const int recurrent = d.backcross_parent == 1 ? p1 : p2;
        for (int j = 1; j <= d.offspring; ++j) {
            switch (d.cross) {
            case Cross::F2:
                add(ped, offspring_of(d, format_name("F2_%d_%03d", k, j), 2, k, f1, f1, SecondParent::Selfed));
                break;
            case Cross::Backcross:
                add(ped, offspring_of(d, format_name("BC_%d_%03d", k, j), 2, k, f1, recurrent, SecondParent::Parent));
                break;
            case Cross::DoubledHaploid:
                add(ped, offspring_of(d, format_name("DH_%d_%03d", k, j), 2, k, f1, f1, SecondParent::DoubledHaploid));
                break;
            case Cross::RecombinantInbred:
                add_inbred_line(d, ped, k, f1, j);
                break;
            default:
                break;
            }
        }
    }
}

// Generation 1 crosses founders; every later family crosses an offspring kept
// from the previous generation with any earlier candidate parent, so parents
// of the last generation are themselves offspring (fruit-tree breeding).
void build_outbred(const Design& d, Pedigree& ped, Rng& rng)
{
    std::vector<int> pool;    // founders and kept offspring of all earlier generations
    std::vector<int> recent;  // kept offspring of the previous generation
    for (int f = 1; f <= d.founders; ++f) pool.push_back(add(ped, founder(d, format_name("FND%03d", f), SecondParent::Unknown)));
    int family_number = 0;
    for (int g = 1; g <= d.generations; ++g) {
        const bool last = g == d.generations;
        const int n_off = (last || d.intermediate_offspring == 0) ? d.offspring : d.intermediate_offspring;
        std::vector<int> kept;
        for (int k = 1; k <= d.families; ++k) {
            int a, b;
            if (g == 1) {
                a = pool[rng.below(pool.size())];
                do b = pool[rng.below(pool.size())]; while (b == a);
            } else {
                a = recent[rng.below(recent.size())];
                do b = pool[rng.below(pool.size())]; while (b == a);
            }
            if (rng.bernoulli(0.5)) std::swap(a, b);
            ++family_number;
            for (int j = 1; j <= n_off; ++j) {
                const int id = add(ped, offspring_of(d, format_name("G%d_F%d_%03d", g, k, j), g, family_number, a, b,
                                                     SecondParent::Parent));
                if (j <= d.parents_kept) kept.push_back(id);
            }
        }
        pool.insert(pool.end(), kept.begin(), kept.end());
        recent = std::move(kept);
    }
}

}  // namespace

Pedigree build_pedigree(const Design& design, Rng& rng)
{
    Pedigree ped;
    if (design.cross == Cross::Outbred)
        build_outbred(design, ped, rng);
    else
        build_line_crosses(design, ped);
    return ped;
}

std::vector<bool> parent_flags(const Pedigree& pedigree)
{
    std::vector<bool> is_parent(pedigree.individuals.size(), false);
    for (const Individual& ind : pedigree.individuals) {
        if (ind.father >= 0) is_parent[static_cast<std::size_t>(ind.father)] = true;
        if (ind.mother >= 0) is_parent[static_cast<std::size_t>(ind.mother)] = true;
    }
    return is_parent;
}

std::vector<int> file_order(const Pedigree& pedigree, double shuffle, Rng& rng)
{
    const std::vector<bool> is_parent = parent_flags(pedigree);
    std::vector<int> order, moved;
    for (std::size_t i = 0; i < pedigree.individuals.size(); ++i) {
        if (is_parent[i] && shuffle > 0.0 && rng.bernoulli(shuffle))
            moved.push_back(static_cast<int>(i));
        else
            order.push_back(static_cast<int>(i));
    }
    for (std::size_t i = moved.size(); i > 1; --i) std::swap(moved[i - 1], moved[rng.below(i)]);
    order.insert(order.end(), moved.begin(), moved.end());
    return order;
}

}  // namespace vsim
