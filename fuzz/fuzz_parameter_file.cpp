// Fuzz target: the parameter file, read by the analysis at start-up and by
// the post-processing (both must refuse or accept it without harm).
#include "core/voskara.h"
#include "fuzz/fuzz_project.h"
#include "post/params.h"
#include "post/state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::ScratchScope scratch = fuzz::prepare_project();
    fuzz::write_file("voskara.par", std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::refused_or_done([] { vsk::InitGlobalVariables(); });
    fuzz::reset_analysis_records();
    fuzz::refused_or_done([] {
        rvn::PostState st;
        st.project_dir = vsk::project_dirF;
        rvn::GetVoskaraPar(st, st.path("voskara.par"));
    });
    return 0;
}
