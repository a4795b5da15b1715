// The dominance relationship matrix of a pedigree of inbred lines: genes are
// dropped through the pedigree at many unlinked loci, and D_ij is the share
// of loci at which i and j carry the same heterozygous pair of founder genes.
// Its inverse (with a small ridge) is the prior precision of the effects.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>

#include "core/polygenic/tim_dominance.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr double kHomozygousTolerance = 1e-9;  // 1 - F below this: never heterozygous
constexpr int kProgressCarriers = 1000;         // larger sets report their progress
constexpr int kProgressSteps = 5;

// One transmission bit per call, 32 from each generator word.
class BitSource {
public:
    explicit BitSource(Rng& r) : r_(r) {}
    int next()
    {
        if (left_ == 0) {
            word_ = r_.next32();
            left_ = 32;
        }
        const int bit = static_cast<int>(word_ & 1u);
        word_ >>= 1;
        --left_;
        return bit;
    }

private:
    Rng& r_;
    std::uint32_t word_ = 0;
    int left_ = 0;
};

// Founder genes of one locus dropped through the pedigree (parents precede
// offspring): every founder gene is distinct; an inbred line carries its one
// gene twice.
void drop_one_locus(const TimPedigree& ped, BitSource& bits, std::vector<int>& g0, std::vector<int>& g1)
{
    int next_gene = 0;
    auto gamete = [&](int parent) { return bits.next() ? g1[parent] : g0[parent]; };
    for (int i = 0; i < ped.n; ++i) {
        switch (ped.kind[i]) {
        case TimKind::Founder:
            g0[i] = next_gene++;
            g1[i] = next_gene++;
            break;
        case TimKind::InbredFounder:
            g0[i] = g1[i] = next_gene++;
            break;
        case TimKind::OneParent:
            g0[i] = gamete(ped.parent0[i]);
            g1[i] = next_gene++;  // from an unknown base individual
            break;
        case TimKind::TwoParents:
            g0[i] = gamete(ped.parent0[i]);
            g1[i] = gamete(ped.parent1[i]);
            break;
        case TimKind::Selfed:
            g0[i] = gamete(ped.parent0[i]);
            g1[i] = gamete(ped.parent0[i]);
            break;
        case TimKind::DoubledHaploid:
            g0[i] = g1[i] = gamete(ped.parent0[i]);
            break;
        }
    }
}

// Adds one to count[b][a] (b >= a, carrier slots) for every two carriers
// with the same heterozygous pair at this locus, the diagonal included.
void count_shared_pairs(const std::vector<int>& carriers, const std::vector<int>& g0, const std::vector<int>& g1,
                        std::vector<std::pair<std::uint64_t, int>>& keyed, Table<std::uint16_t>& count)
{
    keyed.clear();
    for (int s = 0; s < static_cast<int>(carriers.size()); ++s) {
        const int i = carriers[s];
        if (g0[i] == g1[i]) continue;
        const auto lo = static_cast<std::uint64_t>(std::min(g0[i], g1[i]));
        const auto hi = static_cast<std::uint64_t>(std::max(g0[i], g1[i]));
        keyed.emplace_back((hi << 32) | lo, s);
    }
    std::sort(keyed.begin(), keyed.end());  // groups of one pair, slots ascending within
    std::size_t start = 0;
    while (start < keyed.size()) {
        std::size_t end = start + 1;
        while (end < keyed.size() && keyed[end].first == keyed[start].first) ++end;
        for (std::size_t b = start; b < end; ++b) {
            std::uint16_t* row = count[keyed[b].second];
            for (std::size_t a = start; a <= b; ++a) ++row[keyed[a].second];
        }
        start = end;
    }
}

}  // namespace

bool tim_dominance_applies(const Par& p, const TimPedigree& ped)
{
    constexpr int kTimDominance = 3;   // TIMnumrm value with dominance effects
    constexpr int kIbdAnalysis = 2;    // indicQTL of the IBD analysis
    return p.n_traits == 1 && TIMnumrm == kTimDominance && p.inbred_pop != 0 && ped.block.empty() &&
           p.indicQTL != kIbdAnalysis;
}

