// Segregation check of all loci. A modifying stage repeats passes over the
// individuals of a locus, deleting the least probable inconsistent genotype
// after each pass, until a pass neither finds an error nor completes a
// genotype. A genotype's check depends only on its own alleles and those of
// its parents, offspring and mates, so a pass re-evaluates only individuals
// whose neighbourhood changed and reuses the others' results; the outcome is
// that of evaluating every individual in every pass.
#include <cmath>
#include <functional>
#include <queue>
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

// Individuals whose check reads the genotype of j: j, its parents, its
// offspring and their other parents.
template <class F>
void for_each_dependent(const Kin& kin, int j, F f)
{
    const std::size_t s = static_cast<std::size_t>(j);
    f(j);
    if (kin.fat[s] > 0) f(kin.fat[s]);
    if (kin.mot_gen[s] > 0 && kin.mot_gen[s] != kin.fat[s]) f(kin.mot_gen[s]);
    for (int e = kin.first[s]; e < kin.first[s + 1]; ++e) {
        f(kin.child[static_cast<std::size_t>(e)]);
        const int mate = kin.mate[static_cast<std::size_t>(e)];
        if (mate > 0 && mate != j) f(mate);
    }
}

// The passes over one locus and their cached evaluations.
class LocusCheck {
public:
    LocusCheck(MarkerData& d, const Kin& kin, int k, int stage, std::FILE* log, bool full)
        : d_(d), kin_(kin), k_(k), stage_(stage), full_(full), log_(log), m_(locus_model(d.par, d.loci[static_cast<std::size_t>(k)])),
          eval_(static_cast<std::size_t>(d.n_ind() + 1))
    {
    }

    // Returns the errors detected in the last pass.
    int run(CheckTotals& totals)
    {
        set_unchecked_statuses();
        std::vector<int> dirty = all_checked();
        for (;;) {
            std::vector<int> next;
            const bool modified = pass(dirty, next);
            const int remembered = write_pass_and_find_deletion();
            if (stage_ == 0) break;
            dirty.swap(next);
            if (full_) dirty = all_checked();
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
    std::vector<int> all_checked() const
    {
        std::vector<int> list;
        for (int i = 1; i <= d_.n_ind(); ++i)
            if (kin_.checked[static_cast<std::size_t>(i)]) list.push_back(i);
        return list;
    }

    void set_unchecked_statuses()
    {
        for (int i = 1; i <= d_.n_ind(); ++i) {
            if (kin_.checked[static_cast<std::size_t>(i)]) continue;
            const bool missing = d_.a1(k_, i) == kMissingAllele || d_.a2(k_, i) == kMissingAllele;
            d_.status(k_, i) = static_cast<std::int8_t>(missing ? kIncompleteMissing : kObservedConsistent);
        }
    }

    // One pass: re-evaluates the dirty individuals in order; a completion
    // makes its dependents later in the order dirty for this pass and the
    // earlier ones (itself included) for the next.
    bool pass(std::vector<int>& dirty, std::vector<int>& next)
    {
        std::priority_queue<int, std::vector<int>, std::greater<int>> queue(std::greater<int>(), std::move(dirty));
        queued_.assign(static_cast<std::size_t>(d_.n_ind() + 1), 0);
        bool modified = false;
        int last = 0;
        while (!queue.empty()) {
            const int i = queue.top();
            queue.pop();
            if (i == last) continue;
            last = i;
            Evaluation& e = eval_[static_cast<std::size_t>(i)];
            e = evaluate_genotype(d_, kin_, k_, i, stage_, m_, P_, log_);
            update_sets(i, e);
            if (!e.modified) continue;
            modified = true;
            ++modifications_;
            for_each_dependent(kin_, i, [&](int j) {
                if (!kin_.checked[static_cast<std::size_t>(j)]) return;
                if (j > i) queue.push(j);
                else if (!queued_[static_cast<std::size_t>(j)]) {
                    queued_[static_cast<std::size_t>(j)] = 1;
                    next.push_back(j);
                }
            });
        }
        return modified;
    }

    void update_sets(int i, const Evaluation& e)
    {
        if (e.E != 0) errors_.insert(i);
        else if (!errors_.empty()) errors_.erase(i);
        if (!e.text.empty()) logged_.insert(i);
        else if (!logged_.empty()) logged_.erase(i);
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

    void delete_genotype(int j, std::vector<int>& dirty)
    {
        d_.a1(k_, j) = d_.a2(k_, j) = kMissingAllele;
        for_each_dependent(kin_, j, [&](int i) {
            if (kin_.checked[static_cast<std::size_t>(i)]) dirty.push_back(i);
        });
    }

    MarkerData& d_;
    const Kin& kin_;
    int k_, stage_;
    bool full_;            // every individual in every pass (the test oracle)
    std::FILE* log_;
    LocusModel m_;
    std::vector<Evaluation> eval_;
    std::vector<double> P_;
    std::set<int> errors_, logged_;
    std::vector<char> queued_;
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

void check_locus(MarkerData& d, const Kin& kin, int k, int stage, std::FILE* log, CheckTotals& totals, bool full)
{
    const Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
    if (m.n_alleles == 0) {
        cprint("\nWARNING: no alleles for marker %s", m.name.c_str());
        for (int i = 1; i <= d.n_ind(); ++i) d.status(k, i) = kIncompleteMissing;
    }
    log_locus_header(log, m, k);
    if (m.n_alleles == 0) return;
    LocusCheck check(d, kin, k, stage, log, full);
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

void check_marker_segregation(MarkerData& d, int stage) { check_marker_segregation(d, stage, false); }

void check_marker_segregation(MarkerData& d, int stage, bool every_pass_in_full)
{
    File log = open_marker_log();
    crule(2, 79, 1);
    cprint("MARKER SEGREGATION CHECK");
    print_stage_line(log.get(), stage);
    log_check_legend(log.get(), d.par, stage);
    CheckTotals totals;
    const Kin kin = build_kin(d.obs, d.n_ind());
    for (int k = 0; k < d.n_loci(); ++k) check_locus(d, kin, k, stage, log.get(), totals, every_pass_in_full);
    if (totals.modifications > 0) cprint("\nAugmentation of incomplete marker genotypes (n=%d)", totals.modifications);
    if (totals.deletions > 0) cprint("\nDeletion of erroneous marker genotypes");
    if (totals.modifications > 0 || totals.deletions > 0) cprint("\n(see file '%s' for details)", kMarkerLog);
}

}  // namespace vsk
