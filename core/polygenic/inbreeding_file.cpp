// "inbrcoef.out": the inbreeding coefficient of every individual next to its
// generation coefficient.
#include "core/polygenic/tim.h"
#include "textfile/file.h"

namespace vsk {

void write_inbreeding_file(const std::vector<Obs>& o, const TimPedigree& ped, const std::string& path)
{
    File f = open_file(path, "w");
    if (!f) return;
    for (int i = 0; i < ped.n; ++i) {
        std::fprintf(f.get(), "\n%7d %32s", i + 1, o[i].name.c_str());
        std::fprintf(f.get(), " %8.4f %8.4f", o[i].gen_coeff, ped.inbreeding[i]);
    }
}

}  // namespace vsk
