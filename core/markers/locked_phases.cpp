// Locked marker phases: "lockedphases.dat" gives, per listed individual, its
// two alleles at every analysed locus in the order first-parent allele,
// second-parent allele; those phases are never resampled.
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <unordered_map>

#include "core/markers/marker_checks.h"
#include "core/state/console.h"
#include "core/state/version.h"
#include "textfile/fatal.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {

[[noreturn]] void file_missing(const std::string& path)
{
    cprint("\nERROR in function ReadLockedMarkerPhases()");
    cprint("\n file %s was not found", path.c_str());
    cprint("\n abortion of Voskara%s ", kVersion);
    fatal_exit(1);
}

void print_first_and_last(const std::string& path, const std::vector<std::string>& lines)
{
    cprint("%s\n", path.c_str());
    if (lines.empty()) return;
    if (lines.front().size() >= 68) {
        cprint("FirstLine:%.68s\n", lines.front().c_str());
        cprint("Last Line:%.68s\n", lines.back().c_str());
    } else {
        cprint("FirstLine:%s\n", lines.front().c_str());
        cprint("Last Line:%s\n", lines.back().c_str());
    }
}

int letter_value(const std::string& w)
{
    if (w.size() != 1) return 0;
    switch (std::toupper(static_cast<unsigned char>(w[0]))) {
    case 'A': return 1;
    case 'C': return 2;
    case 'G': return 3;
    case 'T': return 4;
    case 'B': return 5;
    default: return 0;
    }
}

// Code of one allele word at locus k of individual i; fatal when unknown.
int locked_code(MarkerData& d, int k, int i, const std::string& w)
{
    const Mrkrlcs& m = d.loci[static_cast<std::size_t>(k)];
    const bool has_null = m.has_putative_null || m.has_confirmed_null;
    if (w == "*" || w == "-") return kMissingAllele;
    int value = 0;
    if (w == "null") {
        if (has_null) return m.n_alleles;
        value = m.n_alleles + 1;
    } else {
        value = m.letter_coded && letter_value(w) ? letter_value(w) : std::atoi(w.c_str());
        const int positives = m.n_alleles - (has_null ? 1 : 0);
        for (int c = 0; c < positives; ++c)
            if (m.allele_value[static_cast<std::size_t>(c)] == value) return c + 1;
    }
    cprint("\nERROR in function ReadLockedMarkerPhases()");
    cprint("\n individual [%d] %s", i, d.ind(i).name.c_str());
    cprint(", locus [%d] %s", k + 1, m.name.c_str());
    cprint("\n allele %d not found", value);
    cprint("\n abortion of Voskara%s", kVersion);
    fatal_exit(1);
}

// Words of a line, separated by blanks, tabs or commas.
int split_line(const std::string& line, std::vector<std::string>& words)
{
    words.clear();
    std::string w;
    for (char ch : line) {
        if (ch == ' ' || ch == '\t' || ch == ',' || ch == '\r') {
            if (!w.empty()) words.push_back(w);
            w.clear();
        } else {
            w += ch;
        }
    }
    if (!w.empty()) words.push_back(w);
    return static_cast<int>(words.size());
}

}  // namespace

void read_locked_phases(MarkerData& d, const std::string& project_dir)
{
    crule(2, 79, 1);
    cprint("READ LOCKED MARKER PHASES\n");
    const std::string path = (std::filesystem::path(project_dir) / "lockedphases.dat").string();
    if (!std::filesystem::is_regular_file(path)) file_missing(path);
    std::vector<std::string> lines;
    copyfiletobuffer(path, lines, filewidth(path) + 1, filerows(path));
    print_first_and_last(path, lines);
    std::unordered_map<std::string, int> index;
    for (int i = 1; i <= d.n_ind(); ++i) index.emplace(d.ind(i).name, i);
    const int expected = 2 * d.n_loci() + 1;
    std::vector<std::string> words;
    for (std::size_t line = 0; line < lines.size(); ++line) {
        const int count = split_line(lines[line], words);
        if (count != expected) {
            cprint("\nerror number of columns in 'lockedphases.dat': %d", expected);
            cprint(", line %d contains %d columns", static_cast<int>(line), count);
            cprint("\nAborting Voskara (%s,%s)", kVersion, kVersionDate);
            fatal_exit(1);
        }
        auto it = index.find(words[0]);
        if (it == index.end()) {
            cprint("\nERROR in function ReadLockedMarkerPhases()");
            cprint("\n individual %s not found in pedigree", words[0].c_str());
            cprint("\n abortion of Voskara%s", kVersion);
            fatal_exit(1);
        }
        const int i = it->second;
        for (int k = 0; k < d.n_loci(); ++k) {
            const int c1 = locked_code(d, k, i, words[static_cast<std::size_t>(1 + 2 * k)]);
            const int c2 = locked_code(d, k, i, words[static_cast<std::size_t>(2 + 2 * k)]);
            d.a1(k, i) = static_cast<std::int8_t>(c1);
            d.a2(k, i) = static_cast<std::int8_t>(c2);
            d.mrk.phase_lock[k][i - 1] = kLockedPhase;
        }
    }
    cprint("\nFinished reading locked phases on %d individuals & %d loci", static_cast<int>(lines.size()), d.n_loci());
}

}  // namespace vsk
