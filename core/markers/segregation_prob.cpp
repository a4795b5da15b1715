// Transmission and genotype probabilities of the segregation check. A
// transmission T(c1, c2 | p1, p2) factorises into one term per parent, so
// averaging over the missing alleles and null readings of each parent is done
// per parent (transmit_half); transmission_slow keeps the joint definition.
#include <algorithm>
#include <cmath>

#include "core/markers/segregation.h"

namespace vsk {

namespace {

double q(const LocusModel& m, int x, int c)
{
    if (x == c) return 1.0 - m.eps;
    return m.n <= 1 ? m.eps : m.eps / (m.n - 1);
}

// Readings of the first allele of a genotype: a code, the null code, or
// every code when missing.
void first_readings(const LocusModel& m, int x, std::vector<int>& out)
{
    out.clear();
    if (x == kMissingAllele) {
        for (int c = 1; c <= m.n; ++c) out.push_back(c);
    } else if (x < 0) {
        out.push_back(m.n);
    } else {
        out.push_back(x);
    }
}

// Readings of the second allele given the first allele's reading.
void second_readings(const LocusModel& m, int y, int x_read, std::vector<int>& out)
{
    out.clear();
    if (y == kMissingAllele) {
        for (int c = 1; c <= m.n; ++c) out.push_back(c);
    } else if (y == kPutativeNull && m.has_null) {
        out.push_back(m.n);
        out.push_back(x_read);
    } else if (y < 0) {
        out.push_back(m.n);
    } else {
        out.push_back(y);
    }
}

void normalise(std::vector<double>& P)
{
    double s = 0.0;
    for (double v : P) s += v;
    if (s <= 0.0) return;
    for (double& v : P) v /= s;
}

// Half transmissions of a genotype (x, y) for every code 1..n into h[1..n].
void half_vector(const LocusModel& m, int x, int y, std::vector<double>& h)
{
    h.assign(static_cast<std::size_t>(m.n + 1), 0.0);
    for (int c = 1; c <= m.n; ++c) h[static_cast<std::size_t>(c)] = transmit_half(m, x, y, c);
}

// Offspring term for candidate (a, b) of i: the mean over the readings of the
// child's second allele of T(c1, c2 | mate, (a, b)) + T(c2, c1 | mate, (a, b)).
double offspring_term(const LocusModel& m, int c1, const std::vector<int>& c2_read, const std::vector<double>& hm,
                      bool mate_is_self, int a, int b)
{
    double sum = 0.0;
    for (int c2 : c2_read) {
        const double i1 = 0.5 * (q(m, a, c1) + q(m, b, c1));
        const double i2 = 0.5 * (q(m, a, c2) + q(m, b, c2));
        if (mate_is_self) sum += 2.0 * i1 * i2;
        else sum += hm[static_cast<std::size_t>(c1)] * i2 + hm[static_cast<std::size_t>(c2)] * i1;
    }
    return sum / static_cast<double>(c2_read.size());
}

void apply_distortion(MarkerData& d, int k, int i, int informative, double delta_on, const LocusModel& m,
                      std::vector<double>& P, std::FILE* log)
{
    const int g1 = d.a1(k, i), g2 = d.a2(k, i);
    if (informative < kDistortionMinOffspring || g1 == g2) return;
    if (g1 < 1 || g2 < 1 || g1 > m.n || g2 > m.n) return;
    auto at = [&](int a, int b) -> double& { return P[static_cast<std::size_t>((a - 1) * m.n + (b - 1))]; };
    const double het = at(g1, g2) + at(g2, g1);
    const double hom = std::max(at(g1, g1), at(g2, g2));
    if (!(het > kDistortionMinHet && hom > kDistortionRatio * het)) return;
    if (log) {
        std::fprintf(log, "\nSeg_Distortion");
        std::fprintf(log, "\t%20s\t%20s, %3d\t%.3lf", d.ind(i).name.c_str(),
                     d.loci[static_cast<std::size_t>(k)].name.c_str(), informative, std::log(het));
    }
    if (delta_on) {
        at(g1, g2) = hom;
        normalise(P);
    }
}

}  // namespace

LocusModel locus_model(const Par& p, const Mrkrlcs& l)
{
    LocusModel m;
    m.n = l.n_alleles;
    m.has_null = l.has_putative_null || l.has_confirmed_null;
    m.eps = p.MSegAlpha;
    return m;
}

double transmit_half(const LocusModel& m, int x, int y, int c)
{
    thread_local std::vector<int> xs, ys;
    first_readings(m, x, xs);
    double sum = 0.0;
    int count = 0;
    for (int xr : xs) {
        second_readings(m, y, xr, ys);
        for (int yr : ys) {
            sum += 0.5 * (q(m, xr, c) + q(m, yr, c));
            ++count;
        }
    }
    return count ? sum / count : 0.0;
}

double transmission_slow(const LocusModel& m, int c1, int c2, int x1, int y1, int x2, int y2)
{
    std::vector<int> a, b, c, e;
    first_readings(m, x1, a);
    first_readings(m, x2, c);
    double sum = 0.0;
    int count = 0;
    for (int xr1 : a) {
        second_readings(m, y1, xr1, b);
        for (int yr1 : b)
            for (int xr2 : c) {
                second_readings(m, y2, xr2, e);
                for (int yr2 : e) {
                    sum += 0.25 * (q(m, xr1, c1) + q(m, yr1, c1)) * (q(m, xr2, c2) + q(m, yr2, c2));
                    ++count;
                }
            }
    }
    return count ? sum / count : 0.0;
}

int genotype_probability(MarkerData& d, int k, int i, const LocusModel& m, std::vector<double>& P, std::FILE* log)
{
    const int n = m.n;
    P.assign(static_cast<std::size_t>(n * n), 1.0 / (n * n));
    thread_local std::vector<double> hf, hm;
    thread_local std::vector<int> c2_read;
    auto genotype = [&](int j, int& x, int& y) {
        x = j > 0 ? d.a1(k, j) : kMissingAllele;
        y = j > 0 ? d.a2(k, j) : kMissingAllele;
    };
    const Obs& self = d.ind(i);
    if (self.fat > 0) {
        int x1, y1, x2, y2;
        genotype(self.fat, x1, y1);
        genotype(self.mot_gen, x2, y2);
        if (x1 != kMissingAllele || y1 != kMissingAllele || x2 != kMissingAllele || y2 != kMissingAllele) {
            half_vector(m, x1, y1, hf);
            half_vector(m, x2, y2, hm);
            for (int a = 1; a <= n; ++a)
                for (int b = 1; b <= n; ++b) P[static_cast<std::size_t>((a - 1) * n + (b - 1))] *= hf[a] * hm[b];
            normalise(P);
        }
    }
    int informative = 0;
    for_each_offspring(d.obs, i, [&](int o) {
        int c1 = d.a1(k, o), c2 = d.a2(k, o);
        if (c1 == kMissingAllele || c2 == kMissingAllele) return;
        ++informative;
        const Obs& child = d.ind(o);
        const bool self_mate = child.mot_gen == child.fat;
        int x = kMissingAllele, y = kMissingAllele;
        if (!self_mate) genotype(child.fat == i ? child.mot_gen : child.fat, x, y);
        if (!self_mate) half_vector(m, x, y, hm);
        if (c1 < 0) c1 = n;
        second_readings(m, c2, c1, c2_read);
        for (int a = 1; a <= n; ++a)
            for (int b = 1; b <= n; ++b)
                P[static_cast<std::size_t>((a - 1) * n + (b - 1))] *= offspring_term(m, c1, c2_read, hm, self_mate, a, b);
        normalise(P);
    });
    apply_distortion(d, k, i, informative, d.par.MSegDelta > 0, m, P, log);
    if (second_parent_code(self.mot)) {
        const double factor = d.par.PrbHtzInb >= 1e-6 ? 1.0 / d.par.PrbHtzInb : 1e6;
        for (int a = 1; a <= n; ++a) P[static_cast<std::size_t>((a - 1) * n + (a - 1))] *= factor;
        normalise(P);
    }
    return informative;
}

}  // namespace vsk
