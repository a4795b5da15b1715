// Segregation check of all loci. A modifying stage repeats passes over the
// individuals of a locus, deleting the least probable inconsistent genotype
// after each pass, until a pass neither finds an error nor completes a
// genotype. A genotype's check depends only on its own alleles and those of
// its parents, offspring and mates, so a pass re-evaluates only individuals
// whose neighbourhood changed and reuses the others' results; the outcome is
// that of evaluating every individual in every pass.
#include <cmath>
#include <set>

#include "core/markers/allele_text.h"
#include "core/markers/marker_checks.h"
#include "core/markers/marker_log.h"
#include "core/markers/segregation.h"
#include "core/state/console.h"
#include "textfile/fatal.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {

struct CheckTotals {
    int modifications = 0;
    int deletions = 0;
};

bool checked(const Obs& o) { return o.fat > 0 || o.pfP > 0 || o.mfP > 0; }

// Individuals whose check reads the genotype of j: j, its parents, its
// offspring and their other parents.
template <class F>
void for_each_dependent(const std::vector<Obs>& obs, int j, F f)
{
    const Obs& o = obs[static_cast<std::size_t>(j - 1)];
    f(j);
    if (o.fat > 0) f(o.fat);
    if (o.mot_gen > 0 && o.mot_gen != o.fat) f(o.mot_gen);
    for_each_offspring(obs, j, [&](int c) {
        f(c);
        const Obs& child = obs[static_cast<std::size_t>(c - 1)];
        const int mate = child.fat == j ? child.mot_gen : child.fat;
        if (mate > 0 && mate != j) f(mate);
    });
}

// The passes over one locus and their cached evaluations.
class LocusCheck {
public:
    LocusCheck(MarkerData& d, int k, int stage, std::FILE* log)
        : d_(d), k_(k), stage_(stage), log_(log), m_(locus_model(d.par, d.loci[static_cast<std::size_t>(k)])),
          eval_(static_cast<std::size_t>(d.n_ind() + 1))
    {
    }

    // Returns the errors detected in the last pass.
    int run(CheckTotals& totals)
    {
        set_unchecked_statuses();
        std::set<int> dirty;
        for (int i = 1; i <= d_.n_ind(); ++i)
            if (checked(d_.ind(i))) dirty.insert(i);
        for (;;) {
            std::set<int> next;
            const bool modified = pass(dirty, next);
            const int remembered = write_pass_and_find_deletion();
            if (stage_ == 0) break;
            dirty.swap(next);
            if (remembered > 0) {
                delete_genotype(remembered, dirty);
                ++totals.deletions;
            } else if (!modified) {
                break;
            }
        }
        totals.modifications += modifications_;
        return static_cast<int>(errors_.size());
    }

    int modifications() const { return modifications_; }

private:
    void set_unchecked_statuses()
    {
        for (int i = 1; i <= d_.n_ind(); ++i) {
            if (checked(d_.ind(i))) continue;
            const bool missing = d_.a1(k_, i) == kMissingAllele || d_.a2(k_, i) == kMissingAllele;
            d_.status(k_, i) = static_cast<std::int8_t>(missing ? kIncompleteMissing : kObservedConsistent);
        }
    }

    // One pass: re-evaluates the dirty individuals in order; a completion
    // makes its dependents later in the order dirty for this pass and the
    // earlier ones (itself included) for the next.
    bool pass(std::set<int>& dirty, std::set<int>& next)
    {
        bool modified = false;
        for (auto it = dirty.begin(); it != dirty.end(); it = dirty.upper_bound(current_)) {
            current_ = *it;
            Evaluation& e = eval_[static_cast<std::size_t>(current_)];
            e = evaluate_genotype(d_, k_, current_, stage_, m_, P_, log_);
            update_sets(current_, e);
            if (!e.modified) continue;
            modified = true;
            ++modifications_;
            for_each_dependent(d_.obs, current_, [&](int j) {
                if (!checked(d_.ind(j))) return;
                if (j > current_) dirty.insert(j);
                else next.insert(j);
            });
        }
        current_ = 0;
        return modified;
    }

    void update_sets(int i, const Evaluation& e)
    {
        if (e.E != 0) errors_.insert(i);
        else errors_.erase(i);
        if (!e.text.empty()) logged_.insert(i);
        else logged_.erase(i);
    }

