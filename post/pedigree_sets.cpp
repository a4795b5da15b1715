// Founders, full-sib families and their parents from the data file's
// pedigree columns, and the observed phenotypes of the first analysed trait.
#include "post/pedigree_sets.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "textfile/textfile.h"

namespace rvn {

namespace {

// A whole word read as a finite number.
bool whole_number(const std::string& word, double& value)
{
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return errno == 0 && end == word.c_str() + word.size() && std::isfinite(value);
}

// Item index of the first analysed trait (cohort, name, parents, nuisance
// columns, then the traits), or -1.
int first_trait_item(const PostParams& p)
{
    for (int k = 0; k < static_cast<int>(p.indiT.size()); ++k)
        if (p.indiT[k] == 1) return 4 + std::max(0, p.ncolN) + k;
    return -1;
}

}  // namespace

bool parent_unknown(const std::string& word) { return word == "0" || word == "-" || word == "*"; }

bool parent_is_code(const std::string& word)
{
    return word == "INBRED" || word == "-1000" || word == "SELFED" || word == "-777" || word == "DBHPLD" ||
           word == "-555";
}

PedigreeSets read_pedigree_sets(const PostState& st)
{
    PedigreeSets sets;
    if (st.par.datafile.empty()) return sets;
    std::ifstream in(st.path(st.par.datafile));
    if (!in) return sets;
    sets.read = true;
    const int trait_item = first_trait_item(st.par);
    // Only the leading columns are kept, not the marker columns.
    const std::size_t needed = static_cast<std::size_t>(std::max(4, trait_item + 1));
    std::string line;
    std::vector<std::string_view> views;
    while (std::getline(in, line)) {
        // The data reader's item splitter, so columns count as it counts them.
        vsk::split_item_views(line, views);
        const std::vector<std::string> w(views.begin(), views.begin() + std::min(views.size(), needed));
        if (w.size() < 4 || w[0][0] == ';') continue;
        const std::string &name = w[1], &first = w[2], &second = w[3];
        if (parent_unknown(first) && (parent_unknown(second) || second == "INBRED" || second == "-1000"))
            sets.founders.insert(name);
        if (!parent_unknown(first) && !parent_unknown(second) && !parent_is_code(second)) {
            sets.families[first + " x " + second].push_back(name);
            sets.fullsib_parents.insert(first);
            sets.fullsib_parents.insert(second);
        }
        double y = 0.0;
        if (trait_item >= 0 && trait_item < static_cast<int>(w.size()) && whole_number(w[trait_item], y))
            sets.observed[name] = y;
    }
    return sets;
}

}  // namespace rvn
