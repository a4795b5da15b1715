// Template project written when the parameter file is missing.
#pragma once

namespace vsk {

// Writes the five template files into the current (project) directory:
// "voskara_templateIBD.par", "voskara_templateQTL.par",
// "voskara_templateIBD.dat", "voskara_templateQTL.dat", "voskara_template.map".
void write_templates();

}  // namespace vsk
