// Screening for hidden null alleles: a homozygous parent whose offspring are
// homozygous for another allele suggests that both carry an unscored null
// allele. When a locus has at least |nullalleleHidden| such offspring, the
// suspect genotypes become missing (negative setting) or receive the null.
#include <cstdlib>
#include <deque>

#include "core/markers/allele_text.h"
#include "core/markers/marker_checks.h"
#include "core/markers/marker_log.h"
#include "core/markers/segregation.h"
#include "core/state/console.h"

namespace vsk {

namespace {

struct ParentCounts {
    int nP = 0, nPerr = 0, nPerrMateOK = 0, nPmiss = 0, nPmissMatehNA = 0;
};

bool homozygous(int a1, int a2) { return a1 == a2 && a1 != kMissingAllele; }

// Other parent of offspring o of p (p itself for a selfing).
int mate_of(const std::vector<Obs>& obs, int o, int p)
{
    const Obs& c = obs[static_cast<std::size_t>(o - 1)];
    if (c.mot_gen == c.fat) return p;
    return c.fat == p ? c.mot_gen : c.fat;
}

ParentCounts count_parent(MarkerData& d, int k, int p, std::vector<char>& flagged)
{
    ParentCounts c;
    const int x = d.a1(k, p);
    for_each_offspring(d.obs, p, [&](int o) {
        ++c.nP;
        const int c1 = d.a1(k, o), c2 = d.a2(k, o);
        const int mate = mate_of(d.obs, o, p);
        const int m1 = mate > 0 ? d.a1(k, mate) : kMissingAllele;
        const int m2 = mate > 0 ? d.a2(k, mate) : kMissingAllele;
        if (c1 == kMissingAllele && c2 == kMissingAllele) {
            ++c.nPmiss;
            if (m1 == x && m2 == x) ++c.nPmissMatehNA;
        } else if (homozygous(c1, c2) && c1 != x) {
            ++c.nPerr;
            flagged[static_cast<std::size_t>(p)] = flagged[static_cast<std::size_t>(o)] = 1;
            if (c1 == m1 || c1 == m2) ++c.nPerrMateOK;
        }
    });
    return c;
}

// Ancestors of i, breadth first, whose genotype may hide a null allele
// (homozygous, or with a missing or putative-null allele).
std::vector<int> compatible_ancestors(MarkerData& d, int k, int i)
{
    std::vector<int> list;
    std::vector<char> seen(static_cast<std::size_t>(d.n_ind() + 1), 0);
    std::deque<int> queue{i};
    while (!queue.empty()) {
        const Obs& o = d.ind(queue.front());
        queue.pop_front();
        if (o.fat <= 0) continue;
        for (int parent : {o.fat, o.mot}) {
            if (parent <= 0 || seen[static_cast<std::size_t>(parent)]) continue;
            const int a1 = d.a1(k, parent), a2 = d.a2(k, parent);
            const bool compatible = homozygous(a1, a2) || a1 == kMissingAllele || a2 == kMissingAllele ||
                                    a1 == kPutativeNull || a2 == kPutativeNull;
            if (!compatible) continue;
            seen[static_cast<std::size_t>(parent)] = 1;
            list.push_back(parent);
            queue.push_back(parent);
        }
    }
    return list;
}

void set_missing(MarkerData& d, int k, int i) { d.a1(k, i) = d.a2(k, i) = kMissingAllele; }

void treat_flagged_parent(MarkerData& d, int k, int p, bool to_missing)
{
    int x = d.a1(k, p);
    if (x == kMissingAllele) x = d.mrk.code1_obs[k][p - 1];
    for_each_offspring(d.obs, p, [&](int o) {
        if (!homozygous(d.a1(k, o), d.a2(k, o))) return;
        if (to_missing) set_missing(d, k, o);
        else if (d.a1(k, o) != x) d.a2(k, o) = kConfirmedNull;
    });
    const std::vector<int> ancestors = compatible_ancestors(d, k, p);
    if (to_missing) {
        if (homozygous(d.a1(k, p), d.a2(k, p))) set_missing(d, k, p);
        for (int a : ancestors)
            if (homozygous(d.a1(k, a), d.a2(k, a))) set_missing(d, k, a);
        return;
    }
    d.a2(k, p) = kConfirmedNull;
    for (int a : ancestors)
        if (d.a1(k, a) != kMissingAllele && d.a2(k, a) != kConfirmedNull) d.a2(k, a) = kPutativeNull;
}

// Offspring of carriers of one confirmed null: a homozygote of the carrier's
// other allele is ambiguous (missing), any other homozygote carries the null.
void propagate_confirmed_nulls(MarkerData& d, int k)
{
    for (int i = 1; i <= d.n_ind(); ++i) {
        const int x = d.a1(k, i);
        if (d.a2(k, i) != kConfirmedNull || x < 1 || x == kMissingAllele) continue;
        for_each_offspring(d.obs, i, [&](int o) {
            if (!homozygous(d.a1(k, o), d.a2(k, o))) return;
            if (d.a1(k, o) == x) set_missing(d, k, o);
            else d.a2(k, o) = kConfirmedNull;
        });
    }
}

void add_null_allele(Mrkrlcs& m)
{
    const bool had_null = m.has_putative_null || m.has_confirmed_null;
    m.has_putative_null = 1;
    if (!had_null) {
        ++m.n_alleles;
        m.allele_value.push_back(kPutativeNull);
        if (static_cast<int>(m.freq.size()) < m.n_alleles) m.freq.resize(static_cast<std::size_t>(m.n_alleles));
    }
    m.has_confirmed_null = 1;
}

void write_rows(std::FILE* f, MarkerData& d, int k, const std::vector<ParentCounts>& counts,
                const std::vector<std::int8_t>& old1, const std::vector<std::int8_t>& old2)
{
    const Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
    for (int i = 1; i <= d.n_ind(); ++i) {
        const ParentCounts& c = counts[static_cast<std::size_t>(i)];
        if (c.nPerr <= 0 && c.nPmiss <= 0) continue;
        std::fprintf(f, "\n%s,%s", m.name.c_str(), d.ind(i).name.c_str());
        for (int a : {int(old1[static_cast<std::size_t>(i - 1)]), int(old2[static_cast<std::size_t>(i - 1)]),
                      int(d.a1(k, i)), int(d.a2(k, i))})
            std::fprintf(f, ",%s", allele_text(d.par, m, a).c_str());
        std::fprintf(f, ",%d,%d,%d,%d,%d", c.nP, c.nPerr, c.nPerrMateOK, c.nPmiss, c.nPmissMatehNA);
    }
}

void screen_locus(MarkerData& d, int k, int threshold, bool to_missing, std::FILE* csv)
{
    std::vector<ParentCounts> counts(static_cast<std::size_t>(d.n_ind() + 1));
    std::vector<char> flagged(static_cast<std::size_t>(d.n_ind() + 1), 0);
    int total = 0;
    for (int p = 1; p <= d.n_ind(); ++p) {
        if (!homozygous(d.a1(k, p), d.a2(k, p))) continue;
        counts[static_cast<std::size_t>(p)] = count_parent(d, k, p, flagged);
        total += counts[static_cast<std::size_t>(p)].nPerr;
    }
    const std::vector<std::int8_t> old1(d.mrk.code1[k], d.mrk.code1[k] + d.n_ind());
    const std::vector<std::int8_t> old2(d.mrk.code2[k], d.mrk.code2[k] + d.n_ind());
    if (total >= threshold) {
        int parents = 0;
        for (int p = 1; p <= d.n_ind(); ++p) {
            if (counts[static_cast<std::size_t>(p)].nPerr <= 0) continue;
            ++parents;
            treat_flagged_parent(d, k, p, to_missing);
        }
        propagate_confirmed_nulls(d, k);
        Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
        cprint("\nLCS %d,%s hidden NULL alleles: %d parents!", k + 1, m.name.c_str(), parents);
        add_null_allele(m);
    }
    if (csv) write_rows(csv, d, k, counts, old1, old2);
}

}  // namespace

void screen_hidden_nulls(MarkerData& d)
{
    crule(2, 79, 1);
    cprint("SCREEN HIDDEN NULL MARKER ALLELES");
    const int threshold = std::abs(d.par.nullalleleHidden);
    const bool to_missing = d.par.nullalleleHidden < 0;
    File csv = REDprint ? File() : open_file("hiddenNullAlleles.csv", "w");
    if (csv) {
        std::fprintf(csv.get(), "SNPname,IDname,a1.old,a2.old,a1.new,a2.new,nP,nPerr");
        std::fprintf(csv.get(), ",nPerrMateOK,nPmiss,nPmissMatehNA");
    }
    for (int k = 0; k < d.n_loci(); ++k) screen_locus(d, k, threshold, to_missing, csv.get());
    if (csv) std::fprintf(csv.get(), "\n");
}

}  // namespace vsk
