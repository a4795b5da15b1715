// Echo of the parameter file's effective content (comments and blank lines
// removed) and the heading of the interpretation report that follows it.
#include "core/state/console.h"
#include "core/state/parameters.h"
#include "textfile/textfile.h"

namespace vsk {

void echo_effective_content(const ParamContext& ctx)
{
    int rows = filerows(ctx.path);
    int width = filewidth(ctx.path);
    std::vector<std::string> lines;
    copyfiletobuffer(ctx.path, lines, width, rows);

    crule(1, 79, 0);
    cprint("\nEFFECTIVE CONTENT PARAMETER FILE\n%s\n", ctx.path.c_str());
    crule(0, 79, 1);
    for (const std::string& line : lines) cprint("%s\n", line.c_str());
    crule(0, 79, 0);
    cprint("\nINTERPRETATION PARAMETER VARIABLES\n%s\n", ctx.path.c_str());
    crule(0, 79, 1);
}

}  // namespace vsk
