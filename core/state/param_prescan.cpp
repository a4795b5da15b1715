// Pre-scan of the data file for the dimensions the records are sized by:
// individuals, the largest allele count of a marker locus, founders, founder
// cohorts and cohorts. Every data line must hold exactly the items the
// parameter file announces.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <string_view>

#include "core/state/console.h"
#include "core/state/parameters.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {

constexpr int kMissingAllele = 0;   // "-" or "*": no allele observed
constexpr int kNullAllele = -1;     // confirmed or putative null allele
constexpr int kLeadingItems = 4;    // cohort, name, first and second parent

// Integer value of an item that sits inside a NUL-terminated line: strtol
// stops at the separator that ends the item.
int item_int(std::string_view item)
{
    long v = std::strtol(item.data(), nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// Codes of the one-character items, built once per scan: the data file
// holds millions of such allele items. kNoShortCode sends an item to the
// general rule.
constexpr int kNoShortCode = INT_MIN;
constexpr int kMissingCode = INT_MIN + 1;

std::array<int, 256> short_codes(const Par& p)
{
    std::array<int, 256> code;
    code.fill(kNoShortCode);
    for (int c = '0'; c <= '9'; ++c) code[static_cast<unsigned char>(c)] = c - '0';
    const char* letters = "aAcCgGtTbBnN";
    const int values[] = {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 0, 0};
    for (int k = 0; letters[k] != '\0'; ++k) code[static_cast<unsigned char>(letters[k])] = values[k];
    // Null-allele texts of one character take precedence over the letters.
    for (const std::string* null_text : {&p.nullalleleP, &p.nullalleleC})
        if (null_text->size() == 1) code[static_cast<unsigned char>((*null_text)[0])] = kNullAllele;
    code[static_cast<unsigned char>('-')] = kMissingCode;
    code[static_cast<unsigned char>('*')] = kMissingCode;
    return code;
}

// Allele code of one item; `missing` is set for "-" and "*".
int allele_code(std::string_view item, const Par& p, const std::array<int, 256>& shorts, bool& missing)
{
    missing = false;
    if (item.size() == 1) {
        int code = shorts[static_cast<unsigned char>(item[0])];
        missing = code == kMissingCode;
        if (missing) return kMissingAllele;
        if (code != kNoShortCode) return code;
    }
    if (item == p.nullalleleC || item == p.nullalleleP) return kNullAllele;
    return item_int(item);
}

// Splits a line into views of its items with the rules and results of
// splititems (-1 too many items, -2 an item too wide), without copying.
int split_views(std::string_view text, std::vector<std::string_view>& items, int max_items, int width)
{
    items.clear();
    std::size_t start = 0;
    std::size_t length = 0;
    auto separator = [](char c) {
        return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!separator(text[i])) {
            if (length == 0) start = i;
            if (static_cast<int>(++length) >= width) return -2;
            continue;
        }
        if (length == 0) continue;
        if (static_cast<int>(items.size()) >= max_items - 1) return -1;
        items.push_back(text.substr(start, length));
        length = 0;
    }
    // A text ending with a separator after an item ends with an empty item.
    if (length > 0) items.push_back(text.substr(start, length));
    else if (!items.empty()) items.push_back(text.substr(text.size()));
    return static_cast<int>(items.size());
}

struct ScanTally {
    std::vector<std::vector<int>> codes;   // per locus, distinct non-zero codes
    std::vector<int> cohorts;              // distinct cohorts other than 0 and -1
    std::vector<int> founder_cohorts;
    int founders = 0;
};

void add_distinct(std::vector<int>& set, int value)
{
    if (std::find(set.begin(), set.end(), value) == set.end()) set.push_back(value);
}

void tally_line(const std::vector<std::string_view>& items, int first_allele, const Par& p,
                const std::array<int, 256>& shorts, ScanTally& tally)
{
    for (std::size_t locus = 0; locus < tally.codes.size(); ++locus) {
        for (int side = 0; side < 2; ++side) {
            bool missing = false;
            int code = allele_code(items[first_allele + 2 * locus + side], p, shorts, missing);
            if (!missing && code != 0) add_distinct(tally.codes[locus], code);
        }
    }
    int cohort = item_int(items[0]);
    bool counted = cohort != 0 && cohort != -1;
    if (counted) add_distinct(tally.cohorts, cohort);
    std::string_view first_parent = items[2];
    if (first_parent == "-" || first_parent == "*" || first_parent == "0") {
        ++tally.founders;
        if (counted) add_distinct(tally.founder_cohorts, cohort);
    }
}

// A slot for a null allele is always kept, so a locus without an observed
// null allele counts one more.
int largest_allele_count(const ScanTally& tally)
{
    int largest = 0;
    for (const std::vector<int>& codes : tally.codes) {
        bool has_null = std::find(codes.begin(), codes.end(), kNullAllele) != codes.end();
        largest = std::max(largest, static_cast<int>(codes.size()) + (has_null ? 0 : 1));
    }
    return largest;
}

// Splits and checks every data line; `line` counts the file's lines
// (comment and empty lines included), as an editor shows them.
void scan_lines(const Par& p, const std::string& path, int expected,
                int first_allele, ScanTally& tally)
{
    std::ifstream in(path, std::ios::binary);
    std::string raw;
    std::vector<std::string_view> items;
    const std::array<int, 256> shorts = short_codes(p);
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        std::string content = stripcomment(raw);
        if (content.empty()) continue;
        int n = split_views(content, items, kMaxItems + 1, kItemWidth);
        if (n < 0) {
            cprint("\nERROR: line %d of file %s holds more than %d items or an item of %d characters or more", line,
                   p.datafile.c_str(), kMaxItems, kItemWidth);
            abort_voskara();
        }
        if (n != expected) {
            cprint("\nERROR: wrong number of columns in file %s", p.datafile.c_str());
            cprint(", line %d", line);
            cprint(", nstrings(observed) = %d", n);
            cprint(", nstrings(expected) = %d", expected);
            abort_voskara();
        }
        tally_line(items, first_allele, p, shorts, tally);
    }
}

}  // namespace