std::vector<int> dominance_carriers(const TimPedigree& ped)
{
    std::vector<int> carriers;
    for (int i = 0; i < ped.n; ++i)
        if (1.0 - ped.inbreeding[i] > kHomozygousTolerance) carriers.push_back(i);
    return carriers;
}

void drop_genes(const TimPedigree& ped, const std::vector<int>& carriers, int replicates, Rng& r,
                Table<double>& D, bool progress)
{
    const int m = static_cast<int>(carriers.size());
    Table<std::uint16_t> count(m, m, 0);  // lower triangle; replicates stay below 65536
    std::vector<int> g0(static_cast<std::size_t>(ped.n)), g1(static_cast<std::size_t>(ped.n));
    std::vector<std::pair<std::uint64_t, int>> keyed;
    keyed.reserve(static_cast<std::size_t>(m));
    BitSource bits(r);
    const int step = std::max(1, replicates / kProgressSteps);
    for (int l = 0; l < replicates; ++l) {
        drop_one_locus(ped, bits, g0, g1);
        count_shared_pairs(carriers, g0, g1, keyed, count);
        if (progress && (l + 1) % step == 0) cprint("\n  gene dropping %3d%%", (100 * (l + 1)) / replicates);
    }
    D.assign(m, m, 0.0);
    const double scale = 1.0 / replicates;
    for (int b = 0; b < m; ++b)
        for (int a = 0; a <= b; ++a) D[b][a] = D[a][b] = scale * count[b][a];
}

void find_identical_groups(const Table<double>& D, TimDominance& dom)
{
    const int m = D.rows();
    // Rows hashed (FNV-1a over their bits), equal hashes compared in full.
    std::vector<std::pair<std::uint64_t, int>> keyed;
    for (int s = 0; s < m; ++s) {
        if (!(D[s][s] > 0.0)) continue;
        std::uint64_t h = 1469598103934665603ull;
        for (int k = 0; k < m; ++k) {
            h ^= std::bit_cast<std::uint64_t>(D[s][k]);
            h *= 1099511628211ull;
        }
        keyed.emplace_back(h, s);
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::vector<int>> groups;
    for (std::size_t a = 0; a < keyed.size();) {
        std::size_t b = a + 1;
        while (b < keyed.size() && keyed[b].first == keyed[a].first) ++b;
        std::vector<int> group;
        const double* lead = D[keyed[a].second];
        for (std::size_t c = a; c < b; ++c)
            if (std::equal(lead, lead + m, D[keyed[c].second])) group.push_back(keyed[c].second);
        if (group.size() >= 2) groups.push_back(group);
        a = b;
    }
    std::sort(groups.begin(), groups.end());  // by first slot
    dom.group_start.assign(1, 0);
    dom.group_slots.clear();
    for (const std::vector<int>& g : groups) {
        dom.group_slots.insert(dom.group_slots.end(), g.begin(), g.end());
        dom.group_start.push_back(static_cast<int>(dom.group_slots.size()));
    }
}

void build_tim_dominance(const TimPedigree& ped, Rng& r, TimDominance& dom, bool quiet)
{
    dom = TimDominance{};
    dom.carriers = dominance_carriers(ped);
    const int m = static_cast<int>(dom.carriers.size());
    if (m == 0) return;
    const bool progress = !quiet && m >= kProgressCarriers;
    if (progress) cprint("\nDominance relationships of %d individuals (%d loci dropped)", m, kDominanceReplicates);
    drop_genes(ped, dom.carriers, kDominanceReplicates, r, dom.precision, progress);
    find_identical_groups(dom.precision, dom);
    for (int s = 0; s < m; ++s) dom.precision[s][s] += kDominanceRidge;
    if (progress) cprint("\n  inverse of the dominance relationships");
    if (invert_spd(dom.precision, m) != 0) {
        cprint("\nFailure of Cholesky DC in 'CalcNRMdIL()': no dominance effects");
        dom = TimDominance{};
        return;
    }
    dom.value.assign(static_cast<std::size_t>(m), 0.0);
    dom.active = true;
}

}  // namespace vsk
