// Fuzz target: the reader of the numeric sample files of the post-processing
// (measuring rows and widths, cut last rows, number items).
#include "fuzz/fuzz_project.h"
#include "post/sample_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::ScratchScope scratch = fuzz::prepare_project();
    fuzz::write_file("genpar.out", std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::refused_or_done([] {
        const rvn::SampleFileShape shape = rvn::measure_sample_file("genpar.out");
        if (!shape.found || shape.bad_row >= 0) return;
        vsk::Table<double> values;
        rvn::read_sample_rows("genpar.out", shape, shape.cols > 2 ? 2 : 0, values);
        vsk::Table<double> lead;
        vsk::Table<signed char> codes;
        rvn::read_sample_rows_split("genpar.out", shape, shape.cols > 1 ? 1 : 0, lead, codes);
    });
    return 0;
}
