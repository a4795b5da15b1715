// Exported interface of the analysis library voskara_dll: the shared records
// (core/state/records.h), the console stream (core/state/console.h) and every
// step the analysis program calls.
// Each subsystem keeps its declarations in its own section below; internal
// helpers live in the subsystem's own headers and are not exported.
#pragma once

#include <string>

#include "core/state/console.h"   // exported console stream: cprint, crule, abort_voskara, ...
#include "core/state/records.h"   // exported shared records: par, obs, chr, ...
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
// Founder relationship records: npos positions over n_alleles founder
// alleles (2 nind); pmatrix 1 gives each position an [n_alleles][nanc]
// descent table, 0 an [n_alleles][n_alleles] IBD table; also sizes
// FIBDNRM and FIBDNRMi (n_alleles / 2 founders square, inbred founders).
VOSKARA_API void InitFIBD(int npos, int n_alleles, int nanc, int pmatrix);

// ---- numeric: random numbers ----
// NewSeed = SeedGenerator (seed from `iseed`, next seed into `iseed`) and
// AppendNextSeed (the `seed` line appended to the parameter file).
VOSKARA_API void NewSeed();
VOSKARA_API void SeedGenerator();
VOSKARA_API void AppendNextSeed();

// ---- residual: nuisance effects, variances, likelihood ----
// Nuisance effects table of n_levels rows (all 0) and its per-level class
// table (all -1).
VOSKARA_API void InitNuisanceEffects(int n_levels, int n_traits);
// Gibbs draws: effects of nuisance column c (random: 1 when some trait gives
// it a normal prior with covariance slot s), the covariance of random column
// c, the residual covariance.
VOSKARA_API void SampleNuisance(int c, int s, int random);
VOSKARA_API void SampleVarR(int c, int s);
// Residual invariant check (slow: every residual recomputed from scratch):
// 0 when the residuals agree with the phenotypes minus every fitted term;
// otherwise the message names `after_step`, the individual and the trait,
// and the run ends. Called after every step by builds with residual checks.
VOSKARA_API int CheckResiduals(const char* after_step);
// Before the chain: names each random column with too few levels for its
// covariance to be sampled (SampleVarR then keeps it without a word).
VOSKARA_API void ReportHeldNuisanceCovariances();
VOSKARA_API void SampleVarERR();
// Log-likelihood and running means; running mean predictions; imputation of
// missing trait values.
VOSKARA_API void CalcLikelihood();
VOSKARA_API void PredictionPhenotype();
VOSKARA_API void AugmentPhenotypes();
// "prediction.csv" with the DIC of a single-trait run; 0 or 1 (not written).
VOSKARA_API int WritePredictions();

// ---- markers ----
// All marker work: 1 coding and checks, 2 chain preparation, 3 phase
// sampling of one sweep, 4 final marker reports.
VOSKARA_API void SampleMarkers(int stage);
// Pedigree-viewer file "trellan.ped": header and pedigree (rewrites the
// file), then the map, locus, legend and allele blocks (appends).
VOSKARA_API void TrellanFilePedigree();
VOSKARA_API void TrellanFileMarkers();

// ---- qtl ----
// One call of the QTL model: mode 0 prepares it before the chain (and builds
// the random initial model), 1 runs one sweep, 2 the last sweep. `position`
// is the fixed QTL position of an IBD analysis.
VOSKARA_API void SampleQTL(int mode, double position);
// "INITIAL VALUES (QTL-related)" of "check.log".
VOSKARA_API void WriteInitialQTLValues();

// ---- polygenic ----
// Finite polygenic model: mode 0 sets up the genes, then, like mode 1, runs
// one sweep (a birth, a death or an update of every gene).
VOSKARA_API void SampleFPM(int mode);
// Infinitesimal model: mode 0 sets up the pedigree relationships (and writes
// "inbrcoef.out" with TIMnumrm 1 or more), then, like mode 1, samples every
// individual's polygenic effects and the polygenic covariance.
VOSKARA_API void SampleTIM(int mode);

// ---- output: sample files and run summary ----
// Appends the current state to the sample files (headers and "wrtgtp.nms" at
// the first call of the run).
VOSKARA_API void PrintSamples();
VOSKARA_API int CreateTemplateXmlFile();
// Writes the run summary "voskara.xml" (start_time: the driver's date-time
// text at start-up); returns the result of closing the file.
VOSKARA_API int XmlGenerateSummary(const std::string& start_time);

}  // namespace vsk
