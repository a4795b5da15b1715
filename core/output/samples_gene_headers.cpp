// Comment headers of the QTL and finite-polygenic-model sample files,
// written at the first call of a run when headerOUT is 1.
#include "core/output/header_lines.h"
#include "core/output/samples.h"

namespace vsk {

namespace {

void iqtl_header(std::FILE* f, int format)
{
    header_lines(f, {"; Comments are preceded by semicolon sign", ";"});
    if (format == 1) {
        header_lines(f, {"; 20090811-onwards: new format output"});
        column_banner(f);
        header_lines(f, {"; 01  iteration ID", "; 02  number of QTL included", "; 03  chromosome ID",
                         "; 04  chromosomal position", "; 05  allele frequency QTL", "; 06  additive effect QTL",
                         "; 07  dominance effect QTL"});
        return;
    }
    column_banner(f);
    header_lines(f, {"; 01  maximum number of QTL in analysis", "; 02  number of traits in analysis", ";",
                     "; 03  allele frequency QTL 1", "; 04  additive effect QTL 1", "; 05  dominance effect QTL 1",
                     "; 06  imprinted effect QTL 1", "; 07  location of QTL 1", "; 08  allele frequency QTL 2",
                     "; 09  etc.",
                     "; NOTE 1  In case of multiple traits, say N, the number of columns will increase,",
                     ";         i.e., there will be N columns for every QTL effect",
                     "; NOTE 2  If multiple founder populations have been assigned, multiple allele ",
                     ";         frequencies are reported",
                     "; NOTE 3  If a QTL is NOT included in the model, the values for its variables are",
                     ";         equal to zero"});
}

void qtl_genotype_values(std::FILE* f)
{
    header_lines(f, {"; 0  genotype = QQ [ +a ]", "; 1  genotype = qQ [ +d ]", "; 2  genotype = Qq [ +d ]",
                     "; 3  genotype = qq [ -a ]"});
}

void gqtl_header(std::FILE* f, int format)
{
    header_lines(f, {"; Comments are preceded by semicolon sign", ";"});
    if (format == 1) {
        header_lines(f, {"; 20090811-onwards: new format output"});
        column_banner(f);
        header_lines(f, {"; 01  iteration ID", "; 02  number of QTL included", "; 03  chromosome ID",
                         "; 04  chromosomal position", "; 05  genotype individual 1 for QTL",
                         "; 06  genotype individual 2 for QTL", "; 07  genotype individual 3 for QTL",
                         "; 08  genotype individual 4 for QTL", "; etc. ", "; ----------------------",
                         "; Explanation of values:", "; ----------------------", ""});
        qtl_genotype_values(f);
    } else {
        column_banner(f);
        header_lines(f, {"; 01  genotype individual 1 for QTL 1", "; 02  genotype individual 2 for QTL 1",
                         "; 03  genotype individual 3 for QTL 1", "; 04  genotype individual 4 for QTL 1",
                         "; 05  genotype individual 5 for QTL 1", ";", "; 06  genotype individual 1 for QTL 2",
                         "; 07  etc.", "; ----------------------", "; Explanation of values",
                         "; ----------------------"});
        qtl_genotype_values(f);
        header_lines(f, {";    ", "; 9  genotype = absent (QTL excluded from model)", "", ";", ""});
    }
    header_lines(f, {"; NOTE 1  The number of individuals for which the genotypes are written to file,",
                     ";         is user-defined (see input file voskara.par)",
                     "; NOTE 2  The genotypes for QTLs fully corresponds to (the order) of QTLs in file",
                     "; \t\t\t   iQTL.out "});
}

void cohqtl_header(std::FILE* f)
{
    cohort_header_opening(f, "; QTL variance per cohort/family");
    header_lines(f, {"; 01  QTL variance cohort 1 for QTL 1", "; 02  QTL variance cohort 2 for QTL 1",
                     "; 03  QTL variance cohort 3 for QTL 1", "; 04  QTL variance cohort 4 for QTL 1",
                     "; 05  QTL variance cohort 5 for QTL 1", ";", "; 06  QTL variance cohort 1 for QTL 2",
                     "; 07  etc.", ";    ", "; -1  Not Available (QTL excluded from model)", ""});
}

void fpm_opening(std::FILE* f)
{
    header_lines(f, {"; Comments are preceded by semicolon sign", ";", "; - FPM = Finite Polygene Model",
                     "; - FPG = Finite PolyGene"});
    column_banner(f);
}

void ifpm_header(std::FILE* f)
{
    fpm_opening(f);
    header_lines(f, {"; 01  maximum number of fpm in analysis", "; 02  number of traits in analysis", ";",
                     "; 03  allele frequency FPG 1", "; 04  additive effect FPG 1", "; 05  dominance effect FPG 1",
                     "; 06  imprinted effect FPG 1", "; 07  location of FPG 1", "; 08  allele frequency FPG 2",
                     "; 09  etc.",
                     "; NOTE 1  In case of multiple traits, say N, the number of columns will increase,",
                     ";         i.e., there will be N columns for every FPG effect",
                     "; NOTE 2  If multiple founder populations have been assigned, multiple allele ",
                     ";         frequencies are reported",
                     "; NOTE 3  If a FPG is NOT included in the model, the values for its variables are",
                     ";         equal to zero"});
}

void gfpm_header(std::FILE* f)
{
    fpm_opening(f);
    header_lines(f, {"; 01  genotype individual 1 for FPG 1", "; 02  genotype individual 2 for FPG 1",
                     "; 03  genotype individual 3 for FPG 1", "; 04  genotype individual 4 for FPG 1",
                     "; 05  genotype individual 5 for FPG 1", ";", "; 06  genotype individual 1 for FPG 2",
                     "; 07  etc.", "", "; Explanation of values", "", "; 0  genotype = qq [ +a ]",
                     "; 1  genotype = qQ [ +d ]", "; 2  genotype = Qq [ +d ]", "; 3  genotype = QQ [ -a ]",
                     ";    ", "; 9  genotype = absent (FPG excluded from model)", "", ";", "",
                     "; NOTE 1  The number of individuals for which the genotypes are written to file,",
                     ";         is user-defined (see input file voskaraFPG.par)",
                     "; NOTE 2  The genotypes for FPGs fully corresponds to (the order) of FPGs in file",
                     "; \t\t\t   iFPG.out "});
}

void cohfpm_header(std::FILE* f)
{
    cohort_header_opening(f, "; FPM variance per cohort/family");
    header_lines(f, {"; 01  FPM variance cohort 1 for all genes jointly", "; 02  FPM variance cohort 2 for all genes jointly",
                     "; 03  FPM variance cohort 3 for all genes jointly", "; 04  FPM variance cohort 4 for all genes jointly",
                     "; 05  FPM variance cohort 5 for all genes jointly", "; 06  etc.", ";    ",
                     "; -1  Not Available ", ""});
}

}  // namespace

void write_gene_headers(const Par& p, int W)
{
    if (p.indicQTL >= 1) {
        create_file("iqtl.out", [&](std::FILE* f) { iqtl_header(f, p.FormatMCMC); });
        if (W != 0) create_file("gqtl.out", [&](std::FILE* f) { gqtl_header(f, p.FormatMCMC); });
        if (VARgroup == 1) create_file("cohqtl.out", cohqtl_header);
    }
    if (p.indicFPM >= 1) {
        create_file("ifpm.out", ifpm_header);
        if (W != 0) create_file("gfpm.out", gfpm_header);
        if (VARgroup == 1) create_file("cohfpm.out", cohfpm_header);
    }
}

}  // namespace vsk
