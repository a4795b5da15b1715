// Number of QTL and of FPM genes: truncated Poisson prior, posterior from the
// post-burn-in samples, Bayes factors of each step k -> k+1, and the console
// tables with their legend.
#include "post/qtl_number.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "post/console.h"
#include "textfile/fatal.h"

namespace rvn {

namespace {

// Probabilities and Bayes factors never go below this floor, so every Bayes
// factor is finite.
constexpr double kFloor = 1e-6;

struct Table3 {
    std::vector<double> prior, posterior, bayes;
};

std::vector<double> floored(std::vector<double> p)
{
    for (double& v : p) v = std::max(kFloor, v);
    return p;
}

std::vector<double> posterior_of(const std::vector<int>& counts, int K, int N)
{
    std::vector<double> post(K + 1, 0.0);
    for (int c : counts)
        if (c >= 0 && c <= K) post[c] += 1.0;
    for (double& v : post) v = N > 0 ? v / N : 0.0;
    return floored(std::move(post));
}

std::vector<double> bayes_factors(const std::vector<double>& prior, const std::vector<double>& post)
{
    std::vector<double> bf(prior.size(), 0.0);
    for (std::size_t k = 0; k + 1 < prior.size(); ++k)
        bf[k] = (post[k + 1] / post[k]) * (prior[k] / prior[k + 1]);
    return bf;
}

void print_values(const std::vector<double>& v, double shown_above)
{
    for (double x : v) {
        if (x > shown_above)
            rprint(" %5.3lf", x);
        else
            rprint(" %-5d", 0);
    }
}

void print_k_header(int K)
{
    rprint("\n          ");
    for (int k = 0; k <= K; ++k) rprint(" %-5d", k);
}

void print_step_header(int K)
{
    for (int k = 0; k < K; ++k) rprint(" %2d/%-2d", k + 1, k);
}

// QTL rule: a Bayes factor is shown when the two posteriors sum above 0.1.
bool qtl_bf_shown(const std::vector<double>& post, int k) { return post[k] + post[k + 1] > 0.1; }

void print_legend()
{
    rprint("\n  -------------------------------------------");
    rprint("\n  Interpretation of pairwise model comparison");
    rprint("\n   2ln(BF)     Evidence against H0");
    rprint("\n   -------     -------------------");
    rprint("\n   0 to 2      hardly any         ");
    rprint("\n   2 to 5      positive           ");
    rprint("\n   5 to 10     strong             ");
    rprint("\n      > 10     decisive           ");
    rprint("\n                                  ");
    rprint("\n     NA        Not Available      ");
    rprint("\n  -------------------------------------------");
}

void print_genome_table(const char* title, const std::vector<double>& prior, const std::vector<double>& post,
                        const std::vector<double>& bf, double shown_above, bool (*bf_shown)(const std::vector<double>&, int))
{
    const int K = static_cast<int>(prior.size()) - 1;
    rrule(2, kRuleWidth, 1);
    rprint("%s", title);
    print_k_header(K);
    rprint("\nprior     ");
    print_values(prior, shown_above);
    rprint("\nposterior ");
    print_values(post, shown_above);
    rprint("\n\n               ");
    print_step_header(K);
    rprint("\nBayesF        ");
    for (int k = 0; k < K; ++k) {
        if (bf_shown(post, k))
            rprint(" %5.1lf", 2.0 * std::log(bf[k]));
        else
            rprint("%5s ", "NA");
    }
}

void print_group_tables(const PostState& st)
{
    const int K = st.par.maximQTL;
    const NumberTables& t = st.nqtl;
    const char* titles[] = {"PRIOR PROBABILITY (nQTL)", "POSTERIOR PROBABILITY (nQTL)"};
    const std::vector<std::vector<double>>* tables[] = {&t.prior, &t.posterior};
    for (int which = 0; which < 2; ++which) {
        rrule(2, kRuleWidth, 1);
        rprint("%s", titles[which]);
        print_k_header(K);
        for (std::size_t g = 0; g < st.groups.size(); ++g) {
            if (!st.groups[g].included) continue;
            rprint("\nchr ");
            rprint("%-4s  ", st.groups[g].name.c_str());
            print_values((*tables[which])[g + 1], 0.001);
        }
    }
    rrule(2, kRuleWidth, 1);
    rprint("BAYES FACTORS (nQTL)");
    rprint("\n 2ln(BF) ");
    print_step_header(K);
    for (std::size_t g = 0; g < st.groups.size(); ++g) {
        if (!st.groups[g].included) continue;
        rprint("\nchr %-4s", st.groups[g].name.c_str());
        for (int k = 0; k < K; ++k) {
            if (qtl_bf_shown(t.posterior[g + 1], k))
                rprint(" %5.1lf", 2.0 * std::log(t.bayes[g + 1][k]));
            else
                rprint(" %5s", "NA");
        }
    }
}

// FPM rule: shown when either posterior exceeds 0.01.
bool fpm_bf_shown(const std::vector<double>& post, int k) { return post[k] > 0.01 || post[k + 1] > 0.01; }

}  // namespace

std::vector<double> truncated_poisson(double lambda, int K, const std::string& what)
{
    // Computed on the log scale relative to the largest term: a large mean
    // (many groups' worth of QTL on one group) would otherwise underflow to
    // a zero sum.
    std::vector<double> logp(K + 1);
    for (int k = 0; k <= K; ++k)
        logp[k] = lambda > 0.0 ? k * std::log(lambda) - lambda - std::lgamma(k + 1.0) : (k == 0 ? 0.0 : -INFINITY);
    const double top = *std::max_element(logp.begin(), logp.end());
    std::vector<double> p(K + 1);
    double sum = 0.0;
    for (int k = 0; k <= K; ++k) sum += p[k] = std::exp(logp[k] - top);
    if (!(sum > 0.0) || !std::isfinite(sum)) {
        std::printf("\nError: zero density in testPoisson %s", what.c_str());
        vsk::fatal_exit(1);
    }
    for (double& v : p) v /= sum;
    return p;
}

std::vector<double> count_prior(double mean, int K, const std::string& what)
{
    if (mean > 0.0) return truncated_poisson(mean, K, what);
    return std::vector<double>(static_cast<std::size_t>(K + 1), 1.0 / (K + 1));
}

std::vector<double> group_count_prior(const std::vector<double>& genome, double share)
{
    const int K = static_cast<int>(genome.size()) - 1;
    std::vector<double> p(genome.size(), 0.0);
    if (!(share > 0.0)) {
        p[0] = 1.0;
        return p;
    }
    if (share >= 1.0) return genome;
    // Each of the genome's k QTL lies on the group with probability `share`.
    const double ls = std::log(share), lr = std::log1p(-share);
    for (int k = 0; k <= K; ++k)
        for (int j = 0; j <= k; ++j)
            p[j] += genome[k] * std::exp(std::lgamma(k + 1.0) - std::lgamma(j + 1.0) - std::lgamma(k - j + 1.0) +
                                         j * ls + (k - j) * lr);
    return p;
}

double prior_mean_count(double mean, int K)
{
    const std::vector<double> p = count_prior(mean, K, "genome");
    double m = 0.0;
    for (int k = 0; k <= K; ++k) m += k * p[k];
    return m;
}

int genome_qtl_count(const PostState& st, int r)
{
    if (st.groups.empty()) return 0;
    const double lo = st.groups[0].lower;
    int count = 0;
    for (int q = 0; q < st.par.maximQTL; ++q) count += st.s.qtl_position(r, q) > lo;
    return count;
}

int group_qtl_count(const PostState& st, int r, const ChromGroup& g)
{
    int count = 0;
    for (int q = 0; q < st.par.maximQTL; ++q) {
        const double pos = st.s.qtl_position(r, q);
        count += pos > g.lower && pos < g.upper;
    }
    return count;
}

bool group_rows_used(const PostState& st)
{
    int included = 0;
    for (const ChromGroup& g : st.groups) included += g.included != 0;
    return included >= 2;
}

void number_of_qtl(PostState& st)
{
    const int K = st.par.maximQTL;
    const int G = static_cast<int>(st.groups.size());
    NumberTables& t = st.nqtl;
    t.prior.assign(G + 1, std::vector<double>(K + 1, 0.0));
    t.posterior = t.prior;
    t.bayes = t.prior;

    std::vector<int> counts;
    for (int r = st.burnin; r < st.s.n(); ++r) counts.push_back(genome_qtl_count(st, r));
    const std::vector<double> genome_prior = count_prior(st.par.priorQTL, K, "genome");
    t.prior[0] = floored(genome_prior);
    t.posterior[0] = posterior_of(counts, K, st.n_post);
    t.bayes[0] = bayes_factors(t.prior[0], t.posterior[0]);

    const bool groups = group_rows_used(st);
    for (int g = 0; groups && g < G; ++g) {
        const ChromGroup& grp = st.groups[g];
        if (!grp.included) continue;
        counts.clear();
        for (int r = st.burnin; r < st.s.n(); ++r) counts.push_back(group_qtl_count(st, r, grp));
        t.prior[g + 1] = floored(group_count_prior(genome_prior, grp.prior_prob));
        t.posterior[g + 1] = posterior_of(counts, K, st.n_post);
        t.bayes[g + 1] = bayes_factors(t.prior[g + 1], t.posterior[g + 1]);
    }

    print_genome_table("GENOME : PRIOR & POSTERIOR & BAYES FACTOR (nQTL)", t.prior[0], t.posterior[0], t.bayes[0],
                       0.001, qtl_bf_shown);
    if (groups) print_group_tables(st);
    print_legend();
}

void number_of_fpm_genes(const PostState& st)
{
    const int K = st.par.maximFPM;
    const int width = st.s.fpm_width;
    std::vector<int> counts;
    for (int r = st.burnin; r < st.s.n() && r < st.s.fpm.rows(); ++r) {
        int c = 0;
        for (int g = 0; g < K; ++g) c += st.s.fpm[r][g * width] > 0.0;
        counts.push_back(c);
    }
    const std::vector<double> prior = floored(count_prior(st.par.priorFPM, K, "genome"));
    const std::vector<double> post = posterior_of(counts, K, st.n_post);
    print_genome_table("PRIOR & POSTERIOR & BAYES FACTOR (nFPM)", prior, post, bayes_factors(prior, post), 0.0005,
                       fpm_bf_shown);
    print_legend();
}

}  // namespace rvn
