// The cleaned marker data file: each individual's leading columns as read,
// then every marker column of the data file: analysed markers with their
// current (checked and completed) alleles, the others exactly as read, so
// the next run of the same parameter file reads it in place of the data file.
#include "core/markers/cleaned_data.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>

#include "core/markers/allele_text.h"
#include "core/state/console.h"
#include "textfile/file.h"
#include "textfile/textfile.h"

namespace vsk {

namespace {

// Leading text of every individual in processing order, from the held
// phenotype text, or rebuilt from the data file's words.
std::vector<std::string> leading_texts(MarkerData& d, const std::unordered_map<std::string, std::vector<std::string>>& rows,
                                       int leading)
{
    std::vector<std::string> texts;
    if (PNTheld) {
        std::size_t start = 0;
        while (static_cast<int>(texts.size()) < d.n_ind() && start < PNTstring.size() && PNTstring[start] != '\0') {
            std::size_t end = PNTstring.find('\n', start);
            if (end == std::string::npos) end = PNTstring.find('\0', start);
            texts.push_back(PNTstring.substr(start, end - start));
            start = end + 1;
        }
        if (static_cast<int>(texts.size()) == d.n_ind()) return texts;
        texts.clear();
    }
    for (int i = 1; i <= d.n_ind(); ++i) {
        std::string t;
        auto it = rows.find(d.ind(i).name);
        if (it != rows.end())
            for (int c = 0; c < leading && c < static_cast<int>(it->second.size()); ++c) t += it->second[c] + " ";
        texts.push_back(t);
    }
    return texts;
}

bool all_groups_analysed()
{
    for (const Chr& c : chr)
        if (!c.indiC && c.mrkrC > 0) return false;
    return true;
}

// Data-file words of every individual by name (only when needed).
std::unordered_map<std::string, std::vector<std::string>> data_file_rows(const std::string& path, bool needed)
{
    std::unordered_map<std::string, std::vector<std::string>> rows;
    if (!needed) return rows;
    std::vector<std::string> lines;
    copyfiletobuffer(path, lines, filewidth(path) + 1, filerows(path));
    for (const std::string& line : lines) {
        std::vector<std::string> w = item_words(line);
        if (w.size() > 1) rows.emplace(w[1], std::move(w));
    }
    return rows;
}

std::string cleaned_text(const Par& p, const Mrkrlcs& m, int code)
{
    std::string t = allele_text(p, m, code);
    if (t == "null") return p.nullalleleC;
    return t;
}

void write_markers(std::string& out, MarkerData& d, int i, const std::vector<std::string>* raw, int leading)
{
    int locus = 0, word = leading;
    for (const Chr& c : chr) {
        if (!c.indiC) {
            for (int w = 0; w < 2 * c.mrkrC; ++w, ++word) {
                out += ' ';
                out += raw && word < static_cast<int>(raw->size()) ? (*raw)[static_cast<std::size_t>(word)] : "-";
            }
            continue;
        }
        for (int m = 0; m < c.mrkrC; ++m, ++locus, word += 2) {
            const Mrkrlcs& l = d.loci[static_cast<std::size_t>(locus)];
            out += ' ';
            if (l.excluded) {
                out += raw_allele_text(d.par, l, d.mrk.allele1[locus][i - 1]);
                out += ' ';
                out += raw_allele_text(d.par, l, d.mrk.allele2[locus][i - 1]);
                continue;
            }
            out += cleaned_text(d.par, l, d.a1(locus, i));
            out += ' ';
            out += cleaned_text(d.par, l, d.a2(locus, i));
        }
    }
}

}  // namespace

std::string cleaned_data_file_name(const std::string& datafile) { return "CM" + datafile; }

void write_cleaned_marker_data(MarkerData& d, const std::string& project_dir)
{
    const std::string source = (std::filesystem::path(project_dir) / d.par.datafile).string();
    const std::string path = (std::filesystem::path(project_dir) / cleaned_data_file_name(d.par.datafile)).string();
    const int leading = 4 + std::max(d.par.n_nuis - 1, 0) + d.par.ncolT;
    const auto rows = data_file_rows(source, !all_groups_analysed() || !PNTheld);
    const std::vector<std::string> texts = leading_texts(d, rows, leading);
    File f = open_file(path, "w");
    if (!f) {
        cprint("\nWARNING: cleaned marker data file %s could not be written", path.c_str());
        return;
    }
    std::string out;
    for (int i = 1; i <= d.n_ind(); ++i) {
        out = texts[static_cast<std::size_t>(i - 1)];
        auto it = rows.find(d.ind(i).name);
        write_markers(out, d, i, it == rows.end() ? nullptr : &it->second, leading);
        out += '\n';
        std::fputs(out.c_str(), f.get());
    }
    cprint("\nCleaned Marker data written to file %s\n", path.c_str());
}

void write_cleaned_marker_data()
{
    MarkerData d = shared_marker_data();
    write_cleaned_marker_data(d, project_dirF);
}

}  // namespace vsk
