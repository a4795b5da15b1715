// FIBD and "PED" file header: keyword lines, individuals, positions.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "console/data_file_text.h"
#include "console/fibd_reader.h"
#include "core/state/console.h"
#include "core/state/records.h"
#include "textfile/fatal.h"
#include "textfile/number_text.h"

namespace vsk {

namespace {

std::string str(std::string_view v) { return std::string(v); }

// Rows shown around a bad matrix row.
constexpr int kRowsBefore = 49;
constexpr int kRowsAfter = 13;

const std::string& current_line(const FibdCursor& cur) { return cur.lines[cur.next - 1]; }
int current_number(const FibdCursor& cur) { return fibd_line(cur); }

[[noreturn]] void bad_word(const FibdCursor& cur, int k, const char* expectation)
{
    fibd_error_heading(cur);
    cprint("\nline %d:%s", fibd_line(cur), current_line(cur).c_str());
    cprint("\nitem %d ('%s') %s", k + 1, str(cur.words[k]).c_str(), expectation);
    fibd_error_end();
}

}  // namespace

// Word k of the last line as a whole number of 0 or more.
int whole_count(const FibdCursor& cur, int k)
{
    int value = 0;
    if (!whole_int(cur.words[k], value) || value < 0) bad_word(cur, k, "is not a whole number of 0 or more");
    return value;
}

namespace {

[[noreturn]] void wrong_count(const FibdCursor& cur, const char* expectation)
{
    fibd_error_heading(cur);
    cprint("\nline %d:%s", current_number(cur), current_line(cur).c_str());
    cprint("%s", expectation);
    fibd_error_end();
}

enum class Value { Nanc, Nind, Npos, Inbred };

[[noreturn]] void inconsistent(const FibdCursor& cur, Value what, int found, int expected)
{
    fibd_error_heading(cur);
    switch (what) {
    case Value::Nanc: cprint("\nvalue of 'nanc' not consistent: %d %d", found, expected); break;
    case Value::Nind: cprint("\nvalue of 'nind' not consistent: %d %d", found, expected); break;
    case Value::Npos: cprint("\nvalue of npos not consistent: %d %d", found, expected); break;
    case Value::Inbred: cprint("\nvalue of \xc3\xadnbred' not consistent: %d %d", found, expected); break;
    }
    fibd_error_end();
}

// "nanc" / "nind" keyword line; returns its value.
int keyword_line(FibdCursor& cur, const char* keyword)
{
    if (fibd_next_line(cur) != 2) wrong_count(cur, "\nOnly 2 strings were expected! (nind & its value)");
    if (cur.words[0] != keyword) {
        fibd_error_heading(cur);
        if (keyword[1] == 'a') cprint("\nLocation of keyword 'nanc' improper");
        else cprint("\nLocation of keyword 'nind' improper");
        cprint("\n\tInstead keyword was: %s", str(cur.words[0]).c_str());
        fibd_error_end();
    }
    return whole_count(cur, 1);
}

[[noreturn]] void too_many_individuals()
{
    cprint("\nERROR in reading FIBD information");
    cprint("\n no. of individuals in FIBD file more than");
    cprint(" no. of founders in pedigree");
    cprint("\nnow exiting Voskara");
    fatal_exit(1);
}

void warn(const char* text, const std::string& name, int number)
{
    cprint("\nWARNING - FIBD file:");
    if (text[0] == 'f') cprint(" founder %s (%d) not in FIBD file", name.c_str(), number);
    else cprint(" FIBD ind %s (%d) not in pedigree", name.c_str(), number);
}

// Matches the file individuals to the founders by exact name and warns
// about founders and individuals without a partner and about another order.
void match_founders(FibdHeader& h)
{
    std::unordered_map<std::string, int> founder_of;
    for (std::size_t f = 0; f < par.founders.size(); ++f) founder_of.emplace(obs[par.founders[f] - 1].name, static_cast<int>(f));
    std::vector<char> matched(par.founders.size(), 0);
    h.founder.assign(h.names.size(), -1);
    for (std::size_t r = 0; r < h.names.size(); ++r) {
        auto it = founder_of.find(h.names[r]);
        if (it == founder_of.end()) continue;
        h.founder[r] = it->second;
        matched[it->second] = 1;
    }
    for (std::size_t f = 0; f < matched.size(); ++f)
        if (!matched[f]) warn("founder", obs[par.founders[f] - 1].name, static_cast<int>(f) + 1);
    for (std::size_t r = 0; r < h.names.size(); ++r)
        if (h.founder[r] < 0) warn("ind", h.names[r], static_cast<int>(r) + 1);
    bool announced = false;
    for (std::size_t r = 1; r < h.names.size(); ++r) {
        if (h.founder[r] < 0 || h.founder[r - 1] < 0 || h.founder[r] >= h.founder[r - 1]) continue;
        if (!announced) {
            cprint("\nWARNING - FIBD file:");
            cprint(" Different orders FIBD file <> pedigree!");
            announced = true;
        }
        cprint(" ind %s (%d)", h.names[r].c_str(), static_cast<int>(r) + 1);
    }
}

void read_individuals(FibdCursor& cur, FibdHeader& h)
{
    if (fibd_next_line(cur) != 2) wrong_count(cur, "\nTwo strings were expected! (header on individuals)");
    for (int r = 0; r < h.nind; ++r) {
        if (fibd_next_line(cur) != 2) wrong_count(cur, "\nTwo strings were expected! (indnr\tindname)");
        h.names.emplace_back(cur.words[1]);
    }
}

void read_positions(FibdCursor& cur, FibdHeader& h, int npos)
{
    if (fibd_next_line(cur) != 2) wrong_count(cur, "\nTwo strings were expected! (npos & its value)");
    const int found = whole_count(cur, 1);
    if (found != npos) inconsistent(cur, Value::Npos, found, npos);
    if (fibd_next_line(cur) != 3) wrong_count(cur, "\nThree strings were expected! (header on positions)");
    for (int k = 0; k < npos; ++k) {
        if (fibd_next_line(cur) != 3) wrong_count(cur, "\nThree strings were expected! (posnr\tchr\tposmap)");
        int chrom = 0;
        if (!whole_int(cur.words[1], chrom) || chrom < 1 || chrom > static_cast<int>(chr.size()) || !chr[chrom - 1].indiC)
            bad_word(cur, 1, "is not the number of an analysed linkage group of the map (indiC 1)");
        double position = 0.0;
        if (!whole_real(cur.words[2], position) || position < 0.0)
            bad_word(cur, 2, "is not a map position (a number of 0 or more)");
        h.chrom.push_back(chrom - 1);
        h.position.push_back(position);
    }
}

void read_optional_inbred(FibdCursor& cur, int inbred)
{
    if (cur.next >= cur.lines.size()) return;
    std::vector<std::string_view> words;
    split_words(cur.lines[cur.next], words);
    if (words.size() != 2 || words[0] != "inbred") return;
    fibd_next_line(cur);
    const int found = whole_count(cur, 1);
    if (found != inbred) inconsistent(cur, Value::Inbred, found, inbred);
}

}  // namespace

int fibd_line(const FibdCursor& cur)
{
    if (cur.next == 0) return 0;
    return cur.next - 1 < cur.numbers.size() ? cur.numbers[cur.next - 1] : static_cast<int>(cur.next);
}

double fibd_probability(const FibdCursor& cur, int k)
{
    double value = 0.0;
    if (!whole_real(cur.words[k], value) || value < 0.0 || value > 1.0)
        bad_word(cur, k, "is not a probability (a number from 0 to 1)");
    return value;
}

void check_symmetric(const FibdCursor& cur, const std::vector<std::vector<double>>& m, const char* label, int number)
{
    constexpr double kTolerance = 1e-9;
    for (std::size_t r = 0; r < m.size(); ++r) {
        for (std::size_t c = r + 1; c < m.size() && c < m[r].size(); ++c) {
            if (std::fabs(m[r][c] - m[c][r]) <= kTolerance) continue;
            fibd_error_heading(cur);
            cprint("\nthe %s %d is not symmetric: row %d, column %d holds %g, row %d, column %d holds %g", label,
                   number, static_cast<int>(r) + 1, static_cast<int>(c) + 1, m[r][c], static_cast<int>(c) + 1,
                   static_cast<int>(r) + 1, m[c][r]);
            cprint("\n(the matrix ends at line %d)", fibd_line(cur));
            fibd_error_end();
        }
    }
}

void fibd_error_heading(const FibdCursor& cur) { cprint("\nERROR in interpretation of file %s", cur.path.c_str()); }

void fibd_error_end()
{
    cprint("\nNow exiting Voskara");
    fatal_exit(1);
}

int fibd_next_line(FibdCursor& cur)
{
    if (cur.next >= cur.lines.size()) {
        fibd_error_heading(cur);
        cprint("\nthe file ends after %d lines; more lines were expected", static_cast<int>(cur.lines.size()));
        fibd_error_end();
    }
    return split_words(cur.lines[cur.next++], cur.words);
}

FibdHeader read_fibd_header(FibdCursor& cur, const FibdExpect& expect)
{
    FibdHeader h;
    if (expect.nanc_line) {
        const int nanc = keyword_line(cur, "nanc");
        if (nanc != expect.nanc) inconsistent(cur, Value::Nanc, nanc, expect.nanc);
    }
    h.nind = keyword_line(cur, "nind");
    if (expect.nind >= 0 && h.nind != expect.nind) inconsistent(cur, Value::Nind, h.nind, expect.nind);
    if (expect.nind < 0 && h.nind > static_cast<int>(par.founders.size())) too_many_individuals();
    h.nind = std::max(h.nind, 0);
    read_individuals(cur, h);
    match_founders(h);
    read_positions(cur, h, expect.npos);
    read_optional_inbred(cur, expect.inbred);
    return h;
}

void read_fibd_row(FibdCursor& cur, int row, int expected)
{
    const int n = fibd_next_line(cur);
    if (n == expected) return;
    fibd_error_heading(cur);
    cprint("\nnumber of strings not consistent on row %d (line %d)", row, fibd_line(cur));
    cprint("\nObserved no. %d", n);
    cprint("\nExpected no. %d", expected);
    const int k = static_cast<int>(cur.next) - 1;
    const int last = std::min(static_cast<int>(cur.lines.size()) - 1, k + kRowsAfter);
    for (int j = std::max(0, k - kRowsBefore); j <= last; ++j)
        cprint("\n\n k,buffer[k]: %d,%s", j, cur.lines[j].c_str());
    fibd_error_end();
}

}  // namespace vsk
