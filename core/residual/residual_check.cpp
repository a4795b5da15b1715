// Residuals recomputed from the phenotypes and every fitted term.
#include "core/residual/residual_check.h"

#include <algorithm>
#include <cmath>

#include "core/residual/residual.h"

namespace vsk {

namespace {

double nuisance_fit(const Par& p, const Obs& ind, int j)
{
    double fit = 0.0;
    for (int c = 0; c < p.n_nuis && c < static_cast<int>(ind.X_nuis.size()); ++c) {
        const int k = ind.X_nuis[c];
        if (k < 1 || k > p.level_last[c] - p.level_first[c] + 1) continue;
        fit += p.nuis_effects[p.level_first[c] + k - 1][j];
    }
    return fit;
}

// Genotypic value on trait j of individual row i at every gene in the model
// among the first `count` records.
template <class GeneRecord>
double genes_fit(const std::vector<GeneRecord>& genes, int count, int i, int j)
{
    double fit = 0.0;
    const int n = std::min(count, static_cast<int>(genes.size()));
    for (int k = 0; k < n; ++k) {
        const GeneRecord& g = genes[k];
        if (g.status == 0 || i >= static_cast<int>(g.gtp.size())) continue;
        fit += g.gval[g.gtp[static_cast<std::size_t>(i)]][j];
    }
    return fit;
}

}  // namespace

ResidualCheck check_residuals(const Par& p, const std::vector<Obs>& o, const Phe& ph, const std::vector<Gene>& qtl,
                              const std::vector<Polygene>& fpm)
{
    ResidualCheck check;
    const int n = std::min(static_cast<int>(o.size()), ph.residual.rows());
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < p.n_traits; ++j) {
            if (ph.phenotype[i][j] != 1) continue;  // imputed values have no Y; kUnknown is not used
            double fit = nuisance_fit(p, o[static_cast<std::size_t>(i)], j);
            if (p.indicQTL != 0) fit += genes_fit(qtl, p.maximQTL, i, j);
            if (p.indicFPM != 0) fit += genes_fit(fpm, p.maximFPM, i, j);
            if (p.indicTIM != 0) fit += ph.infpoleff[i][j] + ph.timdom[i][j];
            const double y = analysed_phenotype(p, ph.Y[i][j], j);
            const double difference = std::fabs(y - fit - ph.residual[i][j]);
            check.max_phenotype = std::max(check.max_phenotype, std::fabs(y));
            if (check.individual == 0 || difference > check.max_difference) {
                check.max_difference = difference;
                check.individual = i + 1;
                check.trait = j;
            }
        }
    return check;
}

}  // namespace vsk
