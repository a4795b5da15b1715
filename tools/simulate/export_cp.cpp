// Outbred full-sib family of two founders as a CP locus file, a map file and
// a phenotype table. Each marker gets the segregation type its parents'
// scores show: <abxcd>, <efxeg>, <hkxhk>, <lmxll> or <nnxnp>. Markers with
// an unscored parent, both parents homozygous (nothing segregates), or a
// homozygous parent whose allele the other lacks have no type and are left
// out; offspring scores that fit no parental combination are written "--".
#include <algorithm>
#include <map>

#include "tools/simulate/export_common.h"
#include "tools/simulate/exports.h"

namespace vsim {

namespace {

// Letters of each parent's two alleles (index = position in the pair).
struct TypedMarker {
    std::string type;
    int first[2], second[2];      // allele indices of the parents
    char first_letter[2], second_letter[2];
};

bool classify(int a, int b, int c, int d, TypedMarker& t)
{
    t.first[0] = a, t.first[1] = b, t.second[0] = c, t.second[1] = d;
    auto set = [&](const char* type, char la, char lb, char lc, char ld) {
        t.type = type;
        t.first_letter[0] = la, t.first_letter[1] = lb, t.second_letter[0] = lc, t.second_letter[1] = ld;
        return true;
    };
    if (a != b && c != d) {
        if ((a == c && b == d) || (a == d && b == c)) return set("<hkxhk>", 'h', 'k', c == a ? 'h' : 'k', c == a ? 'k' : 'h');
        if (a == c) return set("<efxeg>", 'e', 'f', 'e', 'g');
        if (a == d) return set("<efxeg>", 'e', 'f', 'g', 'e');
        if (b == c) return set("<efxeg>", 'f', 'e', 'e', 'g');
        if (b == d) return set("<efxeg>", 'f', 'e', 'g', 'e');
        return set("<abxcd>", 'a', 'b', 'c', 'd');
    }
    if (a != b) {  // second parent homozygous
        if (c == a) return set("<lmxll>", 'l', 'm', 'l', 'l');
        if (c == b) return set("<lmxll>", 'm', 'l', 'l', 'l');
        return false;
    }
    if (c != d) {  // first parent homozygous
        if (a == c) return set("<nnxnp>", 'n', 'n', 'n', 'p');
        if (a == d) return set("<nnxnp>", 'n', 'n', 'p', 'n');
    }
    return false;
}

char letter_of(int allele, const int alleles[2], const char letters[2])
{
    return allele == alleles[0] ? letters[0] : allele == alleles[1] ? letters[1] : '?';
}

std::string offspring_code(const TypedMarker& t, std::int16_t x, std::int16_t y)
{
    if (x < 0 || y < 0) return "--";
    for (int order = 0; order < 2; ++order) {
        const int from_first = order ? y : x, from_second = order ? x : y;
        const char l1 = letter_of(from_first, t.first, t.first_letter);
        const char l2 = letter_of(from_second, t.second, t.second_letter);
        if (l1 != '?' && l2 != '?') return std::string{std::min(l1, l2), std::max(l1, l2)};
    }
    return "--";
}

}  // namespace

namespace exporting {

void check_cp_design(const Design& d)
{
    if (d.cross != Cross::Outbred || d.founders != 2 || d.generations != 1 || d.families != 1)
        throw SimError("--export cp: needs one outbred full-sib family (--design outbred --founders 2 "
                       "--generations 1 --families 1)");
    if (!d.genotype_founders) throw SimError("--export cp: the parents must be scored (--genotype-founders 1)");
}

}  // namespace exporting

ExportReport export_cp(const Population& pop, const std::filesystem::path& dir)
{
    exporting::check_cp_design(pop.design);
    const auto& people = pop.pedigree.individuals;
    std::vector<int> offspring;
    for (std::size_t i = 0; i < people.size(); ++i)
        if (!people[i].is_founder()) offspring.push_back(static_cast<int>(i));
    const int p1 = people[static_cast<std::size_t>(offspring.at(0))].father;
    const int p2 = people[static_cast<std::size_t>(offspring.at(0))].mother;
    const auto& s1 = pop.scores[static_cast<std::size_t>(p1)];
    const auto& s2 = pop.scores[static_cast<std::size_t>(p2)];
    ExportReport report{"cross.loc cross.map cross_phenotypes.csv", 0, 0, 0};
    std::vector<std::pair<std::size_t, TypedMarker>> typed;
    for (std::size_t k = 0; k < pop.genome.markers.size(); ++k) {
        TypedMarker t{};
        const bool scored = std::min({s1[2 * k], s1[2 * k + 1], s2[2 * k], s2[2 * k + 1]}) >= 0;
        if (scored && classify(s1[2 * k], s1[2 * k + 1], s2[2 * k], s2[2 * k + 1], t))
            typed.emplace_back(k, t);
        else
            ++report.markers_left_out;
    }
    report.markers = static_cast<long>(typed.size());

    const auto loc_path = dir / "cross.loc";
    auto loc = exporting::open(loc_path);
    loc << "; simulated full-sib family " << people[static_cast<std::size_t>(p1)].name << " x "
        << people[static_cast<std::size_t>(p2)].name << "\nname = simulated\npopt = CP\nnloc = " << typed.size()
        << "\nnind = " << offspring.size() << '\n';
    for (const auto& [k, t] : typed) {
        loc << pop.genome.markers[k].name << ' ' << t.type;
        for (int i : offspring) {
            const auto& s = pop.scores[static_cast<std::size_t>(i)];
            const std::string code = offspring_code(t, s[2 * k], s[2 * k + 1]);
            if (code == "--" && s[2 * k] != kMissingScore) ++report.codes_lost;
            loc << ' ' << code;
        }
        loc << '\n';
    }
    loc << "\nindividual names:\n";
    for (int i : offspring) loc << people[static_cast<std::size_t>(i)].name << '\n';
    exporting::finish(loc, loc_path);

    const auto map_path = dir / "cross.map";
    auto map = exporting::open(map_path);
    int group = -1;
    for (const auto& [k, t] : typed) {
        const MarkerDef& m = pop.genome.markers[k];
        if (m.chromosome != group) map << "group " << (group = m.chromosome) + 1 << '\n';
        char pos[32];
        std::snprintf(pos, sizeof pos, "%.3f", m.position_cm);
        map << m.name << ' ' << pos << '\n';
    }
    exporting::finish(map, map_path);

    const auto phe_path = dir / "cross_phenotypes.csv";
    auto phe = exporting::open(phe_path);
    std::vector<std::string> head{"id"};
    for (const std::string& n : exporting::phenotype_names(pop.design)) head.push_back(n);
    phe << exporting::join(head, ',') << '\n';
    for (int i : offspring) {
        std::vector<std::string> row{people[static_cast<std::size_t>(i)].name};
        for (const std::string& c : exporting::phenotype_cells(pop, i)) row.push_back(c);
        phe << exporting::join(row, ',') << '\n';
    }
    exporting::finish(phe, phe_path);
    return report;
}

}  // namespace vsim
