// The initial QTL model as written to "check.log" before the chain: each
// QTL's interval, position, genetic model and its recombination fractions
// with the nearby markers and the other QTL.
#include "core/qtl/qtl.h"
#include "textfile/file.h"

namespace vsk {

namespace {

constexpr double kLinked = 0.49;
constexpr int kEffectKinds = 4;

void write_slot(std::FILE* f, const QtlModel& m, const Gene& g)
{
    std::fprintf(f, " \n");
    std::fprintf(f, "QTL interval is %d and position is %.4f \n", g.interval, g.pos);
    std::fprintf(f, " \n");
    std::fprintf(f, "Starting genetic model: \n");
    std::fprintf(f, "%d alleles \n", g.altype + 2);
    std::fprintf(f, "%d genotypes \n", g.ngtp);
    std::fprintf(f, "%d parameters that define genotypic effects \n", kEffectKinds);
    std::fprintf(f, "Recombination rates between QTL and markers \n \n");
    const Chr& c = m.chr[static_cast<std::size_t>(g.chrom)];
    for (int k = c.fMrkr; k <= c.lMrkr; ++k)
        if (g.rfmrk[static_cast<std::size_t>(k)] < kLinked)
            std::fprintf(f, "Marker %d : %.4f  \n", k + 1, g.rfmrk[static_cast<std::size_t>(k)]);
    std::fprintf(f, " \n");
    std::fprintf(f, " \n");
}

}  // namespace

void write_initial_qtl_values(QtlModel& m)
{
    if (REDprint || m.p.indicQTL != 1 || m.p.nqtl == 0) return;
    File file = open_file("check.log", "a");
    if (!file) return;
    std::FILE* f = file.get();
    std::fprintf(f, "\n\nINITIAL VALUES (QTL-related): ");
    for (const Gene& g : m.gene)
        if (g.status != 0) write_slot(f, m, g);
    if (m.p.nqtl <= 1) return;
    std::fprintf(f, "Recombination rates between QTLs \n \n");
    for (int a = 0; a < m.p.maximQTL; ++a)
        for (int b = a + 1; b < m.p.maximQTL; ++b) {
            const Gene& g = m.gene[static_cast<std::size_t>(a)];
            if (g.status == 0 || m.gene[static_cast<std::size_t>(b)].status == 0) continue;
            std::fprintf(f, "QTL %d - QTL %d : %.4f \n", a + 1, b + 1, g.rfqtl[static_cast<std::size_t>(b)]);
        }
}

}  // namespace vsk
