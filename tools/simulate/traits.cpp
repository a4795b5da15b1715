// Effect scaling, phenotypes and realised variance shares.
#include "tools/simulate/traits.h"

#include <cmath>

namespace vsim {

namespace {

constexpr double kHalf = 0.5;

GenotypeFreqs hardy_weinberg(double p) { return {p * p, 2.0 * p * (1.0 - p), (1.0 - p) * (1.0 - p)}; }

// Probability that both alleles of a final individual descend from the same
// inbred founder (then it is homozygous for that founder's allele).
double same_founder_probability(const Design& d)
{
    switch (d.cross) {
    case Cross::F1: return 0.0;
    case Cross::F2:
    case Cross::Backcross: return kHalf;
    case Cross::DoubledHaploid: return 1.0;
    case Cross::RecombinantInbred: return 1.0 - std::pow(kHalf, d.ril_generations);
    case Cross::Outbred: return 0.0;
    }
    return 0.0;
}

GenotypeFreqs contrasted_cross(const Design& d)
{
    switch (d.cross) {
    case Cross::F1: return {0.0, 1.0, 0.0};
    case Cross::F2: return {0.25, 0.5, 0.25};
    case Cross::Backcross: return d.backcross_parent == 1 ? GenotypeFreqs{kHalf, kHalf, 0.0} : GenotypeFreqs{0.0, kHalf, kHalf};
    case Cross::DoubledHaploid: return {kHalf, 0.0, kHalf};
    case Cross::RecombinantInbred: {
        const double h = std::pow(kHalf, d.ril_generations);
        return {(1.0 - h) / 2.0, h, (1.0 - h) / 2.0};
    }
    case Cross::Outbred: break;
    }
    return {};
}

double effect_variance(const GenotypeFreqs& f, double a, double d)
{
    const double v0 = a, v1 = d, v2 = -a;
    const double mean = f.hom0 * v0 + f.het * v1 + f.hom1 * v2;
    return f.hom0 * v0 * v0 + f.het * v1 * v1 + f.hom1 * v2 * v2 - mean * mean;
}

GenotypeFreqs realised_freqs(const Pedigree& ped, const std::vector<std::vector<int>>& codes, std::size_t q)
{
    GenotypeFreqs f;
    int n = 0;
    for (std::size_t i = 0; i < ped.individuals.size(); ++i) {
        if (!ped.individuals[i].phenotyped) continue;
        const int c = codes[i][q];
        (c == 0 ? f.hom0 : c == 3 ? f.hom1 : f.het) += 1.0;
        ++n;
    }
    if (n > 0) f = {f.hom0 / n, f.het / n, f.hom1 / n};
    return f;
}

double allele0_count(const Genotype& g, std::size_t locus)
{
    return (g.paternal[locus] == 0 ? 1.0 : 0.0) + (g.maternal[locus] == 0 ? 1.0 : 0.0);
}

// Population variance of v over the phenotyped individuals.
template <class Value>
double phenotyped_variance(const Pedigree& ped, Value v)
{
    double sum = 0.0, sum2 = 0.0;
    int n = 0;
    for (std::size_t i = 0; i < ped.individuals.size(); ++i) {
        if (!ped.individuals[i].phenotyped) continue;
        const double x = v(i);
        sum += x;
        sum2 += x * x;
        ++n;
    }
    if (n == 0) return 0.0;
    const double mean = sum / n;
    return std::max(0.0, sum2 / n - mean * mean);
}

double raw_polygenic(const Genome& g, const Genotype& gt, const std::vector<std::vector<double>>& effect, int t)
{
    double v = 0.0;
    for (int p = 0; p < g.polygenic_loci; ++p) {
        const std::size_t locus = static_cast<std::size_t>(g.linked_loci + p);
        v += effect[static_cast<std::size_t>(p)][static_cast<std::size_t>(t)] * (allele0_count(gt, locus) - 1.0);
    }
    return v;
}

void scale_polygenic(const Design& d, const Genome& g, const Pedigree& ped, const std::vector<Genotype>& gts,
                     int t, double target, TraitModel& m)
{
    auto& eff = m.polygenic_effect;
    const auto ut = static_cast<std::size_t>(t);
    double raw_var;
    if (d.realised_scaling) {
        raw_var = phenotyped_variance(ped, [&](std::size_t i) { return raw_polygenic(g, gts[i], eff, t); });
    } else {
        const double per_locus = effect_variance(expected_genotype_freqs(d, kHalf, false), 1.0, 0.0);
        raw_var = 0.0;
        for (const auto& e : eff) raw_var += e[ut] * e[ut] * per_locus;
    }
    if (target > 0.0 && raw_var <= 0.0)
        throw SimError("the polygenic background cannot explain variance in this design");
    const double scale = target > 0.0 ? std::sqrt(target / raw_var) : 0.0;
    for (auto& e : eff) e[ut] *= scale;
}

}  // namespace

GenotypeFreqs expected_genotype_freqs(const Design& d, double freq0, bool contrasted)
{
    if (d.cross == Cross::Outbred) return hardy_weinberg(freq0);
    if (contrasted) return contrasted_cross(d);
    const double phi = same_founder_probability(d);
    const GenotypeFreqs random = hardy_weinberg(freq0);
    return {phi * freq0 + (1.0 - phi) * random.hom0, (1.0 - phi) * random.het,
            phi * (1.0 - freq0) + (1.0 - phi) * random.hom1};
}

double covariate_variance(const GenotypeFreqs& freqs, double dominance_ratio)
{
    return effect_variance(freqs, 1.0, dominance_ratio);
}

double additive_covariate(int code) { return code == 0 ? 1.0 : code == 3 ? -1.0 : 0.0; }
double dominance_covariate(int code) { return code == 1 || code == 2 ? 1.0 : 0.0; }

std::vector<std::vector<int>> qtl_codes(const Genome& genome, const std::vector<Genotype>& genotypes)
{
    std::vector<std::vector<int>> codes(genotypes.size());
    for (std::size_t i = 0; i < genotypes.size(); ++i)
        for (int locus : genome.qtl_index) {
            const auto l = static_cast<std::size_t>(locus);
            codes[i].push_back(genotype_code(genotypes[i].paternal[l], genotypes[i].maternal[l]));
        }
    return codes;
}

TraitModel build_trait_model(const Design& d, const Genome& g, const Pedigree& ped,
                             const std::vector<Genotype>& gts, const std::vector<std::vector<int>>& codes,
                             Rng& rng)
{
    const auto nt = static_cast<std::size_t>(d.traits);
    const std::size_t nq = d.qtl.size();
    TraitModel m;
    m.residual_cov = d.residual_cov;
    if (m.residual_cov.empty()) {
        m.residual_cov.assign(nt * nt, 0.0);
        for (std::size_t t = 0; t < nt; ++t) m.residual_cov[t * nt + t] = 1.0;
    }
    m.additive.assign(nq, std::vector<double>(nt, 0.0));
    m.dominance = m.additive;
    m.target_share.assign(nq, std::vector<double>(nt, -1.0));
    m.polygenic_effect.assign(static_cast<std::size_t>(g.polygenic_loci), std::vector<double>(nt, 0.0));
    for (auto& e : m.polygenic_effect)
        for (double& x : e) x = rng.normal();
    for (const FactorSpec& f : d.factors) {
        std::vector<std::vector<double>> levels(static_cast<std::size_t>(f.levels), std::vector<double>(nt));
        for (auto& level : levels)
            for (double& x : level) x = std::sqrt(f.variance) * rng.normal();
        m.factor_effect.push_back(std::move(levels));
    }

    std::vector<GenotypeFreqs> freqs(nq);
    for (std::size_t q = 0; q < nq; ++q)
        freqs[q] = d.realised_scaling ? realised_freqs(ped, codes, q)
                                      : expected_genotype_freqs(d, d.qtl[q].freq0, d.line_cross);
    m.expected_phenotypic_variance.assign(nt, 0.0);
    for (std::size_t t = 0; t < nt; ++t) {
        const int ti = static_cast<int>(t);
        double explained = m.residual_cov[t * nt + t], shares = trait_value(d.polygenic_share, ti);
        for (std::size_t q = 0; q < nq; ++q) {
            const QtlSpec& plan = d.qtl[q];
            if (plan.share.empty()) {
                m.additive[q][t] = trait_value(plan.additive, ti);
                m.dominance[q][t] = trait_value(plan.dominance, ti);
                explained += effect_variance(freqs[q], m.additive[q][t], m.dominance[q][t]);
            } else {
                shares += trait_value(plan.share, ti);
            }
        }
        const double vp = explained / (1.0 - shares);
        m.expected_phenotypic_variance[t] = vp;
        for (std::size_t q = 0; q < nq; ++q) {
            const QtlSpec& plan = d.qtl[q];
            if (plan.share.empty()) continue;
            const double share = trait_value(plan.share, ti);
            const double v = covariate_variance(freqs[q], plan.dominance_ratio);
            if (share > 0.0 && v <= 0.0)
                throw SimError("QTL " + std::to_string(q + 1) + " does not segregate in this design");
            m.target_share[q][t] = share;
            m.additive[q][t] = share > 0.0 ? std::sqrt(share * vp / v) : 0.0;
            m.dominance[q][t] = plan.dominance_ratio * m.additive[q][t];
        }
        scale_polygenic(d, g, ped, gts, ti, trait_value(d.polygenic_share, ti) * vp, m);
    }
    return m;
}

TraitValues draw_phenotypes(const Design& d, const Genome& g, const Pedigree& ped,
                            const std::vector<Genotype>& gts, const TraitModel& m,
                            std::vector<std::vector<int>> codes, Rng& rng)
{
    const auto nt = static_cast<std::size_t>(d.traits);
    const std::size_t n = ped.individuals.size();
    const std::vector<double> chol = cholesky(m.residual_cov, d.traits);
    TraitValues v;
    v.qtl_code = std::move(codes);
    v.genetic.assign(n, std::vector<double>(nt, 0.0));
    v.polygenic = v.residual = v.phenotype = v.genetic;
    v.missing.assign(n, std::vector<bool>(nt, true));
    v.factor_class.assign(n, std::vector<int>(d.factors.size(), 0));
    std::vector<double> z(nt);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t t = 0; t < nt; ++t) {
            double gv = v.polygenic[i][t] = raw_polygenic(g, gts[i], m.polygenic_effect, static_cast<int>(t));
            for (std::size_t q = 0; q < d.qtl.size(); ++q)
                gv += m.additive[q][t] * additive_covariate(v.qtl_code[i][q]) +
                      m.dominance[q][t] * dominance_covariate(v.qtl_code[i][q]);
            v.genetic[i][t] = gv;
        }
        for (std::size_t f = 0; f < d.factors.size(); ++f)
            v.factor_class[i][f] = 1 + static_cast<int>(rng.below(static_cast<std::uint64_t>(d.factors[f].levels)));
        for (double& x : z) x = rng.normal();
        for (std::size_t t = 0; t < nt; ++t) {
            double e = 0.0;
            for (std::size_t k = 0; k <= t; ++k) e += chol[t * nt + k] * z[k];
            v.residual[i][t] = e;
            double y = trait_value(d.means, static_cast<int>(t)) + v.genetic[i][t] + e;
            for (std::size_t f = 0; f < d.factors.size(); ++f)
                y += m.factor_effect[f][static_cast<std::size_t>(v.factor_class[i][f] - 1)][t];
            v.phenotype[i][t] = y;
            const bool dropped = rng.bernoulli(d.missing_phenotypes);
            v.missing[i][t] = !ped.individuals[i].phenotyped || dropped;
        }
    }
    return v;
}

