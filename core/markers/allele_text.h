// Text forms of marker alleles, shared by every log line and file that shows
// an allele: letters for letter-coded loci, raw integers otherwise, the
// null-allele texts, "null", "-" and "E" for excluded markers.
#pragma once

#include <string>

#include "core/state/records.h"

namespace vsk {

// Text of allele code `code` at `locus` (fatal for a code that is none).
std::string allele_text(const Par& p, const Mrkrlcs& locus, int code);
// Text of a raw allele value as read from the data file (0 is "-").
std::string raw_allele_text(const Par& p, const Mrkrlcs& locus, int raw);

}  // namespace vsk
