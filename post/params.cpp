// GetVoskaraPar: the parameter keywords the post-processing needs.
#include "post/params.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "post/console.h"
#include "textfile/fatal.h"
#include "textfile/keyword_limits.h"
#include "textfile/number_text.h"
#include "textfile/textfile.h"

namespace rvn {

namespace {

// Every keyword is found as the analysis finds it (the first word of a line,
// the last such line counts, "nmrkrC" sets mrkrC) and its value converted by
// the same number rule, so one parameter file never gives the two programs
// different settings.
class ParameterFile {
public:
    explicit ParameterFile(std::string path) : path_(std::move(path)) {}

    // Value text behind the keyword; false when the keyword has no line.
    bool value(const char* key, std::string& text) const { return vsk::getpatternvalue(key, path_, text) >= 1; }

    // Items after the keyword's first word; false when it has no line.
    bool items(const char* key, std::vector<std::string>& out) const
    {
        out.clear();
        std::string line;
        if (vsk::searchpattern(key, path_, line) < 0) return false;
        std::vector<std::string> words;
        vsk::splititems(vsk::stripcomment(line), words, 1 << 30, 1 << 30);
        if (!words.empty() && words.back().empty()) words.pop_back();
        if (!words.empty()) out.assign(words.begin() + 1, words.end());
        return true;
    }

    int to_int(const char* key, const std::string& text) const
    {
        if (text.empty()) return 0;   // a keyword without a value reads 0
        int v = 0;
        const vsk::NumberText status = vsk::read_int_text(text, v);
        check(key, text, status, [&] { return std::to_string(v); });
        return v;
    }

    double to_double(const char* key, const std::string& text) const
    {
        if (text.empty()) return 0.0;
        double v = 0.0;
        const vsk::NumberText status = vsk::read_real_text(text, v);
        check(key, text, status, [&] {
            char shown[64];
            std::snprintf(shown, sizeof shown, "%g", v);
            return std::string(shown);
        });
        return v;
    }

    int int_or(const char* key, int fallback) const
    {
        std::string text;
        return value(key, text) ? to_int(key, text) : fallback;
    }

    double double_or(const char* key, double fallback) const
    {
        std::string text;
        return value(key, text) ? to_double(key, text) : fallback;
    }

    // A value outside [lowest, highest] ends the run, as in the analysis.
    int bounded(const char* key, int value, int lowest, int highest) const
    {
        if (value >= lowest && value <= highest) return value;
        rprint("\nERROR: value %d of %s in file %s is out of range: %d to %d are allowed", value, key, path_.c_str(),
               lowest, highest);
        abort_ruvane();
    }

    const std::string& path() const { return path_; }

private:
    template <class Shown>
    void check(const char* key, const std::string& text, vsk::NumberText status, Shown shown) const
    {
        if (status == vsk::NumberText::not_a_number || status == vsk::NumberText::out_of_range) {
            rprint("\nERROR: value '%s' of %s in file %s %s", text.c_str(), key, path_.c_str(),
                   vsk::number_text_problem(status));
            abort_ruvane();
        }
        if (status == vsk::NumberText::trailing)
            rprint("\nWARNING: value '%s' of %s in file %s is a number followed by other text, read as %s",
                   text.c_str(), key, path_.c_str(), shown().c_str());
    }

