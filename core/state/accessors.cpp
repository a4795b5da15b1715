// Accessors of the shared records for hosts that do not import the data
// symbols, and the version texts.
#include "core/state/version.h"
#include "core/voskara.h"

namespace vsk {

Par* get_par_struct() { return &par; }

// The record arrays are null until InitGlobalVariables has sized them.
Obs* get_obs_struct() { return obs.data(); }
Chr* get_chr_struct() { return chr.data(); }
Mrkrlcs* get_mrkrlcs_struct() { return mrkrlcs.data(); }
FinalProgRec* get_finalprog_struct() { return FinalProg.data(); }

const char* getversion() { return kVersion; }
const char* getversiondate() { return kVersionDate; }

void set_project_dirF(const std::string& dir) { project_dirF = dir; }

}  // namespace vsk
