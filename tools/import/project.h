// A project in the making: what the readers of the field formats produce and
// the writer turns into the parameter, data and map files of the analysis.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vimp {

struct Marker {
    std::string name;
    double position_cm = 0.0;
    std::string position_text;  // as read, so the map keeps its precision
};

struct Group {
    std::string name;
    std::vector<Marker> markers;  // in map order
};

// One data-file line. Parents are names; `second` is a name or one of
// INBRED, SELFED, DBHPLD; "0" marks an unknown parent.
struct Line {
    int cohort = 1;
    std::string name;
    std::string first = "0";
    std::string second = "0";
    std::vector<std::string> nuisance;  // class words ("-" missing)
    std::vector<std::string> traits;    // values as read ("-" missing)
    std::vector<std::string> alleles;   // two words per marker, markers in map order
};

struct Nuisance {
    std::string name;
    bool random = false;
};

// Counts reported at the end of an import.
struct Tally {
    long converted = 0;       // genotype codes written with both alleles
    long partial = 0;         // partly informative codes written with one allele
    long partial_lost = 0;    // partly informative codes written as missing
    long missing = 0;         // missing codes
    long unexpected = 0;      // codes the design cannot produce (kept for the analysis to judge)
    std::map<std::string, long> by_code;
    std::vector<std::string> notes;  // one line each
};

struct Project {
    std::string source;         // what was imported, for the file headers
    std::string seed = "123454"; // of the analysis; last digit 4 starts without QTL
    std::string design;         // e.g. "F2 intercross", "outbred full-sib family"
    bool dominance = true;      // heterozygotes segregate: dominance in the model
    std::vector<Group> groups;
    std::vector<bool> analysed; // per group
    std::vector<std::string> trait_names;
    std::vector<Nuisance> nuisance;
    std::vector<Line> lines;    // parents before offspring
    Tally tally;

    int marker_total() const;
};

struct FileNames {
    std::string parameter = "voskara.par";
    std::string data = "voskara.dat";
    std::string map = "voskara.map";
};

// Checks names and sizes (throws ImportError), then writes the three files
// into `dir` (created when missing).
void write_project(const Project& project, const std::filesystem::path& dir, const FileNames& names = {});

// What is wrong with a name for the analysis (blank, comma, semicolon, more
// than 31 characters; for individuals also the parent codes), or "".
std::string name_problem(const std::string& name, bool individual);

// Checks that every name fits the analysis (no blank, 31 characters at most,
// unique among individuals, markers and groups); throws ImportError.
void check_project(const Project& project);

}  // namespace vimp
