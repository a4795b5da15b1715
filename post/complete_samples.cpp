// Cutting the sample tables to the samples every file holds completely.
#include <algorithm>
#include <string>
#include <vector>

#include "post/console.h"
#include "post/sample_readers.h"
#include "textfile/fatal.h"

namespace rvn {

namespace {

template <class T>
void keep_rows(vsk::Table<T>& table, int rows)
{
    if (table.rows() <= rows) return;
    vsk::Table<T> kept(rows, table.cols());
    std::copy(table.data(), table.data() + static_cast<std::size_t>(rows) * table.cols(), kept.data());
    table = std::move(kept);
}

struct RowCount {
    const char* file;
    int rows;
};

}  // namespace

void keep_complete_samples(PostState& st)
{
    Samples& s = st.s;
    const int n = s.n();
    // In the order the analysis writes them within one sample.
    std::vector<RowCount> counts;
    if (s.has_nuisance) counts.push_back({"nui2.out", s.nuisance.rows()});
    if (st.par.qtl_on() && st.par.FormatMCMC != 1) counts.push_back({"iqtl.out", s.qtl.rows()});
    if (s.has_qtl_geno && st.par.FormatMCMC != 1) counts.push_back({"gqtl.out", s.qtl_geno.rows()});
    if (s.has_qtl_coh) counts.push_back({"cohqtl.out", s.qtl_coh.rows()});
    if (st.par.fpm_on()) counts.push_back({"ifpm.out", s.fpm.rows()});
    if (s.has_fpm_geno) counts.push_back({"gfpm.out", s.fpm_geno.rows()});
    if (s.has_fpm_coh) counts.push_back({"cohfpm.out", s.fpm_coh.rows()});
    if (s.has_tim) counts.push_back({"tim.out", s.tim.rows()});
    if (s.has_tim_coh) counts.push_back({"cohtim.out", s.tim_coh.rows()});

    int complete = n;
    for (const RowCount& c : counts) {
        if (c.rows > n || c.rows < n - 1) {
            rprint("\nnumber of rows inconsistent for '%s' and '%s'", "genpar.out", c.file);
            vsk::fatal_exit(1);
        }
        complete = std::min(complete, c.rows);
    }
    if (s.complete_limit < n - 1) {
        rprint("\nnumber of rows inconsistent for '%s' and '%s'", "genpar.out",
               st.par.FormatMCMC == 1 ? "iqtl.out" : "gqtl.out");
        vsk::fatal_exit(1);
    }
    complete = std::min(complete, s.complete_limit);
    if (complete == n) return;

    rprint("\nWARNING: the last sample was not written to every sample file (analysis stopped or still running)");
    rprint("\n%d complete samples are used", complete);
    const int rows = complete;
    s.iteration.resize(rows);
    s.loglik.resize(rows);
    keep_rows(s.genpar, rows);
    keep_rows(s.nuisance, rows);
    keep_rows(s.qtl, rows);
    keep_rows(s.qtl_geno, rows);
    keep_rows(s.qtl_coh, rows);
    keep_rows(s.fpm, rows);
    keep_rows(s.fpm_geno, rows);
    keep_rows(s.fpm_coh, rows);
    keep_rows(s.tim, rows);
    keep_rows(s.tim_coh, rows);
}

}  // namespace rvn
