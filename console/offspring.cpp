// Offspring chains and final-offspring absorption ("data_modi").
//
// Final offspring are individuals with two known parents, no offspring and
// no marker data. They are absorbed into one record per mating: a parent u
// leads a record for every mate m >= u it has final offspring with (the
// mating of two parents is thus recorded once, by the lower-numbered one).
#include "console/offspring.h"

#include <algorithm>
#include <unordered_map>

#include "console/offspring_log.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

struct Absorption {
    int leading_parents = 0;
    int max_mates = 0;           // largest number of mates of one parent
    int absorbed = 0;
    int max_per_mating = 0;
    int without_phenotype = 0;
};

bool has_marker_data(int i)
{
    if (par.indicQTL <= 0) return false;
    if (i >= mrk.allele1.cols()) return false;
    for (int k = 0; k < mrk.allele1.rows(); ++k)
        if (mrk.allele1[k][i] != 0 || mrk.allele2[k][i] != 0) return true;
    return false;
}

// Individual i (0-based) has a usable first trait.
bool has_phenotype(std::size_t i)
{
    return phe.phenotype.cols() > 0 && phe.phenotype[static_cast<int>(i)][0] != kUnknown;
}

void mark_final_offspring(Absorption& a)
{
    for (std::size_t i = 0; i < obs.size(); ++i) {
        Obs& o = obs[i];
        o.FP = o.fat > 0 && o.mot > 0 && o.pfP == 0 && o.mfP == 0 && !has_marker_data(static_cast<int>(i));
        a.absorbed += o.FP;
    }
}

// Mates m >= u with which u has final offspring, ascending and distinct.
void mates_of(int u, std::vector<int>& mates)
{
    mates.clear();
    auto collect = [&](int child, bool first_chain) {
        for (; child > 0; child = first_chain ? obs[child - 1].pSb : obs[child - 1].mSb) {
            const Obs& o = obs[child - 1];
            if (!o.FP) continue;
            int mate = o.fat == u ? o.mot : o.fat;
            if (mate >= u) mates.push_back(mate);
        }
    };
    collect(obs[u - 1].pfP, true);
    collect(obs[u - 1].mfP, false);
    std::sort(mates.begin(), mates.end());
    mates.erase(std::unique(mates.begin(), mates.end()), mates.end());
}

using PairKey = long long;
PairKey pair_key(int a, int b)
{
    if (a > b) std::swap(a, b);
    return (static_cast<PairKey>(a) << 32) | static_cast<unsigned>(b);
}

// The mating records, leading parent by leading parent.
std::vector<std::pair<int, int>> collect_matings(Absorption& a)
{
    std::vector<std::pair<int, int>> matings;
    std::vector<int> mates;
    for (int u = 1; u <= static_cast<int>(obs.size()); ++u) {
        mates_of(u, mates);
        if (mates.empty()) continue;
        obs[u - 1].fpM = -static_cast<int>(matings.size()) - 1;
        ++a.leading_parents;
        a.max_mates = std::max(a.max_mates, static_cast<int>(mates.size()));
        for (int m : mates) matings.emplace_back(u, m);
    }
    return matings;
}

// Every final offspring joins the record of its two parents.
void fill_matings(Absorption& a, const std::unordered_map<PairKey, int>& record_of)
{
    for (std::size_t i = 0; i < obs.size(); ++i) {
        const Obs& o = obs[i];
        if (!o.FP) continue;
        const int r = record_of.at(pair_key(o.fat, o.mot));
        FinalProgRec& rec = FinalProg[r];
        if (rec.count0 >= kMaxFinalOffspringPerMating) {
            static_assert(kMaxFinalOffspringPerMating == 25, "the message below names the limit");
            cprint("\nToo many FP/mating(>25) %d %d", o.fat, o.mot);
            fatal_exit(1);
        }
        rec.members[rec.count0++] = static_cast<int>(i) + 1;
        a.max_per_mating = std::max(a.max_per_mating, rec.count0);
        if (!has_phenotype(i)) {
            cprint("\nFP w/MISVAL%9s%5d", o.name.c_str(), r + 1);
            ++rec.count1;
            ++a.without_phenotype;
        }
    }
}

// First record of every other parent; chains of records per parent.
int link_matings()
{
    std::vector<int> last(obs.size() + 1, 0);   // last record (1-based) seen per parent
    int empty = 0;
    for (int r = 0; r < static_cast<int>(FinalProg.size()); ++r) {
        FinalProgRec& rec = FinalProg[r];
        const int parents[2] = {std::abs(rec.lead), rec.other};
        for (int side = 0; side < 2; ++side) {
            const int p = parents[side];
            if (side == 1 && p == parents[0]) {
                rec.next_other = rec.next_lead;
                continue;
            }
            if (side == 1 && obs[p - 1].fpM == 0) obs[p - 1].fpM = r + 1;
            if (last[p] > 0) {
                FinalProgRec& prev = FinalProg[last[p] - 1];
                (std::abs(prev.lead) == p ? prev.next_lead : prev.next_other) = r + 1;
            } else {
                obs[p - 1].fp_mating = r + 1;
            }
            last[p] = r + 1;
        }
        if (rec.count0 == 0) ++empty;
    }
    // A self-mating record carries one chain: keep both links equal.
    for (FinalProgRec& rec : FinalProg)
        if (std::abs(rec.lead) == rec.other) rec.next_other = rec.next_lead;
    return empty;
}

