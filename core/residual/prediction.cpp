// Running posterior mean of every individual's genetic prediction: the
// overall mean plus the genetic effects of the models in use. Nuisance
// effects other than the overall mean are not part of the prediction.
#include <algorithm>

#include "core/residual/residual.h"

namespace vsk {

namespace {

// Genotypic value on trait j of individual i (0-based) at every active gene
// of the first `count` records.
template <class GeneRecord>
double genetic_value(const std::vector<GeneRecord>& genes, int count, std::size_t i, int j)
{
    double g = 0.0;
    const int n = std::min(count, static_cast<int>(genes.size()));
    for (int k = 0; k < n; ++k) {
        const GeneRecord& gene = genes[k];
        if (gene.status == 0 || i >= gene.gtp.size()) continue;
        const int code = gene.gtp[i];
        if (code >= 0 && code < gene.gval.rows() && j < gene.gval.cols()) g += gene.gval[code][j];
    }
    return g;
}

}  // namespace

void prediction_phenotype(const Par& p, const std::vector<Gene>& qtl, const std::vector<Polygene>& fpm,
                          Phe& ph, double& calls)
{
    const int t = p.n_traits;
    calls += 1.0;
    const double w = (calls - 1.0) / calls;
    const bool with_qtl = p.indicQTL != 0;
    const bool with_fpm = p.indicFPM != 0;
    const bool with_tim = p.indicTIM != 0;
    for (int j = 0; j < t; ++j) {
        const double mean = p.n_levels > 0 ? p.nuis_effects[0][j] : 0.0;
        for (int row = 0; row < ph.prediction.rows(); ++row) {
            const std::size_t i = static_cast<std::size_t>(row);
            double g = mean;
            if (with_qtl) g += genetic_value(qtl, p.maximQTL, i, j);
            if (with_fpm) g += genetic_value(fpm, p.maximFPM, i, j);
            if (with_tim) g += ph.infpoleff[row][j] + ph.timdom[row][j];
            ph.prediction[row][j] = g / calls + w * ph.prediction[row][j];
        }
    }
}

}  // namespace vsk
