// Example population of the data templates: inbred-free founders, named
// parents and full-sib families, simulated with Mendelian inheritance along
// the template map (Haldane recombination) and one QTL on trait 1.
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "core/state/map_conventions.h"
#include "core/state/template_writers.h"

namespace vsk {

namespace {

// Private linear congruential generator: the templates must be the same on
// every run and must never consume draws of the analysis generator.
class TemplateLcg {
public:
    explicit TemplateLcg(std::uint64_t seed) : state_(seed) {}

    // Uniform on the open interval (0, 1).
    double uniform()
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return (static_cast<double>(state_ >> 11) + 0.5) * 0x1.0p-53;
    }
    int below(int n) { return static_cast<int>(uniform() * n); }
    double normal()
    {
        double u1 = uniform();
        double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    }

private:
    std::uint64_t state_;
};

constexpr std::uint64_t kTemplateSeed = 20060303;
constexpr int kAlleleCodes = 5;          // marker alleles 1..5
constexpr int kQtlLocus = 3;             // locus index of the QTL: after marker003
constexpr int kLoci = kTemplateMarkers + 1;
constexpr int kFounderCohort = 1;
constexpr int kParentCohort = 2;
constexpr int kNamedNuisance = 1;        // genotype-writing selector of the named individuals
constexpr int kOffspringNuisance = 0;

// Both homologues of an individual, loci in map order (the QTL included).
struct Genome {
    std::array<std::array<int, kLoci>, 2> hom{};
};

struct Member {
    TemplateIndividual line;
    Genome genome;
};

std::array<double, kLoci> locus_positions_cm()
{
    std::array<double, kLoci> pos{};
    for (int k = 0, m = 0; k < kLoci; ++k)
        pos[k] = k == kQtlLocus ? kTemplateQtlPositionCm : kTemplateMap[m++].position_cm;
    return pos;
}

// One gamete: start on a random homologue and switch at each crossover.
std::array<int, kLoci> draw_gamete(const Genome& parent, TemplateLcg& lcg)
{
    static const std::array<double, kLoci> pos = locus_positions_cm();
    std::array<int, kLoci> gamete{};
    int h = lcg.below(2);
    for (int k = 0; k < kLoci; ++k) {
        if (k > 0 && lcg.uniform() < haldane_fraction((pos[k] - pos[k - 1]) / 100.0)) h = 1 - h;
        gamete[k] = parent.hom[h][k];
    }
    return gamete;
}

std::string phenotype_text(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// Copies the marker alleles into the data line and draws both phenotypes.
void finish_line(Member& m, TemplateLcg& lcg, bool phenotyped)
{
    for (int k = 0, mk = 0; k < kLoci; ++k) {
        if (k == kQtlLocus) continue;
        m.line.alleles[mk][0] = m.genome.hom[0][k];
        m.line.alleles[mk][1] = m.genome.hom[1][k];
        ++mk;
    }
    m.line.qtl_alleles = m.genome.hom[0][kQtlLocus] + m.genome.hom[1][kQtlLocus];
    if (!phenotyped) return;
    double t1 = kTemplateTrait1Mean + kTemplateQtlEffect * (m.line.qtl_alleles - 1) +
                kTemplateResidualSd1 * lcg.normal();
    double t2 = kTemplateTrait2Mean + kTemplateResidualSd2 * lcg.normal();
    m.line.trait1 = phenotype_text(t1);
    m.line.trait2 = phenotype_text(t2);
}

Member make_founder(const char* name, int qtl_first, int qtl_second, TemplateLcg& lcg)
{
    Member m;
    m.line.cohort = kFounderCohort;
    m.line.name = name;
    m.line.nuisance = kNamedNuisance;
    for (int h = 0; h < 2; ++h)
        for (int k = 0; k < kLoci; ++k) m.genome.hom[h][k] = 1 + lcg.below(kAlleleCodes);
    m.genome.hom[0][kQtlLocus] = qtl_first;
    m.genome.hom[1][kQtlLocus] = qtl_second;
    finish_line(m, lcg, false);
    return m;
}

const Member& find_member(const std::vector<Member>& pop, const std::string& name)
{
    for (const Member& m : pop)
        if (m.line.name == name) return m;
    return pop.front();  // unreachable: parents are always defined first
}

Member make_offspring(const std::vector<Member>& pop, int cohort, std::string name, const std::string& p1,
                      const std::string& p2, int nuisance, TemplateLcg& lcg)
{
    Member m;
    m.line.cohort = cohort;
    m.line.name = std::move(name);
    m.line.parent1 = p1;
    m.line.parent2 = p2;
    m.line.nuisance = nuisance;
    m.genome.hom[0] = draw_gamete(find_member(pop, p1).genome, lcg);
    m.genome.hom[1] = draw_gamete(find_member(pop, p2).genome, lcg);
    finish_line(m, lcg, true);
    return m;
}

struct Mating {
    const char* name;   // named parent, or nullptr for a numbered family
    const char* first;
    const char* second;
    int first_number;   // numbered families: name of the first offspring
};

// The founders carry the increasing QTL allele (1) at frequency one half.
constexpr struct {
    const char* name;
    int qtl_first, qtl_second;
} kFounders[] = {{"alpha", 1, 0}, {"bravo", 0, 0}, {"charlie", 1, 0}, {"delta", 1, 1}, {"echo", 0, 1}};

constexpr Mating kNamedParents[] = {
    {"foxtrot", "alpha", "bravo", 0}, {"golf", "charlie", "delta", 0}, {"hotel", "echo", "alpha", 0},
    {"india", "bravo", "charlie", 0}, {"juliet", "delta", "echo", 0},  {"kilo", "alpha", "delta", 0},
};

constexpr Mating kFamilies[] = {
    {nullptr, "foxtrot", "golf", 1},   {nullptr, "hotel", "india", 101}, {nullptr, "juliet", "kilo", 201},
    {nullptr, "foxtrot", "hotel", 301}, {nullptr, "golf", "kilo", 401},
};

}  // namespace

std::vector<TemplateIndividual> template_population(bool with_families)
{
    TemplateLcg lcg(kTemplateSeed);
    std::vector<Member> pop;
    for (const auto& f : kFounders) pop.push_back(make_founder(f.name, f.qtl_first, f.qtl_second, lcg));
    for (const Mating& p : kNamedParents)
        pop.push_back(make_offspring(pop, kParentCohort, p.name, p.first, p.second, kNamedNuisance, lcg));
    if (with_families) {
        int cohort = kParentCohort;
        for (const Mating& f : kFamilies) {
            ++cohort;
            for (int i = 0; i < kTemplateFamilySize; ++i)
                pop.push_back(make_offspring(pop, cohort, std::to_string(f.first_number + i), f.first, f.second,
                                             kOffspringNuisance, lcg));
        }
    }
    std::vector<TemplateIndividual> lines;
    lines.reserve(pop.size());
    for (Member& m : pop) lines.push_back(std::move(m.line));
    return lines;
}

}  // namespace vsk
