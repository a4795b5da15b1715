// The per-individual rows of the breeding-value tables and the files they go
// to: "individualsT<k>.brv" per trait and "MQTRegionsEBV.csv" for all traits.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "post/breeding_values.h"
#include "textfile/file.h"

namespace rvn {

// Which components the run has.
struct BvComponents {
    bool qtl = false;
    bool fpm = false;
    bool tim = false;
    bool two_region_columns = false;  // MQTRa and MQTRd
};
BvComponents bv_components(const PostState& st);

struct BvRow {
    std::string name;
    std::vector<double> regions;  // one or two values per region
    double fpm = 0.0;
    double tim = 0.0;
    double sum = 0.0;
    ValueSummary s_sum, s_qtl, s_fpm, s_tim;
    int undefined = 0;  // SD/MCE values shown as 0 for want of a variance
};
BvRow individual_row(const PostState& st, const std::vector<RowSlot>& flags, int i, int t);

// The comment lines both files start with.
void write_bv_header(std::FILE* f, const PostState& st);
// Comment lines shared with the cohort-variance files: the regions file and
// its regions with their probabilities; the numbers of samples and of QTL
// samples used.
void write_region_list(std::FILE* f, const PostState& st);
void write_sample_counts(std::FILE* f, const PostState& st);

class BvTraitFile {
public:
    BvTraitFile(const PostState& st, int t);
    void write(const BvRow& row);

private:
    const PostState& st_;
    BvComponents c_;
    vsk::File f_;
};

// Collects every trait's rows; one trait writes the columns as named, more
// traits add "_t<k>" to each column name and put the traits side by side.
class BvCsv {
public:
    explicit BvCsv(const PostState& st);
    void add(int t, const BvRow& row);
    void write();

private:
    const PostState& st_;
    BvComponents c_;
    std::vector<std::string> names_;
    std::vector<std::vector<std::string>> cells_;  // per individual row
    std::vector<std::string> header_;
    int last_trait_ = -1;
    std::size_t row_index_ = 0;
};

}  // namespace rvn
