// ReadNamesGtp: names of the individuals in the genotype and breeding-value
// files, and the optional subset selection of wrtgtp.inp.
#include "post/names.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "post/console.h"
#include "textfile/fatal.h"
#include "textfile/textfile.h"

namespace rvn {

namespace {

struct DataLine {
    std::string text;
    std::vector<std::string> items;
};

// The data lines of a file; false when it is missing.
bool data_lines(const std::string& path, std::vector<DataLine>& lines)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string raw;
    while (std::getline(in, raw)) {
        DataLine line{vsk::stripcomment(raw), {}};
        if (line.text.empty()) continue;
        vsk::splititems(line.text, line.items, 1 << 30, 1 << 30);
        if (!line.items.empty() && line.items.back().empty()) line.items.pop_back();
        lines.push_back(std::move(line));
    }
    return true;
}

[[noreturn]] void incorrect_count(const std::string& path, int line)
{
    rprint("\nIncorrect number of names in file %s line %d", path.c_str(), line);
    vsk::fatal_exit(1);
}

void read_selection(PostState& st, const std::string& names_path)
{
    const std::string path = st.path("wrtgtp.inp");
    std::vector<DataLine> lines;
    const int total = static_cast<int>(st.names.size());
    if (!data_lines(path, lines)) {
        rprint("\n\nNOTE:\nFile '%s' not available", path.c_str());
        rprint("\nInformation will be produced on all individuals");
        rprint("\n(as present in file: %s\n", names_path.c_str());
        return;
    }
    if (lines.empty()) {
        rprint(": Incomplete return in ReadNamesGtp(). ");
        rprint("\nNo subsetting of names in Ruvane output");
        return;
    }
    if (static_cast<int>(lines.size()) != total) {
        rprint("\nInconsistent number of names for individuals with genotypes");
        rprint("\nExpected number = %d (%s)", total, names_path.c_str());
        rprint("\nObserved #names = %d (%s)", static_cast<int>(lines.size()), path.c_str());
        // A selection that does not match the names cannot be applied, and
        // dropping it silently would print every individual.
        rprint("\nEdit %s to hold one line per name of %s, or remove it", path.c_str(), names_path.c_str());
        exit_ruvane();
    }
    int selected = 0;
    for (int i = 0; i < total; ++i) {
        const DataLine& line = lines[i];
        if (line.items.size() != 2) incorrect_count(path, i + 1);
        if (line.items[0] != st.names[i]) {
            rprint("\nIncorrect ORDER of names in file %s line %d", path.c_str(), i + 1);
            rprint("\n%s\n", line.text.c_str());
            vsk::fatal_exit(1);
        }
        const std::string& flag = line.items[1];
        if (flag != "0" && flag != "1") {
            rprint("\nIncorrect VALUE of subsetting in file %s line %d", path.c_str(), i + 1);
            rprint("\nvalue = %d", std::atoi(flag.c_str()));
            rprint("\n%s\n", line.text.c_str());
            vsk::fatal_exit(1);
        }
        st.print_flag[i] = flag == "1" ? 1 : 0;
        selected += st.print_flag[i];
    }
    rprint("\nSubset selection on printing info on individuals:");
    rprint("\n%d out of %d \n\n", selected, total);
}

}  // namespace

int individuals_with_genotypes(const PostState& st)
{
    if (st.s.tim_individuals > 0) return st.s.tim_individuals;
    if (st.s.fpm_geno_per_gene > 0) return st.s.fpm_geno_per_gene;
    return st.s.geno_per_slot;
}

void ReadNamesGtp(PostState& st)
{
    const std::string path = st.path("wrtgtp.nms");
    st.names.clear();
    st.print_flag.clear();
    std::vector<DataLine> lines;
    if (!data_lines(path, lines)) {
        rprint("\n\nWARNING:\nFile '%s' not available", path.c_str());
        rprint(": Early return in ReadNamesGtp(). ");
        rprint("\nNo names used in Ruvane output");
        return;
    }
    if (lines.empty()) {
        rprint(": Early return in ReadNamesGtp(). ");
        rprint("\nNo names used in Ruvane output");
        return;
    }
    for (int i = 0; i < static_cast<int>(lines.size()); ++i)
        if (lines[i].items.size() != 1) incorrect_count(path, i + 1);
    const int expected = individuals_with_genotypes(st);
    if (static_cast<int>(lines.size()) != expected) {
        rprint("\nInconsistent number of names for individuals with genotypes");
        rprint("\nExpected number = %d", expected);
        rprint("\nObserved #names = %d", static_cast<int>(lines.size()));
        rprint("\nObserved number set to %d", 0);
        return;
    }
    for (const DataLine& line : lines) st.names.push_back(line.items[0]);
    st.print_flag.assign(st.names.size(), 1);
    read_selection(st, path);
}

}  // namespace rvn
