// Screening of coded genotypes: spurious genotypes, reordering, putative
// nulls to missing, deletion of partially known genotypes.
#include "core/markers/allele_text.h"
#include "core/markers/marker_checks.h"
#include "core/markers/marker_log.h"
#include "core/state/console.h"

namespace vsk {

namespace {

bool is_null(int a) { return a == kPutativeNull || a == kConfirmedNull; }
bool ordinary(int a) { return a != kMissingAllele && !is_null(a); }

struct ScreenCounts {
    int deleted = 0, partial = 0, reordered = 0;
};

void heading(std::FILE* log, const char* text)
{
    crule(2, 79, 1);
    cprint("%s", text);
    if (!log) return;
    log_rule(log, 2, 1);
    std::fprintf(log, "%s", text);
}

// One genotype; returns what happened to it.
void screen_genotype(MarkerData& d, int k, int i, ScreenCounts& c, std::FILE* log)
{
    std::int8_t& a1 = d.a1(k, i);
    std::int8_t& a2 = d.a2(k, i);
    const bool spurious = (is_null(a1) && a2 == kMissingAllele) || (is_null(a2) && a1 == kMissingAllele) ||
                          (a1 == kPutativeNull && a2 == kPutativeNull);
    if (spurious) {
        if (log)
            std::fprintf(log, "\nDeletion %s, %s,   %d,%d", d.ind(i).name.c_str(),
                         d.loci[static_cast<std::size_t>(k)].name.c_str(), a1, a2);
        a1 = a2 = kMissingAllele;
        ++c.deleted;
        return;
    }
    if ((a1 == kMissingAllele) != (a2 == kMissingAllele)) ++c.partial;
    if (ordinary(a2) && (a1 == kMissingAllele || is_null(a1))) {
        std::swap(a1, a2);
        ++c.reordered;
    }
}

void print_screen_summary(const ScreenCounts& all)
{
    if (all.deleted > 0) cprint("\nDeletions!");
    if (all.deleted == 0 && all.partial == 0 && all.reordered == 0) {
        cprint("\nOK");
        return;
    }
    if ((all.deleted > 0 || all.partial > 0) && !(all.deleted > 0 && all.partial == 0)) cprint("\nIncompletions!");
    if (all.reordered > 0) cprint("\nReorderings!");
    cprint("\n(see file '%s' for details)", kMarkerLog);
}

}  // namespace

void screen_suspicious_alleles(MarkerData& d)
{
    File log = open_marker_log();
    heading(log.get(), "SCREEN SUSPICIOUS MARKER ALLELES");
    if (d.n_loci() == 0) {
        cprint("\nOK");
        return;
    }
    ScreenCounts all;
    for (int k = 0; k < d.n_loci(); ++k) {
        ScreenCounts c;
        for (int i = 1; i <= d.n_ind(); ++i) screen_genotype(d, k, i, c, log.get());
        const char* name = d.loci[static_cast<std::size_t>(k)].name.c_str();
        if (log && c.deleted > 0) std::fprintf(log.get(), "\n%d Deletion  spurious genotypes for marker %s", c.deleted, name);
        if (log && c.partial > 0) std::fprintf(log.get(), "\n%d Partially observed genotypes for marker %s", c.partial, name);
        if (log && c.reordered > 0) std::fprintf(log.get(), "\n%d Reordered observed genotypes for marker %s", c.reordered, name);
        all.deleted += c.deleted;
        all.partial += c.partial;
        all.reordered += c.reordered;
    }
    print_screen_summary(all);
}

int putative_nulls_to_missing(MarkerData& d)
{
    File log = open_marker_log();
    crule(2, 79, 1);
    cprint("NULL ALLELES TO HOMOZYGOTE GENOTYPES");
    if (log) {
        log_rule(log.get(), 2, 1);
        std::fprintf(log.get(), "NULL ALLELES TO HOMOZYGOTE GENOTYPES");
        log_rule(log.get(), 1, 0);
    }
    int changed = 0;
    bool first = true;
    for (int k = 0; k < d.n_loci(); ++k) {
        if (!d.loci[static_cast<std::size_t>(k)].has_putative_null) continue;
        int here = 0;
        for (int i = 1; i <= d.n_ind(); ++i) {
            std::int8_t& a1 = d.a1(k, i);
            std::int8_t& a2 = d.a2(k, i);
            if (a1 != kPutativeNull && a2 != kPutativeNull) continue;
            here += (a1 == kPutativeNull) + (a2 == kPutativeNull);
            a1 = a2 = kMissingAllele;
            d.status(k, i) = kPutNullMissing;
        }
        if (here == 0) continue;
        if (log)
            std::fprintf(log.get(), "\nMarker %s : %d putative null-alleles to missing(20061221)",
                         d.loci[static_cast<std::size_t>(k)].name.c_str(), here);
        if (first) cprint("\nPutative alleles found!\n(see file '%s' for details)", kMarkerLog);
        first = false;
        changed += here;
    }
    if (first) cprint("\nNo putative alleles found");
    return changed;
}

void delete_partial_genotypes(MarkerData& d)
{
    File log = open_marker_log();
    crule(2, 79, 1);
    cprint("DELETION OF PARTIALLY KNOWN MARKER GENOTYPES");
    if (log) {
        log_rule(log.get(), 2, 1);
        std::fprintf(log.get(), "DELETE PARTIALLY KNOWN MARKER GENOTYPES");
        log_rule(log.get(), 1, 0);
    }
    int deleted = 0;
    for (int k = 0; k < d.n_loci(); ++k) {
        const Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
        for (int i = 1; i <= d.n_ind(); ++i) {
            std::int8_t& a1 = d.a1(k, i);
            std::int8_t& a2 = d.a2(k, i);
            if ((a1 == kMissingAllele) == (a2 == kMissingAllele)) continue;
            if (log) {
                std::fprintf(log.get(), "\nDeletion: %s %s", d.ind(i).name.c_str(), m.name.c_str());
                std::fprintf(log.get(), "%6s", allele_text(d.par, m, a1).c_str());
                std::fprintf(log.get(), ",%-6s", allele_text(d.par, m, a2).c_str());
            }
            a1 = a2 = kMissingAllele;
            d.status(k, i) = kIncompleteMissing;
            ++deleted;
        }
    }
    if (deleted > 0) {
        cprint("\nDeletion of partially known genotypes (n=%d)", deleted);
        cprint("\n(see file '%s' for details)", kMarkerLog);
    }
}

void recode_confirmed_nulls(MarkerData& d)
{
    for (int k = 0; k < d.n_loci(); ++k) {
        const int null_code = d.loci[static_cast<std::size_t>(k)].n_alleles;
        std::int8_t* rows[] = {d.mrk.code1[k], d.mrk.code2[k]};
        for (std::int8_t* row : rows)
            for (int i = 0; i < d.n_ind(); ++i)
                if (row[i] == kConfirmedNull) row[i] = static_cast<std::int8_t>(null_code);
    }
}

}  // namespace vsk
