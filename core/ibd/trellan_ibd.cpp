// IBD block of the pedigree-viewer file "trellan.ped": at one IBD position,
// the founder alleles of the markers next to it and, for every individual,
// the probability that each allele carries each founder allele.
#include "core/ibd/ibd.h"
#include "core/markers/allele_text.h"
#include "core/markers/marker_data.h"

namespace vsk {

namespace {

constexpr double kNearRf = 0.01;   // markers this close (recombination fraction) are listed

void put_share(std::FILE* f, long long c, int N)
{
    if (c == 0) std::fprintf(f, " 0   ");
    else if (c == N) std::fprintf(f, " 1.0 ");
    else std::fprintf(f, " %4.2lf", static_cast<double>(c) / N);
}

void put_line_value(std::FILE* f, double v)
{
    if (v == 0.0) std::fprintf(f, " 0   ");
    else if (v == 1.0) std::fprintf(f, " 1.0 ");
    else std::fprintf(f, " %4.2lf", v);
}

void write_header(std::FILE* f, const QtlModel& m)
{
    const int nf = m.p.n_founders;
    std::fprintf(f, "\n; maternal");
    std::fprintf(f, "%5s", " ");
    for (int k = 0; k < nf; ++k) std::fprintf(f, "%10s", " ");
    std::fprintf(f, "  paternal");
    std::fprintf(f, "%5s", " ");
    std::fprintf(f, "\n; founder ");
    std::fprintf(f, "%5s", " ");
    for (int k : m.p.founders) std::fprintf(f, "%10s", m.o[static_cast<std::size_t>(k - 1)].name.c_str());
    std::fprintf(f, "  founder ");
    std::fprintf(f, "%5s", " ");
    std::fprintf(f, "\n;%14s ", "");
    for (int k = 1; k <= nf; ++k) std::fprintf(f, "%-10d", k);
    std::fprintf(f, " %13s ", "");
    for (int k = 1; k <= nf; ++k) std::fprintf(f, "%-10d", k);
    std::fprintf(f, "\n; all %9s ", "");
    for (int a = 1; a <= 2 * nf; ++a) std::fprintf(f, "%-5d", a);
    std::fprintf(f, " %13s ", "");
    for (int a = 1; a <= 2 * nf; ++a) std::fprintf(f, "%-5d", a);
}

void write_near_markers(std::FILE* f, const QtlModel& m, const Gene& g)
{
    const Chr& ch = m.chr[static_cast<std::size_t>(g.chrom)];
    const bool phased = m.mph.pat_allele.rows() >= m.p.n_markers && m.mph.pat_allele.cols() >= m.p.n_individuals;
    for (int k = ch.fMrkr; k <= ch.lMrkr; ++k) {
        if (g.rfmrk[static_cast<std::size_t>(k)] >= kNearRf) continue;
        const Mrkrlcs& locus = m.mrk[static_cast<std::size_t>(k)];
        std::fprintf(f, "\n;(%.3lf)", ibd_position_cm(locus.position));
        std::fprintf(f, "%s", locus.name.c_str());
        std::fprintf(f, "\n;%13s", "FOUNDERALLELE");
        std::string names;
        for (int founder : m.p.founders) {
            const int c = founder - 1;
            const int a = phased ? m.mph.pat_allele[k][c] : kMissingAllele;
            const int b = phased ? m.mph.mat_allele[k][c] : kMissingAllele;
            char buf[64];
            std::snprintf(buf, sizeof buf, " %4s", allele_text(m.p, locus, a).c_str());
            names += buf;
            std::snprintf(buf, sizeof buf, " %4s", allele_text(m.p, locus, b).c_str());
            names += buf;
        }
        std::fprintf(f, "%s %13s %s", names.c_str(), "", names.c_str());
    }
}

bool line_coded(const Obs& ind) { return ind.mot == kSelfed || ind.mot == kInbred || ind.mot == kDbhpld; }

void write_individual(std::FILE* f, const QtlModel& m, const IbdCounts& c, int i)
{
    const Obs& ind = m.o[static_cast<std::size_t>(i - 1)];
    const int N = c.sweeps, nf = m.p.n_founders, r = 2 * (i - 1);
    const bool as_line = m.p.inbred_pop == 1 && line_coded(ind);
    for (int s = 0; s < 2; ++s) {
        if (s == 0) std::fprintf(f, "\n%-14s ", ind.name.c_str());
        else std::fprintf(f, "\n%14s ", "");
        for (int k = 0; k < nf; ++k) {
            if (!as_line) {
                for (int h = 0; h < 2; ++h) put_share(f, c.fa[r + s][2 * k + h], N);
                continue;
            }
            const long long sum = static_cast<long long>(c.fa[r][2 * k]) + c.fa[r][2 * k + 1] + c.fa[r + 1][2 * k] + c.fa[r + 1][2 * k + 1];
            const double v = static_cast<double>(sum) / (2.0 * N);
            if (s == 0) {
                put_line_value(f, v);
                std::fprintf(f, " 0   ");
            } else {
                std::fprintf(f, " 0   ");
                put_line_value(f, v);
            }
        }
    }
}

}  // namespace

void append_trellan_block(const QtlModel& m, const IbdCounts& c)
{
    const Gene& g = m.gene[static_cast<std::size_t>(kFixedSlot)];
    File out = open_ibd_output("trellan.ped", "a");
    std::FILE* f = out.get();
    std::fprintf(f, "\n\nIBDPOSITION");
    std::fprintf(f, "%10.3lf", ibd_position_cm(g.pos));
    std::fprintf(f, "\t\t; Linkage Group %s", m.chr[static_cast<std::size_t>(g.chrom)].name.c_str());
    write_header(f, m);
    write_near_markers(f, m, g);
    for (int i = 1; i <= m.p.n_individuals; ++i)
        if (!selfed_first_progeny(m.o, m.o[static_cast<std::size_t>(i - 1)])) write_individual(f, m, c, i);
    std::fprintf(f, "\n");
}

}  // namespace vsk
