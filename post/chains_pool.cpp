// Pooling several chains: per-chain reading and burn-in, the common window,
// the convergence table with its verdict, and the joined sample tables.
#include "post/chains_pool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "post/chain_dirs.h"
#include "post/console.h"
#include "post/driver.h"
#include "post/ess.h"
#include "post/params.h"
#include "post/qtl_number.h"

namespace rvn {

namespace {

// Fewest draws per chain for the split halves to have an autocorrelation.
constexpr int kMinChainDraws = 8;

template <class T>
void append_rows(vsk::Table<T>& into, const vsk::Table<T>& from, int first, int last, const char* what)
{
    if (from.empty() || from.rows() < last) return;
    if (!into.empty() && into.cols() != from.cols()) {
        rprint("\nERROR: the chains hold %s samples of different widths (%d and %d columns)", what, into.cols(),
               from.cols());
        exit_ruvane();
    }
    vsk::Table<T> joined(into.rows() + (last - first), from.cols());
    std::copy(into.data(), into.data() + static_cast<std::size_t>(into.rows()) * into.cols(), joined.data());
    std::copy(from[first], from[first] + static_cast<std::size_t>(last - first) * from.cols(), joined[into.rows()]);
    into = std::move(joined);
}

ChainDraws column_draws(const std::vector<PostState>& states, int first, int last, int c)
{
    ChainDraws d;
    for (const PostState& s : states) {
        std::vector<double> x;
        for (int r = first; r < last; ++r) x.push_back(s.s.genpar[r][c]);
        d.push_back(std::move(x));
    }
    return d;
}

template <class Count>
ChainDraws count_draws(const std::vector<PostState>& states, int first, int last, Count count)
{
    ChainDraws d;
    for (const PostState& s : states) {
        std::vector<double> x;
        for (int r = first; r < last; ++r) x.push_back(count(s, r));
        d.push_back(std::move(x));
    }
    return d;
}

PostState read_chain(const std::filesystem::path& dir, const std::string& par_file)
{
    PostState cs;
    cs.project_dir = dir.string();
    section_banner(("CHAIN  " + dir.filename().string()).c_str());
    GetVoskaraPar(cs, cs.path(par_file));
    read_sample_files(cs, ShortSamples::Fatal);
    calc_burnin(cs, true);
    return cs;
}

void print_chain_table(const PooledChains& p)
{
    separator();
    rprint("CHAINS POOLED");
    rprint("\n%-12s %9s %9s", "Chain", "samples", "burn-in");
    for (std::size_t k = 0; k < p.dirs.size(); ++k)
        rprint("\n%-12s %9d %9d", std::filesystem::path(p.dirs[k]).filename().c_str(), p.rows[k], p.burnin[k]);
    rprint("\nEvery chain contributes its samples %d to %d: %d each, %d in all", p.first + 1, p.last,
           p.last - p.first, static_cast<int>(p.dirs.size()) * (p.last - p.first));
}

void print_convergence_table(const PooledChains& p)
{
    separator();
    rprint("CONVERGENCE ACROSS CHAINS (rank-normalised split R-hat, bulk and tail ESS)");
    rprint("\n%-22s %9s %10s %10s", "Quantity", "R-hat", "ESS bulk", "ESS tail");
    for (const QuantityConvergence& q : p.quantities) {
        if (q.c.constant) {
            rprint("\n%-22s %9s", q.name.c_str(), "constant");
            continue;
        }
        rprint("\n%-22s %9.4f %10.0f %10.0f", q.name.c_str(), q.c.rhat, q.c.ess_bulk, q.c.ess_tail);
        if (std::isnan(q.c.rhat) || q.c.rhat >= kRhatLimit) rprint("  R-hat too large");
        else if (!(q.c.ess_bulk >= kEssLimit && q.c.ess_tail >= kEssLimit)) rprint("  ESS too small");
    }
    rprint("\n\n%s\n", p.verdict.c_str());
}

}  // namespace

std::vector<QuantityConvergence> chains_convergence(const std::vector<PostState>& states, int first, int last)
{
    std::vector<QuantityConvergence> rows;
    if (states.empty() || last - first < 1) return rows;
    const PostState& s0 = states.front();
    PostState named;
    named.chain_names = chain_names(s0.par.n_traits);
    for (int c = 0; c < s0.s.V(); ++c)
        rows.push_back({chain_name(named, c), chain_convergence(column_draws(states, first, last, c))});
    if (!s0.par.qtl_on() || s0.s.qtl.empty()) return rows;
    for (std::size_t g = 0; g < s0.groups.size(); ++g) {
        if (!s0.groups[g].included) continue;
        rows.push_back({"nQTL group " + s0.groups[g].name,
                        chain_convergence(count_draws(states, first, last, [g](const PostState& s, int r) {
                            return static_cast<double>(group_qtl_count(s, r, s.groups[g]));
                        }))});
    }
    return rows;
}

std::string verdict_line(const std::vector<QuantityConvergence>& rows, int chains)
{
    std::string why;
    const std::string name = holding_back(rows, why);
    char text[320];
    if (name.empty())
        std::snprintf(text, sizeof text,
                      "CONVERGENCE: converged (%d chains: every R-hat below %.2f, every bulk and tail ESS at least %.0f)",
                      chains, kRhatLimit, kEssLimit);
    else
        std::snprintf(text, sizeof text, "CONVERGENCE: not converged (%d chains): '%s' holds it back, %s", chains,
                      name.c_str(), why.c_str());
    return text;
}

void append_sample_rows(Samples& into, const Samples& from, int first, int last)
{
    if (into.genpar.empty()) {
        // Layout and flags of the first chain.
        Samples layout;
        layout.has_nuisance = from.has_nuisance;
        layout.has_qtl_geno = from.has_qtl_geno;
        layout.has_qtl_coh = from.has_qtl_coh;
        layout.has_fpm_geno = from.has_fpm_geno;
        layout.has_fpm_coh = from.has_fpm_coh;
        layout.has_tim = from.has_tim;
        layout.has_tim_coh = from.has_tim_coh;
        layout.thin_step = from.thin_step;
        layout.n_var_blocks = from.n_var_blocks;
        layout.S = from.S;
        layout.F = from.F;
        layout.geno_per_slot = from.geno_per_slot;
        layout.coh_per_slot = from.coh_per_slot;
        layout.fpm_width = from.fpm_width;
        layout.fpm_geno_per_gene = from.fpm_geno_per_gene;
        layout.tim_individuals = from.tim_individuals;
        into = std::move(layout);
    }
    into.iteration.insert(into.iteration.end(), from.iteration.begin() + first, from.iteration.begin() + last);
    into.loglik.insert(into.loglik.end(), from.loglik.begin() + first, from.loglik.begin() + last);
    append_rows(into.genpar, from.genpar, first, last, "genpar.out");
    append_rows(into.nuisance, from.nuisance, first, last, "nui2.out");
    append_rows(into.qtl, from.qtl, first, last, "iqtl.out");
    append_rows(into.qtl_geno, from.qtl_geno, first, last, "gqtl.out");
    append_rows(into.qtl_coh, from.qtl_coh, first, last, "cohqtl.out");
    append_rows(into.fpm, from.fpm, first, last, "ifpm.out");
    append_rows(into.fpm_geno, from.fpm_geno, first, last, "gfpm.out");
    append_rows(into.fpm_coh, from.fpm_coh, first, last, "cohfpm.out");
    append_rows(into.tim, from.tim, first, last, "tim.out");
    append_rows(into.tim_coh, from.tim_coh, first, last, "cohtim.out");
}

PooledChains pool_chains(PostState& st, const std::string& par_file)
{
    PooledChains p;
    for (const auto& d : list_chain_dirs(st.project_dir)) p.dirs.push_back(d.string());
    if (p.dirs.empty()) {
        rprint("\nERROR: no chain directories (chain_01, chain_02, ...) in %s", st.project_dir.c_str());
        rprint("\nRun voskara_chains on the project first");
        exit_ruvane();
    }
    std::vector<PostState> states;
    for (const std::string& d : p.dirs) {
        states.push_back(read_chain(d, par_file));
        p.rows.push_back(states.back().s.n());
        p.burnin.push_back(states.back().burnin);
    }
    p.first = *std::max_element(p.burnin.begin(), p.burnin.end());
    p.last = *std::min_element(p.rows.begin(), p.rows.end());
    const int K = static_cast<int>(p.dirs.size());
    if (p.last - p.first < kMinChainDraws || K * (p.last - p.first) < kMinSamples) {
        rprint("\nERROR: the chains share %d samples after the burn-in (samples %d to %d); at least %d per chain",
               std::max(0, p.last - p.first), p.first + 1, p.last, kMinChainDraws);
        rprint(" and %d in all are needed: run longer chains", kMinSamples);
        exit_ruvane();
    }
    p.quantities = chains_convergence(states, p.first, p.last);
    p.verdict = verdict_line(p.quantities, K);

    Samples pooled;
    for (const PostState& s : states) append_sample_rows(pooled, s.s, p.first, p.last);
    st.s = std::move(pooled);
    st.names = std::move(states.front().names);
    st.print_flag = std::move(states.front().print_flag);
    st.chain_names = chain_names(st.par.n_traits);
    st.burnin = 0;
    st.n_post = st.s.n();

    section_banner("CONVERGENCE ISSUES  SEVERAL CHAINS");
    print_chain_table(p);
    print_convergence_table(p);
    if (console_redirected()) std::printf("%s\n", p.verdict.c_str());
    return p;
}

}  // namespace rvn
