// Data file reader: loads the file, has the pedigree ordered, then reads one
// individual per line in processing order (parents, generation coefficient,
// nuisance classes, phenotypes, genotype-writing mark, marker alleles).
#include "console/data_file.h"

#include <algorithm>
#include <unordered_map>

#include "console/data_file_text.h"
#include "console/pedigree_checks.h"
#include "console/pedigree_cohort.h"
#include "console/pedigree_order.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/fatal.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {

constexpr int kLeadingColumns = 4;         // cohort, name, first and second parent
constexpr int kWriteGenotypeCode = 3;      // nuisance code selecting genotype writing
constexpr int kNotInModel = -1;            // nuisance code: column takes no part

// Everything the per-individual steps share.
struct DataContext {
    explicit DataContext(const Par& p) : coder(p.nullalleleP, p.nullalleleC) {}
    AlleleCoder coder;
    int ncolN = 0;
    int expected_words = 0;
    MissingValues missing;
    std::unordered_map<std::string_view, int> index;   // name -> 0-based individual
    std::vector<std::string_view> words;
    int n_write_gtp = 0;
    int n_founders = 0;
    std::vector<int> line_of;   // data-file line (from 1, comments counted) of each individual
};

std::string str(std::string_view v) { return std::string(v); }

// Code of nuisance column c (1-based) for the first trait; -1 without traits.
int nuisance_code(const Par& p, int c)
{
    if (c >= p.indiN.rows() || p.indiN.cols() < 1) return kNotInModel;
    return p.indiN[c][0];
}

int total_marker_words()
{
    int m = 0;
    for (const Chr& c : chr) m += c.mrkrC;
    return 2 * m;
}

int analysed_markers()
{
    int m = 0;
    for (const Chr& c : chr)
        if (c.indiC) m += c.mrkrC;
    return m;
}

// The records the reader fills, sized for n individuals (start-up sizes them
// already; this only makes sure).
void size_records(int n)
{
    const int t = par.n_traits;
    if (static_cast<int>(obs.size()) != n) obs.resize(static_cast<std::size_t>(n));
    for (Obs& o : obs) o.X_nuis.resize(static_cast<std::size_t>(std::max(par.n_nuis, 1)));
    if (phe.residual.rows() != n || phe.residual.cols() != t) phe.assign(n, t);
    const int loci = analysed_markers();
    if (static_cast<int>(mrkrlcs.size()) < loci) mrkrlcs.resize(static_cast<std::size_t>(loci));
    mrk.allele1.assign(loci, n, 0);
    mrk.allele2.assign(loci, n, 0);
    for (int k = 0; k < loci; ++k) mrkrlcs[k].letter_coded = 0;
}

void print_progress(int i)
{
    if (i % 100 == 0) cprint("\n\n.");
    else if (i % 50 == 0) cprint("\n.");
    else if (i % 5 == 0) cprint(" .");
    else cprint(".");
}

void check_names(int i, const std::vector<std::string_view>& w)
{
    if (w[1].size() <= kMaxNameChars && w[2].size() <= kMaxNameChars && w[3].size() <= kMaxNameChars) return;
    cprint("\nERROR: name too long: %d : ", i);
    cprint(" %s %s %s", str(w[1]).c_str(), str(w[2]).c_str(), str(w[3]).c_str());
    fatal_exit(1);
}

void check_duplicate(const DataContext& ctx, int i)
{
    const std::vector<std::string_view>& w = ctx.words;
    auto it = ctx.index.find(w[1]);
    if (it == ctx.index.end()) return;
    cprint("\nERROR: duplication of individual found!");
    cprint("\nName: %s", str(w[1]).c_str());
    cprint("\nLine %-4d ", ctx.line_of[it->second]);
    cprint("\nLine %-4d ", ctx.line_of[i]);
    for (std::size_t k = 0; k < 5 && k < w.size(); ++k) cprint(" %s ", str(w[k]).c_str());
    cprint("\nNow exiting Voskara");
    fatal_exit(1);
}