    // Log of the pass and the genotype to delete (0: none).
    int write_pass_and_find_deletion()
    {
        if (log_)
            for (int i : logged_) std::fputs(eval_[static_cast<std::size_t>(i)].text.c_str(), log_);
        double p_min = 1.0;
        int remembered = 0;
        std::string text;
        char buf[160];
        const std::string& marker = d_.loci[static_cast<std::size_t>(k_)].name;
        for (int i : errors_) {
            const Evaluation& e = eval_[static_cast<std::size_t>(i)];
            if (e.M >= 3) continue;
            if (text.empty()) {
                std::snprintf(buf, sizeof buf, "\n\n%-20s%20s", "Putative deletion: ", "-log(p)");
                text += buf;
            }
            std::snprintf(buf, sizeof buf, "\n%20s %12s %8.2lf", d_.ind(i).name.c_str(), marker.c_str(),
                          -std::log(std::max(e.p, kProbFloor)));
            text += buf;
            if (e.p < p_min) {
                p_min = e.p;
                remembered = i;
            }
        }
        if (stage_ == 0 || remembered == 0) return 0;
        std::int8_t& status = d_.status(k_, remembered);
        if (status == kMissingAugmented || status == kIncompleteMissing) status = kMissingError;
        else if (status == kPutNullAugmented || status == kPutNullMissing) status = kPutNullError;
        else status = kObservedError;
        if (log_) {
            std::fputs(text.c_str(), log_);
            printline(log_, 1, 60, 0);
            std::fprintf(log_, "\nRealised deletion:\n");
            std::fprintf(log_, "%20s %12s %8.2lf", d_.ind(remembered).name.c_str(), marker.c_str(),
                         -std::log(std::max(p_min, kProbFloor)));
            std::fprintf(log_, " %d %d", d_.a1(k_, remembered), d_.a2(k_, remembered));
            printline(log_, 1, 60, 1);
        }
        return remembered;
    }

    void delete_genotype(int j, std::set<int>& dirty)
    {
        d_.a1(k_, j) = d_.a2(k_, j) = kMissingAllele;
        for_each_dependent(d_.obs, j, [&](int i) {
            if (checked(d_.ind(i))) dirty.insert(i);
        });
    }

    MarkerData& d_;
    int k_, stage_;
    std::FILE* log_;
    LocusModel m_;
    std::vector<Evaluation> eval_;
    std::vector<double> P_;
    std::set<int> errors_, logged_;
    int current_ = 0;
    int modifications_ = 0;
};

void print_stage_line(std::FILE* log, int stage)
{
    static const char* const kLines[] = {"\n  (0) no modifications, except Confirmed null-alleles",
                                         "\n  (1) with modifications", "\n  (2) prob(MSegError) set to zero",
                                         "\n  (3) putative Null alleles to homozygotes"};
    const char* line = stage >= 0 && stage <= 3 ? kLines[stage]
                                                : "\n  (*) warning: unknown stage in function MarkerSegregation()";
    cprint("%s", line);
    if (log) std::fputs(line, log);
}

// Step 6: statuses left after a modifying stage.
void settle_statuses(MarkerData& d, int k, std::FILE* log)
{
    const std::string& marker = d.loci[static_cast<std::size_t>(k)].name;
    for (int i = 1; i <= d.n_ind(); ++i) {
        std::int8_t& status = d.status(k, i);
        const int a1 = d.a1(k, i), a2 = d.a2(k, i);
        if (status == kStatusUnset) {
            if (a1 == kMissingAllele && a2 == kMissingAllele) {
                status = kIncompleteMissing;
                continue;
            }
            cprint("\nERROR in function MarkerSegregation() ");
            cprint("\n  error code == -1 (not defined) ");
            cprint("\n  IND %s", d.ind(i).name.c_str());
            cprint("\n  LCS %s", marker.c_str());
            fatal_exit(1);
        }
        const int o1 = d.mrk.code1_obs[k][i - 1], o2 = d.mrk.code2_obs[k][i - 1];
        if (status == kObservedErrorAugmented && ((a1 == o1 && a2 == o2) || (a1 == o2 && a2 == o1))) {
            status = kObservedConsistent;
            if (log) {
                std::fprintf(log, "\nWARNING in function MarkerSegregation() ");
                std::fprintf(log, "\n  error code == 2 (OEA) but similar to original alleles");
                std::fprintf(log, "\n  IND %s", d.ind(i).name.c_str());
                std::fprintf(log, "\n  LCS %s", marker.c_str());
            }
        }
    }
}

void check_locus(MarkerData& d, int k, int stage, std::FILE* log, CheckTotals& totals)
{
    const Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
    if (m.n_alleles == 0) {
        cprint("\nWARNING: no alleles for marker %s", m.name.c_str());
        for (int i = 1; i <= d.n_ind(); ++i) d.status(k, i) = kIncompleteMissing;
    }
    log_locus_header(log, m, k);
    if (m.n_alleles == 0) return;
    LocusCheck check(d, k, stage, log);
    const int errors = check.run(totals);
    if (stage >= 1) settle_statuses(d, k, log);
    if (REDprint) return;
    if (log) {
        std::fprintf(log, "\nDetected segregation errors: %d", errors);
        std::fprintf(log, "\nAugmented marker genotypes : %d", check.modifications());
    }
    if (errors > 0) cprint("\n%d putative segregation errors for marker %s", errors, m.name.c_str());
}

}  // namespace

void check_marker_segregation(MarkerData& d, int stage)
{
    File log = open_marker_log();
    crule(2, 79, 1);
    cprint("MARKER SEGREGATION CHECK");
    print_stage_line(log.get(), stage);
    log_check_legend(log.get(), d.par, stage);
    CheckTotals totals;
    for (int k = 0; k < d.n_loci(); ++k) check_locus(d, k, stage, log.get(), totals);
    if (totals.modifications > 0) cprint("\nAugmentation of incomplete marker genotypes (n=%d)", totals.modifications);
    if (totals.deletions > 0) cprint("\nDeletion of erroneous marker genotypes");
    if (totals.modifications > 0 || totals.deletions > 0) cprint("\n(see file '%s' for details)", kMarkerLog);
}

}  // namespace vsk
