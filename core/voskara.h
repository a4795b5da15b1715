// Exported interface of the analysis library voskara_dll: the shared records
// (core/state/records.h) and every step the analysis program calls.
// Each subsystem keeps its declarations in its own section below; internal
// helpers live in the subsystem's own headers and are not exported.
#pragma once

#include <string>

#include "core/state/records.h"
#include "core/voskara_api.h"

namespace vsk {

// ---- state: accessors, console control, start-up and teardown ----
VOSKARA_API Par* get_par_struct();
VOSKARA_API Obs* get_obs_struct();
VOSKARA_API Chr* get_chr_struct();
VOSKARA_API Mrkrlcs* get_mrkrlcs_struct();
VOSKARA_API FinalProgRec* get_finalprog_struct();
VOSKARA_API const char* getversion();
VOSKARA_API const char* getversiondate();
VOSKARA_API void set_project_dirF(const std::string& dir);
VOSKARA_API int set_console_file(const std::string& path);
VOSKARA_API void close_console_file();
VOSKARA_API void set_voskaradll_console_fp(const std::string& path);

VOSKARA_API void InitGlobalVariables();
VOSKARA_API void FreeGlobalVariables();
VOSKARA_API void init_par(Par& p);

VOSKARA_API void InitPNTstring(std::size_t size);
VOSKARA_API int AddPNTstring(std::size_t offset, const std::string& text);
VOSKARA_API void FreePNTstring();
VOSKARA_API void InitDescendants(int n, int m);
VOSKARA_API void InitFPMating(int n, int m);
VOSKARA_API void InitFounder();
VOSKARA_API void Initlcohort();
VOSKARA_API void Initlwrtgtp(int n);
VOSKARA_API void InitListPosIBD();
VOSKARA_API void InitNuisanceEffects();

// ---- numeric: random numbers ----
VOSKARA_API void NewSeed();

// ---- residual: nuisance effects, variances, likelihood ----

// ---- markers ----

// ---- qtl ----

// ---- polygenic ----

// ---- output: sample files and run summary ----
VOSKARA_API int CreateTemplateXmlFile();

}  // namespace vsk
