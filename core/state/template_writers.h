// Internal pieces of the template project written when the parameter file is
// missing: the shared comment header, the parameter, data and map templates,
// and the deterministic example pedigree behind the data templates.
#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace vsk {

// Which of the two template projects a writer produces.
enum class TemplateKind { Ibd, Qtl };

inline constexpr int kTemplateMarkers = 6;

// Comment header that opens every template file. Data and map templates put
// "; Comments are preceded by semicolon sign" in front of it.
void write_template_header(std::FILE* out, bool with_comment_note);

void write_parameter_template(std::FILE* out, TemplateKind kind);
void write_data_template(std::FILE* out, TemplateKind kind);
void write_map_template(std::FILE* out);

// Map of the template: marker names and positions in centiMorgan.
struct TemplateMarker {
    const char* name;
    double position_cm;
};
extern const std::array<TemplateMarker, kTemplateMarkers> kTemplateMap;

// One line of a data template.
struct TemplateIndividual {
    int cohort = 0;
    std::string name;
    std::string parent1 = "0";
    std::string parent2 = "0";
    int nuisance = 0;
    std::string trait1 = "-";       // phenotype text, "-" = missing
    std::string trait2 = "-";
    std::array<std::array<int, 2>, kTemplateMarkers> alleles{};  // map order
    int qtl_alleles = 0;            // number of increasing alleles at the simulated QTL (0..2)
};

// The example population: five founders and six named parents, and with
// `with_families` five full-sib families of 40 offspring each. Simulated with
// a private generator, so the templates never touch the analysis generator
// and are identical on every call.
std::vector<TemplateIndividual> template_population(bool with_families);

// Simulation settings, exposed for the tests of the example population.
inline constexpr double kTemplateQtlPositionCm = 44.0;   // between marker003 and marker004
inline constexpr double kTemplateQtlEffect = 1.0;        // additive effect per allele on trait 1
inline constexpr double kTemplateTrait1Mean = 10.0;
inline constexpr double kTemplateTrait2Mean = 50.0;
inline constexpr double kTemplateResidualSd1 = 1.0;
inline constexpr double kTemplateResidualSd2 = 4.0;
inline constexpr int kTemplateFamilySize = 40;

}  // namespace vsk
