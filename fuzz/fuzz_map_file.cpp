// Fuzz target: the map file, read by the analysis (with the location prior)
// and by the post-processing.
#include "console/map_file.h"
#include "core/voskara.h"
#include "fuzz/fuzz_project.h"
#include "post/params.h"
#include "post/state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::ScratchScope scratch = fuzz::prepare_project();
    fuzz::write_file("voskara.map", std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::refused_or_done([] {
        vsk::InitGlobalVariables();
        vsk::read_map_file();
    });
    fuzz::reset_analysis_records();
    fuzz::refused_or_done([] {
        rvn::PostState st;
        st.project_dir = vsk::project_dirF;
        rvn::GetVoskaraPar(st, st.path("voskara.par"));
    });
    return 0;
}
