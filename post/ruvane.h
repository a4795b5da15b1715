// Exported interface of the post-processing library ruvane_dll.
#pragma once

#include <string>
#include <vector>

#include "post/ruvane_api.h"

namespace rvn {

// Runs the whole post-processing of a project: reads the parameter file, the
// map and the sample files, estimates burn-in and effective chain sizes and
// prints the summaries. Fatal input errors leave through vsk::FatalExit
// (exit code 1). With fewer than 100 samples in "genpar.out" the program
// ends too, unless `after_analysis` is set: the analysis calls it at the end
// of a run whose work is done, so a short chain only earns a note and the
// post-processing is skipped. Returns 0, or -1 when it was skipped.
RUVANE_API int Ruvane(const std::string& project_dir, const std::string& par_file,
                      bool after_analysis = false);

// The post-processing of the chains that voskara_chains ran in
// project_dir/chains: every chain's samples after a common burn-in pooled,
// the R-hat and effective sizes across the chains with a verdict line, and
// the usual inferences; every output lands in project_dir/chains (where the
// copies of the parameter and map files are). Fatal errors as Ruvane.
RUVANE_API int RuvaneChains(const std::string& project_dir, const std::string& par_file);

// Whether a post-processing run writes "report.html" (default on).
RUVANE_API void set_ruvane_report(bool on);

// Redirects the post-processing console stream to a file (appending). When
// the file cannot be opened the stream stays standard output.
RUVANE_API void set_ruvanedll_console_fp(const std::string& path);

// Smallest effective chain size over the chains of the current "genpar.out"
// in project_dir, printing the ESS table. -1 when a chain is too short for
// its autocovariances, or when fewer than 100 samples exist yet (a one-line
// note; the caller then lengthens the chain as for any unmet target);
// 1000000 when no chain varies.
RUVANE_API int VoskaraECS(int n_traits, const std::string& project_dir);

// Fills names[k] and sizes[k] (-1 for a chain too short) for every chain
// that varies, in column order, and returns the number filled; 0 when fewer
// than 100 samples exist. The caller sizes the tables for the
// n + 2 + 9 n(n+1)/2 named chains; they grow if genpar.out holds more
// columns than that.
RUVANE_API int VoskaraECS2(int n_traits, std::vector<std::string>& names, std::vector<int>& sizes,
                           const std::string& project_dir);

// Dimensions of the last post-processing run, read by its XML summary.
extern RUVANE_API int maximQTL;
extern RUVANE_API int nchromosomes;
// Prior and posterior probabilities of the number of QTL, and the Bayes
// factors of k+1 against k QTL (index k), of the last run: row 0 the genome,
// row g+1 chromosome group g (0 unless at least two groups are included).
extern RUVANE_API std::vector<std::vector<double>> prioprob;
extern RUVANE_API std::vector<std::vector<double>> postprob;
extern RUVANE_API std::vector<std::vector<double>> bayesfac;

// Phased QTL regions of the last run: their number, a summary text each
// (number, start chromosome, start cM, end chromosome, end cM, entries) and
// the name of a per-region haplotype file.
extern RUVANE_API int nQRegions2XML;
extern RUVANE_API std::vector<std::string> QRegions2XML;
extern RUVANE_API std::vector<std::string> QRegName2XML;

// Writes "ruvane.xml" in project_dir from the results of the last run;
// `start_time` is the run's start text.
RUVANE_API void XmlSummarizeRuvaneOutput(const std::string& project_dir, const std::string& start_time);

}  // namespace rvn
