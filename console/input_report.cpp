// Report sections of the data and map inputs.
#include "console/input_report.h"

#include "core/state/console.h"
#include "core/voskara.h"
#include "textfile/file.h"
#include "textfile/textfile.h"
#include "core/state/output_file.h"

namespace vsk {

void print_data_file_section()
{
    crule(2, 79, 1);
    cprint("DATA FILE");
    cprint("\n%s", par.datafile.c_str());
    cprint("\n  IndicTraits   : ");
    for (int c = 0; c < par.ncolT && c < static_cast<int>(par.indiT.size()); ++c) cprint("%3d", par.indiT[c]);
    cprint("\n  IndicNuisances: ");
    for (int f = 0; f < par.indiN.rows(); ++f) cprint("%3d", par.indiN.cols() > 0 ? par.indiN[f][0] : 0);
}

void print_map_section()
{
    crule(2, 79, 1);
    cprint("MAP FILE - LINKAGE GROUPS");
    cprint("\n%s\n", par.mapfile.c_str());
    cprint("\nchromosomes: ");
    for (int j = 1; j <= par.nchrom; ++j) cprint("%3d", j);
    cprint("\nin analysis: ");
    for (const Chr& c : chr) cprint("%3d", c.indiC);
    cprint("\n # markers : ");
    for (const Chr& c : chr) cprint("%3d", c.mrkrC);
}

void write_putative_qtl_locations()
{
    if (REDprint || par.nchrom <= 0 || par.indicQTL != 1) return;
    File log = open_output_file("check.log", "a");
    if (!log) return;
    std::FILE* f = log.get();
    printline(f, 2, 79, 1);
    std::fprintf(f, "PUTATIVE QTL LOCATIONS");
    printline(f, 1, 79, 0);
    std::fprintf(f, "\nchrom      LowLim(M)   UppLim(M)     fMrkr     lMrkr");
    for (std::size_t j = 0; j < chr.size(); ++j) {
        const Chr& c = chr[j];
        if (!c.indiC || c.fMrkr < 0) continue;
        std::fprintf(f, " \n%8d", static_cast<int>(j) + 1);
        std::fprintf(f, "%12.3f %-12.3f", c.LowLim, c.UppLim);
        std::fprintf(f, "%25s %-25s", mrkrlcs[c.fMrkr].name.c_str(), mrkrlcs[c.lMrkr].name.c_str());
    }
}

}  // namespace vsk
