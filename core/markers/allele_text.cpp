// Text forms of allele codes and raw allele values.
#include "core/markers/allele_text.h"

#include "core/markers/marker_data.h"
#include "core/state/console.h"
#include "core/state/version.h"
#include "textfile/fatal.h"

namespace vsk {

namespace {

constexpr const char* kLetters[] = {"A", "C", "G", "T", "B"};

bool has_null(const Mrkrlcs& m) { return m.has_putative_null || m.has_confirmed_null; }

std::string value_text(const Mrkrlcs& m, int raw)
{
    if (m.letter_coded && raw >= 1 && raw <= 5) return kLetters[raw - 1];
    return std::to_string(raw);
}

}  // namespace

std::string allele_text(const Par& p, const Mrkrlcs& m, int code)
{
    const int n = m.n_alleles;
    if (code == kPutativeNull) return p.nullalleleP;
    if (code == kConfirmedNull) return p.nullalleleC;
    if (code == kMissingAllele) return "-";
    if (code == n + 1 || (code == n && has_null(m))) return "null";
    if (code >= 1 && code <= n && code <= static_cast<int>(m.allele_value.size())) {
        if (m.excluded) return "E";
        return value_text(m, m.allele_value[static_cast<std::size_t>(code - 1)]);
    }
    cprint("\nERROR in StringMarkerAllele():");
    cprint(" locus %s,value %d", m.name.c_str(), code);
    cprint("\naborting Voskara (%s)", kVersion);
    fatal_exit(1);
}

std::string raw_allele_text(const Par& p, const Mrkrlcs& m, int raw)
{
    if (raw == 0) return "-";
    if (raw == kPutativeNull) return p.nullalleleP;
    if (raw == kConfirmedNull) return p.nullalleleC;
    return value_text(m, raw);
}

}  // namespace vsk
