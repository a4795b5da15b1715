// Transmission and genotype probabilities of the segregation check. A
// transmission T(c1, c2 | p1, p2) factorises into one term per parent, so
// averaging over the missing alleles and null readings of each parent is done
// per parent (transmit_half); transmission_slow keeps the joint definition.
#include <algorithm>
#include <array>
#include <cmath>

#include "core/markers/segregation.h"

namespace vsk {

namespace {

double q(const LocusModel& m, int x, int c)
{
    if (x == c) return 1.0 - m.eps;
    return m.n <= 1 ? m.eps : m.eps / (m.n - 1);
}

// Readings of one allele: up to every code of the locus.
struct Readings {
    int v[kTooManyAlleles + 1];
    int count = 0;
    void add(int x) { v[count++] = x; }
};

// Readings of the first allele of a genotype: a code, the null code, or
// every code when missing.
void first_readings(const LocusModel& m, int x, Readings& out)
{
    out.count = 0;
    if (x == kMissingAllele) {
        for (int c = 1; c <= m.n; ++c) out.add(c);
    } else if (x < 0) {
        out.add(m.n);
    } else {
        out.add(x);
    }
}

// Readings of the second allele given the first allele's reading.
void second_readings(const LocusModel& m, int y, int x_read, Readings& out)
{
    out.count = 0;
    if (y == kMissingAllele) {
        for (int c = 1; c <= m.n; ++c) out.add(c);
    } else if (y == kPutativeNull && m.has_null) {
        out.add(m.n);
        out.add(x_read);
    } else if (y < 0) {
        out.add(m.n);
    } else {
        out.add(y);
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
using HalfVector = std::array<double, kTooManyAlleles + 1>;
void half_vector(const LocusModel& m, int x, int y, HalfVector& h)
{
    for (int c = 1; c <= m.n; ++c) h[static_cast<std::size_t>(c)] = transmit_half(m, x, y, c);
}

// Offspring term for candidate (a, b) of i: the mean over the readings of the
// child's second allele of T(c1, c2 | mate, (a, b)) + T(c2, c1 | mate, (a, b)).
double offspring_term(const LocusModel& m, int c1, const Readings& c2_read, const HalfVector& hm, bool mate_is_self,
                      int a, int b)
{
    double sum = 0.0;
    for (int r = 0; r < c2_read.count; ++r) {
        const int c2 = c2_read.v[r];
        const double i1 = 0.5 * (q(m, a, c1) + q(m, b, c1));
        const double i2 = 0.5 * (q(m, a, c2) + q(m, b, c2));
        if (mate_is_self) sum += 2.0 * i1 * i2;
        else sum += hm[static_cast<std::size_t>(c1)] * i2 + hm[static_cast<std::size_t>(c2)] * i1;
    }
    return sum / static_cast<double>(c2_read.count);
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
    if (x >= 1 && x <= m.n && y >= 1 && y <= m.n) return 0.5 * (q(m, x, c) + q(m, y, c));
    Readings xs, ys;
    first_readings(m, x, xs);
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < xs.count; ++i) {
        second_readings(m, y, xs.v[i], ys);
        for (int j = 0; j < ys.count; ++j) {
            sum += 0.5 * (q(m, xs.v[i], c) + q(m, ys.v[j], c));
            ++count;
        }
    }
    return count ? sum / count : 0.0;
}

double transmission_slow(const LocusModel& m, int c1, int c2, int x1, int y1, int x2, int y2)
{
    Readings a, b, c, e;
    first_readings(m, x1, a);
    first_readings(m, x2, c);
    double sum = 0.0;
    int count = 0;
    for (int i1 = 0; i1 < a.count; ++i1) {
        const int xr1 = a.v[i1];
        second_readings(m, y1, xr1, b);
        for (int j1 = 0; j1 < b.count; ++j1)
            for (int i2 = 0; i2 < c.count; ++i2) {
                const int yr1 = b.v[j1], xr2 = c.v[i2];
                second_readings(m, y2, xr2, e);
                for (int j2 = 0; j2 < e.count; ++j2) {
                    const int yr2 = e.v[j2];
                    sum += 0.25 * (q(m, xr1, c1) + q(m, yr1, c1)) * (q(m, xr2, c2) + q(m, yr2, c2));
                    ++count;
                }
            }
    }
    return count ? sum / count : 0.0;
}

Kin build_kin(const std::vector<Obs>& obs, int n)
{
    Kin k;
    k.fat.assign(static_cast<std::size_t>(n + 1), 0);
    k.mot = k.mot_gen = k.fat;
    k.first.assign(static_cast<std::size_t>(n + 2), 0);
    k.checked.assign(static_cast<std::size_t>(n + 1), 0);
    for (int i = 1; i <= n; ++i) {
        const Obs& o = obs[static_cast<std::size_t>(i - 1)];
        k.fat[static_cast<std::size_t>(i)] = o.fat;
        k.mot[static_cast<std::size_t>(i)] = o.mot;
        k.mot_gen[static_cast<std::size_t>(i)] = o.mot_gen;
        k.first[static_cast<std::size_t>(i)] = static_cast<int>(k.child.size());
        for_each_offspring(obs, i, [&](int c) {
            const Obs& x = obs[static_cast<std::size_t>(c - 1)];
            k.child.push_back(c);
            k.mate.push_back(x.mot_gen == x.fat ? kSelfMate : x.fat == i ? x.mot_gen : x.fat);
        });
        k.checked[static_cast<std::size_t>(i)] = o.fat > 0 || o.pfP > 0 || o.mfP > 0;
    }
    k.first[static_cast<std::size_t>(n + 1)] = static_cast<int>(k.child.size());
    return k;
}

int genotype_probability(MarkerData& d, const Kin& kin, int k, int i, const LocusModel& m, std::vector<double>& P,
                         std::FILE* log)
{
    const int n = m.n;
    P.assign(static_cast<std::size_t>(n * n), 1.0 / (n * n));
    HalfVector hf, hm;
    Readings c2_read;
    const std::int8_t* g1 = d.mrk.code1[k];
    const std::int8_t* g2 = d.mrk.code2[k];
    auto genotype = [&](int j, int& x, int& y) {
        x = j > 0 ? g1[j - 1] : kMissingAllele;
        y = j > 0 ? g2[j - 1] : kMissingAllele;
    };
    const std::size_t self = static_cast<std::size_t>(i);
    if (kin.fat[self] > 0) {
        int x1, y1, x2, y2;
        genotype(kin.fat[self], x1, y1);
        genotype(kin.mot_gen[self], x2, y2);
        if (x1 != kMissingAllele || y1 != kMissingAllele || x2 != kMissingAllele || y2 != kMissingAllele) {
            half_vector(m, x1, y1, hf);
            half_vector(m, x2, y2, hm);
            for (int a = 1; a <= n; ++a)
                for (int b = 1; b <= n; ++b) P[static_cast<std::size_t>((a - 1) * n + (b - 1))] *= hf[a] * hm[b];
            normalise(P);
        }
    }
    int informative = 0;
    for (int e = kin.first[self]; e < kin.first[self + 1]; ++e) {
        const int o = kin.child[static_cast<std::size_t>(e)];
        int c1 = g1[o - 1], c2 = g2[o - 1];
        if (c1 == kMissingAllele || c2 == kMissingAllele) continue;
        ++informative;
        const int mate = kin.mate[static_cast<std::size_t>(e)];
        const bool self_mate = mate == kSelfMate;
        if (!self_mate) {
            int x = kMissingAllele, y = kMissingAllele;
            genotype(mate, x, y);
            half_vector(m, x, y, hm);
        }
        if (c1 < 0) c1 = n;
        second_readings(m, c2, c1, c2_read);
        for (int a = 1; a <= n; ++a)
            for (int b = 1; b <= n; ++b)
                P[static_cast<std::size_t>((a - 1) * n + (b - 1))] *= offspring_term(m, c1, c2_read, hm, self_mate, a, b);
        normalise(P);
    }
    apply_distortion(d, k, i, informative, d.par.MSegDelta > 0, m, P, log);
    // Inbred founders and doubled haploids are homozygous up to PrbHtzInb;
    // a selfing segregates from its parent like any offspring (an F2 is half
    // heterozygous), which the transmission term already expresses.
    if (kin.mot[self] == kInbred || kin.mot[self] == kDbhpld) {
        const double factor = d.par.PrbHtzInb >= 1e-6 ? 1.0 / d.par.PrbHtzInb : 1e6;
        for (int a = 1; a <= n; ++a) P[static_cast<std::size_t>((a - 1) * n + (a - 1))] *= factor;
        normalise(P);
    }
    return informative;
}

}  // namespace vsk
