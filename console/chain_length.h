// Chain length during the run: it follows the user's edits of "length" and
// "ess" in the parameter file, grows until the effective chain size reaches
// the target, and is capped by `lengthUDMax`.
#pragma once

#include <functional>
#include <string>

namespace vsk {

// What the re-reads of one run remember: a missing "ess" is reported once.
struct LengthRereadNotes {
    bool ess_missing_reported = false;
};

// Re-reads "ess" and "length" from the parameter file at `par_path`, with
// the start-up reader's number rule and bounds (0 to the largest length or
// target); a value not taken is reported and the current one kept.
// "ess" found: its value becomes `ess`; missing: a warning (once per run
// when `notes` is given), `ess` is kept.
// "length" missing: a message and exit code 1. While `ess` is above 0 the
// proposal is `current_length` (user edits of "length" are ignored);
// otherwise it is the value read, announced when it differs.
// A "length" value that does not start with a whole number (an empty or
// half-typed edit) is not taken: a warning is printed and the current length
// is kept, so a typing slip cannot cut the chain short. "ess" reads as at
// start-up (an empty value is 0, switching the target off).
int reread_proposed_length(const std::string& par_path, int current_length, int& ess,
                           LengthRereadNotes* notes = nullptr);

// New length L after a proposal N at sweep t: a shorter proposal never ends
// the chain before the next sweep (max(N, t + 2)); a longer one is taken.
int follow_proposed_length(int length, int proposed, int sweep);

// Caps the length at `lengthUDMax` when that is above 0, with a message.
int clamp_to_user_maximum(int length, int lengthUDMax);

// Length after a convergence check with target T and effective size E:
// unchanged when E >= T; L·T/E when E lies above T/2 (and is not the
// "cannot tell" value 100000); otherwise doubled. Saturates at INT_MAX.
int lengthen_for_ess(int length, int target, int effective_size);

// The convergence check at the second-to-last sweep of the current length:
// prints the target, asks `effective_size` for E, prints the outcome and
// returns the new length, capped by `lengthUDMax`.
int convergence_check(int length, int target, int lengthUDMax, const std::function<int()>& effective_size);

// The whole thinning-boundary update of sweep t: re-read, follow, cap.
int length_at_thinning_boundary(const std::string& par_path, int sweep, int length, int& ess, int lengthUDMax,
                                LengthRereadNotes* notes = nullptr);

}  // namespace vsk
