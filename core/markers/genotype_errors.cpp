// Genotype-error report: the status of every genotype after the checks, as
// a pattern and per-individual and per-locus counts in marker.log, and as
// the table "mconsistency.csv".
#include <array>

#include "core/markers/marker_checks.h"
#include "core/markers/marker_log.h"
#include "core/markers/status_codes.h"
#include "textfile/textfile.h"

namespace vsk {

const StatusInfo kStatusLegend[12] = {
    {0, '.', "OC", "observed & consistent"},          {1, '&', "MA", "missing & augmented"},
    {2, '}', "OEA", "observed & error & augmented"},  {3, ']', "pnuA", "putative null-allele & augmented"},
    {4, '~', "pnuM", "putative null-allele & missing"}, {5, '-', "IM", "incomplete or fully missing"},
    {6, '/', "OpE", "observed & putative error"},     {7, '{', "OE", "observed & error"},
    {8, '[', "pnuE", "putative null-allele & error"}, {9, '#', "ME", "missing & error"},
    {11, ' ', "OPhE", "observed & consistent, phasing error"},
    {12, ' ', "MAPhE", "missing & augmented, phasing error"}};

char status_indicator(int code)
{
    for (const StatusInfo& s : kStatusLegend)
        if (s.code == code) return s.indicator;
    return '?';
}

namespace {

constexpr int kCountedStatuses = 10;   // codes 0..9 in the summaries
using Counts = std::array<int, kCountedStatuses>;

void summary_legend(std::FILE* f)
{
    static const char* const kLines[] = {
        "\n  OC  observed & consistent", "\n  MA  missing & augmented", "\n OEA  observed & deleted error & augmented",
        "\npnuA  putative null-allele & augmented", "\npnuM  putative null-allele & missing",
        "\n  IM  incomplete & missing", "\n OpE  observed & putative error", "\n  OE  observed & deleted error",
        "\npnuE  putative null-allele & error", "\n  ME  missing & error"};
    for (const char* line : kLines) std::fputs(line, f);
    std::fprintf(f, "\n\n%-20s", "");
    for (int s = 0; s < kCountedStatuses; ++s) std::fprintf(f, " %5s", kStatusLegend[s].short_name);
}

void count_row(std::FILE* f, const std::string& name, const Counts& c)
{
    std::fprintf(f, "\n%-20s", name.c_str());
    for (int v : c) std::fprintf(f, " %5d", v);
}

void add(Counts& c, int status)
{
    if (status >= 0 && status < kCountedStatuses) ++c[static_cast<std::size_t>(status)];
}

// Loci in map order with a '|' where a new linkage group starts.
void write_pattern(std::FILE* f, MarkerData& d)
{
    std::fprintf(f, "\n\nMARKER GENOTYPE PATTERN\n");
    std::string line;
    for (int i = 1; i <= d.n_ind(); ++i) {
        line.clear();
        for (int k = 0; k < d.n_loci(); ++k) {
            if (k > 0 && d.loci[static_cast<std::size_t>(k)].chrom != d.loci[static_cast<std::size_t>(k - 1)].chrom)
                line += '|';
            line += status_indicator(d.status(k, i));
        }
        std::fprintf(f, "\n%-20s %s", d.ind(i).name.c_str(), line.c_str());
    }
}

void write_summaries(std::FILE* f, MarkerData& d)
{
    std::fprintf(f, "\n\nMARKER GENOTYPE SUMMARY ( INDIVIDUALS )\n");
    summary_legend(f);
    for (int i = 1; i <= d.n_ind(); ++i) {
        Counts c{};
        for (int k = 0; k < d.n_loci(); ++k) add(c, d.status(k, i));
        count_row(f, d.ind(i).name, c);
    }
    std::fprintf(f, "\n\nMARKER GENOTYPE SUMMARY ( LOCI )\n");
    summary_legend(f);
    for (int k = 0; k < d.n_loci(); ++k) {
        Counts c{};
        for (int i = 1; i <= d.n_ind(); ++i) add(c, d.status(k, i));
        count_row(f, d.loci[static_cast<std::size_t>(k)].name, c);
    }
}

double position_cm(const Mrkrlcs& m) { return (m.position - 100.0 * (m.chrom + 1)) * 100.0; }

void write_consistency_csv(MarkerData& d)
{
    File f = open_file("mconsistency.csv", "w");
    if (!f) return;
    std::fprintf(f.get(), ";,MARKER CONSISTENCY OVERVIEW\n;");
    std::fprintf(f.get(), "\n;,Code_Trellan,Symbol,ShortName,Description");
    for (int s = 0; s < kCountedStatuses; ++s) {
        const StatusInfo& x = kStatusLegend[s];
        std::fprintf(f.get(), "\n;,%d,%c,%5s, %s", x.code, x.indicator, x.short_name, x.description);
    }
    std::fprintf(f.get(), "\nchromosome,");
    for (int k = 0; k < d.n_loci(); ++k) std::fprintf(f.get(), ",%d", d.loci[static_cast<std::size_t>(k)].chrom + 1);
    std::fprintf(f.get(), "\nposition_cM,");
    for (int k = 0; k < d.n_loci(); ++k) std::fprintf(f.get(), ",%.3f", position_cm(d.loci[static_cast<std::size_t>(k)]));
    std::fprintf(f.get(), "\nIDname,");
    for (int k = 0; k < d.n_loci(); ++k) std::fprintf(f.get(), ",%s", d.loci[static_cast<std::size_t>(k)].name.c_str());
    for (int i = 1; i <= d.n_ind(); ++i) {
        std::fprintf(f.get(), "\n%s,", d.ind(i).name.c_str());
        for (int k = 0; k < d.n_loci(); ++k) std::fprintf(f.get(), ",%d", d.status(k, i));
    }
    std::fprintf(f.get(), "\n");
}

}  // namespace

void report_genotype_errors(MarkerData& d)
{
    File log = open_marker_log();
    if (log) {
        printline(log.get(), 2, 79, 1);
        std::fprintf(log.get(), "MARKER GENOTYPE ERRORS");
        printline(log.get(), 1, 79, 0);
        write_pattern(log.get(), d);
        write_summaries(log.get(), d);
    }
    write_consistency_csv(d);
}

}  // namespace vsk
