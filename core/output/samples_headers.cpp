// Comment headers of the sample files (written at the first call of a run
// when headerOUT is 1) and the list of selected individuals "wrtgtp.nms".
#include "core/output/header_lines.h"
#include "core/output/samples.h"
#include "core/state/records.h"

namespace vsk {

namespace {

constexpr int kNui2HeaderLevels = 12;   // variables with fewer levels are described
constexpr int kSampledCovariance = 2;
constexpr int kSampledDiagonal = 5;

void genpar_header(std::FILE* f)
{
    header_lines(f, {";Comments are preceded by semicolon sign"});
    column_banner(f);
    header_lines(f, {"; 01  iteration cycle of Markov chain", "; 02  log Likelihood", "; 03  overall mean",
              "; 04  residual variance", "; 05  polygenic variance",
              "; 06  number of QTL included in model", "; 07  QTL variance (total)",
              "; 06  number of Major Genes included in model", "; 07  Major Genes variance (total)",
              "; NOTE 1  In case of multiple traits, say N, the number of columns will ",
              ";         increase, i.e., there will be N columns for overall mean, and ",
              ";         N*(N+1)/2 for every variance component",
              "; NOTE 2  If nuisance variables are assumed to be Normally distributed, ",
              ";         the variance component(s) will be added at the end"});
}

void nui2_header(std::FILE* f)
{
    header_lines(f, {";Comments are preceded by semicolon sign"});
    column_banner(f);
    header_lines(f, {"; 01  1st nuisance variable, 1st level", "; 02  1st nuisance variable, 2st level",
              "; 03  etc.", "; NOTE 1  In case of multiple traits, say N, the number of columns will ",
              ";         increase, i.e., there will be N columns for each variable-level",
              "; NOTE 2  Only nuisance variables with less than 12 levels are included!"});
}

void prior_header(std::FILE* f, const char* kind)
{
    header_lines(f, {"; Comments are preceded by semicolon sign", ";"});
    std::fprintf(f, "\n; Variance(s) of Normal HyperPrior on QTL(FPM) %s", kind);
    header_lines(f, {";", "; - QTL = Quantitative Trait Loci (Model)", "; - FPM = Finite Polygene Model",
              "; - FPG = Finite PolyGene"});
    column_banner(f);
    header_lines(f, {"; 01  number of traits in analysis", "; 02  maximum number of FPG in analysis",
              "; 03  current number of QTL in analysis", "; 04  hyper-variance of QTL effects on trait 1",
              "; 05  etc.", ";"});
}

void cohtim_header(std::FILE* f)
{
    cohort_header_opening(f, "; TIM variance per cohort/family");
    header_lines(f, {"; 01  TIM variance cohort 1", "; 02  TIM variance cohort 2", "; 03  TIM variance cohort 3",
                     "; 04  TIM variance cohort 4", "; 05  TIM variance cohort 5", "; 06  etc.", ""});
}

void prior_headers(const char* name, const char* kind, int type_qtl, int type_fpm)
{
    const bool full = type_qtl == kSampledCovariance || type_fpm == kSampledCovariance;
    const bool diagonal = type_qtl >= kSampledDiagonal || type_fpm >= kSampledDiagonal;
    if (!full && !diagonal) return;
    create_file(name, [&](std::FILE* f) {
        if (full) prior_header(f, kind);
        if (diagonal) prior_header(f, kind);
    });
}

}  // namespace

int nui2_headers_due(const Par& p)
{
    int due = 0;
    for (int c = 1; c < p.n_nuis; ++c)
        if (p.level_last[c] - p.level_first[c] < kNui2HeaderLevels) ++due;
    return due;
}

void write_sample_headers(const Par& p, int W)
{
    create_file("genpar.out", genpar_header);
    if (const int due = nui2_headers_due(p); due > 0)
        create_file("nui2.out", [&](std::FILE* f) {
            for (int k = 0; k < due; ++k) nui2_header(f);
        });
    write_gene_headers(p, W);
    if (p.indicQTL >= 1 || p.indicFPM >= 1) {
        prior_headers("POA.out", "additive effects", p.addGENE, p.addFPM);
        prior_headers("POD.out", "dominance effects", p.domGENE, p.domFPM);
    }
    if (p.indicTIM >= 1) create_file("cohtim.out", cohtim_header);
}

void write_selected_names(const Par& p, const std::vector<Obs>& o, const std::vector<int>& selected)
{
    (void)p;
    create_file("wrtgtp.nms", [&](std::FILE* f) {
        header_lines(f, {"; Names of individuals on which either/and/or",
                  ";   - genotypes in QTL model, see file 'gqtl.out'",
                  ";   - genotypes in FPM model, see file 'gfpm.out'",
                  ";   - polygenic effects in TIM model, see file 'tim.out'", "; were written to file"});
        for (int i : selected)
            if (i >= 1 && i <= static_cast<int>(o.size())) std::fprintf(f, "\n%s", o[i - 1].name.c_str());
    });
}

}  // namespace vsk
