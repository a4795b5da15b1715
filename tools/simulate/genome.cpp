// Genome layout, marker alleles, founder haplotypes and meiosis.
#include "tools/simulate/genome.h"

#include <algorithm>
#include <cstdio>

namespace vsim {

namespace {

constexpr double kMorganCm = 100.0;
constexpr double kPolygenicFreq = 0.5;
constexpr std::uint8_t kQtlAllele0 = 0;
constexpr std::uint8_t kQtlAllele1 = 1;
// Sizes of the integer alleles of multi-allelic markers (fragment lengths).
constexpr int kFirstFragment = 100;
constexpr int kFragmentStep = 2;

void lay_out_loci(const Design& d, Genome& g)
{
    const int groups = static_cast<int>(d.chromosome_cm.size());
    g.chromosome_cm = d.chromosome_cm;
    g.chromosomes.assign(static_cast<std::size_t>(groups), {});
    for (int c = 0; c < groups; ++c) {
        auto& loci = g.chromosomes[static_cast<std::size_t>(c)];
        const auto positions = marker_positions(d, c);
        for (std::size_t m = 0; m < positions.size(); ++m) {
            MarkerDef def;
            char name[48];
            std::snprintf(name, sizeof name, "c%dm%03zu", c + 1, m + 1);
            def.name = name;
            def.chromosome = c;
            def.position_cm = positions[m];
            loci.push_back(Locus{positions[m], static_cast<int>(g.markers.size()), -1});
            g.markers.push_back(std::move(def));
        }
        for (std::size_t q = 0; q < d.qtl.size(); ++q)
            if (d.qtl[q].chromosome == c + 1) loci.push_back(Locus{d.qtl[q].position_cm, -1, static_cast<int>(q)});
        std::stable_sort(loci.begin(), loci.end(),
                         [](const Locus& a, const Locus& b) { return a.position_cm < b.position_cm; });
    }
    g.marker_index.assign(g.markers.size(), -1);
    g.qtl_index.assign(d.qtl.size(), -1);
    int flat = 0;
    for (const auto& loci : g.chromosomes) {
        g.offset.push_back(flat);
        for (const Locus& l : loci) {
            if (l.marker >= 0) g.marker_index[static_cast<std::size_t>(l.marker)] = flat;
            if (l.qtl >= 0) g.qtl_index[static_cast<std::size_t>(l.qtl)] = flat;
            ++flat;
        }
    }
    g.linked_loci = flat;
    g.polygenic_loci = d.polygenic_loci;
}

// Dirichlet(1, ..., 1) frequencies: normalised exponential deviates.
std::vector<double> flat_dirichlet(int n, Rng& rng)
{
    std::vector<double> f(static_cast<std::size_t>(n));
    double total = 0.0;
    for (double& x : f) total += (x = rng.exponential(1.0));
    for (double& x : f) x /= total;
    return f;
}

void draw_marker_alleles(const Design& d, MarkerDef& m, Rng& rng)
{
    if (d.marker_kind == MarkerKind::Snp) {
        static const char* const kBases[] = {"A", "C", "G", "T"};
        const std::size_t first = rng.below(4);
        std::size_t second = rng.below(3);
        if (second >= first) ++second;
        m.allele_text = {kBases[first], kBases[second]};
        const double minor = d.min_allele_freq + (0.5 - d.min_allele_freq) * rng.uniform();
        m.freq = {1.0 - minor, minor};
    } else {
        for (int a = 0; a < d.alleles; ++a) m.allele_text.push_back(std::to_string(kFirstFragment + kFragmentStep * a));
        m.freq = flat_dirichlet(d.alleles, rng);
    }
    m.has_null = d.null_alleles > 0.0 && rng.bernoulli(d.null_alleles);
    if (m.has_null) {
        for (double& f : m.freq) f *= 1.0 - d.null_freq;
        m.freq.push_back(d.null_freq);
    }
}

// Allele of a founder at every locus; `marker_allele` and `qtl_allele` pick
// the marker and QTL alleles, polygenic loci are drawn here.
template <class MarkerAllele, class QtlAllele>
Haplotype founder_haplotype(const Genome& g, Rng& rng, MarkerAllele marker_allele, QtlAllele qtl_allele)
{
    Haplotype h(static_cast<std::size_t>(g.loci()));
    for (const auto& loci : g.chromosomes) {
        for (const Locus& l : loci) {
            const std::size_t flat = static_cast<std::size_t>(
                l.marker >= 0 ? g.marker_index[static_cast<std::size_t>(l.marker)]
                              : g.qtl_index[static_cast<std::size_t>(l.qtl)]);
            h[flat] = static_cast<std::uint8_t>(l.marker >= 0 ? marker_allele(l.marker) : qtl_allele(l.qtl));
        }
    }
    for (int p = 0; p < g.polygenic_loci; ++p)
        h[static_cast<std::size_t>(g.linked_loci + p)] = rng.bernoulli(kPolygenicFreq) ? 1 : 0;
    return h;
}

}  // namespace

Genome build_genome(const Design& design, Rng& rng)
{
    Genome g;
    lay_out_loci(design, g);
    for (MarkerDef& m : g.markers) draw_marker_alleles(design, m, rng);
    return g;
}

Genotype outbred_founder(const Genome& genome, const Design& design, Rng& rng)
{
    Genotype gt;
    for (Haplotype* h : {&gt.paternal, &gt.maternal}) {
        *h = founder_haplotype(
            genome, rng,
            [&](int m) { return rng.categorical(genome.markers[static_cast<std::size_t>(m)].freq); },
            [&](int q) { return rng.bernoulli(design.qtl[static_cast<std::size_t>(q)].freq0) ? kQtlAllele0 : kQtlAllele1; });
    }
    return gt;
}

void inbred_pair(const Genome& genome, const Design& design, Rng& rng, Genotype& first, Genotype& second)
{
    std::vector<std::size_t> first_marker(genome.markers.size());
    first.paternal = founder_haplotype(
        genome, rng,
        [&](int m) {
            return first_marker[static_cast<std::size_t>(m)] =
                       rng.categorical(genome.markers[static_cast<std::size_t>(m)].freq);
        },
        [&](int q) {
            if (design.line_cross) return kQtlAllele0;
            return rng.bernoulli(design.qtl[static_cast<std::size_t>(q)].freq0) ? kQtlAllele0 : kQtlAllele1;
        });
    second.paternal = founder_haplotype(
        genome, rng,
        [&](int m) {
            const auto& freq = genome.markers[static_cast<std::size_t>(m)].freq;
            std::size_t a;
            do a = rng.categorical(freq);
            while (design.line_cross && a == first_marker[static_cast<std::size_t>(m)]);
            return a;
        },
        [&](int q) {
            if (design.line_cross) return kQtlAllele1;
            return rng.bernoulli(design.qtl[static_cast<std::size_t>(q)].freq0) ? kQtlAllele0 : kQtlAllele1;
        });
    first.maternal = first.paternal;
    second.maternal = second.paternal;
}

void gamete(const Genome& genome, const Genotype& parent, Rng& rng, Haplotype& out, Haplotype* origin)
{
    out.resize(static_cast<std::size_t>(genome.loci()));
    if (origin) origin->resize(out.size());
    for (std::size_t c = 0; c < genome.chromosomes.size(); ++c) {
        bool from_maternal = rng.bernoulli(0.5);
        double next_crossover = rng.exponential(kMorganCm);
        std::size_t flat = static_cast<std::size_t>(genome.offset[c]);
        for (const Locus& l : genome.chromosomes[c]) {
            while (next_crossover <= l.position_cm) {
                from_maternal = !from_maternal;
                next_crossover += rng.exponential(kMorganCm);
            }
            out[flat] = from_maternal ? parent.maternal[flat] : parent.paternal[flat];
            if (origin) (*origin)[flat] = from_maternal;
            ++flat;
        }
    }
    for (std::size_t p = static_cast<std::size_t>(genome.linked_loci); p < out.size(); ++p) {
        const bool from_maternal = rng.bernoulli(0.5);
        out[p] = from_maternal ? parent.maternal[p] : parent.paternal[p];
        if (origin) (*origin)[p] = from_maternal;
    }
}

}  // namespace vsim
