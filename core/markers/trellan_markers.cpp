// "trellan.ped", second part: per linkage group the map, the allele names
// (and in IBD mode founder alleles and IBD positions), the legend of genotype
// status codes and the alleles of every individual with their status.
#include "core/markers/allele_text.h"
#include "core/markers/marker_data.h"
#include "core/markers/status_codes.h"
#include "core/markers/trellan.h"
#include "core/voskara.h"
#include "textfile/file.h"

namespace vsk {

namespace {

double cm_in_group(const Mrkrlcs& m) { return (m.position - 100.0 * (m.chrom + 1)) * 100.0; }

bool null_code(const Mrkrlcs& m, int c)
{
    return c == m.n_alleles && (m.has_putative_null || m.has_confirmed_null);
}

// Alleles shown for individual i at locus k: the phased pair, or the coded
// observed pair when the genotype was deleted or turned missing.
void shown_alleles(MarkerData& d, int k, int i, int& a, int& b)
{
    const int status = d.status(k, i);
    if (status == kPutNullMissing || status == kIncompleteMissing || status == kObservedError) {
        a = d.mrk.code1_obs[k][i - 1];
        b = d.mrk.code2_obs[k][i - 1];
        return;
    }
    // The phased alleles (first-parent, second-parent) once phases are sampled.
    a = d.a1(k, i);
    b = d.a2(k, i);
}

void write_locus_names(std::FILE* f, MarkerData& d, int k)
{
    const Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
    std::fprintf(f, "\n\nLOCUS          %-20s\t\t(%d)", m.name.c_str(), k + 1);
    std::fprintf(f, "\nALLELENAMES    ");
    for (int c = 1; c <= m.n_alleles; ++c) {
        if (null_code(m, c)) std::fprintf(f, " %4s", allele_text(d.par, m, c).c_str());
        else if (m.letter_coded) std::fprintf(f, "%4s", allele_text(d.par, m, c).c_str());
        else std::fprintf(f, " %4d", m.allele_value[static_cast<std::size_t>(c - 1)]);
    }
    if (d.par.indicQTL != 2) return;
    if (d.par.trellanV == 2) {
        write_ibd_comment_block(f);
        std::fprintf(f, "\n; FOUNDERALLELES ");
    } else {
        std::fprintf(f, "\nFOUNDERALLELES ");
    }
    for (int founder : d.par.founders) {
        int a = 0, b = 0;
        shown_alleles(d, k, founder, a, b);
        std::fprintf(f, " %4s", allele_text(d.par, m, a).c_str());
        std::fprintf(f, " %4s", allele_text(d.par, m, b).c_str());
    }
}

void write_ibd_positions(std::FILE* f, MarkerData& d, const Chr& c)
{
    if (d.par.indicQTL != 2 || c.fMrkr < 0) return;
    if (d.par.trellanV == 2) {
        write_ibd_comment_block(f);
        std::fprintf(f, "\n\n; IBDPOSITIONS    ");
    } else {
        std::fprintf(f, "\n\nIBDPOSITIONS   ");
    }
    const double first = d.loci[static_cast<std::size_t>(c.fMrkr)].position;
    const double last = d.loci[static_cast<std::size_t>(c.lMrkr)].position;
    const double base = 100.0 * (d.loci[static_cast<std::size_t>(c.fMrkr)].chrom + 1);
    for (double pos : d.par.pos_ibd)
        if (pos >= first - 1e-6 && pos <= last + 1e-6) std::fprintf(f, "%10.3lf ", (pos - base) * 100.0);
}

void write_legend(std::FILE* f)
{
    std::fprintf(f, "\n Indicator : Voskara-code : Explanation");
    for (const StatusInfo& s : kStatusLegend)
        std::fprintf(f, "\n %c         : %-13d:   (%s) %s", s.indicator, s.code, s.short_name, s.description);
    std::fprintf(f, "\n|         :              : next linkage group");
}

void write_allele_block(std::FILE* f, MarkerData& d, const Chr& c, int k)
{
    const Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
    std::fprintf(f, "\n\nALLELES");
    std::fprintf(f, " %-20s ; (%d)", m.name.c_str(), k + 1);
    std::fprintf(f, ", LG %s", c.name.c_str());
    std::fprintf(f, " %10.3lf", cm_in_group(m));
    for (int i = 1; i <= d.n_ind(); ++i) {
        if (left_out_of_viewer(d.par, d.ind(i))) continue;
        std::fprintf(f, "\n%-20s", d.ind(i).name.c_str());
        int a = 0, b = 0;
        shown_alleles(d, k, i, a, b);
        const int status = d.par.cm_datafile_used ? 0 : d.status(k, i);
        for (int x : {a, b}) {
            std::string t = allele_text(d.par, m, x);
            if (t == "$$") t = "null";
            std::fprintf(f, " %4s %d", t.c_str(), status);
        }
    }
}

// Analysed linkage groups with their first marker locus.
template <class F>
void for_each_analysed_group(F f)
{
    int locus = 0;
    for (const Chr& c : chr) {
        if (!c.indiC) continue;
        f(c, locus);
        locus += c.mrkrC;
    }
}

}  // namespace

void TrellanFileMarkers()
{
    MarkerData d = shared_marker_data();
    if (d.mrk.code1.rows() < d.n_loci() || d.mrk.code1.cols() < d.n_ind()) return;  // markers not coded
    File f = open_file("trellan.ped", "a");
    if (!f) return;
    for_each_analysed_group([&](const Chr& c, int first) {
        std::fprintf(f.get(), "\n\n\n\nLINKAGEGROUP %s\n", c.name.c_str());
        std::fprintf(f.get(), "\nMAP");
        for (int k = first; k < first + c.mrkrC; ++k) {
            const Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
            std::fprintf(f.get(), "\n%-20s%10.3lf", m.name.c_str(), cm_in_group(m));
        }
        for (int k = first; k < first + c.mrkrC; ++k) write_locus_names(f.get(), d, k);
        write_ibd_positions(f.get(), d, c);
    });
    write_legend(f.get());
    for_each_analysed_group([&](const Chr& c, int first) {
        for (int k = first; k < first + c.mrkrC; ++k) write_allele_block(f.get(), d, c, k);
    });
    std::fprintf(f.get(), "\n");
}

}  // namespace vsk
