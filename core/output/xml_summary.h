// The run summary "voskara.xml": the run's input, model, convergence and
// output, for a report viewer.
#pragma once

#include <string>
#include <vector>

#include "core/output/xml_block.h"
#include "core/state/records.h"

namespace vsk {

// Individuals per generation: discrete[k] have a generation coefficient of
// exactly k (k < trunc(max) + 3), interval[k] one strictly between k and k+1.
struct GenerationCounts {
    std::vector<int> discrete;
    std::vector<int> interval;
};
GenerationCounts count_generations(const std::vector<Obs>& individuals, double max_gen_coeff);

// Writes the whole report to `path` from the shared records; returns the
// result of closing the file (EOF when it could not be written).
int write_run_summary(const std::string& path, const std::string& start_time, const LinkPolicy& links);

// The four outer sections.
XmlBlock general_information(const std::string& start_time);
XmlBlock input_summary(const LinkPolicy& links);
XmlBlock convergence_quality(const LinkPolicy& links);
XmlBlock output_summary(const LinkPolicy& links);

// Parts of the input summary.
XmlBlock pedigree_block();
XmlBlock nuisance_block();
XmlBlock trait_block(const LinkPolicy& links);
XmlBlock marker_block(const LinkPolicy& links);
XmlBlock model_block();
XmlBlock mcmc_block();

// The prior text of an effect-prior code (addGENE, domGENE).
const char* effect_prior_text(int code);

}  // namespace vsk