Realised realised_variances(const Design& d, const Pedigree& ped, const TraitModel& m, const TraitValues& v)
{
    const auto nt = static_cast<std::size_t>(d.traits);
    Realised r;
    for (const Individual& ind : ped.individuals) r.phenotyped += ind.phenotyped ? 1 : 0;
    r.qtl_variance.assign(d.qtl.size(), std::vector<double>(nt, 0.0));
    r.qtl_share = r.qtl_variance;
    for (std::size_t t = 0; t < nt; ++t) {
        r.genetic_variance.push_back(phenotyped_variance(ped, [&](std::size_t i) { return v.genetic[i][t]; }));
        r.polygenic_variance.push_back(phenotyped_variance(ped, [&](std::size_t i) { return v.polygenic[i][t]; }));
        r.residual_variance.push_back(phenotyped_variance(ped, [&](std::size_t i) { return v.residual[i][t]; }));
        const double vp = phenotyped_variance(ped, [&](std::size_t i) { return v.genetic[i][t] + v.residual[i][t]; });
        r.phenotypic_variance.push_back(vp);
        r.heritability.push_back(vp > 0.0 ? r.genetic_variance[t] / vp : 0.0);
        for (std::size_t q = 0; q < d.qtl.size(); ++q) {
            r.qtl_variance[q][t] = phenotyped_variance(ped, [&](std::size_t i) {
                const int c = v.qtl_code[i][q];
                return m.additive[q][t] * additive_covariate(c) + m.dominance[q][t] * dominance_covariate(c);
            });
            r.qtl_share[q][t] = vp > 0.0 ? r.qtl_variance[q][t] / vp : 0.0;
        }
    }
    for (std::size_t q = 0; q < d.qtl.size(); ++q) {
        const GenotypeFreqs f = realised_freqs(ped, v.qtl_code, q);
        r.qtl_freq0.push_back(f.hom0 + f.het / 2.0);
    }
    return r;
}

std::vector<double> cholesky(const std::vector<double>& a, int n)
{
    const auto un = static_cast<std::size_t>(n);
    std::vector<double> l(un * un, 0.0);
    for (std::size_t i = 0; i < un; ++i) {
        for (std::size_t j = 0; j <= i; ++j) {
            double s = a[i * un + j];
            for (std::size_t k = 0; k < j; ++k) s -= l[i * un + k] * l[j * un + k];
            if (i == j) {
                if (s <= 0.0) throw SimError("the residual covariance matrix is not positive definite");
                l[i * un + i] = std::sqrt(s);
            } else {
                l[i * un + j] = s / l[j * un + j];
            }
        }
    }
    return l;
}

}  // namespace vsim
