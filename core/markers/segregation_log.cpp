// Fixed texts of the segregation check in marker.log: the legend of a check
// stage and the header of each locus.
#include "core/markers/segregation.h"
#include "textfile/textfile.h"

namespace vsk {

void log_check_legend(std::FILE* f, const Par& p, int stage)
{
    if (!f) return;
    printline(f, 2, 79, 1);
    std::fprintf(f, "MARKER SEGREGATION CHECK%s", stage == 0 ? " - no modifications" : " - with modifications");
    printline(f, 1, 79, 0);
    std::fprintf(f, "\nNOTE: Prob(non Mend Segr) = %lf", p.MSegAlpha);
    std::fprintf(f, "\nNOTE: Neutralize Segr Dist= %d", p.MSegDelta);
    if (p.PrbHtzInb != 0.0) std::fprintf(f, "\nNOTE: Prob(HtzGtpInb)     = %lf", p.PrbHtzInb);
    std::fprintf(f, "\nNOTE: Threshold prob to accept configuration = %lf", kAcceptProb);
    std::fprintf(f, "\nNOTE: Threshold prob to impute configuration = %lf", kImputeProb);
    printstars(f, 2, 65, 0);
    static const char* const kExplanation[] = {
        "\nExplanation:", "\n IND       : name of individual", "\n A1        : allele 1", "\n A2        : allele 2",
        "\n P(A1A2)   : probability genotype A1A2 conditional on genotypes",
        "\n             of its neighbors, i.e, parents, offspring & mates",
        "\n (<-)      : indicator for observed marker genotype", "\nFormat:", "\nIND", "\n  A1 A2     P(A1A2) (<-)",
        "\nNote:"};
    for (const char* line : kExplanation) std::fputs(line, f);
    std::fprintf(f, "\n Printed only if P(A1A2) > %.4lf (threshold probability)", kAcceptProb);
    std::fputs("\n", f);
    static const char* const kMenu[] = {
        "\nMENU codes:",
        "\nM 'missing'     1=1st allele missing;",
        "\n                2=2nd allele missing;",
        "\n                3=both alleles missing",
        "\nE 'error'       1=no consistent genotype possible",
        "\n                2=putative null-allele genotype inconsistent",
        "\n                3=genotype inconsistent",
        "\n                4=partially observed genotype(1st) inconsistent",
        "\n                5=partially observed genotype(2nd) inconsistent",
        "\nN 'null allele' 1=evidence for null-allele",
        "\n                2=evidence for consistent (unique) null-allele",
        "\nU 'unique'      1=confirmation null-allele genotype",
        "\n                2=completion of (partial) missing genotype",
        "\n                3=homozygote genotype",
        "\n                4=homozygote genotype for inbred population"};
    for (const char* line : kMenu) std::fputs(line, f);
    printstars(f, 1, 65, 1);
}

void log_locus_header(std::FILE* f, const Mrkrlcs& m, int k)
{
    if (!f) return;
    std::fprintf(f, "\n\nLocusName %-20s (%d)", m.name.c_str(), k + 1);
    if (m.n_alleles == 0) {
        std::fprintf(f, " : no alleles observed ");
        return;
    }
    for (int c = 1; c <= m.n_alleles; ++c) std::fprintf(f, c == 1 ? "\n %4d" : " %4d", c);
    std::fprintf(f, "  ;alleles coded in Voskara");
    for (int c = 1; c <= m.n_alleles; ++c)
        std::fprintf(f, c == 1 ? "\n %4d" : " %4d", m.allele_value[static_cast<std::size_t>(c - 1)]);
    std::fprintf(f, "  ;alleles original in data\n");
}

}  // namespace vsk
