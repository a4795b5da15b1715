#include "tools/import/phenotypes.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "tools/import/import_error.h"
#include "tools/import/text_table.h"

namespace vimp {

namespace {

std::string lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

int column_index(const PhenotypeTable& t, const std::string& name)
{
    for (std::size_t c = 0; c < t.columns.size(); ++c)
        if (t.columns[c] == name) return static_cast<int>(c);
    std::string known;
    for (const auto& c : t.columns) known += (known.empty() ? "" : ", ") + c;
    fail(t.file + ": no phenotype column '" + name + "' (columns: " + known + ")");
}

bool numeric_column(const PhenotypeTable& t, int c)
{
    for (const auto& row : t.cells) {
        const std::string& w = row[static_cast<std::size_t>(c)];
        if (!is_missing_word(w) && !is_number(w)) return false;
    }
    return true;
}

// Class words: positive integers stay; any other set of words is numbered
// 1, 2, ... in order of first appearance.
std::vector<std::string> class_words(const PhenotypeTable& t, int c, Tally& tally)
{
    bool integers = true;
    for (const auto& row : t.cells) {
        const std::string& w = row[static_cast<std::size_t>(c)];
        if (!is_missing_word(w) && !is_positive_integer(w)) integers = false;
    }
    std::vector<std::string> words;
    std::map<std::string, int> code;
    std::string mapping;
    for (const auto& row : t.cells) {
        const std::string& w = row[static_cast<std::size_t>(c)];
        if (is_missing_word(w)) {
            words.push_back("-");
        } else if (integers) {
            words.push_back(std::to_string(std::atoi(w.c_str())));
        } else {
            auto [it, added] = code.emplace(w, static_cast<int>(code.size()) + 1);
            if (added) mapping += (mapping.empty() ? "" : ", ") + w + "=" + std::to_string(it->second);
            words.push_back(std::to_string(it->second));
        }
    }
    if (!integers)
        tally.notes.push_back("nuisance column " + t.columns[static_cast<std::size_t>(c)] + " numbered: " + mapping);
    return words;
}

}  // namespace

std::vector<std::string> split_list(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        const auto comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!item.empty()) items.push_back(item);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

int find_id_column(const std::vector<std::string>& columns)
{
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (lower(columns[c]) == "id") return static_cast<int>(c);
    return -1;
}

ChosenPhenotypes choose_phenotypes(const PhenotypeTable& t, const Choice& choice, Tally& tally)
{
    ChosenPhenotypes out;
    std::vector<int> trait_cols, nuis_cols;
    for (const std::string& item : choice.nuisance) {
        const auto colon = item.find(':');
        const std::string name = item.substr(0, colon);
        const std::string kind = colon == std::string::npos ? "fixed" : item.substr(colon + 1);
        if (kind != "fixed" && kind != "random")
            fail("--nuisance " + item + ": the kind after ':' is 'fixed' or 'random'");
        nuis_cols.push_back(column_index(t, name));
        out.nuisance.push_back({name, kind == "random"});
    }
    if (!choice.traits.empty()) {
        for (const std::string& name : choice.traits) trait_cols.push_back(column_index(t, name));
    } else {
        for (int c = 0; c < static_cast<int>(t.columns.size()); ++c) {
            if (c == t.id_column || std::find(nuis_cols.begin(), nuis_cols.end(), c) != nuis_cols.end()) continue;
            if (numeric_column(t, c))
                trait_cols.push_back(c);
            else
                tally.notes.push_back("column " + t.columns[static_cast<std::size_t>(c)] +
                                      " left out: not numeric (choose it with --nuisance)");
        }
    }
    for (int c : trait_cols) out.trait_names.push_back(t.columns[static_cast<std::size_t>(c)]);
    out.trait_words.assign(t.cells.size(), {});
    out.nuisance_words.assign(t.cells.size(), {});
    for (int c : trait_cols) {
        for (std::size_t r = 0; r < t.cells.size(); ++r) {
            const std::string& w = t.cells[r][static_cast<std::size_t>(c)];
            if (is_missing_word(w)) {
                out.trait_words[r].push_back("-");
                continue;
            }
            if (!is_number(w))
                fail_at(t.file, t.lines[r], w,
                        "trait " + t.columns[static_cast<std::size_t>(c)] + " needs a number or NA");
            out.trait_words[r].push_back(w);
        }
    }
    for (int c : nuis_cols) {
        const auto words = class_words(t, c, tally);
        for (std::size_t r = 0; r < words.size(); ++r) out.nuisance_words[r].push_back(words[r]);
    }
    return out;
}

}  // namespace vimp
