// Segregation types of a full-sib family of two outbred parents and the
// offspring codes each allows: <abxcd> (ac ad bc bd), <efxeg> (ee ef eg fg),
// <hkxhk> (hh hk kk, and h- k- for "not kk" and "not hh"), <lmxll> (ll lm),
// <nnxnp> (nn np); "--" is missing. Every letter becomes an allele word of
// the data file, 11, 12, ... in order of appearance in the parents, so the
// parents' genotypes follow from the type (two digits: the data file reads a
// one-character word as a letter).
#include <algorithm>
#include <cctype>
#include <map>

#include "tools/import/cp.h"

namespace vimp {

namespace {

struct TypeInfo {
    const char* first;
    const char* second;
    std::vector<const char*> codes;  // full codes; the partial ones follow from '-'
};

const std::map<std::string, TypeInfo>& types()
{
    static const std::map<std::string, TypeInfo> t{
        {"<abxcd>", {"ab", "cd", {"ac", "ad", "bc", "bd"}}},
        {"<efxeg>", {"ef", "eg", {"ee", "ef", "eg", "fg"}}},
        {"<hkxhk>", {"hk", "hk", {"hh", "hk", "kk", "h-", "k-"}}},
        {"<lmxll>", {"lm", "ll", {"ll", "lm"}}},
        {"<nnxnp>", {"nn", "np", {"nn", "np"}}},
    };
    return t;
}

std::string lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

SegregationType segregation_type(const std::string& text)
{
    const auto it = types().find(lower(text));
    if (it == types().end()) return {};
    return {it->first, it->second.first, it->second.second};
}

std::string allele_word(const SegregationType& type, char letter)
{
    if (letter == '-') return "-";
    std::string order;
    for (char c : type.first_parent + type.second_parent)
        if (order.find(c) == std::string::npos) order += c;
    const auto k = order.find(letter);
    return k == std::string::npos ? "" : std::to_string(k + 11);
}

Alleles cp_genotype(const SegregationType& type, const std::string& text)
{
    const std::string code = lower(text);
    if (code == "--" || code == "-") return {"-", "-", CodeKind::Missing};
    const auto it = types().find(type.name);
    if (it == types().end()) return {};
    const auto& codes = it->second.codes;
    const bool listed = std::any_of(codes.begin(), codes.end(), [&](const char* c) { return code == c; });
    if (!listed) return {};
    Alleles a{allele_word(type, code[0]), allele_word(type, code[1]), CodeKind::Full};
    if (a.second == "-") a.kind = CodeKind::Partial;
    return a;
}

}  // namespace vimp
