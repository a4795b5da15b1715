// Genotypic and breeding values per selected individual and trait: region
// values from the sorted QTL samples, FPM and TIM means, their sum, and the
// posterior SD and Monte Carlo error from the effective-chain-size
// computation of the per-sample vectors.
#include "post/breeding_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "post/bv_files.h"
#include "post/console.h"
#include "post/ess.h"

namespace rvn {

namespace {
constexpr double kPositionSlack = 1e-8;
}  // namespace

int individuals_with_values(const PostState& st)
{
    const Samples& s = st.s;
    int W = 0;
    if (s.has_qtl_geno) W = std::max(W, s.geno_per_slot);
    if (s.has_fpm_geno) W = std::max(W, s.fpm_geno_per_gene);
    if (s.has_tim) W = std::max(W, s.tim_individuals);
    return W;
}

std::vector<RowSlot> region_flags(const PostState& st)
{
    const int n = st.s.n(), Q = st.par.maximQTL;
    std::vector<RowSlot> flags;
    if (st.s.S < 1) return flags;
    for (int r = 0; r < n; ++r)
        for (int q = 0; q < Q; ++q) {
            const double pos = st.s.qtl_position(r, q);
            if (pos <= 1.0) continue;
            for (const Region& g : st.regions)
                if (pos >= g.start - kPositionSlack && pos <= g.end + kPositionSlack) {
                    flags.push_back({r, q});
                    break;
                }
        }
    return flags;
}

std::vector<double> qtl_values(const PostState& st, const std::vector<RowSlot>& flags, int i, int t)
{
    const Samples& s = st.s;
    const int S = s.S, F = s.F, T = st.par.n_traits, W = s.geno_per_slot;
    std::vector<double> x(s.n(), 0.0);
    if (!s.has_qtl_geno || i >= W) return x;
    for (const auto [r, q] : flags) {
        const double* slot = s.qtl[r] + q * S;
        const int c = s.qtl_geno[r][q * W + i];
        x[r] += additive_part(c, slot[F + t]) + dominance_part(c, slot[F + T + t]);
    }
    return x;
}

std::vector<double> fpm_values(const PostState& st, int i, int t)
{
    const Samples& s = st.s;
    const int n = s.n(), G = st.par.maximFPM, T = st.par.n_traits, W = s.fpm_geno_per_gene;
    const int width = s.fpm_width, F = width - 3 * T;
    std::vector<double> x(n, 0.0);
    if (!s.has_fpm_geno || i >= W || F < 0) return x;
    for (int r = 0; r < n; ++r) {
        double v = 0.0;
        for (int g = 0; g < G; ++g) {
            const int c = s.fpm_geno[r][g * W + i];
            const double* gene = s.fpm[r] + g * width;
            v += additive_part(c, gene[F + t]) + dominance_part(c, gene[F + T + t]);
        }
        x[r] = v;
    }
    return x;
}

std::vector<double> tim_values(const PostState& st, int i, int t)
{
    const Samples& s = st.s;
    const int n = s.n(), T = st.par.n_traits;
    std::vector<double> x(n, 0.0);
    if (!s.has_tim || i >= s.tim_individuals) return x;
    for (int r = 0; r < n; ++r) x[r] = s.tim[r][T * i + t];
    return x;
}

RegionValue region_value(const PostState& st, const Region& r, int i, int t)
{
    RegionValue v;
    const QtlSamples& qs = st.qtl_samples;
    if (r.samples() == 0 || st.n_post <= 0 || i >= qs.genotypes.cols()) return v;
    const int F = st.s.F, T = st.par.n_traits;
    for (int k = r.k0; k <= r.k1; ++k) {
        const int c = qs.genotypes[k][i];
        v.add += additive_part(c, qs.rows[k][F + t]);
        v.dom += dominance_part(c, qs.rows[k][F + T + t]);
    }
    v.add /= st.n_post;
    v.dom /= st.n_post;
    return v;
}

ValueSummary summarise_values(const PostState& st, const std::vector<double>& x)
{
    ValueSummary out;
    const int n = static_cast<int>(x.size());
    if (st.n_post <= 0 || st.burnin >= n) {
        out.defined = false;
        return out;
    }
    double sum = 0.0;
    for (int r = st.burnin; r < n; ++r) sum += x[r];
    out.mean = sum / st.n_post;
    EssResult ess;
    const int code = calc_ess(x.data(), n, st.burnin, ess);
    if (code < 0) {
        // A constant or too short vector: no variance to report.
        out.defined = false;
        return out;
    }
    out.std = std::sqrt(std::max(1e-20, ess.var0));
    out.mce = std::sqrt(std::max(1e-20, ess.var));
    return out;
}

void breeding_values(const PostState& st)
{
    rrule(3, kRuleWidth, 1);
    rprint("CALCULATION OF GENOTYPIC AND BREEDING VALUES");
    const int W = individuals_with_values(st);
    if (W <= 0) {
        rprint("\nNo. individuals equals %d : No data available for calculations", W);
        return;
    }
    rprint("\nNo. individuals: %d", W);
    if (!st.regions.empty()) rprint("\nNo. MQT regions: %d", static_cast<int>(st.regions.size()));
    const std::vector<RowSlot> flags = region_flags(st);
    BvCsv csv(st);
    int undefined = 0;
    for (int t = 0; t < st.par.n_traits; ++t) {
        BvTraitFile brv(st, t);
        for (int i = 0; i < W; ++i) {
            if (!st.print_flag.empty() && (i >= static_cast<int>(st.print_flag.size()) || !st.print_flag[i]))
                continue;
            BvRow row = individual_row(st, flags, i, t);
            undefined += row.undefined;
            brv.write(row);
            csv.add(t, row);
        }
    }
    csv.write();
    if (undefined > 0)
        rprint("\nNOTE: %d posterior SD / Monte Carlo error values could not be computed (constant or too short "
               "sample vectors) and are written as 0",
               undefined);
}

}  // namespace rvn