void print_final_check()
{
    int leading = 0, others = 0, finals = 0, parents_without = 0;
    for (const Obs& o : obs) {
        leading += o.fpM < 0;
        others += o.fpM > 0;
        finals += o.fpM == 0;
        parents_without += o.fpM == 0 && (o.pfP > 0 || o.mfP > 0);
    }
    cprint("\nFINAL CHECK 'data_modi' ");
    cprint("\n%8d Leading  Parents", leading);
    cprint("\n%8d 'other'  Parents", others);
    cprint("\n%8d Final  Offspring", finals);
    cprint("\n%8d Parents w_out FP", parents_without);
}

void write_mating_list()
{
    if (REDprint || FinalProg.empty()) return;
    File log = open_check_log_for_offspring();
    if (!log) return;
    std::fprintf(log.get(), "\nlist FPmat   lp   sp   LPnextFP SPnextFP\t Finals");
    for (int r = 0; r < static_cast<int>(FinalProg.size()); ++r) {
        const FinalProgRec& rec = FinalProg[r];
        std::fprintf(log.get(), "\n%4d %4d %5d %5d   %5d   %5d\t", r, r + 1, rec.lead, rec.other, rec.next_lead,
                     rec.next_other);
        for (int k = 0; k < rec.count0; ++k) std::fprintf(log.get(), " %4d", rec.members[k]);
    }
}

void absorb_final_offspring()
{
    Absorption a;
    cprint("\nAbsorption of Final Progeny ");
    mark_final_offspring(a);
    const std::vector<std::pair<int, int>> matings = collect_matings(a);
    cprint("\n\n Handling of Final Offspring\n");
    cprint("\n #Leading Parents %4d", a.leading_parents);
    cprint("\n #UniqueMatings   %4d", static_cast<int>(matings.size()));
    cprint("\n Max #FO /parent  %4d\n", a.max_mates);

    FinalProg.clear();
    if (!matings.empty()) InitFPMating(static_cast<int>(matings.size()), kMaxFinalOffspringPerMating + 1);
    std::unordered_map<PairKey, int> record_of;
    record_of.reserve(matings.size() * 2);
    int previous_lead = 0;
    for (int r = 0; r < static_cast<int>(matings.size()); ++r) {
        const auto [lead, mate] = matings[r];
        FinalProg[r].lead = lead == previous_lead ? lead : -lead;
        FinalProg[r].other = mate;
        FinalProg[r].next_lead = FinalProg[r].next_other = 0;
        previous_lead = lead;
        record_of.emplace(pair_key(lead, mate), r);
    }
    fill_matings(a, record_of);
    cprint("\n #  absorbed  FP  %4d", a.absorbed);
    cprint("\n Max #FO /mating  %4d", a.max_per_mating);
    cprint("\n # FP w/out obsv  %4d", a.without_phenotype);
    cprint("\n # empty matings  %4d", link_matings());
    print_final_check();
    write_mating_list();
}

}  // namespace

int chain_second_parent(const Obs& o)
{
    if (o.mot > 0) return o.mot;
    if (o.mot == kSelfed || o.mot == kDbhpld) return o.fat;
    return 0;
}

void link_offspring(std::vector<Obs>& individuals)
{
    const std::size_t n = individuals.size();
    std::vector<int> last_first(n + 1, 0), last_second(n + 1, 0);
    for (Obs& o : individuals) o.pfP = o.mfP = o.pSb = o.mSb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        Obs& o = individuals[i];
        const int self = static_cast<int>(i) + 1;
        if (o.fat <= 0) continue;
        int& lf = last_first[o.fat];
        (lf ? individuals[lf - 1].pSb : individuals[o.fat - 1].pfP) = self;
        lf = self;
        const int second = chain_second_parent(o);
        if (second <= 0) continue;
        int& ls = last_second[second];
        (ls ? individuals[ls - 1].mSb : individuals[second - 1].mfP) = self;
        ls = self;
    }
}

void data_modi()
{
    reset_check_log_start();
    link_offspring(obs);
    for (Obs& o : obs) {
        o.FP = 0;
        o.fpM = 0;
        o.fp_mating = 0;
    }
    if (!par.absorbFP) return;
    absorb_final_offspring();
}

}  // namespace vsk
