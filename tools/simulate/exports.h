// Exports of a simulated population in the field's file formats, so that
// the importer can be checked against the simulator's own project: R/qtl
// "csv" crosses and outbred full-sib (CP) locus files.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace vsim {

struct Population;
struct Design;

struct ExportReport {
    std::string files;         // names written, blank separated
    long markers = 0;          // markers written
    long markers_left_out = 0; // markers the format cannot express
    long codes_lost = 0;       // scores written as missing beyond the missing ones
};

// "cross.csv": an F2, backcross, doubled-haploid or recombinant-inbred design
// of one line cross (allele A of the first, or the recurrent, parent).
ExportReport export_rqtl(const Population& population, const std::filesystem::path& dir);
// "cross.loc", "cross.map", "cross_phenotypes.csv": an outbred design of two
// founders and one full-sib family.
ExportReport export_cp(const Population& population, const std::filesystem::path& dir);

// Throws SimError when `format` is not "rqtl" or "cp" or the design cannot
// be written in it; called before anything is simulated or written.
void check_export(const Design& design, const std::string& format);

// Dispatch by format name ("rqtl" or "cp"); prints one line to `out`.
// Throws SimError for another name or a design the format cannot hold.
void write_export(const Population& population, const std::filesystem::path& dir, const std::string& format,
                  std::FILE* out);

}  // namespace vsim
