// R/qtl crosses in the "csv", "csvr" and "csvs" layouts.
#pragma once

#include <string>

#include "tools/import/phenotypes.h"
#include "tools/import/project.h"

namespace vimp {

enum class RqtlCross { F2, Backcross, RilSelf, DoubledHaploid, FourWay };

// Throws ImportError for an unknown name (f2, bc, riself, dh, 4way).
RqtlCross rqtl_cross(const std::string& name);

// What one genotype code becomes: two allele words of the data file.
enum class CodeKind { Full, Partial, Lost, Missing, Unexpected, Unknown };
struct Alleles {
    std::string first = "-", second = "-";
    CodeKind kind = CodeKind::Unknown;
};
Alleles rqtl_genotype(RqtlCross cross, const std::string& code);

struct RqtlOptions {
    RqtlCross cross = RqtlCross::F2;
    std::string file;
    std::string phenotypes;      // "csvs": the phenotype file
    std::string layout = "auto"; // auto, csv, csvr, csvs
    int ril_generations = 6;     // selfing generations from the F1 to a line
    Choice choice;
};

Project import_rqtl(const RqtlOptions& options);

}  // namespace vimp
