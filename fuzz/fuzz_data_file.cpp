// Fuzz target: the data file (pre-scan at start-up, then the reader with the
// pedigree ordering) of the base project.
#include "console/data_file.h"
#include "console/map_file.h"
#include "core/voskara.h"
#include "fuzz/fuzz_project.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::ScratchScope scratch = fuzz::prepare_project();
    fuzz::write_file("voskara.dat", std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::refused_or_done([] {
        vsk::InitGlobalVariables();
        vsk::read_map_file();
        vsk::read_data_file();
    });
    fuzz::reset_analysis_records();
    return 0;
}
