// Small post-processing projects in the analysis's sample-file formats.
#include "post/sample_project.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <random>
#include <vector>

#include "post/ess.h"
#include "support/test_support.h"

namespace posttest {

namespace {

struct Writer {
    std::string text;
    void add(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char buffer[256];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        text += buffer;
    }
};

const char* kMap =
    "; test map\n"
    "chromosome 1\n"
    "m1 0\n"
    "m2 10\n"
    "m3 25\n"
    "chromosome 2\n"
    "m4 0\n"
    "m5 20\n"
    "m6 40\n";

struct Slot {
    bool used = false;
    int chrom = 1;
    double cM = 0.0;
    double freq = 0.5, add = 0.0, dom = 0.0;
    std::vector<int> geno;
};

}  // namespace

std::string parameter_text(const ProjectDesign& design)
{
    std::string counts = "ncolT 1\nncolN 1\nnchrom 2\n";
    std::string lists = std::string("indiT 1\nindiN 1\nindiC 1 1\n") +
                        (design.short_marker_keyword ? "mrkrC 3 3\n" : "nmrkrC 3 3   ; markers per group\n");
    std::string rest =
        "datafile test.dat\nmapfile test.map\nindicQTL 1\nindicFPM 0\nindicTIM " + std::string(design.tim ? "1" : "0") + "\n"
        "maximQTL " + std::to_string(design.Q) + "\npriorQTL 1.0\naddGENE 1\ndomGENE 1\nimpGENE 0\n" +
        "writeGTP " + (design.W > 0 ? std::to_string(design.W) : std::string("none")) + "\n" +
        "FormatMCMC " + (design.concise ? "1" : "0") + "\nVARgroup " + (design.cohorts ? "1" : "0") +
        "\nlength 10000\nthinning " + std::to_string(design.thin) + "\n";
    return "; test project\n" + (design.lists_first ? lists + rest + counts : counts + lists + rest);
}

void append_file(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << text;
}

void write_project(const std::filesystem::path& dir, const ProjectDesign& design)
{
    testsupport::write_file(dir / "voskara.par", parameter_text(design));
    testsupport::write_file(dir / "test.map", kMap);

    std::mt19937 gen(design.seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::normal_distribution<double> z(0.0, 1.0);
    Writer genpar, iqtl, gqtl, coh, tim, cohtim, phase;
    genpar.add("\n;Comments are preceded by semicolon sign");
    iqtl.add("\n; Comments are preceded by semicolon sign\n;");
    gqtl.add("\n; Comments are preceded by semicolon sign\n;");
    std::vector<Slot> slots(design.Q);
    double mean = 10.0;
    for (int k = 0; k < design.samples; ++k) {
        const int iteration = (k + 1) * design.thin;
        int used = 0;
        for (Slot& s : slots) {
            if (!design.no_qtl && u(gen) < 0.3) s.used = !s.used;
            if (s.used) {
                if (design.hotspots) {
                    s.chrom = &s == &slots[0] ? 1 : 2;
                    s.cM = std::round((s.chrom == 1 ? 12.0 : 30.0) * 10.0 + 15.0 * z(gen)) / 10.0;
                    s.cM = std::clamp(s.cM, 0.0, s.chrom == 1 ? 25.0 : 40.0);
                } else if (u(gen) < 0.5) {
                    s.chrom = u(gen) < 0.6 ? 1 : 2;
                    s.cM = std::floor(u(gen) * (s.chrom == 1 ? 250 : 400)) / 10.0;
                }
                s.add = 0.5 + 0.1 * z(gen);
                s.dom = 0.1 * z(gen);
                s.geno.assign(design.W, 0);
                for (int& g : s.geno) g = static_cast<int>(u(gen) * 4);
                ++used;
            }
        }
        mean = 0.8 * mean + 0.2 * 10.0 + 0.3 * z(gen);
        genpar.add("\n %8d %12.3lf ", iteration, -100.0 + z(gen));
        genpar.add(" %9.4lf", mean);
        genpar.add(" %9.4lf", 1.0 + 0.1 * z(gen));
        genpar.add(" %9.4lf", 0.0);
        genpar.add(" %2d", used);
        genpar.add(" %9.4lf", 0.2 + 0.05 * z(gen));
        genpar.add(" %3d", 0);
        genpar.add(" %9.4lf", 0.0);
        genpar.add(" %9.4lf", 0.3 + 0.05 * z(gen));

        if (!design.concise) iqtl.add("\n %2d %2d", design.Q, 1);
        if (!design.concise && design.W > 0) gqtl.add("\n  ");
        for (int q = 0; q < design.Q; ++q) {
            const Slot& s = slots[q];
            const double coded = 100.0 * s.chrom + s.cM * 0.01;
            if (design.concise) {
                if (!s.used) continue;
                iqtl.add("\n%6d %3d %3d %6.1lf %6.3lf %9.4lf %9.4lf", iteration, used, s.chrom, s.cM, s.freq, s.add,
                         s.dom);
                if (design.W > 0) {
                    gqtl.add("\n%6d %3d %3d %6.1lf  ", iteration, used, s.chrom, s.cM);
                    for (int g : s.geno) gqtl.add(" %d", g);
                }
            } else {
                if (s.used)
                    iqtl.add(" %6.3lf %9.4lf %9.4lf %9.4lf %10.4lf", s.freq, s.add, s.dom, 0.0, coded);
                else
                    iqtl.add(" %6d %9d %9d %9d %10d", 0, 0, 0, 0, 0);
                if (design.W > 0) {
                    if (q > 0) gqtl.add("  ");
                    for (int i = 0; i < design.W; ++i) gqtl.add(" %d", s.used ? s.geno[i] : 9);
                }
            }
        }
        if (design.tim) {
            tim.add("\n");
            for (int i = 0; i < design.W; ++i) tim.add(" %9.4f", 0.2 * i + 0.1 * z(gen));
            if (design.cohorts) {
                cohtim.add("\n");
                for (int c = 0; c < design.C; ++c) cohtim.add(" %8.3lf", 0.4 + 0.1 * c);
            }
        }
        for (int i = 0; design.phase && slots[0].used && i < design.W; ++i)
            phase.add("\n %8d %6d %10.5lf %10.5lf %3s %3s %10.5lf %3s %3s", iteration, i + 1,
                      100.0 + slots[0].cM * 0.01, 100.10, i % 2 ? "A" : "C", "G", 100.25, "T", "-");
        if (design.cohorts) {
            coh.add("\n  ");
            for (int q = 0; q < design.Q; ++q) {
                if (q > 0) coh.add("  ");
                for (int c = 0; c < design.C; ++c) {
                    if (slots[q].used)
                        coh.add(" %8.3lf", 0.1 * (c + 1) + q);
                    else
                        coh.add(" %4d    ", -1);
                }
            }
        }
    }
    testsupport::write_file(dir / "genpar.out", genpar.text);
    testsupport::write_file(dir / "iqtl.out", iqtl.text);
    if (design.W > 0) {
        testsupport::write_file(dir / "gqtl.out", gqtl.text);
        std::string names = "; Names of individuals on which either/and/or";
        for (int i = 0; i < design.W; ++i) names += "\nind" + std::to_string(i + 1);
        testsupport::write_file(dir / "wrtgtp.nms", names);
    }
    if (design.cohorts) testsupport::write_file(dir / "cohqtl.out", coh.text);
    if (design.tim) {
        testsupport::write_file(dir / "tim.out", tim.text);
        if (design.cohorts) testsupport::write_file(dir / "cohtim.out", cohtim.text);
    }
    if (design.phase) {
        testsupport::write_file(dir / "phase.out", phase.text);
        testsupport::write_file(dir / "PhQRegions.inp", "; phased region\n100.08 100.16 ; around 12 cM\n");
    }
}

rvn::PostState state_with_chains(const std::vector<std::vector<double>>& columns)
{
    rvn::PostState st;
    const int n = static_cast<int>(columns[0].size());
    st.s.genpar.assign(n, static_cast<int>(columns.size()));
    st.s.iteration.resize(n);
    for (int r = 0; r < n; ++r) {
        st.s.iteration[r] = 10 * (r + 1);
        for (std::size_t c = 0; c < columns.size(); ++c) st.s.genpar[r][c] = columns[c][r];
    }
    st.chain_names = rvn::chain_names(1);
    return st;
}

}  // namespace posttest
