// Sizing of the dynamic parts of `par` and of the linkage-group records once
// the parameter file and the data-file pre-scan have fixed the dimensions.
#include <algorithm>

#include "core/state/allocation.h"
#include "core/state/console.h"
#include "core/state/parameters.h"

namespace vsk {

namespace {

constexpr const char* kTag = "init_par()";

template <class T>
void sized_table(Table<T>& t, int rows, int cols, const T& value = T{})
{
    if (!alloc_table(t, rows, cols, value)) report_short_of_memory(kTag);
}

template <class T>
void sized_vector(std::vector<T>& v, int count, const T& value = T{})
{
    try {
        v.assign(static_cast<std::size_t>(std::max(count, 0)), value);
    } catch (const std::exception&) {
        report_short_of_memory(kTag);
    }
}

// Column 0 is the overall mean: no prior kind, named "FACTOR0".
void allocate_nuisance_tables(const ParamContext& ctx, Par& p)
{
    sized_table(p.indiN, p.n_nuis, p.n_traits, 0);
    for (int c = 1; c < p.n_nuis; ++c)
        for (int t = 0; t < p.n_traits; ++t) p.indiN[c][t] = ctx.indiN[c - 1];
    p.namesN.assign(1, "FACTOR0");
    p.namesN.insert(p.namesN.end(), ctx.namesN.begin(), ctx.namesN.end());
    sized_vector(p.level_first, p.n_nuis, -1);
    sized_vector(p.level_last, p.n_nuis, -1);
}

void allocate_linkage_groups(ParamContext& ctx, const Par& p)
{
    ctx.chr.assign(static_cast<std::size_t>(std::max(p.nchrom, 0)), Chr{});
    for (int g = 0; g < p.nchrom; ++g) {
        ctx.chr[g].indiC = ctx.indiC[g];
        ctx.chr[g].mrkrC = ctx.mrkrC[g];
    }
}

// Prior matrix given row by row, or zero when not given.
void prior_matrix(Table<double>& m, const std::vector<double>& values, int t)
{
    sized_table(m, t, t, 0.0);
    if (values.size() != static_cast<std::size_t>(t) * static_cast<std::size_t>(t)) return;
    for (int r = 0; r < t; ++r)
        for (int c = 0; c < t; ++c) m[r][c] = values[static_cast<std::size_t>(r) * t + c];
}

void allocate_trait_matrices(const ParamContext& ctx, Par& p)
{
    int t = p.n_traits;
    sized_table(p.tab_t4, t, 4, 0.0);
    for (Table<double>* m : {&p.pheno_cov, &p.res_cov, &p.res_prec, &p.res_cov_mean, &p.tim_cov, &p.timdom_cov,
                             &p.qtl_cov, &p.fpm_cov})
        sized_table(*m, t, t, 0.0);
    p.nuis_cov.assign(kMaxRandomNuisance, Table<double>{});
    for (Table<double>& m : p.nuis_cov) sized_table(m, t, t, 0.0);
    prior_matrix(p.varPOA, p.addGENE == 3 ? ctx.varPOA : std::vector<double>{}, t);
    prior_matrix(p.varPOD, p.domGENE == 3 ? ctx.varPOD : std::vector<double>{}, t);
    sized_vector(p.pheno_mean, t, 0.0);
    sized_vector(p.pheno_var, t, 0.0);
}

void allocate_locus_tables(Par& p)
{
    int qtl = std::max(p.maximQTL, 0);
    int rows = qtl + p.n_markers;
    for (Table<double>& m : p.rfmat) sized_table(m, rows, rows, 0.0);
    sized_table(p.lcs_rows, rows, 2, -1);
    sized_vector(p.qtl_sorted, qtl, 0);
    sized_vector(p.qtl_rank, qtl, 0);
}

}  // namespace

void allocate_parameter_tables(ParamContext& ctx, Par& p)
{
    crule(1, 79, 0);
    cprint("\nDYNAMIC MEMORY ALLOCATION");
    allocate_nuisance_tables(ctx, p);
    allocate_linkage_groups(ctx, p);
    allocate_trait_matrices(ctx, p);
    allocate_locus_tables(p);
    p.n_phenotyped = -1;
    p.n_pos_ibd = -1;
}

}  // namespace vsk
