// Parameter-file interpreter: reads the project's parameter file into `par`,
// the linkage-group records and the exported flags, checking every value.
//
// Choices made here:
//  - Files named in the parameter file (data, map, founder-relationship
//    file) are addressed through the project directory (`project_dirF`), so
//    the interpreter does not depend on the process's current directory.
//  - Text values longer than their fields are refused with a message naming
//    the keyword: data-file names must be shorter than 30 characters, map
//    file names at most 63, every other text value at most 31.
//  - "fibdfile NA" written in the file means no founder-relationship file,
//    exactly as when the keyword is absent (but without the warning).
//  - A keyword is found only in the first word of a line ("nmrkrC" sets
//    mrkrC; a trait named "bodylength" in a namesT line never sets length).
//  - Negative marker counts, and seeds beyond the int range, are refused
//    rather than wrapped.
#pragma once

#include <string>
#include <vector>

#include "core/state/param_deferred.h"
#include "core/state/records.h"
#include "textfile/keyword_limits.h"

namespace vsk {

// Limits of the values.
inline constexpr int kMaxItems = 50000;        // items on one value or data line
inline constexpr int kItemWidth = 80;          // every item is shorter than this
inline constexpr int kMaxTextValue = 31;       // text settings (fixQTLpos, writeGTP, ...)
inline constexpr int kMaxDatafileName = 29;    // data-file names are shorter than 30
inline constexpr int kMaxMapfileName = 63;
inline constexpr int kMaxMissingText = 29;     // joined misvalT strings
inline constexpr int kDefaultSeed = -123;

// Reading state of one interpretation: where the file is, the deferred
// messages, and the values that end up outside `par` or are shaped into
// tables by the allocation step.
struct ParamContext {
    std::string dir;    // project directory
    std::string name;   // parameter file name, as named in messages
    std::string path;   // directory joined with the name
    DeferredMessages deferred;

    std::vector<int> indiN;            // [ncolN] prior kind of each nuisance column
    std::vector<std::string> namesN;   // [ncolN] nuisance names (without FACTOR0)
    std::vector<int> indiC, mrkrC;     // [nchrom]
    std::vector<double> varPOA, varPOD;  // n_traits^2 values row by row, or empty
    double freqmargin = 0.05;
    int seed = kDefaultSeed;           // as read, before the seeding step replaces it

    // exported flags
    int TIMnumrm = 0, REDprint = 0, VARgroup = 0, RJSdebug = 0, MRKdebug = 0;

    // products of the allocation and frequency-bound steps
    std::vector<Chr> chr;
    double freq_lower = 0.05, freq_upper = 0.95;

    ParamContext(std::string directory, std::string file_name);
    // A file named in the parameter file, addressed in the project directory.
    std::string file_path(const std::string& file) const;
};

// The whole interpretation (open, echo, keywords, pre-scan, deferred block,
// allocation, frequency bounds, initial QTL count) into `p` and `ctx`.
void interpret_parameter_file(ParamContext& ctx, Par& p);
// Copies the context's products into the process-wide records and flags.
void publish_parameter_results(ParamContext& ctx);

// ---- steps ----
void report_missing_parameter_file(const ParamContext& ctx);   // step 1, ends the run
void echo_effective_content(const ParamContext& ctx);          // steps 2-3
void read_data_and_map_files(ParamContext& ctx, Par& p);
void read_founder_relationship_keywords(ParamContext& ctx, Par& p);
void read_trait_keywords(ParamContext& ctx, Par& p);
void read_nuisance_keywords(ParamContext& ctx, Par& p);
void read_linkage_group_keywords(ParamContext& ctx, Par& p);
void read_model_keywords(ParamContext& ctx, Par& p);
void read_chain_keywords(ParamContext& ctx, Par& p);
void read_output_keywords(ParamContext& ctx, Par& p);
void prescan_datafile(ParamContext& ctx, Par& p);               // steps 6-7
void allocate_parameter_tables(ParamContext& ctx, Par& p);      // step 9
void set_frequency_bounds(ParamContext& ctx);                   // step 10
int initial_qtl_count(int seed, int maximQTL);                  // step 11

// ---- keyword lookup (each reads the whole file; the last line counts) ----

// Single value: the second token of the keyword's line. False when the
// keyword has no line; a line holding only the keyword gives an empty value.
bool read_value(const std::string& file, const char* key, std::string& value);
// Whole value part of the keyword's line (everything after its first word).
bool read_list(const std::string& file, const char* key, std::string& value_text);
// Splits a value text into items; too many items or an item of kItemWidth
// characters or more ends the run with a message naming the keyword.
int checked_items(const ParamContext& ctx, const char* key, const std::string& value_text,
                  std::vector<std::string>& items);

// Conversions of a keyword's value: an empty text reads 0; a text that is
// not a number at all (also "nan", "inf") or does not fit the type ends the
// run with a message naming the keyword; a number followed by other text
// reads as its number part (as atoi/strtod would) with a deferred warning.
int to_int(ParamContext& ctx, const char* key, const std::string& text);
double to_real(ParamContext& ctx, const char* key, const std::string& text);
// A value outside [lowest, highest] ends the run with a message naming the
// keyword and the allowed range; returns the value otherwise.
int in_range(const ParamContext& ctx, const char* key, int value, int lowest, int highest);

// Missing mandatory keyword: message and the Aborting line.
[[noreturn]] void missing_mandatory(const ParamContext& ctx, const char* key);
int mandatory_int(ParamContext& ctx, const char* key);
double mandatory_real(ParamContext& ctx, const char* key);
// Optional keywords: absent leaves the default and adds the deferred warning.
int optional_int(ParamContext& ctx, const char* key, int fallback);
double optional_real(ParamContext& ctx, const char* key, double fallback);
// Optional keywords whose absence is not reported.
int silent_int(ParamContext& ctx, const char* key, int fallback);
double silent_real(ParamContext& ctx, const char* key, double fallback);
// Deferred "\nWARNING: pattern %-20s not in file %s".
void warn_absent(ParamContext& ctx, const char* key);
// A text value longer than its field ends the run with a message.
void check_text_length(const ParamContext& ctx, const char* key, const std::string& value, int max_length);

}  // namespace vsk
