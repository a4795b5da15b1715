// Summary statistics of the genetic-parameter and nuisance samples.
#include "post/summary.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "post/console.h"
#include "post/ess.h"

namespace rvn {

namespace {

void print_header() { rprint("\n%-12s %10s %10s %10s %10s", "Variable", "mean", "stdv", "miny", "maxy"); }

void print_values(const ColumnSummary& c)
{
    rprint(" %10.3f%10.3f", c.mean, c.stdv);
    rprint("  %10.3f%10.3f", c.min, c.max);
}

}  // namespace

ColumnSummary summarise_column(const vsk::Table<double>& table, int column, int first_row)
{
    ColumnSummary c;
    const int count = table.rows() - first_row;
    if (count <= 0) return c;
    std::vector<double> values(count);
    for (int r = first_row; r < table.rows(); ++r) values[r - first_row] = table[r][column];
    for (double v : values) c.mean += v;
    c.mean /= count;
    double ss = 0.0;
    for (double v : values) ss += (v - c.mean) * (v - c.mean);
    c.stdv = count > 1 ? std::sqrt(ss / (count - 1)) : 0.0;
    std::sort(values.begin(), values.end());
    c.min = values.front();
    c.max = values.back();
    return c;
}

void print_genpar_summary(const PostState& st)
{
    separator();
    rprint("SUMMARY STATISTICS  GENPAR VARIABLES ");
    print_header();
    for (int c = 0; c < st.s.V(); ++c) {
        const ColumnSummary sum = summarise_column(st.s.genpar, c, st.burnin);
        if (!(sum.stdv > 0.0)) continue;
        rprint("\n%-12s", chain_name(st, c).c_str());
        print_values(sum);
    }
}

void print_nuisance_summary(const PostState& st)
{
    if (!st.s.has_nuisance) return;
    separator();
    rprint("SUMMARY STATISTICS NUISANCE VARIABLES ");
    print_header();
    for (int c = 0; c < st.s.nuisance.cols(); ++c) {
        const ColumnSummary sum = summarise_column(st.s.nuisance, c, st.burnin);
        if (!(sum.stdv > 0.0)) continue;
        rprint("\nnuiscol%-5d", c + 1);
        print_values(sum);
    }
}

}  // namespace rvn
