// Field coding of the data file: allele words, missing-value strings,
// phenotype words and the phenotype text kept for the pedigree-viewer export.
#include <algorithm>
#include <cmath>

#include "console/data_file.h"
#include "console/data_file_text.h"
#include "core/state/console.h"
#include "core/state/version.h"
#include "core/voskara.h"
#include "textfile/fatal.h"
#include "textfile/number_text.h"

namespace vsk {

namespace {

constexpr int kPutativeNull = -1;
constexpr int kConfirmedNull = -2;
constexpr int kMaxMissingStrings = 10;   // ten or more strings are refused

}  // namespace

int allele_code(std::string_view word, const std::string& null_putative, const std::string& null_confirmed,
                bool& letter)
{
    if (word == "-") return 0;
    if (word == null_putative) return kPutativeNull;
    if (word == null_confirmed) return kConfirmedNull;
    if (word.size() == 1) {
        switch (word[0]) {
        case 'a': case 'A': letter = true; return 1;
        case 'c': case 'C': letter = true; return 2;
        case 'g': case 'G': letter = true; return 3;
        case 't': case 'T': letter = true; return 4;
        case 'b': case 'B': letter = true; return 5;
        case 'n': case 'N': case '*': return 0;
        default: break;
        }
    }
    // Otherwise only a whole number of 0 or more ("0" is a missing score).
    int value = 0;
    if (whole_int(word, value) && value >= 0 && word.find_first_of("+ \t") == std::string_view::npos) return value;
    return kInvalidAllele;
}

AlleleCoder::AlleleCoder(const std::string& null_putative, const std::string& null_confirmed)
    : null_putative_(null_putative), null_confirmed_(null_confirmed)
{
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        bool letter = false;
        single_[c].code = allele_code(std::string_view(&ch, 1), null_putative_, null_confirmed_, letter);
        single_[c].letter = letter;
    }
}

MissingValues missing_values(const std::string& misvalT)
{
    std::vector<std::string_view> words;
    split_words(misvalT, words);
    words.erase(std::remove(words.begin(), words.end(), std::string_view()), words.end());
    if (static_cast<int>(words.size()) >= kMaxMissingStrings) {
        cprint("too many strings (>%d) for missing values, aborting\n", kMaxMissingStrings);
        fatal_exit(1);
    }
    MissingValues missing;
    for (std::string_view w : words) {
        if (w == "-") continue;
        double v = 0.0;
        bool numeric = parse_real(w, v);
        missing.words.emplace_back(w);
        missing.values.push_back(numeric ? v : 0.0);
        missing.numeric.push_back(numeric ? 1 : 0);
    }
    return missing;
}

bool phenotype_missing(std::string_view word, const MissingValues& missing, double& value, bool& is_number)
{
    value = 0.0;
    is_number = false;
    if (word == "-") return true;
    for (const std::string& m : missing.words)
        if (word == m) return true;
    // Larger magnitudes would make the sums of squares of a trait overflow.
    is_number = parse_real(word, value) && std::fabs(value) < kMaxPhenotypeMagnitude;
    if (!is_number) return false;
    for (std::size_t k = 0; k < missing.words.size(); ++k)
        if (missing.numeric[k] && value == missing.values[k]) return true;
    return false;
}

void build_phenotype_text(const std::vector<std::string>& lines, const std::vector<int>& order, int columns)
{
    if (columns < 1) columns = 1;
    std::vector<std::string_view> words;
    std::vector<std::size_t> width(static_cast<std::size_t>(columns), 0);
    for (const std::string& line : lines) {
        split_words(line, words, columns);
        for (std::size_t c = 0; c < words.size(); ++c) width[c] = std::max(width[c], words[c].size());
    }
    std::size_t per_individual = 0;
    for (std::size_t w : width) per_individual += w + 3;
    const std::size_t size = per_individual * order.size() + 1;
    InitPNTstring(size);
    std::size_t offset = 0;
    std::string text;
    for (std::size_t i = 0; i < order.size(); ++i) {
        split_words(lines[order[i]], words, columns);
        text.clear();
        for (int c = 0; c < columns; ++c) {
            std::string_view w = c < static_cast<int>(words.size()) ? words[c] : std::string_view();
            text.append(width[c] - std::min(width[c], w.size()), ' ');
            text.append(w);
            text.append(c + 1 < columns ? " \t" : " \n");
        }
        int written = offset + text.size() < size ? AddPNTstring(offset, text) : -1;
        if (written < 0) {
            std::string name(words.size() > 1 ? words[1] : std::string_view());
            cprint("\nERROR in function StringPedNuisTrait()");
            cprint("\n length of temporary array PNTstring[] insufficient");
            cprint("\n stopped at individual %s (%d)", name.c_str(), static_cast<int>(i) + 1);
            cprint("\now exiting Voskara%s", kVersion);
            fatal_exit(1);
        }
        offset += static_cast<std::size_t>(written);
    }
    PNTheld = 1;
}

}  // namespace vsk
