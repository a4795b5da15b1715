// The IBD matrices of one position, appended per linkage group: founder
// allele probabilities ("fapC<k>.ibd") and, without an export list, the
// gametic, numerator and dominance relationship matrices.
#include "core/ibd/ibd.h"
#include "textfile/datetime.h"

namespace vsk {

namespace {

std::string file_name(const char* prefix, double pos)
{
    return std::string(prefix) + "C" + std::to_string(ibd_chromosome_number(pos)) + ".ibd";
}

// Non-founders shown in the founder-allele file.
std::vector<int> founder_allele_rows(const QtlModel& m, const IbdCounts& c)
{
    std::vector<int> rows;
    auto take = [&](int i) {
        const Obs& ind = m.o[static_cast<std::size_t>(i - 1)];
        if (ind.fat != 0 && !selfed_first_progeny(m.o, ind)) rows.push_back(i);
    };
    if (!c.exported.empty())
        for (int i : c.exported) take(i);
    else
        for (int i = 1; i <= m.p.n_individuals; ++i) take(i);
    return rows;
}

void write_vertical_names(std::FILE* f, const QtlModel& m, bool inbred)
{
    std::size_t longest = 0;
    for (int k : m.p.founders) longest = std::max(longest, m.o[static_cast<std::size_t>(k - 1)].name.size());
    for (std::size_t l = 0; l < longest; ++l) {
        std::fprintf(f, "\n;");
        for (int k : m.p.founders) {
            const std::string& name = m.o[static_cast<std::size_t>(k - 1)].name;
            const char ch = l < name.size() ? name[l] : ' ';
            std::fprintf(f, inbred ? "   %c  " : "     %c       ", ch);
        }
    }
    if (inbred) return;
    std::fprintf(f, "\n;");
    for (int k = 0; k < m.p.n_founders; ++k) std::fprintf(f, "     %d     %d", 0, 1);
}

void write_gametic_header(std::FILE* f, const char* title, double pos, int N)
{
    std::fprintf(f, "\n\n");
    std::fprintf(f, "\n; COMMENTS    symmetric marker-based %s", title);
    std::fprintf(f, "\n;             calculated directly by counting IBDs");
    std::fprintf(f, "\n; date    :   %s", datetime_text().c_str());
    std::fprintf(f, "\n; length  :   %d", N);
    std::fprintf(f, "\n; chr     :   %d", ibd_chromosome_number(pos));
    std::fprintf(f, "\n; map(cM) :   %.1lf", ibd_position_cm(pos));
    std::fprintf(f, "\n");
}

long long four_counts(const IbdCounts& c, int a, int b)
{
    long long sum = 0;
    for (int s = 0; s < 2; ++s)
        for (int t = 0; t < 2; ++t) sum += gametic_count(c, a, s, b, t);
    return sum;
}

void write_gametic(const QtlModel& m, const IbdCounts& c, double pos)
{
    File f = open_ibd_output(file_name("gam", pos), "a");
    write_gametic_header(f.get(), "gametic relationship matrix", pos, c.sweeps);
    const int n = static_cast<int>(c.gam.size());
    int row = 0;
    for (int a = 0; a < n; ++a) {
        for (int s = 0; s < 2; ++s) {
            std::fprintf(f.get(), "\n");
            for (int b = 0; b < n; ++b) {
                std::fprintf(f.get(), " ");
                for (int t = 0; t < 2; ++t) put_gametic_value(f.get(), gametic_count(c, a, s, b, t), c.sweeps, 1);
            }
            ++row;
            if (s == 0) std::fprintf(f.get(), "   ;(%d) %s", row, m.o[static_cast<std::size_t>(c.gam[static_cast<std::size_t>(a)] - 1)].name.c_str());
            else std::fprintf(f.get(), "   ;(%d) ", row);
        }
    }
    std::fprintf(f.get(), "\n");
}

void write_numerator(const QtlModel& m, const IbdCounts& c, double pos)
{
    File f = open_ibd_output(file_name("num", pos), "a");
    write_gametic_header(f.get(), "NUMERIC relationship matrix", pos, c.sweeps);
    const int n = static_cast<int>(c.gam.size());
    for (int a = 0; a < n; ++a) {
        std::fprintf(f.get(), "\n");
        for (int b = 0; b < n; ++b) put_gametic_value(f.get(), four_counts(c, a, b), c.sweeps, 2);
        std::fprintf(f.get(), "   ;(%d) %s", a + 1, m.o[static_cast<std::size_t>(c.gam[static_cast<std::size_t>(a)] - 1)].name.c_str());
    }
    std::fprintf(f.get(), "\n");
}

enum class DomKind { kDominance, kIgnoringInbreeding, kTrueHybrids };

void write_dominance(const QtlModel& m, const IbdCounts& c, double pos, DomKind kind)
{
    const char* prefix = kind == DomKind::kDominance ? "dom" : kind == DomKind::kIgnoringInbreeding ? "domINB" : "THadd";
    const char* title = kind == DomKind::kDominance ? "DOMINANCE relationship matrix"
                        : kind == DomKind::kIgnoringInbreeding
                            ? "DOMINANCE relationship matrix - IGNORING INBREEDING"
                            : "ADDITIVE relationship matrix on TRUE HYBRIDS";
    File f = open_ibd_output(file_name(prefix, pos), "a");
    write_gametic_header(f.get(), title, pos, c.sweeps);
    // Gametic list position of every individual (the dominance list is a part of it).
    std::vector<int> at(static_cast<std::size_t>(m.p.n_individuals) + 1, -1);
    for (int a = 0; a < static_cast<int>(c.gam.size()); ++a) at[static_cast<std::size_t>(c.gam[static_cast<std::size_t>(a)])] = a;
    const int n = static_cast<int>(c.dom.size());
    for (int a = 0; a < n; ++a) {
        std::fprintf(f.get(), "\n");
        for (int b = 0; b < n; ++b) {
            if (kind == DomKind::kDominance) put_dominance_value(f.get(), dominance_count(c.dom_c, a, b), c.sweeps);
            else if (kind == DomKind::kIgnoringInbreeding) put_dominance_inb_value(f.get(), dominance_count(c.domi_c, a, b), c.sweeps);
            else
                put_dominance_value(f.get(), four_counts(c, at[static_cast<std::size_t>(c.dom[static_cast<std::size_t>(a)])], at[static_cast<std::size_t>(c.dom[static_cast<std::size_t>(b)])]), c.sweeps, 2);
        }
        std::fprintf(f.get(), "   ; %s", m.o[static_cast<std::size_t>(c.dom[static_cast<std::size_t>(a)] - 1)].name.c_str());
    }
    std::fprintf(f.get(), "\n");
}

}  // namespace

void write_founder_allele_file(const QtlModel& m, const IbdCounts& c, double pos)
{
    const bool inbred = m.p.inbred_pop == 1;
    const int N = c.sweeps;
    File out = open_ibd_output(file_name("fap", pos), "a");
    std::FILE* f = out.get();
    std::fprintf(f, "\n; COMMENTS  Founder Allele IBD probability matrix");
    std::fprintf(f, "\n;           calculated directly by counting IBDs");
    std::fprintf(f, "\n;           col: founder alleles");
    std::fprintf(f, "\n;           row: non-founder alleles");
    std::fprintf(f, "\n;           date   : %s", datetime_text().c_str());
    std::fprintf(f, "\n;           length : %d", N);
    std::fprintf(f, "\n;           chr    : %d", ibd_chromosome_number(pos));
    std::fprintf(f, "\n;           map(cM): %.1lf", ibd_position_cm(pos));
    if (inbred) std::fprintf(f, "\n\n;INBRED LINE format (single row & col per individual)");
    std::fprintf(f, "\n");
    write_vertical_names(f, m, inbred);
    int running = 0;
    for (int i : founder_allele_rows(m, c)) {
        const int r = 2 * (i - 1);
        const std::string& name = m.o[static_cast<std::size_t>(i - 1)].name;
        if (inbred) {
            std::fprintf(f, "\n");
            for (int k = 0; k < m.p.n_founders; ++k) {
                const long long sum = static_cast<long long>(c.fa[r][2 * k]) + c.fa[r][2 * k + 1] + c.fa[r + 1][2 * k] + c.fa[r + 1][2 * k + 1];
                std::fprintf(f, " %5.3lf", static_cast<double>(sum) / (2.0 * N));
            }
            std::fprintf(f, "   ; %s", name.c_str());
            continue;
        }
        ++running;
        for (int s = 0; s < 2; ++s) {
            std::fprintf(f, "\n");
            for (int k = 0; k < m.p.n_founders; ++k) {
                std::fprintf(f, " ");
                for (int h = 0; h < 2; ++h) std::fprintf(f, " %5.3lf", static_cast<double>(c.fa[r + s][2 * k + h]) / N);
            }
            if (s == 0) std::fprintf(f, "   ;(%d) %s", running, name.c_str());
            else std::fprintf(f, "   ;(%d) ", running);
        }
    }
    std::fprintf(f, "\n");
}

void write_relationship_matrices(const QtlModel& m, const IbdCounts& c, double pos)
{
    write_gametic(m, c, pos);
    write_numerator(m, c, pos);
    write_dominance(m, c, pos, DomKind::kDominance);
    write_dominance(m, c, pos, DomKind::kIgnoringInbreeding);
    if (m.p.inbred_pop == 1) write_dominance(m, c, pos, DomKind::kTrueHybrids);
}

}  // namespace vsk
