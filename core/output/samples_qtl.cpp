// Row formats of the QTL sample files: slot parameters ("iqtl.out"),
// genotypes of the selected individuals ("gqtl.out"), marker-QTL phases
// ("phase.out") and within-cohort QTL variances ("cohqtl.out").
#include <algorithm>

#include "core/output/samples.h"
#include "core/state/map_conventions.h"

namespace vsk {

namespace {

constexpr int kEffectKinds = 3;        // additive, dominance, imprinted: eff rows 1..3
constexpr int kAdditiveRow = 1;
// The imprinted effect kind has no setting of its own: never in the model.
constexpr int kImprintedSwitch = 0;

bool in_use(const Gene& g) { return g.status != 0; }

int slot_count(const Par& p, const std::vector<Gene>& qtl)
{
    return std::min(p.maximQTL, static_cast<int>(qtl.size()));
}

// 1-based linkage-group ordinal and position in cM within the group.
int group_ordinal(const Gene& g) { return g.chrom + 1; }
double position_cm(const Gene& g) { return morgan_on_group(g.pos, group_ordinal(g)) * 100.0; }

void write_frequencies(std::FILE* f, const Table<double>& freq, int F)
{
    for (int k = 0; k < F; ++k) std::fprintf(f, " %6.3lf", cell(freq, k, 0));
}

void write_sparse_slot(std::FILE* f, const Gene& g, int F, int T)
{
    if (!in_use(g)) {
        for (int k = 0; k < F; ++k) std::fprintf(f, " %6d", 0);
        for (int k = 0; k < kEffectKinds * T; ++k) std::fprintf(f, " %9d", 0);
        std::fprintf(f, " %10d", 0);
        return;
    }
    write_frequencies(f, g.freq, F);
    for (int kind = 1; kind <= kEffectKinds; ++kind)
        for (int t = 0; t < T; ++t) std::fprintf(f, " %9.4lf", cell(g.eff, kind, t));
    std::fprintf(f, " %10.4lf", g.pos);
}

void write_concise_slot(std::FILE* f, const Par& p, const Gene& g)
{
    const int T = p.n_traits;
    std::fprintf(f, "\n%6d %3d", p.cur_sweep + 1, p.nqtl);
    std::fprintf(f, " %3d", group_ordinal(g));
    std::fprintf(f, " %6.1lf", position_cm(g));
    write_frequencies(f, g.freq, p.n_founder_cohorts);
    const int switches[kEffectKinds] = {p.addGENE, p.domGENE, kImprintedSwitch};
    for (int kind = 1; kind <= kEffectKinds; ++kind) {
        if (switches[kind - 1] == 0) continue;
        for (int t = 0; t < T; ++t) std::fprintf(f, " %9.4lf", cell(g.eff, kind, t));
    }
}

void write_genotypes(std::FILE* f, const std::vector<int>& gtp, const std::vector<int>& selected, bool present)
{
    for (int i : selected) std::fprintf(f, " %d", present ? genotype_of(gtp, i) : kUnknown);
}

void write_flank(std::FILE* f, const std::vector<Mrkrlcs>& markers, int marker, const int allele[2],
                 std::string (*allele_text)(int, int))
{
    if (marker < 1 || marker > static_cast<int>(markers.size())) {
        std::fprintf(f, " %8.3lf   %3d %3d", 0.0, -1, -1);
        return;
    }
    std::fprintf(f, " %10.5lf", markers[marker - 1].position);
    for (int h = 0; h < 2; ++h) std::fprintf(f, " %3s", allele_text(marker - 1, allele[h]).c_str());
}

}  // namespace

void write_iqtl_row(std::FILE* f, const Par& p, const std::vector<Gene>& qtl)
{
    const int Q = slot_count(p, qtl);
    if (p.FormatMCMC == 1) {
        for (int s = 0; s < Q; ++s)
            if (in_use(qtl[s])) write_concise_slot(f, p, qtl[s]);
        return;
    }
    std::fprintf(f, "\n %2d %2d", p.maximQTL, p.n_traits);
    for (int s = 0; s < p.maximQTL; ++s) {
        static const Gene kFree;
        write_sparse_slot(f, s < Q ? qtl[s] : kFree, p.n_founder_cohorts, p.n_traits);
    }
}

void write_gqtl_row(std::FILE* f, const Par& p, const std::vector<Gene>& qtl, const std::vector<int>& selected)
{
    const int Q = slot_count(p, qtl);
    if (p.FormatMCMC == 1) {
        for (int s = 0; s < Q; ++s) {
            const Gene& g = qtl[s];
            if (!in_use(g)) continue;
            std::fprintf(f, "\n%6d %3d", p.cur_sweep + 1, p.nqtl);
            std::fprintf(f, " %3d", group_ordinal(g));
            std::fprintf(f, " %6.1lf  ", position_cm(g));
            write_genotypes(f, g.gtp, selected, true);
        }
        return;
    }
    std::fprintf(f, "\n");
    for (int s = 0; s < p.maximQTL; ++s) {
        std::fprintf(f, "  ");
        if (s < Q)
            write_genotypes(f, qtl[s].gtp, selected, in_use(qtl[s]));
        else
            write_genotypes(f, {}, selected, false);
    }
}

void write_phase_rows(std::FILE* f, const Par& p, const std::vector<Mrkrlcs>& markers, const Gene& slot,
                      const std::vector<FlankPhase>& table, const std::vector<int>& selected,
                      std::string (*allele_text)(int marker, int code))
{
    for (std::size_t k = 0; k < selected.size(); ++k) {
        const int i = selected[k];
        if (i < 1 || i > static_cast<int>(table.size())) continue;
        const FlankPhase& ph = table[i - 1];
        if (ph.left + ph.right <= -2) continue;
        std::fprintf(f, "\n %8d %6d", p.cur_sweep + 1, static_cast<int>(k) + 1);
        std::fprintf(f, " %10.5lf", slot.pos);
        write_flank(f, markers, ph.left, ph.left_allele, allele_text);
        write_flank(f, markers, ph.right, ph.right_allele, allele_text);
    }
}

void write_cohqtl_row(std::FILE* f, const Par& p, const std::vector<Obs>& o, const std::vector<Gene>& qtl)
{
    const int C = p.n_cohorts;
    const int Q = slot_count(p, qtl);
    std::vector<double> var;
    for (int t = 0; t < p.n_traits; ++t) {
        std::fprintf(f, t == 0 ? "\n" : "\t");
        std::fprintf(f, "  ");
        for (int s = 0; s < p.maximQTL; ++s) {
            if (s > 0) std::fprintf(f, "  ");
            if (s >= Q || !in_use(qtl[s])) {
                for (int c = 0; c < C; ++c) std::fprintf(f, " %4d    ", -1);
                continue;
            }
            const Gene& g = qtl[s];
            const double a = cell(g.eff, kAdditiveRow, t);
            cohort_variances(
                o, C, [&](std::size_t i) { return additive_value(genotype_of(g.gtp, static_cast<int>(i) + 1), a); },
                var);
            for (double v : var) std::fprintf(f, " %8.3lf", v);
        }
    }
}

double cell(const Table<double>& t, int r, int c)
{
    return (r >= 0 && r < t.rows() && c >= 0 && c < t.cols()) ? t[r][c] : 0.0;
}

int cell(const Table<int>& t, int r, int c)
{
    return (r >= 0 && r < t.rows() && c >= 0 && c < t.cols()) ? t[r][c] : 0;
}

int genotype_of(const std::vector<int>& gtp, int i)
{
    return (i >= 1 && i <= static_cast<int>(gtp.size())) ? gtp[static_cast<std::size_t>(i - 1)] : kUnknown;
}

double additive_value(int g, double a)
{
    if (g == 0) return a;
    if (g == 3) return -a;
    return 0.0;
}

}  // namespace vsk
