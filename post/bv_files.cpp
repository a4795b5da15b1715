// Rows and files of the breeding-value tables.
#include "post/bv_files.h"

#include <cstdarg>

#include "post/console.h"

namespace rvn {

namespace {

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...)
{
    char buffer[128];
    std::va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

bool names_fit(const PostState& st) { return !st.names.empty() && static_cast<int>(st.names.size()) == individuals_with_values(st); }

void write_component_heads(std::FILE* f, const BvComponents& c)
{
    std::fprintf(f, " %8s", "std_sum");
    std::fprintf(f, " %8s", "mce_sum");
    if (c.qtl && (c.fpm || c.tim)) std::fprintf(f, " %8s %8s", "stdqtl", "mceqtl");
    if (c.fpm && (c.qtl || c.tim)) std::fprintf(f, " %8s %8s", "stdfpm", "mcefpm");
    if (c.tim && (c.fpm || c.qtl)) std::fprintf(f, " %8s %8s", "stdtim", "mcetim");
}

// The SD/MCE pairs a row shows, in column order.
std::vector<const ValueSummary*> shown_summaries(const BvComponents& c, const BvRow& row)
{
    std::vector<const ValueSummary*> out{&row.s_sum};
    if (c.qtl && (c.fpm || c.tim)) out.push_back(&row.s_qtl);
    if (c.fpm && (c.qtl || c.tim)) out.push_back(&row.s_fpm);
    if (c.tim && (c.fpm || c.qtl)) out.push_back(&row.s_tim);
    return out;
}

}  // namespace

BvComponents bv_components(const PostState& st)
{
    BvComponents c;
    c.qtl = st.s.has_qtl_geno;
    c.fpm = st.s.has_fpm_geno;
    c.tim = st.s.has_tim;
    c.two_region_columns = st.par.addGENE != 0 && st.par.domGENE != 0;
    return c;
}

BvRow individual_row(const PostState& st, const std::vector<RowSlot>& flags, int i, int t)
{
    const BvComponents c = bv_components(st);
    BvRow row;
    row.name = names_fit(st) ? st.names[i] : format("ind_%d", i + 1);
    double total = 0.0;
    if (c.qtl) {
        for (const Region& r : st.regions) {
            const RegionValue v = region_value(st, r, i, t);
            if (c.two_region_columns) {
                row.regions.push_back(v.add);
                row.regions.push_back(v.dom);
            } else {
                row.regions.push_back(v.add + v.dom);
            }
            total += v.add + v.dom;
        }
    }
    // Components the run lacks are left out rather than summed as zeros.
    std::vector<double> xs(st.s.n(), 0.0);
    auto add_component = [&](bool present, std::vector<double> x, ValueSummary& summary) {
        if (!present) return;
        for (std::size_t r = 0; r < xs.size(); ++r) xs[r] += x[r];
        summary = summarise_values(st, x);
    };
    add_component(c.qtl, qtl_values(st, flags, i, t), row.s_qtl);
    add_component(c.fpm, c.fpm ? fpm_values(st, i, t) : std::vector<double>{}, row.s_fpm);
    add_component(c.tim, c.tim ? tim_values(st, i, t) : std::vector<double>{}, row.s_tim);
    row.s_sum = summarise_values(st, xs);
    row.fpm = c.fpm ? row.s_fpm.mean : 0.0;
    row.tim = c.tim ? row.s_tim.mean : 0.0;
    row.sum = total + row.fpm + row.tim;
    for (const ValueSummary* s : shown_summaries(c, row)) row.undefined += s->defined ? 0 : 2;
    return row;
}

void write_bv_header(std::FILE* f, const PostState& st)
{
    std::fprintf(f, "\n; Posterior Mean Estimates for Breeding Values for user-identified individuals");
    std::fprintf(f, "\n; MQTR#     = Marked QT Region (QTL model)");
    std::fprintf(f, "\n; RQTR(FPM) = Remaining QT Region (Finite Polygenic Model) ");
    std::fprintf(f, "\n; RQTR(TIM) = Remaining QT Region (The Infinitesimal Model) ");
    std::fprintf(f, "\n; SUMQTR    = Summation over QTL & FPM & TIM models   ");
    std::fprintf(f, "\n; std_      = (posterior) standard deviation");
    std::fprintf(f, "\n; mce_      = Monte Carlo Error");
    std::fprintf(f, "\n; std_/mce_ :");
    std::fprintf(f, "\n;   - Are calculated via Effective Chain Size function in Ruvane");
    std::fprintf(f, "\n;   - Are calculated from the vector of samples along Markov chain");
    std::fprintf(f, "\n;     Every MCMC iteration:");
    std::fprintf(f, "\n;     - QTL model: Only QTL samples within MQTRegions are summed");
    std::fprintf(f, "\n;     - FPM model: all FPM samples are summed");
    std::fprintf(f, "\n;     - SUMQTR   : all FPM, TIM, and QTL samples within MQTRegions are summed");
    std::fprintf(f, "\n;");
    if (st.s.has_qtl_geno) {
        std::fprintf(f, "\n;");
        write_region_list(f, st);
    }
    std::fprintf(f, "\n;");
    write_sample_counts(f, st);
    std::fprintf(f, "\n;");
    std::fprintf(f, "\n;");
}

void write_region_list(std::FILE* f, const PostState& st)
{
    std::fprintf(f, "\n; QTL Regions as read from file '%s' : ", st.regions_file.c_str());
    std::fprintf(f, "\n;");
    for (std::size_t r = 0; r < st.regions.size(); ++r) {
        std::fprintf(f, "\n; %6s%-2d = ", "MQTR", static_cast<int>(r) + 1);
        std::fprintf(f, "[%10.3lf,%10.3lf]", st.regions[r].start, st.regions[r].end);
        std::fprintf(f, "%12s %4.2lf", "   prob =", st.regions[r].prob);
    }
}

void write_sample_counts(std::FILE* f, const PostState& st)
{
    std::fprintf(f, "\n; Number of MCMC iterations used %d", st.n_post);
    std::fprintf(f, "\n; Number  of  QTL  samples  used %d", st.qtl_samples.count());
}

BvTraitFile::BvTraitFile(const PostState& st, int t) : st_(st), c_(bv_components(st))
{
    f_ = vsk::open_file(st.path("individualsT" + std::to_string(t + 1) + ".brv"), "w");
    if (!f_) return;
    std::FILE* f = f_.get();
    write_bv_header(f, st);
    std::fprintf(f, "\n%-33s", ";Individual");
    if (!c_.qtl) {
        std::fprintf(f, "%6s%-2d", "MQTR", 0);
    } else {
        for (int r = 1; r <= static_cast<int>(st.regions.size()); ++r) {
            if (c_.two_region_columns) {
                std::fprintf(f, "%6s%-2d", "MQTRa", r);
                std::fprintf(f, "%6s%-2d", "MQTRd", r);
            } else {
                std::fprintf(f, "%6s%-2d", "MQTR", r);
            }
        }
    }
    std::fprintf(f, "%11s", "RQTR(FPM)");
    std::fprintf(f, "%11s", "RQTR(TIM)");
    std::fprintf(f, "%16s", "SUMQTR");
    write_component_heads(f, c_);
}

void BvTraitFile::write(const BvRow& row)
{
    if (!f_) return;
    std::FILE* f = f_.get();
    std::fprintf(f, "\n%-33.32s", row.name.c_str());
    if (!c_.qtl) std::fprintf(f, " %5.1lf  ", 0.0);
    for (double v : row.regions) std::fprintf(f, " %7.3lf", v);
    if (c_.fpm)
        std::fprintf(f, " %10.3lf", row.fpm);
    else
        std::fprintf(f, " %8.1lf  ", 0.0);
    if (c_.tim)
        std::fprintf(f, " %10.3lf", row.tim);
    else
        std::fprintf(f, " %8.1lf  ", 0.0);
    std::fprintf(f, " %15.3lf", row.sum);
    for (const ValueSummary* s : shown_summaries(c_, row)) std::fprintf(f, " %8.3lf %8.3lf", s->std, s->mce);
}

BvCsv::BvCsv(const PostState& st) : st_(st), c_(bv_components(st)) {}

void BvCsv::add(int t, const BvRow& row)
{
    const bool many = st_.par.n_traits > 1;
    const std::string suffix = many ? "_t" + std::to_string(t + 1) : "";
    if (t != last_trait_) {
        // Column names of this trait.
        last_trait_ = t;
        row_index_ = 0;
        if (!c_.qtl) {
            header_.push_back(format(",%s%d", "MQTR", 0) + suffix);
        } else {
            for (int r = 1; r <= static_cast<int>(st_.regions.size()); ++r) {
                if (c_.two_region_columns) {
                    header_.push_back(format(",%s%d", "MQTRa", r) + suffix);
                    header_.push_back(format(",%s%d", "MQTRd", r) + suffix);
                } else {
                    header_.push_back(format(",%s%d", "MQTR", r) + suffix);
                }
            }
        }
        for (const char* name : {"RQTR(FPM)", "RQTR(TIM)", "SUMQTR", "std_sum", "mce_sum"})
            header_.push_back(format(",%s", name) + suffix);
        if (c_.qtl && (c_.fpm || c_.tim)) header_.insert(header_.end(), {",stdqtl" + suffix, ",mceqtl" + suffix});
        if (c_.fpm && (c_.qtl || c_.tim)) header_.insert(header_.end(), {",stdfpm" + suffix, ",mcefpm" + suffix});
        if (c_.tim && (c_.fpm || c_.qtl)) header_.insert(header_.end(), {",stdtim" + suffix, ",mcetim" + suffix});
    }
    std::string cells;
    if (!c_.qtl) cells += format(",%.1lf  ", 0.0);
    for (double v : row.regions) cells += format(",%.3lf", v);
    cells += c_.fpm ? format(",%.3lf", row.fpm) : format(",%.1lf  ", 0.0);
    cells += c_.tim ? format(",%.3lf", row.tim) : format(",%.1lf  ", 0.0);
    cells += format(",%.3lf", row.sum);
    for (const ValueSummary* s : shown_summaries(c_, row)) cells += format(",%.3lf,%.3lf", s->std, s->mce);
    // Every trait lists the same individuals in the same order.
    if (t == 0) {
        names_.push_back(row.name);
        cells_.push_back({cells});
    } else if (row_index_ < cells_.size()) {
        cells_[row_index_].push_back(cells);
    }
    ++row_index_;
}

void BvCsv::write()
{
    vsk::File f = vsk::open_file(st_.path("MQTRegionsEBV.csv"), "w");
    if (!f) return;
    write_bv_header(f.get(), st_);
    std::fprintf(f.get(), "\n%s", "Individual");
    for (const std::string& h : header_) std::fprintf(f.get(), "%s", h.c_str());
    for (std::size_t k = 0; k < names_.size(); ++k) {
        std::fprintf(f.get(), "\n%s", names_[k].c_str());
        for (const std::string& c : cells_[k]) std::fprintf(f.get(), "%s", c.c_str());
    }
}

}  // namespace rvn
