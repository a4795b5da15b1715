// Descendant lists ("find_desc"): for every individual the distinct,
// ascending list of its descendants (absorbed final offspring left out),
// stored back to back in par.descv with each list's first entry negated.
// Work space grows with the data, so any number of descendants fits.
#include <algorithm>

#include "console/offspring.h"
#include "console/offspring_log.h"
#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/textfile.h"
#include "core/state/output_file.h"

namespace vsk {

namespace {

// Lists built from the last individual to the first, back to back.
struct FlatLists {
    std::vector<int> entries;
    std::vector<int> start;    // [n + 1] 0-based start per individual (1-based index)
    std::vector<int> length;   // [n + 1]
    int total() const { return static_cast<int>(entries.size()); }
};

// Builds, for every individual, the union of `own(child)` over its children
// and of the lists of its non-final children, distinct and ascending.
template <class Own>
FlatLists build_lists(Own own)
{
    const int n = static_cast<int>(obs.size());
    FlatLists lists;
    lists.start.assign(static_cast<std::size_t>(n) + 1, 0);
    lists.length.assign(static_cast<std::size_t>(n) + 1, 0);
    std::vector<int> stamp(static_cast<std::size_t>(n) + 1, 0);
    std::vector<int> work;
    for (int j = n; j >= 1; --j) {
        work.clear();
        auto add = [&](int d) {
            if (stamp[d] == j) return;
            stamp[d] = j;
            work.push_back(d);
        };
        auto visit = [&](int child) {
            if (own(child)) add(child);
            if (obs[child - 1].FP) return;
            const int* list = lists.entries.data() + lists.start[child];
            for (int k = 0; k < lists.length[child]; ++k) add(list[k]);
        };
        for (int c = obs[j - 1].pfP; c > 0; c = obs[c - 1].pSb) visit(c);
        for (int c = obs[j - 1].mfP; c > 0; c = obs[c - 1].mSb) visit(c);
        std::sort(work.begin(), work.end());
        lists.start[j] = lists.total();
        lists.length[j] = static_cast<int>(work.size());
        lists.entries.insert(lists.entries.end(), work.begin(), work.end());
    }
    return lists;
}

// Copies the lists into a shared array (first entry of each list negated)
// and returns each individual's 1-based start (0 = empty list).
std::vector<int> store_lists(const FlatLists& lists, std::vector<int>& target)
{
    std::vector<int> start(lists.start.size(), 0);
    std::copy(lists.entries.begin(), lists.entries.end(), target.begin());
    for (std::size_t j = 1; j < lists.start.size(); ++j) {
        if (lists.length[j] == 0) continue;
        target[lists.start[j]] = -target[lists.start[j]];
        start[j] = lists.start[j] + 1;
    }
    return start;
}

void write_descendants(std::FILE* log, const FlatLists& lists)
{
    if (par.absorbFP) {
        printline(log, 2, 79, 0);
        std::fprintf(log, "\n*\tCorrection for absorption of Final Offspring");
        std::fprintf(log, "\n*\tIndividuals with obs[].FP == 1 are NOT present in descv[] ");
        std::fprintf(log, "\n*\t(obs[].FP has been defined in 'data_modi'");
        printline(log, 1, 79, 0);
    }
    printline(log, 2, 79, 1);
    std::fprintf(log, "INDIVIDUAL WITH ITS DESCENDANTS(ascending age order)");
    printline(log, 1, 79, 1);
    std::fprintf(log, "Individual  Array no.  Descendants");
    for (int j = static_cast<int>(obs.size()); j >= 1; --j) {
        if (lists.length[j] == 0) continue;
        std::fprintf(log, " \n%25s  (%6d)", obs[j - 1].name.c_str(), lists.start[j]);
        for (int k = 0; k < lists.length[j]; ++k) {
            if (k > 0 && k % 5 == 0) std::fprintf(log, "\n%35s", "");
            std::fprintf(log, "%25s", obs[lists.entries[lists.start[j] + k] - 1].name.c_str());
        }
    }
    std::fprintf(log, "\n");
    std::fprintf(log, "\n\nArray descv[] contains %6d elements", lists.total());
}

void write_final_offspring_check(const FlatLists& fp)
{
    File log = open_output_file("descFP.log", "w");
    if (!log) return;
    std::fprintf(log.get(), "\n\nCheck on descFP[] vector");
    for (int j = static_cast<int>(obs.size()); j >= 1; --j) {
        if (fp.length[j] == 0) continue;
        std::fprintf(log.get(), "\n%25s,%4d:", obs[j - 1].name.c_str(), fp.length[j]);
        for (int k = 0; k < fp.length[j]; ++k)
            std::fprintf(log.get(), "%25s", obs[fp.entries[fp.start[j] + k] - 1].name.c_str());
    }
    std::fprintf(log.get(), "\n\n %d elements filled in descFP[]", fp.total());
}

}  // namespace

void find_desc()
{
    crule(2, 79, 1);
    cprint("IDENTIFICATION OF DESCENDANTS");
    const FlatLists desc = build_lists([](int child) { return !obs[child - 1].FP; });
    FlatLists fp;
    if (par.absorbFP) fp = build_lists([](int child) { return obs[child - 1].FP != 0; });
    InitDescendants(desc.total(), fp.total());
    par.descv.resize(static_cast<std::size_t>(desc.total()) + 1, -1);
    par.descFP.resize(static_cast<std::size_t>(fp.total()) + 1, -1);
    const std::vector<int> start = store_lists(desc, par.descv);
    for (std::size_t j = 1; j < start.size(); ++j) obs[j - 1].desc_start = start[j];
    if (par.absorbFP) {
        const std::vector<int> fp_start = store_lists(fp, par.descFP);
        for (std::size_t j = 1; j < fp_start.size(); ++j) obs[j - 1].descfp_start = fp_start[j];
    } else {
        for (Obs& o : obs) o.descfp_start = 0;
    }

    File log;
    if (!REDprint) {
        log = open_check_log_for_offspring();
        if (log) write_descendants(log.get(), desc);
    }
    cprint("\n%8d descendants identified", desc.total());
    if (par.absorbFP) {
        cprint("\nArray descv[] contains %6d non-FinalOffspring", desc.total());
        if (log) std::fprintf(log.get(), "\nArray descv[] contains %6d non-FinalOffspring", desc.total());
        write_final_offspring_check(fp);
    }
}

}  // namespace vsk
