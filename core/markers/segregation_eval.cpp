// One genotype in one pass of the segregation check: MENU codes, the
// plausible completion, and the status and allele changes of the modifying
// stages, with its lines for marker.log.
#include <cmath>

#include "core/markers/allele_text.h"
#include "core/markers/segregation.h"

namespace vsk {

namespace {

struct Genotype {
    int a1, a2;
};

struct Context {
    MarkerData& d;
    const Kin& kin;
    int k, i, stage;
    const LocusModel& m;
    const std::vector<double>& P;
    double at(int a, int b) const { return P[static_cast<std::size_t>((a - 1) * m.n + (b - 1))]; }
};

int missing_code(int a1, int a2)
{
    return (a1 == kMissingAllele ? 1 : 0) + (a2 == kMissingAllele ? 2 : 0);
}

// Sum over the plausible completions of the known allele a (E rule for a
// half-known genotype); with none, E is set and the sum (0) makes the
// genotype the first candidate for deletion.
double plausible_completion(const Context& c, int a, bool& any)
{
    double p = 0.0;
    any = false;
    for (int b = 1; b <= c.m.n; ++b) {
        const double x = c.at(a, b), y = c.at(b, a);
        if (x > kAcceptProb || y > kAcceptProb) {
            any = true;
            p += std::max(x, y);
        }
    }
    return p;
}

// Steps 3 and 4: E with the probability behind it, and N.
void error_codes(const Context& c, Evaluation& e, int a1, int a2)
{
    const int n = c.m.n;
    bool plausible = false, ordinary_plausible = false;
    for (int a = 1; a <= n; ++a)
        for (int b = 1; b <= n; ++b) {
            if (c.at(a, b) > kAcceptProb) plausible = true;
            if (c.at(a, b) > kAcceptProb && a < n && b < n) ordinary_plausible = true;
        }
    if (!plausible) e.E = 1;
    if (e.M == 2 || e.M == 1) {
        bool any = false;
        e.p = plausible_completion(c, e.M == 2 ? a1 : a2, any);
        if (!any) e.E = e.M == 2 ? 5 : 4;
    } else if (e.M == 0 && a2 == kPutativeNull) {
        if (c.at(a1, a1) < kAcceptProb && c.at(a1, n) < kAcceptProb && c.at(n, a1) < kAcceptProb) e.E = 2;
        e.p = std::max(c.at(a1, n), c.at(n, a1));
    } else if (e.M == 0 && c.m.has_null && a2 == n) {
        if (c.at(a1, n) < kAcceptProb && c.at(n, a1) < kAcceptProb) e.E = 2;
        e.p = std::max(c.at(a1, n), c.at(n, a1));
    } else if (e.M == 0) {
        if (c.at(a1, a2) < kAcceptProb && c.at(a2, a1) < kAcceptProb) e.E = 3;
        e.p = std::max(c.at(a1, a2), c.at(a2, a1));
    }
    const bool putative = c.d.loci[static_cast<std::size_t>(c.k)].has_putative_null;
    if (putative && plausible && !ordinary_plausible) e.N = 1;
}

// Step 5: completion of a genotype with a missing allele.
Genotype complete_missing(const Context& c, Evaluation& e, Genotype g)
{
    const int n = c.m.n;
    const bool putative = c.d.loci[static_cast<std::size_t>(c.k)].has_putative_null;
    const bool inbred_code = second_parent_code(c.kin.mot[static_cast<std::size_t>(c.i)]);
    for (int r = 1; r <= n; ++r)
        for (int col = 1; col <= n; ++col) {
            if (r != col && c.at(r, col) + c.at(col, r) > kImputeProb) {
                g = {r, col};
                e.U = 2;
                if (putative && (r == n || col == n)) e.N = 2;
            } else if (r == col && c.at(r, r) > kImputeProb) {
                g = {r, r};
                e.U = 3;
            } else if (r == col && inbred_code && c.at(r, r) > kInbredHomProb) {
                g = {r, r};
                e.U = 4;
            }
        }
    if (e.M != 1 && e.M != 2) return g;
    const int known = e.M == 1 ? g.a2 : g.a1;
    if (known < 1 || known > n) return g;
    double S = c.at(known, known);
    for (int x = 1; x <= n; ++x)
        if (x != known) S += c.at(known, x) + c.at(x, known);
    for (int x = 1; x <= n; ++x) {
        const double v = x == known ? c.at(known, known) : c.at(x, known) + c.at(known, x);
        if (v > kImputeProb * S) {
            g = {known, x};
            e.U = x == known ? 6 : 5;
        }
    }
    return g;
}

// Step 6: a genotype with a putative null in second place.
Genotype complete_putative(const Context& c, Evaluation& e, Genotype g)
{
    const int n = c.m.n, a1 = g.a1;
    const bool null_ok = c.at(a1, n) > kAcceptProb || c.at(n, a1) > kAcceptProb;
    if (c.at(a1, a1) <= kAcceptProb && null_ok) {
        e.N = 2;
        e.U = 1;
        return {a1, n};
    }
    if (!null_ok && c.at(a1, a1) > kAcceptProb) {
        e.U = 3;
        return {a1, a1};
    }
    return g;
}

std::string text_of(const Context& c, int code)
{
    return allele_text(c.d.par, c.d.loci[static_cast<std::size_t>(c.k)], code);
}

// Step 8: modification and status in the modifying stages.
void apply_stage_rules(const Context& c, Evaluation& e, Genotype completion)
{
    MarkerData& d = c.d;
    std::int8_t& status = d.status(c.k, c.i);
    const int o1 = d.mrk.code1_obs[c.k][c.i - 1], o2 = d.mrk.code2_obs[c.k][c.i - 1];
    const bool observed_missing = o1 == kMissingAllele && o2 == kMissingAllele;
    const bool modify = (e.U != 0 && e.M != 0) || e.N == 2 || (e.U == 3 && e.M == 0);
    if (modify) {
        d.a1(c.k, c.i) = static_cast<std::int8_t>(completion.a1);
        d.a2(c.k, c.i) = static_cast<std::int8_t>(completion.a2);
        e.modified = true;
        if (e.N == 2 || (e.U == 3 && e.M == 0)) {
            status = kPutNullAugmented;
        } else if (status == kObservedError) {
            status = observed_missing ? kMissingAugmented : kObservedErrorAugmented;
        } else if (observed_missing) {
            status = kMissingAugmented;
        } else {
            e.text += "\nWARNING in coding marker consistency";
            e.text += "\n Individual  " + d.ind(c.i).name;
            e.text += "\n Marker      " + d.loci[static_cast<std::size_t>(c.k)].name;
            e.text += "\n CurrentCode " + std::to_string(status);
            e.text += "\n Original GTP " + text_of(c, o1) + "," + text_of(c, o2);
        }
        if (e.N == 2) d.loci[static_cast<std::size_t>(c.k)].has_confirmed_null = 1;
    }
    if (e.M != 0) {
        if (e.E != 0 && status != kObservedError) status = kMissingError;
        else if (e.E == 0 && status == kMissingError) status = kIncompleteMissing;
    }
    if (e.E == 0 && status == kStatusUnset) status = e.M != 0 ? kIncompleteMissing : kObservedConsistent;
}

// "%6s,%-6s" (joiner ',') or "\n%6s %-6s" (joiner ' ', new line).
void append_pair(std::string& s, bool new_line, const std::string& a, const std::string& b)
{
    char buf[128];
    if (new_line) std::snprintf(buf, sizeof buf, "\n%6s %-6s", a.c_str(), b.c_str());
    else std::snprintf(buf, sizeof buf, "%6s,%-6s", a.c_str(), b.c_str());
    s += buf;
}

// Step 9: the individual's lines in marker.log.
void describe(const Context& c, Evaluation& e)
{
    MarkerData& d = c.d;
    const int n = c.m.n;
    const int o1 = d.mrk.code1_obs[c.k][c.i - 1], o2 = d.mrk.code2_obs[c.k][c.i - 1];
    const int a1 = d.a1(c.k, c.i), a2 = d.a2(c.k, c.i);
    char buf[160];
    std::snprintf(buf, sizeof buf, "\n%-20s%-20s", d.ind(c.i).name.c_str(), d.loci[static_cast<std::size_t>(c.k)].name.c_str());
    e.text += buf;
    append_pair(e.text, false, text_of(c, o1), text_of(c, o2));
    append_pair(e.text, false, text_of(c, a1), text_of(c, a2));
    if (e.M || e.E || e.N || e.U) {
        std::snprintf(buf, sizeof buf, " (MENU=%d%d%d%d)", e.M, e.E, e.N, e.U);
        e.text += buf;
    }
    const int cur1 = a1 < 0 ? n : a1, cur2 = a2 < 0 ? n : a2;
    for (int r = 1; r <= n; ++r)
        for (int col = 1; col <= n; ++col) {
            const bool current = r == cur1 && col == cur2;
            if (c.at(r, col) < kAcceptProb && !current) continue;
            append_pair(e.text, true, text_of(c, r), text_of(c, col));
            std::snprintf(buf, sizeof buf, " %.4lf%s", c.at(r, col), current ? " (<-)" : "");
            e.text += buf;
        }
}

}  // namespace

Evaluation evaluate_genotype(MarkerData& d, const Kin& kin, int k, int i, int stage, const LocusModel& m,
                             std::vector<double>& P, std::FILE* log)
{
    Evaluation e;
    std::int8_t& a1 = d.a1(k, i);
    std::int8_t& a2 = d.a2(k, i);
    e.M = missing_code(a1, a2);
    if (a1 == kConfirmedNull) a1 = static_cast<std::int8_t>(m.n);
    if (a2 == kConfirmedNull) a2 = static_cast<std::int8_t>(m.n);
    genotype_probability(d, kin, k, i, m, P, log);
    const Context c{d, kin, k, i, stage, m, P};
    error_codes(c, e, a1, a2);
    Genotype completion{a1, a2};
    if (e.M != 0) completion = complete_missing(c, e, completion);
    else if (a2 == kPutativeNull) completion = complete_putative(c, e, completion);
    if (stage == 0) {
        if (e.E != 0) d.status(k, i) = kObservedPutError;
    } else {
        apply_stage_rules(c, e, completion);
    }
    const bool report = d.par.writeMSI || e.E != 0 || e.N == 2 || (stage >= 1 && !d.par.inbred_pop && e.U != 0);
    if (report) describe(c, e);
    return e;
}

}  // namespace vsk
