// Parameter templates: general comments, then per group of keywords an
// explanation of every keyword followed by the keyword lines themselves.
#include <vector>

#include "core/state/template_writers.h"

namespace vsk {

namespace {

// One keyword line. A value of nullptr leaves the line out of that template;
// an empty value writes the keyword alone (present, no value).
struct KeywordLine {
    const char* keyword;
    const char* ibd;
    const char* qtl;
    std::vector<const char*> comment;  // first line next to the keyword, then continuation lines
};

struct KeywordGroup {
    const char* title;
    std::vector<KeywordLine> lines;
    std::vector<const char*> notes;    // optional keywords not in the templates
};

const char* const kSeedStamp = "; generated: Fri, 03 Mar 2006, 00:00:01";
const char* const kDashes = ";--------------------------------------------------------------------------";

const std::vector<KeywordGroup>& keyword_groups()
{
    static const std::vector<KeywordGroup> groups = {
        {"input files",
         {{"datafile", "voskaraIBD.dat", "voskaraQTL.dat",
           {"name of the data file, one line per individual (fewer than 30 characters);",
            "a file with the same name preceded by 'CM', when present, is read instead"}},
          {"mapfile", "voskara.map", "voskara.map",
           {"name of the map file: linkage groups, marker names and positions (cM);",
            "also required for an analysis without markers"}}},
         {"optional: 'fibdfile <name>' names a file of founder relationships (IBD",
          "          probabilities between founders), tuned by FIBDthreshold and PLinkSoft"}},
        {"nuisance (non-genetic) variables",
         {{"ncolN", "1", "1", {"number of nuisance columns in the data file (overall mean not counted);", "0 = none"}},
          {"indiN", "-1", "3",
           {"one code per nuisance column: -1 excluded, 0 effect with uniform prior,",
            "1 normal prior with sampled covariance, 2 normal prior with fixed covariance,",
            "3 column marks (class 1) the individuals whose genotypes are written",
            "(together with 'writeGTP nuisance')"}},
          {"namesN", "GtpWrite", "Gwrite", {"one name per nuisance column (default nuisance1, nuisance2, ...)"}}},
         {}},
        {"traits",
         {{"ncolT", "2", "2", {"number of trait columns in the data file"}},
          {"indiT", "1 0", "1 0", {"one code per trait column: 1 analyse, 0 leave out;", "at least one trait is analysed"}},
          {"namesT", "trtnorm1 trtnorm2", "trtnorm1 trtnorm2",
           {"one name per trait column (default trait1, trait2, ...)"}},
          {"misvalT", "", "",
           {"further words that mark a missing trait value, e.g. '-9 NA'", "('-' always does); may stay empty"}},
          {"scaleT", "0", "0", {"0 analyse the traits as they are, 1 scale every trait to variance 1"}}},
         {}},
        {"linkage groups and markers",
         {{"nchrom", "1", "1", {"number of linkage groups in the data and map file"}},
          {"indiC", "1", "1", {"one code per linkage group: 1 analyse, 0 leave out"}},
          {"nmrkrC", "6", "6",
           {"number of markers per linkage group, in map-file order;",
            "an analysed group needs at least 2 markers"}}},
         {}},
        {"genetic model",
         {{"indicQTL", "2", "1",
           {"0 no QTL, 1 QTL analysis (number of QTL unknown),", "2 IBD analysis (one QTL at fixed positions)"}},
          {"indicFPM", "0", "0", {"finite polygenic model: 0 none, 1 unknown number of genes,", "2 fixed number of genes"}},
          {"indicTIM", "0", "0", {"infinitesimal polygenic model: 0 none, 1 included"}},
          {"maximQTL", "1", "3", {"largest number of QTL in the model"}},
          {"maximFPM", "0", "0", {"largest number of genes of the finite polygenic model"}},
          {"priorQTL", "0", "1", {"mean of the (truncated) Poisson prior on the number of QTL"}},
          {"priorFPM", "0", "0", {"Poisson mean of the number of genes of the finite polygenic model"}},
          {"addGENE", "0", "5",
           {"prior of additive gene effects: 0 no additive effects, 1 uniform,",
            "2 normal with sampled covariance, 3 normal with covariance 'varPOA',",
            "4 normal scaled by 'priorh2QTL', 5 normal with sampled diagonal covariance"}},
          {"domGENE", "0", "0",
           {"prior of dominance effects, codes as addGENE (3 uses 'varPOD');",
            "when both addGENE and domGENE are non-zero they must be equal"}},
          {"priorh2QTL", nullptr, "",
           {"prior heritability of all QTL together, strictly between 0 and 1;",
            "read with addGENE or domGENE 4 (default 0.3)"}},
          {"varPOA", "0.0", "",
           {"additive prior covariance matrix, traits x traits values row by row;", "read with addGENE 3"}},
          {"varPOD", "0.0", "", {"dominance prior covariance matrix, as varPOA; read with domGENE 3"}}},
         {}},
        {"Markov chain",
         {{"length", "10000", "10000",
           {"number of MCMC sweeps; read again during the run, so the chain", "can be shortened or lengthened while it runs"}},
          {"thinning", "10000", "20", {"sweeps between two samples written to the output files"}},
          {"ess", "0", "0",
           {"target effective chain size: the chain is lengthened until it is met",
            "(0 = no target; edits of 'length' are ignored while a target is set)"}},
          {"lengthUDMax", "0", "0", {"largest chain length when 'ess' lengthens the chain (0 = no limit)"}},
          {"FormatMCMC", "0", "0", {"0 full QTL sample files, 1 concise output"}}},
         {}},
        {"marker data and marker sampling",
         {{"markerblock", "2", "2", {"number of marker loci whose phases are updated jointly"}},
          {"skipSampleMarkers", nullptr, "0",
           {"k >= 1 updates the marker phases only every k-th sweep (saves time", "with many markers); 0 every sweep"}},
          {"freqmargin", "0.03", "0.03",
           {"QTL allele frequencies stay within [freqmargin, 1 - freqmargin];", "a value between 0.0 and 0.5"}},
          {"distanceQTLs", "0", "0.0",
           {"smallest distance (Morgan) between two QTL; above 0 it also keeps", "two QTL out of one marker interval"}},
          {"MSegAlpha", "0.01", "0.005", {"probability of a marker segregation error that is kept during sampling"}},
          {"MSegDelta", "0", "0", {"1 neutralises segregation distortion"}},
          {"DeleteDR", "0", "0", {"1 deletes observed double recombinants"}},
          {"DeleteNIPH", "0", "0", {"1 deletes non-informative phases"}},
          {"PrbHtzInb", "0.00", "0.00", {"probability of a heterozygous marker genotype in an inbred individual"}},
          {"writeMSI", "1", "0", {"0 report marker segregation errors only, 1 extensive marker report"}},
          {"writeSIP", "1", "0",
           {"0 none; k > 0 writes segregation indicator patterns of parents", "with at least k offspring"}}},
         {}},
        {"IBD analysis and pedigree viewer",
         {{"trellanV", "1", "0",
           {"0 no pedigree-viewer files, 1 files with IBD information,",
            "2 files without IBD information, then stop before the chain"}},
          {"fixQTLpos", "MARKERS", "",
           {"IBD analysis only: one position as group x 100 + Morgan (e.g. 100.45),",
            "MARKERS for every marker position, or a step such as '5 cM'"}},
          {"anchorMarker", "0", "0",
           {"0 anchor phases at a founder's first informative marker,", "1 at the marker closest to the IBD position"}},
          {"lockMPhase", "1", "0",
           {"0 sample marker phases, 1 lock them and write 'lockedphases_new.dat',",
            "2 read them from 'lockedphases.dat'"}}},
         {}},
        {"output",
         {{"writeGTP", "none", "nuisance",
           {"individuals whose genotypes are written: none, all, founders,",
            "a number N (the first N individuals), or nuisance (class 1 in the",
            "nuisance column with indiN 3)"}},
          {"writeNRM", "0", "0", {"relationship matrices: 0 none, 1 full matrices, 2 sparse triplets"}},
          {"maxnwrtNUI", "0", "0", {"classes of nuisance variables with fewer classes than this are written"}},
          {"headerOUT", "0", "1", {"1 writes header comments into the output files"}},
          {"REDprint", nullptr, "0", {"1 reduces the printing on screen and in the log files"}}},
         {}},
        {"null alleles",
         {{"nullalleleP", "$", "$", {"allele text of a putative null allele in the data file"}},
          {"nullalleleC", "$$", "$$", {"allele text of a confirmed null allele in the data file"}},
          {"nullalleleHidden", "0", "0",
           {"threshold for hidden null alleles: positive recodes them as putative", "null alleles, negative as missing"}}},
         {}},
        {"further settings",
         {{"absorbFP", "0", "0", {"1 absorbs final progeny in a pure finite-polygenic analysis"}},
          {"VARgroup", nullptr, "0", {"1 writes the additive variance per cohort"}},
          {"TprobMQTR", nullptr, "0.05", {"posterior probability threshold of marked QTL regions (post-processing)"}}},
         {}},
    };
    return groups;
}

void write_general_comments(std::FILE* out)
{
    std::fprintf(out, "\n;");
    std::fprintf(out, "\n; GENERAL COMMENTS");
    std::fprintf(out, "\n;  - a semicolon starts a comment that runs to the end of the line");
    std::fprintf(out, "\n;  - one keyword and its value(s) per line; keywords may stand in any order");
    std::fprintf(out, "\n;  - the file is read fully at the start of a run; during the run 'length'");
    std::fprintf(out, "\n;    (and 'ess') are read again, so the chain length can be changed");
    std::fprintf(out, "\n;  - after the start of the chain a new 'seed' line is appended to this file;");
    std::fprintf(out, "\n;    when a keyword stands on several lines, the last line counts");
}

void write_comment(std::FILE* out, const KeywordLine& k)
{
    bool first = true;
    for (const char* text : k.comment) {
        std::fprintf(out, "\n;   %-18s %s", first ? k.keyword : "", text);
        first = false;
    }
}

void write_keyword(std::FILE* out, const char* keyword, const char* value)
{
    if (*value)
        std::fprintf(out, "\n%-20s%s", keyword, value);
    else
        std::fprintf(out, "\n%s", keyword);
}

void write_group(std::FILE* out, const KeywordGroup& g, TemplateKind kind)
{
    std::fprintf(out, "\n;");
    std::fprintf(out, "\n; COMMENTS on variables: %s", g.title);
    for (const KeywordLine& k : g.lines)
        if ((kind == TemplateKind::Qtl ? k.qtl : k.ibd) != nullptr) write_comment(out, k);
    for (const char* note : g.notes) std::fprintf(out, "\n;   %s", note);
    std::fprintf(out, "\n%s", kDashes);
    for (const KeywordLine& k : g.lines) {
        const char* value = kind == TemplateKind::Qtl ? k.qtl : k.ibd;
        if (value) write_keyword(out, k.keyword, value);
    }
    std::fprintf(out, "\n%s", kDashes);
}

void write_seed_group(std::FILE* out, TemplateKind kind)
{
    std::fprintf(out, "\n;");
    std::fprintf(out, "\n; COMMENTS on variables: random seed");
    std::fprintf(out, "\n;   %-18s %s", "seed", "seed of the random number generator; a new seed is appended");
    std::fprintf(out, "\n;   %-18s %s", "", "after the start of the chain and the last seed line counts");
    if (kind == TemplateKind::Qtl) {
        std::fprintf(out, "\n;   %-18s %s", "", "last digit 0-4: the chain starts without QTL in the model,");
        std::fprintf(out, "\n;   %-18s %s", "", "last digit 5-9: the chain starts with maximQTL QTL");
    }
    std::fprintf(out, "\n%s", kDashes);
    std::fprintf(out, "\nseed                %-12s  %s", kind == TemplateKind::Qtl ? "5610315" : "56103125", kSeedStamp);
    std::fprintf(out, "\n%s", kDashes);
}

}  // namespace

void write_parameter_template(std::FILE* out, TemplateKind kind)
{
    write_template_header(out, false);
    write_general_comments(out);
    for (const KeywordGroup& g : keyword_groups()) write_group(out, g, kind);
    write_seed_group(out, kind);
    std::fprintf(out, "\n");
}

}  // namespace vsk
