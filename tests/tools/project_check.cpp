// Independent checks of written project files.
#include "tools/project_check.h"

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <unordered_map>

namespace simtest {

namespace {

constexpr std::size_t kMaxNameLength = 31;

std::vector<std::string> effective_lines(const std::filesystem::path& path, std::vector<std::string>& problems)
{
    std::ifstream in(path);
    if (!in) problems.push_back("missing file " + path.filename().string());
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        if (!effective_words(line).empty()) lines.push_back(line);
    return lines;
}

int as_int(const std::string& text)
{
    return std::atoi(text.c_str());
}

bool is_number(const std::string& text)
{
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0';
}

void read_parameters(ProjectCheck& pc, const std::filesystem::path& path)
{
    for (const std::string& line : effective_lines(path, pc.problems)) {
        auto words = effective_words(line);
        std::string value;
        for (std::size_t i = 1; i < words.size(); ++i) value += (i > 1 ? " " : "") + words[i];
        pc.parameters[words[0]] = value;
    }
    for (const char* key : {"datafile", "mapfile", "ncolN", "indiN", "ncolT", "indiT", "nchrom", "indiC", "mrkrC",
                            "indicQTL", "maximQTL", "priorQTL", "indicFPM", "maximFPM", "priorFPM", "indicTIM",
                            "addGENE", "domGENE", "length", "thinning", "seed"})
        if (!pc.parameters.count(key)) pc.problems.push_back(std::string("parameter keyword missing: ") + key);
}

std::vector<int> int_list(const std::string& text)
{
    std::vector<int> v;
    for (const auto& w : effective_words(text)) v.push_back(as_int(w));
    return v;
}

void read_map(ProjectCheck& pc, const std::filesystem::path& path, const std::vector<int>& counts)
{
    const auto lines = effective_lines(path, pc.problems);
    std::size_t at = 0;
    for (std::size_t g = 0; g < counts.size(); ++g) {
        if (at >= lines.size()) { pc.problems.push_back("map file ends early"); return; }
        const auto header = effective_words(lines[at++]);
        const std::string kw = header.empty() ? "" : header[0].substr(0, 5);
        if (header.size() != 2 || (std::string("chrom").rfind(kw, 0) != 0 && std::string("group").rfind(kw, 0) != 0))
            pc.problems.push_back("bad map group header: " + lines[at - 1]);
        pc.map_groups.push_back(header.size() > 1 ? header[1] : "");
        std::vector<double> pos;
        for (int m = 0; m < counts[g]; ++m) {
            if (at >= lines.size()) { pc.problems.push_back("map file ends early"); return; }
            const auto words = effective_words(lines[at++]);
            if (words.size() < 2 || words.size() > 3 || !is_number(words[1])) {
                pc.problems.push_back("bad marker line: " + lines[at - 1]);
                continue;
            }
            const double p = std::atof(words[1].c_str());
            if (p < 0.0 || (!pos.empty() && p < pos.back())) pc.problems.push_back("map positions not ascending");
            pos.push_back(p);
        }
        pc.map_positions.push_back(pos);
    }
    if (at != lines.size()) pc.problems.push_back("map file has lines beyond its groups");
}

bool is_allele_word(const std::string& w)
{
    if (w == "-" || w == "$" || w == "$$") return true;
    if (w.size() == 1) return std::string("ACGTBacgtb").find(w) != std::string::npos;
    return as_int(w) > 0 && is_number(w);
}

void check_data_line(ProjectCheck& pc, std::size_t line, const std::vector<std::string>& w, int ncol_n, int ncol_t)
{
    const std::string where = "data line " + std::to_string(line + 1) + ": ";
    if (as_int(w[0]) < 1) pc.problems.push_back(where + "cohort must be a positive integer");
    for (int k = 1; k <= 3; ++k)
        if (w[static_cast<std::size_t>(k)].size() > kMaxNameLength) pc.problems.push_back(where + "name too long");
    const bool founder = w[2] == "0" || w[2] == "*" || w[2] == "-";
    const std::string& second = w[3];
    if (founder && !(second == "0" || second == "INBRED")) pc.problems.push_back(where + "founder with a second parent");
    if (!founder && (second == "0" || second == "INBRED")) pc.problems.push_back(where + "single parent known");
    for (int k = 0; k < ncol_n; ++k)
        if (!is_number(w[static_cast<std::size_t>(4 + k)]) && w[static_cast<std::size_t>(4 + k)] != "-")
            pc.problems.push_back(where + "nuisance class not an integer");
    for (int k = 0; k < ncol_t; ++k) {
        const std::string& t = w[static_cast<std::size_t>(4 + ncol_n + k)];
        if (t != "-" && !is_number(t)) pc.problems.push_back(where + "trait value '" + t + "'");
    }
    for (std::size_t k = static_cast<std::size_t>(4 + ncol_n + ncol_t); k < w.size(); ++k)
        if (!is_allele_word(w[k])) pc.problems.push_back(where + "allele word '" + w[k] + "'");
}

void read_data(ProjectCheck& pc, const std::filesystem::path& path, int ncol_n, int ncol_t, int markers)
{
    const std::size_t expected = static_cast<std::size_t>(4 + ncol_n + ncol_t + 2 * markers);
    std::unordered_map<std::string, std::size_t> line_of;
    for (const std::string& line : effective_lines(path, pc.problems)) {
        DataLine d{effective_words(line)};
        const std::size_t index = pc.data.size();
        if (d.words.size() != expected) {
            pc.problems.push_back("data line " + std::to_string(index + 1) + " has " + std::to_string(d.words.size()) +
                                  " items, expected " + std::to_string(expected));
            pc.data.push_back(d);
            continue;
        }
        if (!line_of.emplace(d.words[1], index).second) pc.problems.push_back("duplicate name " + d.words[1]);
        check_data_line(pc, index, d.words, ncol_n, ncol_t);
        pc.data.push_back(std::move(d));
    }
    for (std::size_t i = 0; i < pc.data.size(); ++i) {
        const auto& w = pc.data[i].words;
        if (w.size() != expected) continue;
        for (std::size_t k : {std::size_t{2}, std::size_t{3}}) {
            const std::string& p = w[k];
            if (p == "0" || p == "*" || p == "-" || p == "INBRED" || p == "SELFED" || p == "DBHPLD") continue;
            auto it = line_of.find(p);
            if (it == line_of.end()) pc.problems.push_back("parent " + p + " is not listed");
            else if (it->second >= i) ++pc.parents_after_offspring;
        }
    }
}

}  // namespace

std::vector<std::string> effective_words(const std::string& line)
{
    std::string text = line.substr(0, std::min(line.find(';'), line.find("##")));
    for (char& c : text)
        if (c == ',' || c == '\t' || c == '\r') c = ' ';
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

std::string ProjectCheck::report() const
{
    std::string text;
    for (std::size_t i = 0; i < problems.size() && i < 20; ++i) text += problems[i] + "\n";
    return text;
}

ProjectCheck check_project(const std::filesystem::path& dir, const std::string& parameter_file)
{
    ProjectCheck pc;
    read_parameters(pc, dir / parameter_file);
    if (!pc.ok()) return pc;
    const int ncol_n = as_int(pc.parameters["ncolN"]), ncol_t = as_int(pc.parameters["ncolT"]);
    const int nchrom = as_int(pc.parameters["nchrom"]);
    const auto mrkr = int_list(pc.parameters["mrkrC"]);
    if (int_list(pc.parameters["indiN"]).size() != static_cast<std::size_t>(ncol_n)) pc.problems.push_back("indiN count");
    if (int_list(pc.parameters["indiT"]).size() != static_cast<std::size_t>(ncol_t)) pc.problems.push_back("indiT count");
    if (int_list(pc.parameters["indiC"]).size() != static_cast<std::size_t>(nchrom)) pc.problems.push_back("indiC count");
    if (mrkr.size() != static_cast<std::size_t>(nchrom)) pc.problems.push_back("mrkrC count");
    for (int m : mrkr)
        if (m < 2) pc.problems.push_back("a linkage group with fewer than 2 markers");
    if (pc.parameters["datafile"].size() >= 30) pc.problems.push_back("data file name too long");
    int markers = 0;
    for (int m : mrkr) markers += m;
    read_map(pc, dir / pc.parameters["mapfile"], mrkr);
    read_data(pc, dir / pc.parameters["datafile"], ncol_n, ncol_t, markers);
    return pc;
}

}  // namespace simtest
