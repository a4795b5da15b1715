// Template project written when the parameter file is missing.
#pragma once

#include <filesystem>

namespace vsk {

// Writes the five template files into the current (project) directory:
// "voskara_templateIBD.par", "voskara_templateQTL.par",
// "voskara_templateIBD.dat", "voskara_templateQTL.dat", "voskara_template.map".
void write_templates();

// The same five files written into `dir`.
void write_templates(const std::filesystem::path& dir);

}  // namespace vsk
