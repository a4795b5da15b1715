// Pearson correlation of the scatter panels.
#include <cmath>

#include "post/plots/png_plot.h"

namespace rvn::png {

double correlation(const std::vector<double>& x, const std::vector<double>& y)
{
    const std::size_t n = std::min(x.size(), y.size());
    if (n < 2) return 0.0;
    double mx = 0.0, my = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        mx += x[k];
        my += y[k];
    }
    mx /= n;
    my /= n;
    double sxy = 0.0, sxx = 0.0, syy = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
        sxy += (x[k] - mx) * (y[k] - my);
        sxx += (x[k] - mx) * (x[k] - mx);
        syy += (y[k] - my) * (y[k] - my);
    }
    if (!(sxx > 0.0) || !(syy > 0.0)) return 0.0;
    return sxy / std::sqrt(sxx * syy);
}

}  // namespace rvn::png
