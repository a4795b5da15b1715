// Genomic values of the written individuals from all sampled QTL and from
// the QTL in bins with positive Bayes-factor evidence, and their CSV files.
#include "post/genomic_values.h"

#include <cmath>
#include <cstdio>

#include "post/bins.h"
#include "post/intensity.h"
#include "textfile/file.h"

namespace rvn {

namespace {

std::vector<int> used_groups(const PostState& st)
{
    std::vector<int> out;
    for (int g = 0; g < static_cast<int>(st.groups.size()); ++g)
        if (st.groups[g].included != 0) out.push_back(g);
    return out;
}

// Place of every slot of every row after burn-in, computed once:
// places[(r - B) * Q + q].
std::vector<SlotPlace> slot_places(const PostState& st)
{
    const int n = st.s.n(), Q = st.par.maximQTL;
    std::vector<SlotPlace> places;
    places.reserve(static_cast<std::size_t>(std::max(0, n - st.burnin)) * Q);
    for (int r = st.burnin; r < n; ++r)
        for (int q = 0; q < Q; ++q) places.push_back(slot_place(st, r, q));
    return places;
}

// Per-sample value vectors of individual i and trait t over all rows
// (rows before burn-in stay 0 and are never summarised), and the per-group
// sums after burn-in.
struct IndividualSums {
    std::vector<double> total_gp, total_bf;
    std::vector<double> group_gp, group_bf;  // by group index
};

IndividualSums individual_sums(const PostState& st, const std::vector<SlotPlace>& places, int i, int t)
{
    const Samples& s = st.s;
    const int n = s.n(), Q = st.par.maximQTL, S = s.S, F = s.F, T = st.par.n_traits, W = s.geno_per_slot;
    IndividualSums out;
    out.total_gp.assign(n, 0.0);
    out.total_bf.assign(n, 0.0);
    out.group_gp.assign(st.groups.size(), 0.0);
    out.group_bf.assign(st.groups.size(), 0.0);
    for (int r = st.burnin; r < n; ++r) {
        const SlotPlace* place = places.data() + static_cast<std::size_t>(r - st.burnin) * Q;
        for (int q = 0; q < Q; ++q) {
            if (place[q].group < 0) continue;
            const double* slot = s.qtl[r] + q * S;
            const int c = s.qtl_geno[r][q * W + i];
            const double v = additive_part(c, slot[F + t]) + dominance_part(c, slot[F + T + t]);
            out.total_gp[r] += v;
            out.group_gp[place[q].group] += v;
            if (place[q].in_bf) {
                out.total_bf[r] += v;
                out.group_bf[place[q].group] += v;
            }
        }
    }
    return out;
}

void size_table(GbvTable& table, int T)
{
    table.per_group.assign(T, {});
    table.total.assign(T, {});
}

void write_group_file(const PostState& st, const GenomicValues& gv, const GbvTable& table, const std::string& name)
{
    vsk::File f = vsk::open_file(st.path(name), "w");
    if (!f) return;
    std::fprintf(f.get(), "Individual,Trait");
    for (int g : gv.groups) std::fprintf(f.get(), ",%s", st.groups[g].name.c_str());
    for (std::size_t k = 0; k < gv.individuals.size(); ++k)
        for (std::size_t t = 0; t < table.per_group.size(); ++t) {
            std::fprintf(f.get(), "\n%s,%d", gv.names[k].c_str(), static_cast<int>(t) + 1);
            for (double v : table.per_group[t][k]) std::fprintf(f.get(), ",%.4lf", v);
        }
    std::fprintf(f.get(), "\n");
}

void write_sum_file(const PostState& st, const GenomicValues& gv, const GbvTable& table, const std::string& name)
{
    vsk::File f = vsk::open_file(st.path(name), "w");
    if (!f) return;
    std::fprintf(f.get(), "Individual,Trait,Gbv,SD,MCE");
    for (std::size_t k = 0; k < gv.individuals.size(); ++k)
        for (std::size_t t = 0; t < table.total.size(); ++t) {
            const ValueSummary& v = table.total[t][k];
            std::fprintf(f.get(), "\n%s,%d,%.4lf,%.4lf,%.4lf", gv.names[k].c_str(), static_cast<int>(t) + 1, v.mean,
                         v.std, v.mce);
        }
    std::fprintf(f.get(), "\n");
}

}  // namespace

SlotPlace slot_place(const PostState& st, int r, int q)
{
    SlotPlace place;
    const double pos = st.s.qtl_position(r, q);
    if (!(pos > 1.0)) return place;
    const int g = static_cast<int>(std::floor((pos - 98.0) / kGroupSpacing));
    if (g < 0 || g >= static_cast<int>(st.groups.size()) || st.groups[g].included == 0) return place;
    const ChromGroup& group = st.groups[g];
    place.group = g;
    const int b = bin_of(pos, group);
    if (b >= 0 && b < static_cast<int>(group.density.size()))
        place.in_bf = bin_bayes_factor(group.density[b], prior_intensity(st, g, b)) > kGbvBayesThreshold;
    return place;
}

GenomicValues genomic_values(const PostState& st)
{
    GenomicValues gv;
    const Samples& s = st.s;
    if (!s.has_qtl_geno || s.geno_per_slot <= 0 || st.n_post <= 0) return gv;
    const int W = s.geno_per_slot, T = st.par.n_traits;
    const bool names_fit = static_cast<int>(st.names.size()) == W;
    for (int i = 0; i < W; ++i) {
        if (!st.print_flag.empty() && (i >= static_cast<int>(st.print_flag.size()) || !st.print_flag[i])) continue;
        gv.individuals.push_back(i);
        gv.names.push_back(names_fit ? st.names[i] : "ind_" + std::to_string(i + 1));
    }
    gv.groups = used_groups(st);
    size_table(gv.gp, T);
    size_table(gv.bf, T);
    const std::vector<SlotPlace> places = slot_places(st);
    for (int t = 0; t < T; ++t)
        for (int i : gv.individuals) {
            const IndividualSums sums = individual_sums(st, places, i, t);
            std::vector<double> gp, bf;
            for (int g : gv.groups) {
                gp.push_back(sums.group_gp[g] / st.n_post);
                bf.push_back(sums.group_bf[g] / st.n_post);
            }
            gv.gp.per_group[t].push_back(std::move(gp));
            gv.bf.per_group[t].push_back(std::move(bf));
            gv.gp.total[t].push_back(summarise_values(st, sums.total_gp));
            gv.bf.total[t].push_back(summarise_values(st, sums.total_bf));
        }
    return gv;
}

void write_genomic_values(const PostState& st, const GenomicValues& gv)
{
    if (gv.empty()) return;
    write_group_file(st, gv, gv.gp, "Gbv_Genome_gp.csv");
    write_sum_file(st, gv, gv.gp, "Gbv_Sum_gp.csv");
    write_group_file(st, gv, gv.bf, "Gbv_Genome_bf.csv");
    write_sum_file(st, gv, gv.bf, "Gbv_Sum_bf.csv");
}

}  // namespace rvn
