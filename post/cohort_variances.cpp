// Additive variance per cohort, split as the breeding values are: marked
// regions (QTL cohort variances of the region's samples), FPM and TIM.
#include <algorithm>
#include <cstdio>
#include <string>

#include "post/breeding_values.h"
#include "post/bv_files.h"
#include "textfile/file.h"

namespace rvn {

namespace {

int cohort_count(const PostState& st)
{
    const Samples& s = st.s;
    const int T = st.par.n_traits;
    int C = s.has_qtl_coh ? s.coh_per_slot : 0;
    if (s.has_fpm_coh && T > 0) C = std::max(C, s.fpm_coh.cols() / T);
    if (s.has_tim_coh && T > 0) C = std::max(C, s.tim_coh.cols() / T);
    return C;
}

// Post-burn-in mean of column `col` of a table (0 when the column is absent).
double column_mean(const PostState& st, const vsk::Table<double>& table, int col)
{
    if (st.n_post <= 0 || col >= table.cols()) return 0.0;
    double sum = 0.0;
    for (int r = st.burnin; r < table.rows(); ++r) sum += table[r][col];
    return sum / st.n_post;
}

double region_cohort_variance(const PostState& st, const Region& r, int t, int c)
{
    const QtlSamples& qs = st.qtl_samples;
    const int C = st.s.coh_per_slot;
    if (r.samples() == 0 || st.n_post <= 0 || c >= C) return 0.0;
    double sum = 0.0;
    for (int k = r.k0; k <= r.k1; ++k) sum += qs.cohorts[k][t * C + c];
    return sum / st.n_post;
}

void write_header(std::FILE* f, const PostState& st)
{
    std::fprintf(f, "\n; Summary of Additive Variances for cohorts");
    std::fprintf(f, "\n; # MQTR = Marked QT Region (QTL model)");
    std::fprintf(f, "\n; # RQTR = Remaining QT Region (TIM / FPM model) ");
    std::fprintf(f, "\n;");
    write_region_list(f, st);
    std::fprintf(f, "\n;");
    write_sample_counts(f, st);
    std::fprintf(f, "\n%-13s", ";Cohort");
    for (int r = 1; r <= static_cast<int>(st.regions.size()); ++r) std::fprintf(f, "%6s%-2d", "MQTR", r);
    std::fprintf(f, "%11s", "RQTR(FPM)");
    std::fprintf(f, "%11s", "RQTR(TIM)");
    std::fprintf(f, "%16s", "SUMQTR");
}

}  // namespace

void cohort_variances(const PostState& st)
{
    const int C = cohort_count(st);
    const int T = st.par.n_traits;
    const Samples& s = st.s;
    for (int t = 0; t < T; ++t) {
        vsk::File f = vsk::open_file(st.path("cohortsT" + std::to_string(t + 1) + ".var"), "w");
        if (!f) continue;
        write_header(f.get(), st);
        for (int c = 0; c < C; ++c) {
            std::fprintf(f.get(), "\ncoh_%-9d", c + 1);
            double sum = 0.0;
            for (const Region& r : st.regions) {
                if (s.has_qtl_coh && st.qtl_samples.cohorts.cols() > 0) {
                    const double v = region_cohort_variance(st, r, t, c);
                    sum += v;
                    std::fprintf(f.get(), " %7.3lf", v);
                } else {
                    std::fprintf(f.get(), " %5.1lf  ", 0.0);
                }
            }
            const vsk::Table<double>* tables[] = {s.has_fpm_coh ? &s.fpm_coh : nullptr,
                                                  s.has_tim_coh ? &s.tim_coh : nullptr};
            for (const vsk::Table<double>* table : tables) {
                if (table) {
                    const int per_trait = T > 0 ? table->cols() / T : 0;
                    const double v = c < per_trait ? column_mean(st, *table, t * per_trait + c) : 0.0;
                    sum += v;
                    std::fprintf(f.get(), " %10.3lf", v);
                } else {
                    std::fprintf(f.get(), " %8.1lf  ", 0.0);
                }
            }
            std::fprintf(f.get(), " %15.3lf", sum);
        }
    }
}

}  // namespace rvn