// first and second parent of individual i.
void resolve_parents(DataContext& ctx, int i, std::string_view p1, std::string_view p2, Obs& o)
{
    o.fat = o.mot = o.mot_gen = 0;
    const std::string_view parent[2] = {p1, p2};
    for (int side = 0; side < 2; ++side) {
        if (parent[side] == "0") continue;
        ParentKind kind = parent_kind(parent[side]);
        if (kind != ParentKind::Name && kind != ParentKind::Unknown) {
            if (side == 0) {
                cprint("\nError in parent identification %d %s", i + 1, o.name.c_str());
                cprint(" parents: %s %s", str(p1).c_str(), str(p2).c_str());
                fatal_exit(1);
            }
            o.mot = kind == ParentKind::Inbred ? kInbred : kind == ParentKind::Selfed ? kSelfed : kDbhpld;
            if (o.fat > 0 && o.mot == kInbred) o.mot = kSelfed;
            o.mot_gen = o.fat;
            par.inbred_pop = 1;
            continue;
        }
        auto it = ctx.index.find(parent[side]);
        if (it == ctx.index.end()) {
            cprint("\nNewfounder: %d %10s", i + 1, str(parent[side]).c_str());
            cprint("\n This individual needs to be listed itself in the pedigree!");
            cprint("\n  PS. CHECK #columns for (a)traits, (b)nuisances, (c)markers");
            fatal_exit(1);
        }
        if (side == 0) {
            o.fat = it->second + 1;
        } else {
            o.mot = it->second + 1;
            o.mot_gen = o.mot;
        }
    }
}

// Generation coefficient: founders count 0; a selfing or doubled haploid adds
// one to its parent's, a cross one to the mean of its parents'.
void set_generation_coefficient(DataContext& ctx, Obs& o)
{
    o.gen_coeff = 0.0;
    if (o.fat == 0) {
        ++ctx.n_founders;
        return;
    }
    if (o.mot == 0) return;
    if (o.mot == kSelfed || o.mot == kDbhpld) {
        o.gen_coeff = 1.0 + obs[o.fat - 1].gen_coeff;
    } else if (o.mot > 0) {
        o.gen_coeff = 1.0 + 0.5 * (obs[o.fat - 1].gen_coeff + obs[o.mot - 1].gen_coeff);
    } else {
        return;
    }
    par.max_gen_coeff = std::max(par.max_gen_coeff, o.gen_coeff);
}

// Nuisance classes of the line (column 0, the overall mean, is class 1;
// "-" reads class 0).
void read_nuisance_classes(const DataContext& ctx, Obs& o)
{
    o.X_nuis[0] = 1;
    for (int c = 1; c <= ctx.ncolN; ++c) {
        std::string_view w = ctx.words[kLeadingColumns + c - 1];
        o.X_nuis[c] = w == "-" ? 0 : int_value(w);
    }
    o.first_nuisance = ctx.ncolN > 0 ? o.X_nuis[1] : 1;
}

[[noreturn]] void phenotype_not_a_number(std::string_view word, const Obs& o, int column)
{
    cprint("\nERROR: phenotype '%s' of individual %s (trait column %d) is not a number", str(word).c_str(),
           o.name.c_str(), column);
    cprint("\n phenotypes are finite numbers below %g in magnitude", kMaxPhenotypeMagnitude);
    cprint("\n list it in 'misvalT' of the parameter file when it marks a missing value");
    cprint("\nNow exiting Voskara\n");
    fatal_exit(1);
}

