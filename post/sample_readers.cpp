// Readers of genpar.out, nui2.out, the FPM files and tim.out, and the shared
// steps of every sample reader.
#include "post/sample_readers.h"

#include "post/console.h"
#include "textfile/fatal.h"

namespace rvn {

SampleFileShape open_sample_file(const std::string& path, const char* title, bool required, bool newline_after)
{
    rrule(1, kRuleWidth, 1);
    rprint("%s", title);
    SampleFileShape shape = measure_sample_file(path);
    if (!shape.found) {
        if (required) exit_file_not_available(path.c_str());
        return shape;
    }
    rprint("\nFile '%s': ", path.c_str());
    rprint("%d * %d rows and columns", shape.rows, shape.cols);
    if (newline_after) rprint("\n");
    if (shape.last_row_cut)
        rprint("\nWARNING: last row of file %s is incomplete (%d of %d items) and is left out", path.c_str(),
               shape.cut_items, shape.cols);
    if (shape.bad_row >= 0) {
        rprint("\nERROR in reading file %s", path.c_str());
        rprint("\ninconsistent no. of columns (%d)at row %d (line %d of the file)", shape.bad_cols, shape.bad_row,
               shape.bad_line);
        rprint("\nexpected no. of columns = %d\n\nAborting Ruvane\n", shape.cols);
        vsk::fatal_exit(1);
    }
    return shape;
}

void require_min_samples(const SampleFileShape& shape)
{
    if (shape.rows >= kMinSamples) return;
    rprint("\nInsufficient number of samples to allow statistical inferences");
    rprint("\nEarly termination of program");
    vsk::fatal_exit(1);
}

void check_row_counts(const char* earlier, int earlier_rows, const char* later, int later_rows)
{
    if (later_rows == earlier_rows || later_rows == earlier_rows - 1) return;
    rprint("\nnumber of rows inconsistent for '%s' and '%s'", earlier, later);
    vsk::fatal_exit(1);
}

void read_required_file(PostState& st, const char* file, const char* title, const char* follows, int follows_rows,
                        int skip_cols, vsk::Table<double>& into)
{
    const std::string path = st.path(file);
    SampleFileShape shape = open_sample_file(path, title, true, false);
    require_min_samples(shape);
    check_row_counts(follows, follows_rows, file, shape.rows);
    read_sample_rows(path, shape, skip_cols, into);
}

bool read_genpar(PostState& st, ShortSamples mode)
{
    const std::string path = st.path("genpar.out");
    const bool fatal = mode == ShortSamples::Fatal;
    SampleFileShape shape = open_sample_file(path, "READ SAMPLES OF GENETIC PARAMETERS", fatal, true);
    if (!shape.found || shape.rows < kMinSamples) {
        if (fatal) require_min_samples(shape);
        rprint("\nEffective chain size not available: %d samples in file %s (at least %d needed)",
               shape.found ? shape.rows : 0, path.c_str(), kMinSamples);
        return false;
    }
    if (shape.cols < 2) {
        rprint("\nERROR in reading file %s", path.c_str());
        rprint("\nexpected no. of columns = %d\n\nAborting Ruvane\n", 2);
        vsk::fatal_exit(1);
    }
    vsk::Table<double> values;
    // Iterations and log-likelihoods go to `lead`, the values to `values`.
    {
        vsk::Table<double> all;
        read_sample_rows(path, shape, 0, all);
        const int V = shape.cols - 2;
        values.assign(shape.rows, V);
        st.s.iteration.assign(shape.rows, 0);
        st.s.loglik.assign(shape.rows, 0.0);
        for (int r = 0; r < shape.rows; ++r) {
            st.s.iteration[r] = static_cast<int>(all[r][0]);
            st.s.loglik[r] = all[r][1];
            for (int c = 0; c < V; ++c) values[r][c] = all[r][c + 2];
        }
    }
    st.s.genpar = std::move(values);
    st.s.thin_step = st.s.iteration[1] - st.s.iteration[0];
    return true;
}

void read_nuisance(PostState& st)
{
    const std::string path = st.path("nui2.out");
    SampleFileShape shape = open_sample_file(path, "READ SAMPLES OF NUISANCE VARIABLES", false, false);
    if (!shape.found || shape.rows < 1) {
        if (!shape.found) rprint("\n\nWARNING:\nFile '%s' not available", path.c_str());
        rprint("\nEarly return (0) in ReadNuisance() ");
        rprint("\nVariable 'nnuisances' set to %d", 0);
        rprint("\nNo Ruvane analysis of nuisance variables");
        return;
    }
    require_min_samples(shape);
    check_row_counts("genpar.out", st.s.n(), "nui2.out", shape.rows);
    read_sample_rows(path, shape, 0, st.s.nuisance);
    st.s.has_nuisance = true;
}

void read_fpm(PostState& st)
{
    read_required_file(st, "ifpm.out", "READ SAMPLES ON FPM VARIABLES", "genpar.out", st.s.n(), 2, st.s.fpm);
    const int G = st.par.maximFPM;
    st.s.fpm_width = G > 0 ? st.s.fpm.cols() / G : 0;
}

void read_fpm_genotypes(PostState& st)
{
    const std::string path = st.path("gfpm.out");
    SampleFileShape shape = open_sample_file(path, "READ SAMPLES ON FPM GENOTYPES", true, false);
    require_min_samples(shape);
    check_row_counts("ifpm.out", st.s.fpm.rows(), "gfpm.out", shape.rows);
    read_sample_rows(path, shape, 0, st.s.fpm_geno);
    const int G = st.par.maximFPM;
    st.s.fpm_geno_per_gene = G > 0 ? st.s.fpm_geno.cols() / G : 0;
    st.s.has_fpm_geno = true;
}

void read_fpm_cohorts(PostState& st)
{
    read_required_file(st, "cohfpm.out", "READ SAMPLES ON FPM COHORT VARIANCES", "ifpm.out", st.s.fpm.rows(), 0,
                       st.s.fpm_coh);
    st.s.has_fpm_coh = true;
}

void read_tim(PostState& st)
{
    read_required_file(st, "tim.out", "READ SAMPLES ON TIM breeding values", "genpar.out", st.s.n(), 0, st.s.tim);
    const int T = st.par.n_traits;
    st.s.tim_individuals = T > 0 ? st.s.tim.cols() / T : 0;
    st.s.has_tim = true;
}

void read_tim_cohorts(PostState& st)
{
    // Optional: without it the TIM column of the cohort tables stays 0.
    const std::string path = st.path("cohtim.out");
    SampleFileShape shape = open_sample_file(path, "READ SAMPLES ON TIM COHORT VARIANCES", false, false);
    if (!shape.found || shape.rows < 1) {
        rprint("\nNOTE: no TIM cohort variances (file %s): the RQTR(TIM) column of the cohort tables is 0",
               path.c_str());
        return;
    }
    require_min_samples(shape);
    check_row_counts("genpar.out", st.s.n(), "cohtim.out", shape.rows);
    read_sample_rows(path, shape, 0, st.s.tim_coh);
    st.s.has_tim_coh = true;
}

}  // namespace rvn
