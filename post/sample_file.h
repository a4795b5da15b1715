// Fast reading of the numeric sample files: comment lines (";") are skipped,
// data rows are split into blank-, tab- or comma-separated items. A last row
// cut short (the analysis was stopped, or is still writing) is recognised and
// left out, so the complete rows of a running or killed analysis can still be
// processed.
#pragma once

#include <string>

#include "textfile/table.h"

namespace rvn {

struct SampleFileShape {
    bool found = false;
    int rows = 0;            // complete data rows (a cut last row excluded)
    int cols = 0;            // items of the first row
    int bad_row = -1;        // first row (from 0) whose width differs, -1 if none
    int bad_line = 0;        // its line in the file (from 1, comment lines counted)
    int bad_cols = 0;        // its number of items
    bool last_row_cut = false;
    int cut_items = 0;       // items of the cut row
};

// Measures a sample file: rows, the first row's width, the first row of
// another width, and whether the last row is cut (fewer items than the first
// row, an item that is not a number, or a last number with fewer decimals
// than the row before has in that column). Reads the file once.
SampleFileShape measure_sample_file(const std::string& path);

// Reads the first shape.rows data rows into `table` (shape.rows x shape.cols),
// dropping `skip_cols` leading columns. An item that is not a number prints
// its message (with its file line) and leaves with exit code 1.
void read_sample_rows(const std::string& path, const SampleFileShape& shape, int skip_cols,
                      vsk::Table<double>& table);
void read_sample_rows(const std::string& path, const SampleFileShape& shape, int skip_cols,
                      vsk::Table<signed char>& table);
// Reads the first `lead_cols` columns into `lead` and the others into `rest`
// (files whose rows start with an iteration and a map position).
void read_sample_rows_split(const std::string& path, const SampleFileShape& shape, int lead_cols,
                            vsk::Table<double>& lead, vsk::Table<signed char>& rest);

}  // namespace rvn
