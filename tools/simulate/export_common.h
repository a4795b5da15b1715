// Pieces shared by the exports in the field's formats.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/simulate/simulate.h"

namespace vsim::exporting {

std::ofstream open(const std::filesystem::path& path);
void finish(std::ofstream& out, const std::filesystem::path& path);

// Phenotype column names (traits, then nuisance factors as the parameter
// file names them) and the cells of one individual ("NA" when missing).
std::vector<std::string> phenotype_names(const Design& design);
std::vector<std::string> phenotype_cells(const Population& population, int individual);

// Allele index of a marker in an individual's true genotype (one homologue).
int true_allele(const Population& population, int individual, int marker, bool paternal);

void check_rqtl_design(const Design& design);
void check_cp_design(const Design& design);

std::string join(const std::vector<std::string>& cells, char separator);

}  // namespace vsim::exporting
