// Chain length during the run: user edits of the parameter file, the
// effective-chain-size target and the user maximum.
#include "console/chain_length.h"

#include <cctype>
#include <climits>
#include <cstdlib>

#include "core/state/console.h"
#include "textfile/datetime.h"
#include "textfile/fatal.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {

// Value "used when E cannot be estimated" by the effective-size routine.
constexpr int kNoEstimate = 100000;

// Reads a leading whole number as the start-up reader does (atoi), but
// reports whether there was one at all.
bool leading_int(const std::string& text, int& value)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    std::size_t digits = i;
    if (digits < text.size() && (text[digits] == '+' || text[digits] == '-')) ++digits;
    if (digits >= text.size() || !std::isdigit(static_cast<unsigned char>(text[digits]))) return false;
    long long read = std::strtoll(text.c_str() + i, nullptr, 10);
    value = read > INT_MAX ? INT_MAX : read < INT_MIN ? INT_MIN : static_cast<int>(read);
    return true;
}

int saturate(long double value)
{
    return value >= static_cast<long double>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

}  // namespace

int reread_proposed_length(const std::string& par_path, int current_length, int& ess)
{
    std::string value;
    if (getpatternvalue("ess", par_path, value) < 0) {
        cprint("WARNING: pattern %-20s not in file %s\n", "ess", par_path.c_str());
    } else {
        ess = std::atoi(value.c_str());  // as at start-up: an empty value switches the target off
    }

    if (getpatternvalue("length", par_path, value) < 0) {
        cprint("WARNING: pattern %-20s not in file %s, aborting\n", "length", par_path.c_str());
        fatal_exit(1);
    }
    if (ess > 0) return current_length;
    int proposed = current_length;
    if (!leading_int(value, proposed)) {
        cprint("WARNING: value '%s' of %s in file %s is not a number, kept %d\n", value.c_str(), "length",
               par_path.c_str(), current_length);
        return current_length;
    }
    if (proposed != current_length)
        cprint("\nlength of Markov chain changed into %d (%s)", proposed, datetime_text().c_str());
    return proposed;
}

int follow_proposed_length(int length, int proposed, int sweep)
{
    if (proposed < length) return proposed > sweep + 2 ? proposed : sweep + 2;
    return proposed;
}

int clamp_to_user_maximum(int length, int lengthUDMax)
{
    if (lengthUDMax > 0 && length > lengthUDMax) {
        cprint("\nUser-defined maximum chain length (%d) reached!", lengthUDMax);
        return lengthUDMax;
    }
    return length;
}

int lengthen_for_ess(int length, int target, int effective_size)
{
    if (effective_size >= target) return length;
    const double e = effective_size;
    if (e > 0.5 * target && e != static_cast<double>(kNoEstimate))
        return saturate(static_cast<long double>(static_cast<double>(length) * target / e));
    return saturate(2.0L * length);
}

int convergence_check(int length, int target, int lengthUDMax, const std::function<int()>& effective_size)
{
    cprint("\n\nCheck MCMC convergence: Target-ESS = %d", target);
    const int e = effective_size();
    if (e < target) {
        length = lengthen_for_ess(length, target, e);
        cprint("\nNo convergence        : Length increased up to %d\n", length);
    } else {
        cprint("\nConvergence reached   : Stopping MCMC simulation\n");
    }
    return clamp_to_user_maximum(length, lengthUDMax);
}

int length_at_thinning_boundary(const std::string& par_path, int sweep, int length, int& ess, int lengthUDMax)
{
    const int proposed = reread_proposed_length(par_path, length, ess);
    return clamp_to_user_maximum(follow_proposed_length(length, proposed, sweep), lengthUDMax);
}

}  // namespace vsk
