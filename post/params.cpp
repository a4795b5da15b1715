// GetVoskaraPar: the parameter keywords the post-processing needs.
#include "post/params.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <unordered_map>
#include <vector>

#include "post/console.h"
#include "textfile/fatal.h"
#include "textfile/textfile.h"

namespace rvn {

namespace {

using Items = std::vector<std::string>;

// Items of every non-empty line of the parameter file, in order.
std::vector<Items> parameter_lines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<Items> lines;
    std::string raw;
    Items items;
    while (std::getline(in, raw)) {
        std::string content = vsk::stripcomment(raw);
        if (vsk::splititems(content, items, 1 << 30, 1 << 30) > 0) {
            if (items.back().empty()) items.pop_back();
            if (!items.empty()) lines.push_back(items);
        }
    }
    return lines;
}

int as_int(const std::string& text) { return std::atoi(text.c_str()); }
double as_double(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// The count keywords, last occurrence wins (-1 when absent). A keyword
// without a value reads as 0, as the analysis reads it.
struct Counts {
    int ncolT = -1;
    int ncolN = -1;
    int nchrom = -1;
    bool ncolN_seen = false;
};

Counts read_counts(const std::vector<Items>& lines)
{
    Counts counts;
    for (const Items& items : lines) {
        const int value = items.size() > 1 ? as_int(items[1]) : 0;
        if (items[0] == "ncolT") counts.ncolT = value;
        if (items[0] == "ncolN") {
            counts.ncolN = value;
            counts.ncolN_seen = true;
        }
        if (items[0] == "nchrom") counts.nchrom = value;
    }
    return counts;
}

// The `count` values of a list keyword; a list shorter than its count is
// fatal (the values behind it would be made up).
std::vector<int> list_values(const Items& items, int count, const std::string& path)
{
    if (static_cast<int>(items.size()) - 1 < count) {
        rprint("\nERROR %s: %d values expected, %d found in %s", items[0].c_str(), count,
               static_cast<int>(items.size()) - 1, path.c_str());
        abort_ruvane();
    }
    std::vector<int> values(count);
    for (int i = 0; i < count; ++i) values[i] = as_int(items[i + 1]);
    return values;
}

void read_list(PostParams& p, const Items& items, const Counts& counts, const std::string& path)
{
    const std::string& key = items[0];
    if (key == "indiT") {
        if (counts.ncolT == 0) {
            rprint("\nERROR ncolT equals %d", counts.ncolT);
            abort_ruvane();
        }
        if (counts.ncolT < 0) return;
        p.indiT = list_values(items, counts.ncolT, path);
        for (int i = 0; i < counts.ncolT; ++i)
            if (p.indiT[i] > 1) rprint("\nerror in 'itraits[%d]', see %s", i + 1, path.c_str());
    } else if (key == "indiN") {
        if (counts.ncolN <= 0) return;
        p.indiN = list_values(items, counts.ncolN, path);
        for (int i = 0; i < counts.ncolN; ++i) {
            const int v = p.indiN[i];
            if (v != -1 && v != 0 && v != 1 && v != 3) rprint("\nerror in 'inuis[%d]', see %s", i + 1, path.c_str());
        }
    } else {  // indiC, nmrkrC, mrkrC
        if (counts.nchrom == 0) {
            rprint("\nERROR nchrom equals %d", counts.nchrom);
            abort_ruvane();
        }
        if (counts.nchrom < 0) return;
        std::vector<int> values = list_values(items, counts.nchrom, path);
        if (key == "indiC") {
            p.indiC = values;
            for (int i = 0; i < counts.nchrom; ++i)
                if (values[i] > 1) rprint("\nerror in 'ichrom[%d]', see %s", i + 1, path.c_str());
        } else {
            p.nmrkrC = values;
            for (int i = 0; i < counts.nchrom; ++i)
                if (values[i] < 0 || values[i] > 10000000) rprint("\nerror in 'mchrom[%d]', see %s", i + 1, path.c_str());
        }
    }
}

using Setter = std::function<void(PostParams&, const std::string&)>;

const std::unordered_map<std::string, Setter>& scalar_keywords()
{
    static const std::unordered_map<std::string, Setter> table = {
        {"indicQTL", [](PostParams& p, const std::string& v) { p.indicQTL = as_int(v); }},
        {"indicFPM", [](PostParams& p, const std::string& v) { p.indicFPM = as_int(v); }},
        {"indicTIM", [](PostParams& p, const std::string& v) { p.indicTIM = as_int(v); }},
        {"maximQTL", [](PostParams& p, const std::string& v) { p.maximQTL = as_int(v); }},
        {"priorQTL", [](PostParams& p, const std::string& v) { p.priorQTL = as_double(v); }},
        {"maximFPM", [](PostParams& p, const std::string& v) { p.maximFPM = as_int(v); }},
        {"priorFPM", [](PostParams& p, const std::string& v) { p.priorFPM = as_double(v); }},
        {"addGENE", [](PostParams& p, const std::string& v) { p.addGENE = as_int(v); }},
        {"domGENE", [](PostParams& p, const std::string& v) { p.domGENE = as_int(v); }},
        {"impGENE", [](PostParams& p, const std::string& v) { p.impGENE = as_int(v); }},
        {"datafile", [](PostParams& p, const std::string& v) { p.datafile = v; }},
        {"mapfile", [](PostParams& p, const std::string& v) { p.mapfile = v; }},
        {"ncolN", [](PostParams& p, const std::string& v) { p.ncolN = as_int(v); }},
        {"ncolT", [](PostParams& p, const std::string& v) { p.ncolT = as_int(v); }},
        {"nchrom", [](PostParams& p, const std::string& v) { p.nchrom = as_int(v); }},
        {"writeGTP",
         [](PostParams& p, const std::string& v) {
             p.writeGTP = v;
             for (char& c : p.writeGTP) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
         }},
        {"TprobMQTR", [](PostParams& p, const std::string& v) { p.TprobMQTR = as_double(v); }},
        {"VARgroup", [](PostParams& p, const std::string& v) { p.VARgroup = as_int(v); }},
        {"FormatMCMC", [](PostParams& p, const std::string& v) { p.FormatMCMC = as_int(v); }},
    };
    return table;
}

bool is_list_keyword(const std::string& key)
{
    return key == "indiT" || key == "indiN" || key == "indiC" || key == "nmrkrC" || key == "mrkrC";
}

void echo_parameters(const PostParams& p)
{
    rprint("\ndatafile          %s", p.datafile.c_str());
    rprint("\nmapfile           %s", p.mapfile.c_str());
    rprint("\nindicQTL          %d", p.indicQTL);
    rprint("\nindicFPM          %d", p.indicFPM);
    rprint("\nindicTIM          %d", p.indicTIM);
    rprint("\nmaximQTL        %3d", p.maximQTL);
    rprint("\nmaximFPM        %3d", p.maximFPM);
    rprint("\npriorQTL        %5.1lf", p.priorQTL);
    rprint("\npriorFPM        %5.1lf", p.priorFPM);
    rprint("\naddGENE           %d", p.addGENE);
    rprint("\ndomGENE           %d", p.domGENE);
    rprint("\nTprobMQTR       %7.3lf", p.TprobMQTR);
    rprint("\nwriteGTP          %s", p.writeGTP.c_str());
    rprint("\nVARgroup          %d", p.VARgroup);
    rprint("\nFormatMCMC        %d", p.FormatMCMC);
    rprint("\nncolN           %3d", p.ncolN);
    for (int v : p.indiN) rprint(" %d", v);
    rprint("\nncolT           %3d", p.ncolT);
    for (int v : p.indiT) rprint(" %d", v);
    rprint("\nngroups         %3d", p.nchrom);
    for (int g = 0; g < p.nchrom; ++g) {
        const int included = g < static_cast<int>(p.indiC.size()) ? p.indiC[g] : 0;
        const int markers = g < static_cast<int>(p.nmrkrC.size()) ? p.nmrkrC[g] : 0;
        rprint(" %3d", included * markers);
    }
}

}  // namespace

void GetVoskaraPar(PostState& st, const std::string& path)
{
    if (!std::ifstream(path)) {
        rprint("\n\nERROR:\nFile '%s' not available", path.c_str());
        exit_ruvane();
    }
    rrule(2, kRuleWidth, 1);
    rprint("VOSKARA PARAMETERS");
    rprint("\nFile '%s':", path.c_str());
    PostParams& p = st.par;
    p.addGENE = p.domGENE = p.impGENE = 0;

    const std::vector<Items> lines = parameter_lines(path);
    const Counts counts = read_counts(lines);
    for (const Items& items : lines) {
        const std::string& key = items[0];
        if (is_list_keyword(key)) {
            read_list(p, items, counts, path);
            continue;
        }
        auto it = scalar_keywords().find(key);
        if (it != scalar_keywords().end()) it->second(p, items.size() > 1 ? items[1] : std::string());
    }
    if (p.TprobMQTR == 0.0) p.TprobMQTR = 0.05;
    if (!counts.ncolN_seen) {
        rprint("\nerror in reading %s ncolT = %d", path.c_str(), p.ncolT);
        vsk::fatal_exit(1);
    }
    p.n_traits = 0;
    for (int v : p.indiT) p.n_traits += v;
    echo_parameters(p);

    if (p.qtl_on()) {
        separator();
        rprint("GENETIC MARKER MAP");
        read_post_map(st);
    }
}

}  // namespace rvn
