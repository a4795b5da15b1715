// Allele coding: the distinct raw values of a locus, ascending, become codes
// 1..n_alleles; a null allele (putative or confirmed) takes the last code.
#include <algorithm>

#include "core/markers/marker_checks.h"
#include "core/state/console.h"
#include "core/state/version.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

// Raw value as coding sees it: an excluded marker carries no information,
// so every scored allele of it counts as the same allele.
int coding_value(const Mrkrlcs& m, int raw) { return m.excluded && raw != 0 ? 1 : raw; }

// Distinct non-zero values of locus k, ascending as signed integers.
std::vector<int> distinct_values(const MarkerData& d, int k)
{
    const Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
    std::vector<int> seen;
    auto add = [&](int raw) {
        const int v = coding_value(m, raw);
        if (v != 0 && std::find(seen.begin(), seen.end(), v) == seen.end()) seen.push_back(v);
    };
    const int* r1 = d.mrk.allele1[k];
    const int* r2 = d.mrk.allele2[k];
    for (int i = 0; i < d.n_ind(); ++i) {
        add(r1[i]);
        add(r2[i]);
    }
    std::sort(seen.begin(), seen.end());
    return seen;
}

[[noreturn]] void too_many_alleles(int count, int k, const Mrkrlcs& m)
{
    cprint("\n\nERROR in function 'CodeMarkerAlleles()'");
    cprint("\n too many alleles (%d) for marker locus [%d] %s", count, k + 1, m.name.c_str());
    cprint("\n Please report this message a.s.a.p. ");
    cprint("\n aborting Voskara%s", kVersion);
    fatal_exit(1);
}

// Per-locus allele table from the distinct values.
void set_locus_alleles(Mrkrlcs& m, int k, const std::vector<int>& values)
{
    m.has_putative_null = m.has_confirmed_null = 0;
    std::vector<int> positive;
    for (int v : values) {
        if (v == kConfirmedNull) m.has_confirmed_null = 1;
        else if (v == kPutativeNull) m.has_putative_null = 1;
        else positive.push_back(v);
    }
    const bool null = m.has_putative_null || m.has_confirmed_null;
    const int n = static_cast<int>(positive.size()) + (null ? 1 : 0);
    if (n >= kTooManyAlleles) too_many_alleles(n, k, m);
    m.n_alleles = n;
    m.allele_value = positive;
    if (null) m.allele_value.push_back(kPutativeNull);
    if (static_cast<int>(m.freq.size()) < n) m.freq.resize(static_cast<std::size_t>(n));
    for (int c = 0; c < n; ++c) m.freq[static_cast<std::size_t>(c)] = 1.0 / std::max(n, 1);
}

std::int8_t code_of(const Mrkrlcs& m, int raw)
{
    const int v = coding_value(m, raw);
    if (v == 0) return kMissingAllele;
    if (v < 0) return static_cast<std::int8_t>(v);
    const int positives = m.n_alleles - ((m.has_putative_null || m.has_confirmed_null) ? 1 : 0);
    auto end = m.allele_value.begin() + positives;
    return static_cast<std::int8_t>(std::lower_bound(m.allele_value.begin(), end, v) - m.allele_value.begin() + 1);
}

void code_locus(MarkerData& d, int k)
{
    Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
    set_locus_alleles(m, k, distinct_values(d, k));
    const int* r1 = d.mrk.allele1[k];
    const int* r2 = d.mrk.allele2[k];
    std::int8_t* c1 = d.mrk.code1[k];
    std::int8_t* c2 = d.mrk.code2[k];
    for (int i = 0; i < d.n_ind(); ++i) {
        c1[i] = code_of(m, r1[i]);
        c2[i] = code_of(m, r2[i]);
    }
    std::copy(c1, c1 + d.n_ind(), d.mrk.code1_obs[k]);
    std::copy(c2, c2 + d.n_ind(), d.mrk.code2_obs[k]);
}

// Count of each code among all alleles of locus k (nulls on the last code).
std::vector<int> code_counts(const MarkerData& d, int k)
{
    const int n = d.loci[static_cast<std::size_t>(k)].n_alleles;
    std::vector<int> count(static_cast<std::size_t>(std::max(n, 0)), 0);
    for (const Table<std::int8_t>* t : {&d.mrk.code1, &d.mrk.code2})
        for (int i = 0; i < d.n_ind(); ++i) {
            const int c = (*t)[k][i];
            if (c == kMissingAllele) continue;
            const int slot = c < 0 ? n : c;
            if (slot >= 1 && slot <= n) ++count[static_cast<std::size_t>(slot - 1)];
        }
    return count;
}

void print_coding_table(const MarkerData& d)
{
    const int slots = d.par.max_alleles;
    cprint("\n\nlocus.....");
    cprint("          ");
    cprint(" Alleles...");
    for (int s = 0; s < slots - 2; ++s) cprint(" ....");
    cprint(" Counts....");
    for (int s = 0; s < slots - 2; ++s) cprint(" ....");
    for (int k = 0; k < d.n_loci(); ++k) {
        const Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
        cprint("\n%-20s ", m.name.c_str());
        for (int s = 0; s < std::max(slots, m.n_alleles); ++s) {
            if (s < m.n_alleles) cprint(" %4d", m.allele_value[static_cast<std::size_t>(s)]);
            else cprint("    .");
        }
        cprint(" ");
        for (int c : code_counts(d, k)) cprint(" %4d", c);
    }
}

}  // namespace

void code_marker_alleles(MarkerData& d)
{
    crule(2, 79, 1);
    cprint("CODE MARKER ALLELES");
    size_marker_code_tables(d);
    for (int k = 0; k < d.n_loci(); ++k) code_locus(d, k);
    if (!REDprint) print_coding_table(d);
}

}  // namespace vsk
