// Run reports of the residual model and the chain: MCMC parameters, model
// settings, the chain-start sections of "check.log", the progress
// report and the extreme residuals log "extremeP.log".
#pragma once

#include <cstdio>
#include <vector>

#include "core/state/records.h"

namespace vsk {

// "MCMC PARAMETERS"; sets skipP for short chains.
void print_mcmc_parameters(const Par& p);
// "MODEL SPECIFICATION" with the gene-effect priors; ends the run (exit 1)
// on inconsistent prior settings.
void print_model_specification(Par& p);

// Chain-start sections appended to "check.log" (nothing with REDprint).
void write_chain_start_sections(const Par& p, const std::vector<Obs>& o, const Phe& ph);
// The same sections into an open stream.
void write_chain_start_sections(std::FILE* f, const Par& p, const std::vector<Obs>& o, const Phe& ph);

// Progress line (and acceptance rates of the moves in use) after sweep t.
void print_progress_report(const Par& p, int t);

// Appends the residuals beyond three phenotypic SDs to "extremeP.log";
// the header goes in front at the first call of the process.
void write_extreme_residuals(const Par& p, const std::vector<Obs>& o, const Phe& ph);
void write_extreme_residuals(std::FILE* f, const Par& p, const std::vector<Obs>& o, const Phe& ph,
                             bool& header_written);

}  // namespace vsk
