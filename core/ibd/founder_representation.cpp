// Founder representation of an IBD analysis from the pedigree alone: every
// individual's additive relationship to every founder (twice the coefficient
// of coancestry) and how much of the population's genome each founder holds.
#include "core/ibd/ibd.h"
#include "textfile/datetime.h"

namespace vsk {

namespace {

const char* const kRule = ";------------------------------------------------------------------------------\n";

// Relationship of a founder to itself: 1 + F, F = 1 for an inbred founder.
double self_relationship(const Obs& founder) { return founder.mot == kInbred ? 2.0 : 1.0; }

void write_file(const char* name, const char* title, const Par& p, const std::vector<Obs>& o, const Table<double>& a,
                const std::vector<int>& rows, bool subset)
{
    File out = open_ibd_output(name, "w");
    std::FILE* f = out.get();
    std::fprintf(f, "; FOUNDER REPRESENTATION - %s POPULATION\n", title);
    std::fprintf(f, "%s", kRule);
    std::fprintf(f, "; Additive genetic relationship (= 2 * coefficient of coancestry!)\n");
    std::fprintf(f, ";  - based on pedigree data (NO marker data!)\n");
    std::fprintf(f, ";  - representation: sum over the non-founders listed of their genome shares from each founder\n");
    std::fprintf(f, "; %s\n", datetime_text().c_str());
    std::fprintf(f, "%s", kRule);
    std::fprintf(f, "; founder names:\n;");
    for (int k : p.founders) std::fprintf(f, " %s", o[static_cast<std::size_t>(k - 1)].name.c_str());
    if (subset) std::fprintf(f, "\n; non-founder coancestry:\n");
    std::vector<double> absolute(static_cast<std::size_t>(p.n_founders), 0.0);
    for (int i : rows) {
        std::fprintf(f, "\n");
        for (int k = 0; k < p.n_founders; ++k) std::fprintf(f, " %5.3lf", a[i - 1][k]);
        std::fprintf(f, "  ; %s", o[static_cast<std::size_t>(i - 1)].name.c_str());
        if (o[static_cast<std::size_t>(i - 1)].fat == 0) continue;
        for (int k = 0; k < p.n_founders; ++k) {
            const Obs& fk = o[static_cast<std::size_t>(p.founders[static_cast<std::size_t>(k)] - 1)];
            absolute[static_cast<std::size_t>(k)] += a[i - 1][k] / self_relationship(fk);
        }
    }
    double total = 0.0;
    for (double v : absolute) total += v;
    std::fprintf(f, "\n\n; founder representation (absolute):\n");
    for (double v : absolute) std::fprintf(f, " %.3lf", v);
    std::fprintf(f, "\n\n; founder representation (percent):\n");
    for (double v : absolute) std::fprintf(f, " %.3lf", total > 0.0 ? 100.0 * v / total : 0.0);
    std::fprintf(f, "\n");
}

}  // namespace

Table<double> founder_relationships(const Par& p, const std::vector<Obs>& o)
{
    const int n = p.n_individuals;
    Table<double> a(n, p.n_founders, 0.0);
    std::vector<int> index(static_cast<std::size_t>(n) + 1, -1);
    for (int k = 0; k < p.n_founders; ++k) index[static_cast<std::size_t>(p.founders[static_cast<std::size_t>(k)])] = k;
    // Parents precede offspring: a(i, f) = (a(s, f) + a(d, f)) / 2 for i != f.
    for (int i = 1; i <= n; ++i) {
        const Obs& ind = o[static_cast<std::size_t>(i - 1)];
        const int k = index[static_cast<std::size_t>(i)];
        if (k >= 0) {
            a[i - 1][k] = self_relationship(ind);
            continue;
        }
        if (ind.fat <= 0) continue;
        const int d = ind.mot_gen > 0 ? ind.mot_gen : 0;
        for (int f = 0; f < p.n_founders; ++f)
            a[i - 1][f] = 0.5 * (a[ind.fat - 1][f] + (d > 0 ? a[d - 1][f] : 0.0));
    }
    return a;
}

void write_founder_representation(const Par& p, const std::vector<Obs>& o)
{
    const Table<double> a = founder_relationships(p, o);
    std::vector<int> all(static_cast<std::size_t>(p.n_individuals));
    for (int i = 1; i <= p.n_individuals; ++i) all[static_cast<std::size_t>(i - 1)] = i;
    write_file("fndrrepT.txt", "TOTAL", p, o, a, all, false);
    if (p.writeGTP == "NUISANCE" && !p.lwrtgtp.empty())
        write_file("fndrrepS.txt", "SUBSET", p, o, a, p.lwrtgtp, true);
}

}  // namespace vsk
