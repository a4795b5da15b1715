// Banner and disclaimer printed when the analysis program starts.
#include "console/banner.h"

#include "core/state/console.h"
#include "core/state/version.h"

namespace vsk {

void print_banner(const std::string& project_dir, const std::string& par_file)
{
    cstars(0, 79, 1);
    cprint("\nVoskara");
    cprint("\n  Quantitative Genetics on Pedigreed Populations");
    cprint("\n\n  Version %-20s", kVersion);
    cprint("\n  Date    %-20s", kVersionDate);
    cprint("\n\nProject directory");
    cprint("\n  %s \n", project_dir.c_str());
    cprint("\n\nParameter file");
    cprint("\n  %s \n", par_file.c_str());
}

void print_disclaimer()
{
    cstars(1, 78, 1);
    cprint("\n Disclaimer Voskara\n");
    cprint("\n This software is provided \"as is\" and with all faults, without warranty of");
    cprint("\n any kind, express or implied, including fitness for a particular purpose.");
    cprint("\n The user alone is responsible for determining whether the software is");
    cprint("\n compatible with his or her equipment and other software installed on it,");
    cprint("\n for protecting that equipment, and for backing up all data and programs");
    cprint("\n before and while the software is used.");
    cprint("\n In no event shall the provider be liable for any direct, indirect,");
    cprint("\n incidental or consequential damages, including loss of data, loss of");
    cprint("\n profits or interruption of work, arising from the use of the software or");
    cprint("\n from the inability to use it, even if advised of the possibility thereof.");
    cstars(1, 78, 1);
}

}  // namespace vsk
