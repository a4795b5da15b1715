// Fuzz target: the founder-relationship file. The first byte picks how the
// parameter file uses it (even: Q-matrices, odd: P-matrices); the rest is
// the file.
#include <string>

#include "console/data_file.h"
#include "console/fibd.h"
#include "console/map_file.h"
#include "core/voskara.h"
#include "fuzz/fuzz_project.h"

namespace {

// The base parameter file with another FIBDthreshold line appended (the
// last line of a keyword counts).
std::string parameters_for(bool pmatrix)
{
    return fuzz::base_text("voskara.par") + (pmatrix ? "\nFIBDthreshold 2\n" : "\nFIBDthreshold 0.9\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    const fuzz::ScratchScope scratch = fuzz::prepare_project();
    fuzz::write_file("voskara.par", parameters_for((data[0] & 1) != 0));
    fuzz::write_file("voskara.fibd", std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    fuzz::refused_or_done([] {
        vsk::InitGlobalVariables();
        vsk::read_map_file();
        vsk::read_data_file();
        vsk::read_fibd_file();
    });
    fuzz::reset_analysis_records();
    return 0;
}
