// Data file reader: one line per individual (cohort, name, parents,
// nuisance classes, phenotypes, two alleles per marker). Fills `obs`, the
// raw allele tables of `mrkrlcs`, the founder, genotype-writing and cohort
// lists and the phenotype text, after the pedigree ordering.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/state/records.h"

namespace vsk {

// Reads par.datafile (called by the run driver after the map reader).
void read_data_file();

// ---- pieces, exposed for the tests ----

// Code of a word that is not an allele (the reader refuses it).
inline constexpr int kInvalidAllele = -1000000;

// Raw code of one allele word: "-" 0; the nullalleleP text -1; the
// nullalleleC text -2; a single letter A C G T B (either case) 1..5 (sets
// `letter`); a single N, * or - 0; a whole number of 0 or more its value
// (0 is a missing score). Any other word (other letters, "x", "4.7", "inf",
// negative numbers, parent codes) gives kInvalidAllele: it can only be a
// typing error or a shifted column, and the reader refuses it.
int allele_code(std::string_view word, const std::string& null_putative, const std::string& null_confirmed,
                bool& letter);

// The same coding for a whole file: the code of every one-character word is
// looked up in a table built once (a data file holds millions of allele
// words, nearly all of one character).
class AlleleCoder {
public:
    AlleleCoder(const std::string& null_putative, const std::string& null_confirmed);
    int code(std::string_view word, bool& letter) const
    {
        if (word.size() == 1) {
            const Single& s = single_[static_cast<unsigned char>(word[0])];
            letter = letter || s.letter;
            return s.code;
        }
        return allele_code(word, null_putative_, null_confirmed_, letter);
    }
    // True for the words whose code is a null allele (the null-allele texts).
    bool is_null_text(std::string_view word) const { return word == null_putative_ || word == null_confirmed_; }

private:
    struct Single {
        int code = 0;
        bool letter = false;
    };
    std::string null_putative_, null_confirmed_;
    Single single_[256];
};

// Missing-value strings of misvalT ("-" is implicit and not stored).
struct MissingValues {
    std::vector<std::string> words;   // at most 9
    std::vector<double> values;       // numeric value per word
    std::vector<char> numeric;        // 1 when the word is a number
};
// Splits misvalT; ten or more strings end the run.
MissingValues missing_values(const std::string& misvalT);

// Phenotypes are finite numbers below this magnitude, so that the sums of
// squares over any number of individuals stay finite.
inline constexpr double kMaxPhenotypeMagnitude = 1e100;

// Phenotype word classification: true = missing. A word that is neither a
// number nor a missing-value string ends the run (see read_data_file).
// A number matches a numeric missing-value string by value; a non-numeric
// missing-value string matches only as text.
bool phenotype_missing(std::string_view word, const MissingValues& missing, double& value, bool& is_number);

// Builds PNTstring from the first `columns` words of every line in
// processing order (right-aligned per column, " \t" between, " \n" last).
void build_phenotype_text(const std::vector<std::string>& lines, const std::vector<int>& order, int columns);

}  // namespace vsk
