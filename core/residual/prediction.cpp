// Running posterior mean of every individual's genetic prediction: the
// overall mean plus the genetic effects of the models in use. Nuisance
// effects other than the overall mean are not part of the prediction.
#include "core/residual/residual.h"

namespace vsk {

void prediction_phenotype(const Par& p, std::vector<Obs>& o, double& calls)
{
    const int t = p.n_traits;
    calls += 1.0;
    const double w = (calls - 1.0) / calls;
    const bool with_tim = p.indicTIM != 0;
    for (int j = 0; j < t; ++j) {
        const double mean = p.n_levels > 0 ? p.nuis_effects[0][j] : 0.0;
        for (Obs& ind : o) {
            double g = mean;
            // QTL and FPM genotype effects join here once their gene records
            // carry genotypes and effects.
            if (with_tim) g += ind.infpoleff[j];
            ind.prediction[j] = g / calls + w * ind.prediction[j];
        }
    }
}

}  // namespace vsk
