// Pedigree ordering and its logs ("pedsort.log", "voskara.sort").
#include "console/pedigree_order.h"

#include <string_view>
#include <unordered_map>

#include "console/data_file_text.h"
#include "console/pedigree_checks.h"
#include "core/state/console.h"
#include "core/state/version.h"
#include "textfile/fatal.h"
#include "textfile/file.h"
#include "core/state/output_file.h"

namespace vsk {

namespace {

constexpr int kNoParent = -1;     // unknown parent
constexpr int kCodeParent = -2;   // second-parent code (INBRED, SELFED, DBHPLD, ...)

struct PedLine {
    std::string_view name, p1, p2;
    int parent1 = kNoParent;      // 0-based line of the first parent
    int parent2 = kNoParent;      // 0-based line of the second parent, or kCodeParent
    int file_line = 0;            // line in the data file (from 1, comment lines counted)
};

std::string text(std::string_view v) { return std::string(v); }

[[noreturn]] void names_too_long(int row, const std::vector<std::string_view>& words)
{
    cprint("\nERROR: too long names of individual and/or parents");
    cprint("\nrow = %d\n", row);
    cprint("\nstring \tlength \tvalue\n");
    for (int c = 1; c <= 3; ++c) {
        std::string_view w = c < static_cast<int>(words.size()) ? words[c] : std::string_view();
        cprint("\n%6d \t%6d \t%s", c, static_cast<int>(w.size()), text(w).c_str());
    }
    cprint("\n\nThe maximum length of names is 30 characters!\n");
    cprint("\nnow exiting Voskara %s %s\n", kVersion, kVersionDate);
    fatal_exit(1);
}

// Words of every line, name lengths, unknown marks, single parents.
std::vector<PedLine> parse_lines(const std::vector<std::string>& lines, const std::vector<int>* numbers)
{
    std::vector<PedLine> ped(lines.size());
    std::vector<std::string_view> words;
    for (std::size_t j = 0; j < lines.size(); ++j) {
        PedLine& p = ped[j];
        p.file_line = numbers ? (*numbers)[j] : static_cast<int>(j) + 1;
        split_words(lines[j], words, 4);
        for (int c = 1; c <= 3 && c < static_cast<int>(words.size()); ++c)
            if (words[c].size() > kMaxNameChars) names_too_long(p.file_line, words);
        p.name = words.size() > 1 ? words[1] : std::string_view();
        p.p1 = normalized_parent(words.size() > 2 ? words[2] : std::string_view("0"));
        p.p2 = normalized_parent(words.size() > 3 ? words[3] : std::string_view("0"));
    }
    for (std::size_t j = 0; j < ped.size(); ++j)
        check_single_parent(ped[j].name, ped[j].file_line, ped[j].p1, ped[j].p2);
    return ped;
}

using NameIndex = std::unordered_map<std::string_view, int>;

// First line of each name.
NameIndex index_names(const std::vector<PedLine>& ped)
{
    NameIndex index;
    index.reserve(ped.size() * 2);
    for (std::size_t j = 0; j < ped.size(); ++j) index.emplace(ped[j].name, static_cast<int>(j));
    return index;
}

int find_parent(const NameIndex& index, std::string_view parent, const char* which, int line)
{
    auto it = index.find(parent);
    if (it == index.end()) {
        cprint("\nERROR: %s parent %s (%d) not in pedigree!", which, text(parent).c_str(), line);
        fatal_exit(1);
    }
    return it->second;
}

void log_disorder(std::FILE* log, const char* which, int parent_line, int line, const PedLine& p)
{
    if (!log) return;
    std::fprintf(log, "\nWARNING: %s parent(%d) AFTER individual(%d)", which, parent_line, line);
    std::fprintf(log, "  %s %s %s", text(p.name).c_str(), text(p.p1).c_str(), text(p.p2).c_str());
}

// Resolve parents, log every parent listed after its offspring.
int resolve_parents(std::vector<PedLine>& ped, const NameIndex& index)
{
    File log = open_output_file("pedsort.log", "a");
    int disorders = 0;
    for (std::size_t j = 0; j < ped.size(); ++j) {
        PedLine& p = ped[j];
        if (p.p1 == "0") continue;
        p.parent1 = find_parent(index, p.p1, "1st", p.file_line);
        if (p.parent1 > static_cast<int>(j)) {
            log_disorder(log.get(), "1st", p.parent1 + 1, static_cast<int>(j) + 1, p);
            ++disorders;
        }
    }
    for (std::size_t j = 0; j < ped.size(); ++j) {
        PedLine& p = ped[j];
        if (p.p2 == "0") continue;
        if (is_second_parent_code(p.p2)) {
            p.parent2 = kCodeParent;
            continue;
        }
        p.parent2 = find_parent(index, p.p2, "2nd", p.file_line);
        if (p.parent2 > static_cast<int>(j)) {
            log_disorder(log.get(), "2nd", p.parent2 + 1, static_cast<int>(j) + 1, p);
            ++disorders;
        }
    }
    return disorders;
}

[[noreturn]] void report_cycle(const std::vector<PedLine>& ped, const std::vector<int>& stack, int repeated)
{
    cprint("\nERROR: the pedigree contains a cycle: individual %s is its own ancestor",
           text(ped[repeated].name).c_str());
    cprint("\n offspring to ancestor:");
    bool on_cycle = false;
    for (int line : stack) {
        if (line == repeated) on_cycle = true;
        if (on_cycle) cprint(" %s (line %d) ->", text(ped[line].name).c_str(), ped[line].file_line);
    }
    cprint(" %s (line %d)", text(ped[repeated].name).c_str(), ped[repeated].file_line);
    cprint("\nNow exiting Voskara\n");
    fatal_exit(1);
}

// Every line's unplaced ancestors are placed before it, first-parent
// line first, depth first; lines keep their relative order otherwise.
std::vector<int> place_ancestors_first(const std::vector<PedLine>& ped)
{
    enum : char { Unplaced, InProgress, Placed };
    const int n = static_cast<int>(ped.size());
    std::vector<char> state(ped.size(), Unplaced);
    std::vector<int> order;
    order.reserve(ped.size());
    std::vector<int> stack;
    std::vector<char> phase;   // next parent to look at, per stack entry
    for (int root = 0; root < n; ++root) {
        if (state[root] != Unplaced) continue;
        stack.assign(1, root);
        phase.assign(1, 0);
        state[root] = InProgress;
        while (!stack.empty()) {
            const int v = stack.back();
            char& ph = phase.back();
            if (ph < 2) {
                const int parent = ph == 0 ? ped[v].parent1 : ped[v].parent2;
                ++ph;
                // A parent on its own line is not "further down": no move.
                if (parent < 0 || parent == v || state[parent] == Placed) continue;
                if (state[parent] == InProgress) report_cycle(ped, stack, parent);
                state[parent] = InProgress;
                stack.push_back(parent);
                phase.push_back(0);
                continue;
            }
            state[v] = Placed;
            order.push_back(v);
            stack.pop_back();
            phase.pop_back();
        }
    }
    return order;
}

// The moved lines with their new parent positions.
void log_new_order(const std::vector<PedLine>& ped, const std::vector<int>& order)
{
    std::vector<int> position(ped.size());
    for (std::size_t k = 0; k < order.size(); ++k) position[order[k]] = static_cast<int>(k) + 1;
    auto parent_position = [&](int parent) {
        if (parent == kCodeParent) return -1;
        return parent < 0 ? 0 : position[parent];
    };
    File log = open_output_file("pedsort.log", "a");
    if (!log) return;
    std::fprintf(log.get(), "\n\nAFTER sorting:");
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (order[k] == static_cast<int>(k)) continue;
        const PedLine& p = ped[order[k]];
        std::fprintf(log.get(), "\n %3d: %3d %3d %3d", order[k] + 1, static_cast<int>(k) + 1,
                     parent_position(p.parent1), parent_position(p.parent2));
        std::fprintf(log.get(), " %25s %25s %25s", text(p.name).c_str(), text(p.p1).c_str(), text(p.p2).c_str());
    }
}

void write_sorted_data(const std::vector<std::string>& lines, const std::vector<int>& order)
{
    File out = open_output_file("voskara.sort", "w");
    if (!out) {
        cprint("\nERROR: cannot write file %s", "voskara.sort");
        fatal_exit(1);
    }
    for (int line : order) {
        std::fputc('\n', out.get());
        std::fwrite(lines[line].data(), 1, lines[line].size(), out.get());
    }
}

}  // namespace

std::vector<int> order_pedigree(const std::vector<std::string>& lines, const std::vector<int>* numbers)
{
    open_output_file("pedsort.log", "w");  // a fresh log for this run
    std::vector<PedLine> ped = parse_lines(lines, numbers);
    const NameIndex index = index_names(ped);
    std::vector<int> identity(lines.size());
    for (std::size_t j = 0; j < identity.size(); ++j) identity[j] = static_cast<int>(j);
    if (resolve_parents(ped, index) == 0) {
        cprint("\nPedigree sorted OK");
        return identity;
    }
    std::vector<int> order = place_ancestors_first(ped);
    log_new_order(ped, order);
    cprint("\nPedigree was NOT sorted: Sorted pedigree in file 'voskara.sort'\n");
    write_sorted_data(lines, order);
    return order;
}

}  // namespace vsk
