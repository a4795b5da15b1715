// QTL slots: genotype coding, genotypic values, founder-allele labels passed
// down the pedigree, the flip of allele states, and the residual updates that
// keep "residual = phenotype minus every fitted term" true.
#include <algorithm>

#include "core/qtl/qtl.h"
#include "core/state/console.h"

namespace vsk {

namespace {

constexpr int kPaternal = 0;
constexpr int kMaternal = 1;

}  // namespace

int slot_count(const QtlModel& m) { return m.fpm ? m.p.maximFPM : m.p.maximQTL; }
int add_setting(const QtlModel& m) { return m.fpm ? m.p.addFPM : m.p.addGENE; }
int dom_setting(const QtlModel& m) { return m.fpm ? m.p.domFPM : m.p.domGENE; }
double count_prior(const QtlModel& m) { return m.fpm ? m.p.priorFPM : m.p.priorQTL; }
int& gene_count(QtlModel& m) { return m.fpm ? m.p.nfpm : m.p.nqtl; }

int genotype_code(int a_pat, int a_mat) { return 2 * a_pat + a_mat; }

void genotype_alleles(int g, int& a_pat, int& a_mat)
{
    a_pat = g / 2;
    a_mat = g % 2;
}

bool phenotyped(const QtlModel& m, int c) { return m.phe.phenotype.cols() > 0 && m.phe.phenotype[c][0] != kUnknown; }

int base_family(const QtlModel& m, int founder_index)
{
    const int families = std::max(1, m.p.n_founder_cohorts);
    const int i = m.p.founders[static_cast<std::size_t>(founder_index)];
    const int cohort = m.o[static_cast<std::size_t>(i - 1)].cohort;
    return std::clamp(cohort - 1, 0, families - 1);
}

// Sizes every slot and save buffer and gives the founders their labels.
void init_qtl_slots(QtlModel& m)
{
    const Par& p = m.p;
    const int n = p.n_individuals, t = p.n_traits, families = std::max(1, p.n_founder_cohorts);
    const int slots = slot_count(m);
    for (std::vector<Gene>* v : {&m.gene, &m.temp}) {
        if (static_cast<int>(v->size()) < slots) v->resize(static_cast<std::size_t>(slots));
        for (Gene& g : *v) {
            if (g.gtp.size() != static_cast<std::size_t>(n)) g.gtp.assign(static_cast<std::size_t>(n), 0);
            if (g.fal.cols() != n) g.fal.assign(2, n, 0);
            if (g.gpori.cols() != n) g.gpori.assign(2, n, 0);
            if (g.alstate.size() != static_cast<std::size_t>(2 * p.n_founders))
                g.alstate.assign(static_cast<std::size_t>(2 * p.n_founders), -1);
            if (g.gval.rows() != kGenotypes || g.gval.cols() != t) g.gval.assign(kGenotypes, t, 0.0);
            if (g.eff.rows() != kGenotypes || g.eff.cols() != t) g.eff.assign(kGenotypes, t, 0.0);
            if (g.freq.rows() != families) g.freq.assign(families, 2, 0.5);
            if (g.rfmrk.size() != static_cast<std::size_t>(p.n_markers))
                g.rfmrk.assign(static_cast<std::size_t>(p.n_markers), 0.5);
            if (g.rfqtl.size() != static_cast<std::size_t>(p.maximQTL))
                g.rfqtl.assign(static_cast<std::size_t>(p.maximQTL), 0.0);
        }
    }
    for (Gene& g : m.gene) set_founder_labels(m, g);
}

void set_founder_labels(QtlModel& m, Gene& g)
{
    for (int k = 0; k < m.p.n_founders; ++k) {
        const int i = m.p.founders[static_cast<std::size_t>(k)] - 1;
        g.fal[kPaternal][i] = 2 * k;
        g.fal[kMaternal][i] = 2 * k + 1;
    }
}

// Genotypic values of the four codes from the effect rows; allele state 0
// raises the trait by the additive effect.
void compute_gval(const Par& p, Gene& g)
{
    if (g.altype != 0) {
        cprint("\nERROR: incorrect number of alleles at QTL, see GtpPar2GtpMean()");
        abort_voskara();
    }
    for (int t = 0; t < p.n_traits; ++t) {
        const double mu = g.eff[kMeanRow][t], a = g.eff[kAddRow][t], d = g.eff[kDomRow][t],
                     im = g.eff[kImpRow][t];
        g.gval[0][t] = mu + a;
        g.gval[1][t] = mu + d + im;
        g.gval[2][t] = mu + d - im;
        g.gval[3][t] = mu - a;
    }
}

// Labels of non-founder i from its parents through its origins, and its code.
void derive_labels(QtlModel& m, Gene& g, int i)
{
    const Obs& ind = m.o[static_cast<std::size_t>(i - 1)];
    const int c = i - 1;
    if (ind.fat > 0) {
        g.fal[kPaternal][c] = g.fal[g.gpori[kPaternal][c]][ind.fat - 1];
        g.fal[kMaternal][c] = g.fal[g.gpori[kMaternal][c]][ind.mot_gen - 1];
    }
    g.gtp[static_cast<std::size_t>(c)] = genotype_code(g.alstate[static_cast<std::size_t>(g.fal[kPaternal][c])],
                                                       g.alstate[static_cast<std::size_t>(g.fal[kMaternal][c])]);
}

void derive_all_genotypes(QtlModel& m, Gene& g)
{
    for (int i = 1; i <= m.p.n_individuals; ++i) derive_labels(m, g, i);
}

void free_slot(QtlModel& m, int s)
{
    Gene& g = m.gene[static_cast<std::size_t>(s)];
    g.status = 0;
    g.pos = 0.0;
    g.interval = -2;
    g.chrom = -1;
    g.lcsrow = -1;
}

int lowest_free_slot(const QtlModel& m)
{
    for (int s = 0; s < slot_count(m); ++s)
        if (m.gene[static_cast<std::size_t>(s)].status == 0) return s;
    return -1;
}

int active_count(const QtlModel& m)
{
    int k = 0;
    for (int s = 0; s < slot_count(m); ++s) k += m.gene[static_cast<std::size_t>(s)].status == 1;
    return k;
}

int pick_active_slot(const QtlModel& m, double u)
{
    const int k = active_count(m);
    if (k == 0) return -1;
    const int target = std::min(k - 1, static_cast<int>(u * k));
    int seen = 0;
    for (int s = 0; s < slot_count(m); ++s) {
        if (m.gene[static_cast<std::size_t>(s)].status != 1) continue;
        if (seen++ == target) return s;
    }
    return -1;
}

// Exchanging the allele states maps codes 0<->3 and 1<->2, so the genotypic
// values stay the same only with the additive and imprinted effects negated
// and the dominance effect kept; the frequencies swap with the states so
// that the founders' states keep their prior probability.
void flip_slot(QtlModel& m, Gene& g)
{
    for (int t = 0; t < m.p.n_traits; ++t) {
        g.eff[kAddRow][t] = 0.0 - g.eff[kAddRow][t];
        g.eff[kImpRow][t] = 0.0 - g.eff[kImpRow][t];
    }
    for (int& a : g.alstate)
        if (a >= 0) a = 1 - a;
    for (int f = 0; f < g.freq.rows(); ++f) std::swap(g.freq[f][0], g.freq[f][1]);
    for (int& c : g.gtp) c = 3 - c;
    compute_gval(m.p, g);
}

void flip_negative_slots(QtlModel& m)
{
    for (int s = 0; s < slot_count(m); ++s) {
        Gene& g = m.gene[static_cast<std::size_t>(s)];
        if (g.status != 0 && g.eff[kAddRow][0] < 0.0) flip_slot(m, g);
        if (g.status != 0) compute_gval(m.p, g);
    }
}

void apply_slot_values(QtlModel& m, const Gene& g, int sign)
{
    const int t = m.p.n_traits;
    for (int c = 0; c < m.p.n_individuals; ++c) {
        const std::int8_t* flag = m.phe.phenotype[c];
        double* r = m.phe.residual[c];
        const double* v = g.gval[g.gtp[static_cast<std::size_t>(c)]];
        for (int j = 0; j < t; ++j)
            if (flag[j] != kUnknown) r[j] -= sign * v[j];
    }
}

void apply_means(QtlModel& m, int sign)
{
    const int t = m.p.n_traits;
    if (m.p.nuis_effects.rows() < 1) return;
    const double* mu = m.p.nuis_effects[0];
    for (int c = 0; c < m.p.n_individuals; ++c)
        for (int j = 0; j < t; ++j)
            if (m.phe.phenotype[c][j] != kUnknown) m.phe.residual[c][j] -= sign * mu[j];
}

void apply_all_values(QtlModel& m, int sign)
{
    for (int s = 0; s < slot_count(m); ++s)
        if (m.gene[static_cast<std::size_t>(s)].status != 0) apply_slot_values(m, m.gene[static_cast<std::size_t>(s)], sign);
    apply_means(m, sign);
}

// State of one founder allele drawn from its family's frequencies: the first
// state whose cumulative frequency reaches a uniform draw.
double inbred_founder_state(Rng& r, const Table<double>& freq, int family)
{
    return r.uniform() <= freq[family][0] ? 0 : 1;
}

// With inbred founders both labels of a founder carry one state (the founder
// is homozygous at every locus); otherwise each label is drawn on its own.
void draw_founder_states(QtlModel& m, Gene& g)
{
    for (int k = 0; k < m.p.n_founders; ++k) {
        const int f = base_family(m, k);
        const int a = static_cast<int>(inbred_founder_state(m.rng, g.freq, f));
        const int b = m.p.inbred_pop == 1 ? a : static_cast<int>(inbred_founder_state(m.rng, g.freq, f));
        g.alstate[static_cast<std::size_t>(2 * k)] = a;
        g.alstate[static_cast<std::size_t>(2 * k + 1)] = b;
    }
}

// Frequencies of a new QTL: uniform inside the margins when they leave room,
// 0.5 otherwise.
void draw_frequencies(QtlModel& m, Gene& g)
{
    const double lo = m.b.freq_lower, hi = m.b.freq_upper;
    for (int f = 0; f < g.freq.rows(); ++f) {
        const double q = hi - lo > 0.2 ? lo + (hi - lo) * m.rng.uniform() : 0.5;
        g.freq[f][0] = q;
        g.freq[f][1] = 1.0 - q;
    }
}

}  // namespace vsk