// Trait values of the line, with the missing-value words and flags.
void read_phenotypes(const DataContext& ctx, int i, const Obs& o)
{
    std::int8_t* flag = phe.phenotype[i];
    double* residual = phe.residual[i];
    const int first = kLeadingColumns + ctx.ncolN;
    int k = 0, n_missing = 0;
    for (int c = 0; c < par.ncolT; ++c) {
        if (c >= static_cast<int>(par.indiT.size()) || par.indiT[c] <= 0) continue;
        if (k >= par.n_traits) break;
        double v = 0.0;
        bool number = false;
        std::string_view w = ctx.words[first + c];
        bool missing = phenotype_missing(w, ctx.missing, v, number);
        if (!missing && !number) phenotype_not_a_number(w, o, c + 1);
        residual[k] = missing ? 0.0 : v;
        flag[k] = missing ? 0 : 1;
        n_missing += missing ? 1 : 0;
        ++k;
    }
    const int t = par.n_traits;
    if (t > 0 && n_missing == t) {
        std::fill(flag, flag + t, std::int8_t{kUnknown});
    } else if (t > 2 && n_missing > 0) {
        if (!REDprint) {
            cprint("\nWARNING: deleting PARTIAL phenotypes: %s", o.name.c_str());
            for (int k = 0; k < t; ++k) cprint(" %10.4lf", residual[k]);
        }
        std::fill(flag, flag + t, std::int8_t{kUnknown});
        std::fill(residual, residual + t, 0.0);
    }
    std::copy(residual, residual + t, phe.Y[i]);
}

// Genotype-writing flag of the line; a phenotyped line without a class in a
// column of the model is reported.
void mark_genotype_writing_and_incidence(DataContext& ctx, int i, Obs& o)
{
    o.write_gtp = 0;
    if (par.writeGTP == "NUISANCE") {
        for (int c = 1; c <= ctx.ncolN; ++c)
            if (nuisance_code(par, c) == kWriteGenotypeCode && o.X_nuis[c] == 1) o.write_gtp = 1;
        ctx.n_write_gtp += o.write_gtp;
    }
    if (par.n_traits < 1 || phe.phenotype[i][0] == kUnknown) return;
    for (int c = 1; c <= ctx.ncolN; ++c) {
        int code = nuisance_code(par, c);
        if (o.X_nuis[c] == 0 && code >= 0 && code != kWriteGenotypeCode)
            cprint("\n %32s Incidence nuisance %d", o.name.c_str(), c);
    }
}

[[noreturn]] void negative_allele(std::string_view word, const Obs& o, const Mrkrlcs& m, int line)
{
    cprint("\nERROR: allele '%s' of individual %s at marker %s (data file line %d) is not a valid allele",
           str(word).c_str(), o.name.c_str(), m.name.c_str(), line);
    cprint("\n alleles are letters, positive numbers, '-' (missing) or the null-allele texts");
    cprint("\nNow exiting Voskara\n");
    fatal_exit(1);
}

// A negative code that is not a null-allele text can only be a typing error.
bool valid_allele(const AlleleCoder& coder, int code, std::string_view word)
{
    return code != kInvalidAllele && (code >= 0 || coder.is_null_text(word));
}

// The two allele words of every marker on an analysed group into the
// per-locus allele records.
void read_alleles(const DataContext& ctx, int i, const Obs& o)
{
    int word = kLeadingColumns + ctx.ncolN + par.ncolT;
    int locus = 0;
    for (const Chr& c : chr) {
        if (!c.indiC) {
            word += 2 * c.mrkrC;
            continue;
        }
        for (int m = 0; m < c.mrkrC; ++m, ++locus, word += 2) {
            Mrkrlcs& mk = mrkrlcs[locus];
            const std::string_view w1 = ctx.words[word], w2 = ctx.words[word + 1];
            bool letter = false;
            const int a1 = ctx.coder.code(w1, letter);
            const int a2 = ctx.coder.code(w2, letter);
            if (!valid_allele(ctx.coder, a1, w1)) negative_allele(w1, o, mk, ctx.line_of[i]);
            if (!valid_allele(ctx.coder, a2, w2)) negative_allele(w2, o, mk, ctx.line_of[i]);
            mrk.allele1[locus][i] = a1;
            mrk.allele2[locus][i] = a2;
            if (letter) mk.letter_coded = 1;
        }
    }
}