    std::string path_;
};

// The `count` values of a list keyword; a list shorter than its count is
// fatal (the values behind it would be made up).
std::vector<int> list_values(const ParameterFile& file, const char* key, int count)
{
    std::vector<std::string> items;
    file.items(key, items);
    if (static_cast<int>(items.size()) < count) {
        rprint("\nERROR %s: %d values expected, %d found in %s", key, count, static_cast<int>(items.size()),
               file.path().c_str());
        abort_ruvane();
    }
    std::vector<int> values(count);
    for (int i = 0; i < count; ++i) values[i] = file.to_int(key, items[i]);
    return values;
}

bool has_keyword(const ParameterFile& file, const char* key)
{
    std::string line;
    return vsk::searchpattern(key, file.path(), line) >= 0;
}

// A switch outside its documented values: the message, then the run ends.
[[noreturn]] void bad_switch(const char* format_name, int index, const std::string& path)
{
    rprint("\nerror in '%s[%d]', see %s", format_name, index + 1, path.c_str());
    abort_ruvane();
}

void read_trait_and_nuisance_lists(PostParams& p, const ParameterFile& file)
{
    if (p.ncolT == 0 && has_keyword(file, "indiT")) {
        rprint("\nERROR ncolT equals %d", p.ncolT);
        abort_ruvane();
    }
    if (p.ncolT > 0) {
        p.indiT = list_values(file, "indiT", p.ncolT);
        for (int i = 0; i < p.ncolT; ++i)
            if (p.indiT[i] != 0 && p.indiT[i] != 1) bad_switch("itraits", i, file.path());
    }
    if (p.ncolN > 0 && has_keyword(file, "indiN")) {
        p.indiN = list_values(file, "indiN", p.ncolN);
        for (int i = 0; i < p.ncolN; ++i) {
            const int v = p.indiN[i];
            if (v < -1 || v > 3) bad_switch("inuis", i, file.path());
        }
    }
}

void read_group_lists(PostParams& p, const ParameterFile& file)
{
    const bool any = has_keyword(file, "indiC") || has_keyword(file, "mrkrC");
    if (p.nchrom == 0 && any) {
        rprint("\nERROR nchrom equals %d", p.nchrom);
        abort_ruvane();
    }
    if (p.nchrom <= 0) return;
    if (has_keyword(file, "indiC")) {
        p.indiC = list_values(file, "indiC", p.nchrom);
        for (int i = 0; i < p.nchrom; ++i)
            if (p.indiC[i] != 0 && p.indiC[i] != 1) bad_switch("ichrom", i, file.path());
    }
    if (has_keyword(file, "mrkrC")) {
        p.nmrkrC = list_values(file, "mrkrC", p.nchrom);
        for (int i = 0; i < p.nchrom; ++i)
            if (p.nmrkrC[i] < 0 || p.nmrkrC[i] > vsk::kMaxMarkersPerGroup) bad_switch("mchrom", i, file.path());
    }
}

void read_scalars(PostParams& p, const ParameterFile& file)
{
    p.indicQTL = file.int_or("indicQTL", 0);
    p.indicFPM = file.int_or("indicFPM", 0);
    p.indicTIM = file.int_or("indicTIM", 0);
    p.maximQTL = file.bounded("maximQTL", file.int_or("maximQTL", 0), 0, vsk::kMaxGeneSlots);
    p.priorQTL = file.double_or("priorQTL", 0.0);
    p.maximFPM = file.bounded("maximFPM", file.int_or("maximFPM", 0), 0, vsk::kMaxGeneSlots);
    p.priorFPM = file.double_or("priorFPM", 0.0);
    p.addGENE = file.int_or("addGENE", 0);
    p.domGENE = file.int_or("domGENE", 0);
    p.impGENE = file.int_or("impGENE", 0);
    file.value("datafile", p.datafile);
    file.value("mapfile", p.mapfile);
    p.ncolN = file.bounded("ncolN", file.int_or("ncolN", -1), -1, vsk::kMaxListCount);
    p.ncolT = file.bounded("ncolT", file.int_or("ncolT", -1), -1, vsk::kMaxListCount);
    p.nchrom = file.bounded("nchrom", file.int_or("nchrom", -1), -1, vsk::kMaxListCount);
    std::string gtp;
    if (file.value("writeGTP", gtp)) {
        for (char& c : gtp) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        p.writeGTP = gtp;
    }
    p.TprobMQTR = file.double_or("TprobMQTR", p.TprobMQTR);
    p.VARgroup = file.int_or("VARgroup", 0);
    p.FormatMCMC = file.int_or("FormatMCMC", 0);
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

    const ParameterFile file(path);
    if (vsk::filerows(path) == 0) {
        rprint("\nERROR: parameter file %s is empty", path.c_str());
        exit_ruvane();
    }
    read_scalars(p, file);
    read_trait_and_nuisance_lists(p, file);
    read_group_lists(p, file);
    if (p.TprobMQTR == 0.0) p.TprobMQTR = 0.05;
    if (!has_keyword(file, "ncolN")) {
        rprint("\nerror in reading %s ncolT = %d", path.c_str(), p.ncolT);
        rprint("\nkeyword 'ncolN' is not in the file");
        exit_ruvane();
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
