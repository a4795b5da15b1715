// "check.log" is started afresh once per run by the offspring steps: by the
// final-offspring mating listing when there is one, otherwise by the
// descendant listing. This keeps the mating listing, which is written
// first, from being overwritten by the descendant listing.
#pragma once

#include <cstdio>

#include "textfile/file.h"

namespace vsk {

// Opens "check.log": emptied on the first call of a run, appended to after.
File open_check_log_for_offspring();
// Forgets that the file was started (a new run of the offspring steps).
void reset_check_log_start();

}  // namespace vsk
