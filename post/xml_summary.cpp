// The post-processing XML report "ruvane.xml": titled sections of
// paragraphs, tables and links to the CSV files a user opens next; and the
// number-of-QTL tables "NQTL_BayesFac.csv" and "NQTL_PostProb.csv".
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "post/console.h"
#include "post/ruvane.h"
#include "textfile/datetime.h"
#include "textfile/file.h"

namespace rvn {

int nQRegions2XML = 0;
std::vector<std::string> QRegions2XML;
std::vector<std::string> QRegName2XML;

namespace {

std::string join(const std::string& dir, const std::string& file) { return dir + "/" + file; }
bool exists(const std::string& dir, const std::string& file) { return std::filesystem::exists(join(dir, file)); }

// One section at a time, opened for appending, as a viewer may read the
// file while it grows.
class Xml {
public:
    Xml(const std::string& path, const char* mode) : f_(vsk::open_file(path, mode)) {}
    explicit operator bool() const { return static_cast<bool>(f_); }
    void line(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        std::va_list args;
        va_start(args, format);
        std::vfprintf(f_.get(), format, args);
        va_end(args);
    }
    void section(const char* title) { line("<Section Title=\"%s\">\n", title); }
    void section(const char* title, const char* help) { line("<Section Title=\"%s\" HelpTag=\"%s\">\n", title, help); }
    void end_section() { line("</Section>\n"); }
    void plain(const char* text) { line("<Paragraph Type=\"%s\">%s</Paragraph>\n", "plain", text); }
    void open(const char* type) { line("<Paragraph Type=\"%s\">\n", type); }
    void close() { line("</Paragraph>\n"); }
    void entry(const char* key, const char* value) { line("%s , %s\n", key, value); }
    void table(const std::vector<std::string>& rows)
    {
        open("table");
        for (const std::string& r : rows) line("%s\n", r.c_str());
        close();
    }

private:
    vsk::File f_;
};

std::string cell(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string cell(const char* format, ...)
{
    char buffer[64];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// Rows of the number-of-QTL tables: the genome alone (labelled 0) with one
// group in use, else every group with a posterior above 0.001.
std::vector<int> table_rows()
{
    std::vector<int> rows;
    for (std::size_t r = 1; r < postprob.size(); ++r)
        for (double p : postprob[r])
            if (p > 0.001) {
                rows.push_back(static_cast<int>(r));
                break;
            }
    if (rows.empty() && !postprob.empty()) rows.push_back(0);
    return rows;
}

int largest_k(const std::vector<int>& rows)
{
    int K = 0;
    for (int r : rows)
        for (int k = 0; k < static_cast<int>(postprob[r].size()); ++k)
            if (postprob[r][k] > 0.001 && k > K) K = k;
    return K;
}

// `csv`: steps written "k+1_k" (the CSV file) rather than "k+1/k".
std::vector<std::string> bayes_rows(const std::vector<int>& rows, int K, bool csv)
{
    std::string head = "chrom";
    for (int k = 0; k < K; ++k) head += csv ? cell(",%d_%d", k + 1, k) : cell(",%d/%d", k + 1, k);
    std::vector<std::string> out{head};
    for (int r : rows) {
        std::string line = std::to_string(r);
        for (int k = 0; k < K; ++k) {
            if (postprob[r][k] + postprob[r][k + 1] > 0.1)
                line += cell(",%.1lf", 2.0 * std::log(bayesfac[r][k]));
            else
                line += ",NA";
        }
        out.push_back(line);
    }
    return out;
}

std::vector<std::string> posterior_rows(const std::vector<int>& rows, int K)
{
    std::string head = "chrom";
    for (int k = 0; k <= K; ++k) head += cell(",%d", k);
    std::vector<std::string> out{head};
    for (int r : rows) {
        std::string line = std::to_string(r);
        for (int k = 0; k <= K; ++k) line += cell(",%.3lf", postprob[r][k]);
        out.push_back(line);
    }
    return out;
}

void write_csv(const std::string& path, const std::vector<std::string>& rows)
{
    vsk::File f = vsk::open_file(path, "w");
    if (!f) return;
    for (const std::string& r : rows) std::fprintf(f.get(), "%s\n", r.c_str());
}

void number_of_qtl_section(Xml& x, const std::string& dir)
{
    x.section("Inference Number of QTL");
    x.plain("PAIRWISE comparison of models with subsequent numbers of QTL");
    x.table({"pair,H1,H0", "1/0, 1-QTL model,0-QTL model", "2/1, 2-QTL model,1-QTL model", "etc.,,"});
    x.plain("Interpretation of Bayes Factors");
    x.table({"2ln(BF),Evidence against H0", "0 to 2,hardly any", "2 to 5,positive", "5 to 10,strong",
             "> 10,decisive", "NA,Not Available"});
    x.plain("Link to CSV files with same info as below");
    x.open("linkedDictionary");
    x.entry("Pairwise Bayes Factors: ", "NQTL_BayesFac.csv");
    x.entry("Posterior Probabilities: ", "NQTL_PostProb.csv");
    x.close();
    const std::vector<int> rows = table_rows();
    const int K = largest_k(rows);
    x.plain("Bayes Factors on chromosome level");
    x.table(bayes_rows(rows, K, false));
    write_csv(join(dir, "NQTL_BayesFac.csv"), bayes_rows(rows, K, true));
    x.plain("posterior probability on chromosome level");
    const std::vector<std::string> post = posterior_rows(rows, K);
    x.table(post);
    write_csv(join(dir, "NQTL_PostProb.csv"), post);
    x.end_section();
}

void individuals_section(Xml& x, const std::string& dir)
{
    if (!exists(dir, "wrtgtp.nms")) return;
    x.section("Select subset of individuals", "HELP_SelectIndividuals");
    x.open("linkedDictionary");
    x.entry("Set of Individuals (as default by Voskara)", "wrtgtp.nms");
    if (exists(dir, "wrtgtp.inp")) {
        x.entry("Subset Individuals (as defined by user)", "wrtgtp.inp");
        x.close();
        x.plain("\nSuggestion to Select SubSet of Individuals: Edit file 'wrtgtp.inp' (and save!)");
    } else {
        x.close();
        x.plain("\nSuggestion to Select SubSet of Individuals: ");
        x.plain("\n1. Open the default file 'wrtgtp.nms' and save as 'wrtgtp.inp'");
        x.plain("\n2. Create a (new) second column: , subset indicator (Values given below) ");
        x.plain("\n3. NOTE: Keep total and order of individuals identical to file 'wrtgtp.nms'! ");
    }
    x.open("dictionary");
    x.entry("Value for INcluded individual", "1");
    x.entry("Value for EXcluded individual", "0");
    x.close();
    x.end_section();
}

void regions_sections(Xml& x, const std::string& dir)
{
    x.section("Marked QTL Regions", "HELP_MQTRegions");
    x.open("linkedDictionary");
    x.entry("Marked QTL Regions (as default by Voskara)", "MQTRegions.new");
    if (exists(dir, "MQTRegions.inp")) x.entry("Marked QTL Regions (as defined by user)", "MQTRegions.inp");
    x.close();
    x.end_section();
    if (exists(dir, "MQTRegionsEBV.csv")) {
        x.section("Marked QTL Regions Individuals' Info");
        x.plain("The Marked QTL Regions are given in previous tab!)");
        x.open("linkedDictionary");
        x.entry("Individuals' Estimated Breeding Values: ", "MQTRegionsEBV.csv");
        x.entry("Individuals' Genotype Probabilities: ", "MQTRegionsGTP.csv");
        x.close();
        x.end_section();
    }
}

void phased_sections(Xml& x, const std::string& dir)
{
    x.section("Phased QTL Regions", "HELP_PhQRegions");
    x.open("linkedDictionary");
    x.entry("Marked QTL Regions (as default by Voskara)", "MQTRegions.new");
    if (exists(dir, "PhQRegions.inp")) {
        x.entry("Phased QTL Regions (as defined by user)", "PhQRegions.inp");
        x.close();
        x.plain("\nSuggestion to Re-Define Phased QTL Regions: Edit file 'PhQRegions.inp' (and save!)");
    } else {
        x.close();
        x.plain("\nSuggestion to Define Phased QTL Regions:");
        x.plain("\n1. Open the default file 'MQTRegions.new' and save as 'PhQRegions.inp' ");
        x.plain("\n2. Delete all regions to be EXCLUDED! ");
        x.plain("\n3. Edit those regions to be INCLUDED! ");
        x.plain("\n4. NOTE: These regions should NOT enclose marker positions!");
    }
    x.end_section();
    if (exists(dir, "Qhaplotypes.csv")) {
        x.section("Phased QTL Regions Individuals' Info");
        x.plain("\n\nPhase Haplotypes QTL Regions");
        x.plain("\n1. Two Informative Flanking Markers (maybe different loci for different individuals)");
        x.plain("\n2. Information only available for individuals with HETEROzygous QTL genotype");
        x.open("linkedDictionary");
        x.entry("QTL phase information", "Qhaplotypes.csv");
        x.close();
        x.end_section();
    }
    if (nQRegions2XML > 0 && exists(dir, "mhaplotypes.csv")) {
        x.section("Phased QTL Regions Individuals' InfoXL");
        x.open("linkedDictionary");
        x.entry("Input file with QTL flanking markers", "Qhaplotypes.csv");
        x.entry("Input file with full marker haplotypes", "mhaplotypes.csv");
        x.close();
        x.plain("\n\n\nEach specified QTL region has its own output file\n");
        x.line("<Paragraph Type=\"%s\" %s=\"%d\">\n", "table", "LinkColumns", 7);
        x.line("Region,Start chromosome,Start position (cM),End chromosome,End  position (cM),count,csv file\n");
        for (int r = 0; r < nQRegions2XML; ++r)
            x.line("%s,%s\n", QRegions2XML[r].c_str(), QRegName2XML[r].c_str());
        x.close();
        x.end_section();
    }
}

}  // namespace

void XmlSummarizeRuvaneOutput(const std::string& project_dir, const std::string& start_time)
{
    const std::string path = join(project_dir, "ruvane.xml");
    {
        Xml x(path, "w+");
        if (!x) return;
        x.line("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n");
        x.line("<Report name=\"Ruvane Output Summary\" xml:lang=\"en\">\n");
        x.section("Ruvane information");
    }
    Xml x(path, "a");
    x.section("Version Ruvane");
    x.open("dictionary");
    x.entry("Ruvane version number", kVersion);
    x.entry("Ruvane version date", kVersionDate);
    x.close();
    x.end_section();
    x.section("Computation Time Ruvane");
    x.open("table");
    x.line("key,day,date,time\n");
    x.entry("Starting time", start_time.c_str());
    x.entry("Completion time", vsk::datetime_text().c_str());
    x.close();
    x.end_section();
    if (!postprob.empty()) number_of_qtl_section(x, project_dir);
    individuals_section(x, project_dir);
    regions_sections(x, project_dir);
    phased_sections(x, project_dir);
    x.end_section();
    x.line("</Report>\n");
}

}  // namespace rvn
