// The scale the model is fitted to: (Y - shift) / scale per trait, set when
// the trait statistics are taken (records that never had them are unscaled).
#include "core/residual/residual.h"

namespace vsk {

namespace {

double phenotype_shift(const Par& p, int j)
{
    return j < static_cast<int>(p.trait_shift.size()) ? p.trait_shift[static_cast<std::size_t>(j)] : 0.0;
}

}  // namespace

double phenotype_scale(const Par& p, int j)
{
    const bool set = j < static_cast<int>(p.trait_scale.size()) && p.trait_scale[static_cast<std::size_t>(j)] > 0.0;
    return set ? p.trait_scale[static_cast<std::size_t>(j)] : 1.0;
}

double analysed_phenotype(const Par& p, double y, int j) { return (y - phenotype_shift(p, j)) / phenotype_scale(p, j); }

double data_units(const Par& p, double v, int j) { return phenotype_shift(p, j) + phenotype_scale(p, j) * v; }

}  // namespace vsk