void read_individual(DataContext& ctx, const std::string& line, int i)
{
    const int nw = split_words(line, ctx.words);
    if (nw != ctx.expected_words) {
        cprint("\nerror number of columns in %s: %d", par.datafile.c_str(), ctx.expected_words);
        cprint(", line %d contains %d columns", ctx.line_of[i], nw);
        cprint(" aborting\n");
        fatal_exit(1);
    }
    if (!REDprint) print_progress(i);
    Obs& o = obs[i];
    o.cohort = int_value(ctx.words[0]);
    check_names(i, ctx.words);
    check_duplicate(ctx, i);
    o.name = str(ctx.words[1]);
    const std::string_view p1 = normalized_parent(ctx.words[2]);
    const std::string_view p2 = normalized_parent(ctx.words[3]);
    check_single_parent(ctx.words[1], i + 1, p1, p2);
    resolve_parents(ctx, i, p1, p2, o);
    set_generation_coefficient(ctx, o);
    read_nuisance_classes(ctx, o);
    read_phenotypes(ctx, i, o);
    mark_genotype_writing_and_incidence(ctx, i, o);
    read_alleles(ctx, i, o);
    ctx.index.emplace(ctx.words[1], i);
}

void print_population_summary(int n)
{
    cprint(par.inbred_pop ? "\n\nINBRED population" : "\n\nOUTBRED population");
    cprint("\nNumber of individuals     %6d ", n);
    cprint("\nNumber of founders        %6d ", par.n_founders);
    cprint("\nNumber of base families   %6d ", par.n_founder_cohorts);
    cprint("\nMax generation coeff.     %6.2f", par.max_gen_coeff);
}

// Founder and genotype-writing lists, then the cohort step.
void fill_lists(int n, int n_write_gtp)
{
    if (par.nind > 0 && par.nind != par.n_founders) {
        cprint("\nError in number of founders");
        cprint("\n different in pedigree & FIBD files");
        cprint("\nNow exiting Voskara\n");
        fatal_exit(1);
    }
    InitFounder();
    par.founders.resize(static_cast<std::size_t>(par.n_founders));
    for (int i = 0, f = 0; i < n; ++i)
        if (obs[i].fat == 0) par.founders[f++] = i + 1;
    if (n_write_gtp > 0) {
        Initlwrtgtp(n_write_gtp);
        par.lwrtgtp.resize(static_cast<std::size_t>(n_write_gtp));
        for (int i = 0, w = 0; i < n; ++i)
            if (obs[i].write_gtp) par.lwrtgtp[w++] = i + 1;
    }
    Initlcohort();
    set_cohorts(par, obs);
}

// The genotype-writing column takes no part in the model.
void drop_genotype_writing_columns()
{
    for (int c = 1; c < par.indiN.rows(); ++c) {
        if (nuisance_code(par, c) != kWriteGenotypeCode) continue;
        for (int t = 0; t < par.indiN.cols(); ++t) par.indiN[c][t] = kNotInModel;
    }
}

}  // namespace

void read_data_file()
{
    crule(1, 79, 1);
    cprint("READING DATA\n");
    par.max_gen_coeff = 0.0;
    par.inbred_pop = 0;

    const std::string path = project_file(par.datafile);
    cprint("\n%s\n", path.c_str());
    std::vector<int> numbers;
    const std::vector<std::string> lines = load_significant_lines(path, MAXLENGTHLINE, numbers);
    if (!REDprint && !lines.empty()) {
        cprint("first_line\n%s\n", lines.front().c_str());
        cprint("last_line\n%s\n", lines.back().c_str());
    }
    const int n = static_cast<int>(lines.size());
    const std::vector<int> order = order_pedigree(lines, &numbers);

    DataContext ctx(par);
    for (int k : order) ctx.line_of.push_back(numbers[k]);
    ctx.ncolN = std::max(par.n_nuis - 1, 0);
    build_phenotype_text(lines, order, kLeadingColumns + ctx.ncolN + par.ncolT);
    ctx.missing = missing_values(par.misvalT);
    ctx.expected_words = kLeadingColumns + ctx.ncolN + par.ncolT + total_marker_words();
    ctx.index.reserve(static_cast<std::size_t>(n) * 2);
    size_records(n);
    par.n_individuals = n;

    for (int i = 0; i < n; ++i) read_individual(ctx, lines[order[i]], i);

    par.n_founders = ctx.n_founders;
    print_population_summary(n);
    if (analysed_markers() != par.n_markers) cprint("\nError number of markers (%d)", par.n_markers);
    fill_lists(n, ctx.n_write_gtp);
    drop_genotype_writing_columns();
}

}  // namespace vsk
