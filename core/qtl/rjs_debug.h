// Debug logs of the moves with the means and effects integrated out
// ("RJSbirth.log", "RJSdeath.log", "RJSupdate.log", with RJSdebug set): per
// attempt the QTL positions, the design and model matrices of both models,
// the terms of the acceptance ratio and the decision.
#pragma once

#include <cstdio>

#include "core/qtl/qtl.h"
#include "textfile/file.h"

namespace vsk {

// Old and new value of each term of a ratio (old: the model before the
// move; birth: without the new QTL, death: with the QTL to remove).
struct RjsTerms {
    double prior[2] = {0.0, 0.0};     // log pi(k)
    double det_g[2] = {0.0, 0.0};     // -1/2 log|G_k|
    double det_c[2] = {0.0, 0.0};     // 1/2 log|C^-1|
    double quad[2] = {0.0, 0.0};      // 1/2 b'C b
    double log_det_a[2] = {0.0, 0.0}; // log|G_k| of the additive effects
    double log_det_d[2] = {0.0, 0.0}; // log|G_k| of the dominance effects
    double log_a = 0.0, log_u = 0.0;
};

// One attempt's log; does nothing unless RJSdebug is set.
class RjsLog {
public:
    explicit RjsLog(const char* file);
    bool on() const { return static_cast<bool>(f_); }
    // "----- mcmcI -----" and the positions of the QTL in the model.
    void header(const QtlModel& m);
    // X'X of the current design (nc columns) and X'X (x) R^-1 under `title`.
    void design(const QtlModel& m, const char* xrx_title, bool with_xx);
    void matrix(const char* title, const Table<double>& t, int n);
    void vector(const char* title, const std::vector<double>& v, int n);
    // Lower Cholesky factor of the inverse of mm.C.
    void chol_inverse(const char* title, const MargModel& mm);
    // The drawn means and effects (bhat + the drawn deviation) and the mean.
    void draw(const QtlModel& m, const MargModel& mm, const char* mean_title);
    // Birth/death summary (death: true for the death's labels).
    void summary(const RjsTerms& t, bool death, int result, int proposals, int acceptances);
    // Update summary (two columns; `with_prior` adds the location prior line).
    void update_summary(const RjsTerms& t, bool with_prior, int result, int proposals, int acceptances);
    std::FILE* file() { return f_.get(); }

private:
    File f_;
};

// Title with the slot number, e.g. "XRX_Go [2]\n".
std::string slot_title(const char* name, int slot);

// log|V/k| summed over the k copies for one effect kind (0 when off).
double log_det_g_kind(const QtlModel& m, int k, int kind);

}  // namespace vsk
