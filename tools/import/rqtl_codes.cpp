// Genotype codes of R/qtl crosses. Two-parent crosses: A and B homozygous
// for the allele of the first and the second founder, H heterozygous, D "not
// BB" and C "not AA" (one allele known). Four-way crosses (founders A, B of
// the first F1 and C, D of the second): 1 AC, 2 BC, 3 AD, 4 BD, 5-8 one
// allele known (A, B, C, D), 9-14 pairs of genotypes that name no allele.
// Allele words: A and B in two-parent crosses (the data file reads the
// letters as alleles 1 and 5); 11, 12, 13, 14 for the four-way founders A, B,
// C, D (a one-character word other than a letter would read as unscored).
#include <map>

#include "tools/import/import_error.h"
#include "tools/import/rqtl.h"
#include "tools/import/text_table.h"

namespace vimp {

RqtlCross rqtl_cross(const std::string& name)
{
    static const std::map<std::string, RqtlCross> names{{"f2", RqtlCross::F2},
                                                        {"bc", RqtlCross::Backcross},
                                                        {"riself", RqtlCross::RilSelf},
                                                        {"dh", RqtlCross::DoubledHaploid},
                                                        {"4way", RqtlCross::FourWay}};
    const auto it = names.find(name);
    if (it == names.end()) fail("--cross " + name + ": one of f2, bc, riself, dh, 4way");
    return it->second;
}

namespace {

Alleles two_parent(RqtlCross cross, const std::string& code)
{
    struct Entry {
        const char* a1;
        const char* a2;
        CodeKind kind;
    };
    static const std::map<std::string, Entry> table{{"A", {"A", "A", CodeKind::Full}},
                                                    {"H", {"A", "B", CodeKind::Full}},
                                                    {"B", {"B", "B", CodeKind::Full}},
                                                    {"D", {"A", "-", CodeKind::Partial}},
                                                    {"C", {"B", "-", CodeKind::Partial}}};
    const auto it = table.find(code);
    if (it == table.end()) return {};
    Alleles a{it->second.a1, it->second.a2, it->second.kind};
    // Kept as read so the analysis's segregation check reports them.
    const bool impossible = (cross == RqtlCross::Backcross && code == "B") ||
                            ((cross == RqtlCross::DoubledHaploid || cross == RqtlCross::RilSelf) && code == "H");
    if (impossible) a.kind = CodeKind::Unexpected;
    return a;
}

Alleles four_way(const std::string& code)
{
    static const std::map<std::string, Alleles> table{
        {"1", {"11", "13", CodeKind::Full}},   {"2", {"12", "13", CodeKind::Full}},
        {"3", {"11", "14", CodeKind::Full}},   {"4", {"12", "14", CodeKind::Full}},
        {"5", {"11", "-", CodeKind::Partial}}, {"6", {"12", "-", CodeKind::Partial}},
        {"7", {"13", "-", CodeKind::Partial}}, {"8", {"14", "-", CodeKind::Partial}},
        {"9", {"-", "-", CodeKind::Lost}},    {"10", {"-", "-", CodeKind::Lost}},
        {"11", {"-", "-", CodeKind::Lost}},   {"12", {"-", "-", CodeKind::Lost}},
        {"13", {"-", "-", CodeKind::Lost}},   {"14", {"-", "-", CodeKind::Lost}}};
    const auto it = table.find(code);
    return it == table.end() ? Alleles{} : it->second;
}

}  // namespace

Alleles rqtl_genotype(RqtlCross cross, const std::string& code)
{
    if (is_missing_word(code)) return {"-", "-", CodeKind::Missing};
    return cross == RqtlCross::FourWay ? four_way(code) : two_parent(cross, code);
}

}  // namespace vimp