void prescan_datafile(ParamContext& ctx, Par& p)
{
    int ncolN = p.n_nuis - 1;
    long long markers = std::accumulate(ctx.mrkrC.begin(), ctx.mrkrC.end(), 0LL);
    long long expected = kLeadingItems + ncolN + p.ncolT + 2 * markers;
    if (expected > kMaxItems) {
        cprint("\nERROR: too many items at single line in datafile '%s'", p.datafile.c_str());
        cprint("\nncolT = %d, ncolN = %d, 2*ncolM = %lld | maxitem = %d", p.ncolT, ncolN, 2 * markers, kMaxItems);
        abort_voskara();
    }

    std::string path = ctx.file_path(p.datafile);
    p.n_individuals = filerows(path);
    cprint("\n%d lines in datafile %s\n", p.n_individuals, p.datafile.c_str());
    if (p.n_individuals == 0) {
        cprint("\nERROR: data file %s is empty: no line holds an individual", p.datafile.c_str());
        abort_voskara();
    }

    ScanTally tally;
    tally.codes.resize(static_cast<std::size_t>(markers));
    scan_lines(p, path, static_cast<int>(expected), kLeadingItems + ncolN + p.ncolT, tally);

    p.max_alleles = largest_allele_count(tally);
    p.n_founders = tally.founders;
    p.n_founder_cohorts = static_cast<int>(tally.founder_cohorts.size());
    p.n_cohorts = static_cast<int>(tally.cohorts.size());
    if (p.indicQTL >= 1 && p.max_alleles < 1) {
        cprint("\nERROR: max number of alleles / marker locus =%d", p.max_alleles);
        cprint("\nNo QTL or IBD analysis possible");
        abort_voskara();
    }
}

}  // namespace vsk
