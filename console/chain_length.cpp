// Chain length during the run: user edits of the parameter file, the
// effective-chain-size target and the user maximum.
#include "console/chain_length.h"

#include <climits>

#include "core/state/console.h"
#include "textfile/datetime.h"
#include "textfile/fatal.h"
#include "textfile/keyword_limits.h"
#include "textfile/number_text.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {

// Value "used when E cannot be estimated" by the effective-size routine.
constexpr int kNoEstimate = 100000;

// A re-read value as the start-up reader reads it (an empty value is 0, a
// number followed by other text is its number part) and within the same
// bounds. False when it is not taken; the caller keeps the current value.
bool reread_value(const std::string& par_path, const char* key, const std::string& text, int highest, int& value)
{
    int read = 0;
    const NumberText status = text.empty() ? NumberText::whole : read_int_text(text, read);
    if (status == NumberText::not_a_number || status == NumberText::out_of_range) {
        cprint("WARNING: value '%s' of %s in file %s is not a number, kept %d\n", text.c_str(), key, par_path.c_str(),
               value);
        return false;
    }
    if (read < 0 || read > highest) {
        cprint("WARNING: value '%s' of %s in file %s is out of range (0 to %d), kept %d\n", text.c_str(), key,
               par_path.c_str(), highest, value);
        return false;
    }
    value = read;
    return true;
}

int saturate(long double value)
{
    return value >= static_cast<long double>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

}  // namespace

int reread_proposed_length(const std::string& par_path, int current_length, int& ess, LengthRereadNotes* notes)
{
    std::string value;
    if (getpatternvalue("ess", par_path, value) < 0) {
        if (notes == nullptr || !notes->ess_missing_reported)
            cprint("WARNING: pattern %-20s not in file %s\n", "ess", par_path.c_str());
        if (notes != nullptr) notes->ess_missing_reported = true;
    } else {
        reread_value(par_path, "ess", value, kMaxEss, ess);
    }

    if (getpatternvalue("length", par_path, value) < 0) {
        cprint("WARNING: pattern %-20s not in file %s, aborting\n", "length", par_path.c_str());
        fatal_exit(1);
    }
    if (ess > 0) return current_length;
    int proposed = current_length;
    // An empty (half-typed) length is not taken either: it would end the chain.
    if (value.empty()) {
        cprint("WARNING: value '%s' of %s in file %s is not a number, kept %d\n", value.c_str(), "length",
               par_path.c_str(), current_length);
        return current_length;
    }
    if (!reread_value(par_path, "length", value, kMaxChainLength, proposed)) return current_length;
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

int length_at_thinning_boundary(const std::string& par_path, int sweep, int length, int& ess, int lengthUDMax,
                                LengthRereadNotes* notes)
{
    const int proposed = reread_proposed_length(par_path, length, ess, notes);
    return clamp_to_user_maximum(follow_proposed_length(length, proposed, sweep), lengthUDMax);
}

}  // namespace vsk
